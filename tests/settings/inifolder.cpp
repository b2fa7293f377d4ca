#include "inifolder.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace tavrin::testsupport {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

SettingsStore loaded(const QString &exeDir, const QByteArray &bluetooth, const QByteArray &abonents)
{
    QDir(exeDir).mkpath(QStringLiteral("INI"));
    if (!bluetooth.isNull())
        writeBytes(exeDir + "/INI/bluetooth.ini", bluetooth);
    if (!abonents.isNull())
        writeBytes(exeDir + "/INI/abonents.ini", abonents);
    SettingsStore store;
    store.LoadSettings(exeDir);
    return store;
}

} // namespace tavrin::testsupport
