#pragma once

// An .xlsx file as an independent reader sees it: read_xlsx.py (openpyxl) prints it as
// JSON. Used as
//   QJsonObject book; QString skip;
//   if (!ReadXlsx(path, book, &skip)) QSKIP(...) / QFAIL(...)
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

namespace xlsxreader {

enum class Outcome { Read, ReaderMissing, Failed };

// book: {"sheets": [{"name", "freeze", "filter", "widths", "heights", "cells": {"A1": {...}}}]}.
inline Outcome ReadXlsx(const QString &path, QJsonObject &book, QString *why)
{
    // Debian's own python3 first: python3-openpyxl is installed for it, whatever other
    // python3 comes first on the PATH.
    QString python = QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    if (python.isEmpty())
        python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        *why = QStringLiteral("python3 is not installed: the .xlsx is not read back");
        return Outcome::ReaderMissing;
    }
    QProcess reader;
    reader.start(python, {QStringLiteral(TAVRIN_TEST_SOURCE_DIR "/read_xlsx.py"), path});
    if (!reader.waitForFinished(60000)) {
        *why = QStringLiteral("read_xlsx.py did not finish");
        return Outcome::Failed;
    }
    if (reader.exitCode() == 3) {
        *why = QStringLiteral("python3-openpyxl is not installed: the .xlsx is not read back");
        return Outcome::ReaderMissing;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(reader.readAllStandardOutput(), &parseError);
    if (reader.exitCode() != 0 || !document.isObject()) {
        *why = QStringLiteral("openpyxl could not read %1: %2").arg(path, QString::fromUtf8(reader.readAllStandardError()));
        return Outcome::Failed;
    }
    book = document.object();
    return Outcome::Read;
}

inline QJsonObject Sheet(const QJsonObject &book, const QString &name)
{
    for (const QJsonValue &sheet : book[QStringLiteral("sheets")].toArray()) {
        if (sheet[QStringLiteral("name")].toString() == name)
            return sheet.toObject();
    }
    return {};
}

inline QStringList SheetNames(const QJsonObject &book)
{
    QStringList names;
    for (const QJsonValue &sheet : book[QStringLiteral("sheets")].toArray())
        names << sheet[QStringLiteral("name")].toString();
    return names;
}

// A cell by its reference ("C2"); empty when the sheet has nothing there.
inline QJsonObject Cell(const QJsonObject &sheet, const QString &reference)
{
    return sheet[QStringLiteral("cells")][reference].toObject();
}

} // namespace xlsxreader

// Reads path into book or ends the test: skipped when the reader is missing, failed
// when it cannot read the file.
#define READ_XLSX_OR_SKIP(path, book)                                                          \
    do {                                                                                       \
        QString why_;                                                                          \
        const xlsxreader::Outcome outcome_ = xlsxreader::ReadXlsx((path), (book), &why_);     \
        if (outcome_ == xlsxreader::Outcome::ReaderMissing)                                    \
            QSKIP(qPrintable(why_));                                                           \
        QVERIFY2(outcome_ == xlsxreader::Outcome::Read, qPrintable(why_));                     \
    } while (false)
