#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace tavrin {

// One cell of a spreadsheet, typed as a spreadsheet program reads it: text stays text
// whatever it looks like ("+79221012030", "0612345", "1.07"), a number is a number,
// a date and time is one.
struct SheetCell {
    enum class Kind { Empty, Text, Number, DateTime };

    static SheetCell Text(const QString &text);
    // decimals: shown with this many digits after the decimal sign; -1 as the program likes.
    static SheetCell Number(double number, int decimals = -1);
    // Local time, shown as dd.mm.yyyy hh:mm:ss; an invalid one gives an empty cell.
    static SheetCell DateTime(const QDateTime &when);

    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    int decimals = -1;
    QDateTime when;
    bool bold = false;
    std::optional<quint32> fill; // the background as 0xRRGGBB; none: the sheet's own
    QString comment;          // a note on the cell; none when empty
};

// One sheet: rows of cells from the top left corner. Every column is made as wide as
// its widest value (header cells wrap at their blanks instead); the sheet prints in
// landscape, one page wide.
struct Sheet {
    QString name;
    QList<QList<SheetCell>> rows;
    int headerRows = 0;      // bold, wrapped, kept in view while scrolling, printed on every page
    bool autoFilter = false; // a filter over the last header row and the rows under it
};

// The sheets as the bytes of an .xlsx file. Empty, with the reason in *error, when it
// could not be made.
QByteArray XlsxBytes(const QList<Sheet> &sheets, QString *error);

// The width, in characters, that shows a cell's value whole: its longest line, or for
// a header cell its longest word.
int CellWidth(const SheetCell &cell, bool header);

} // namespace tavrin
