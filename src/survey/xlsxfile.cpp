#include "survey/xlsxfile.h"

#include "survey/xlsxlibrary.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace tavrin {

namespace {

const char *const kDateTimeFormat = "dd.mm.yyyy hh:mm:ss";
const char *const kTextFormat = "@";
// Widths are in characters of the default font; bold and capital letters take more.
constexpr double kWidthPerCharacter = 1.1;
constexpr int kWidthMargin = 3; // the autofilter's button and a little air
constexpr int kWidestColumn = 80;
constexpr double kLineHeight = 15;
constexpr int kCommentWidth = 320; // pixels: "Было: " and an address with a report name
constexpr int kCommentHeight = 64;

QString NumberText(double number, int decimals)
{
    return decimals < 0 ? QString::number(number) : QString::number(number, 'f', decimals);
}

// Text a spreadsheet shows as it is: line breaks as "\n", other control characters
// (which the file format cannot hold as they are) as the replacement character.
QByteArray CellText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QChar &c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t'))
            c = QChar::ReplacementCharacter;
    }
    return text.toUtf8();
}

// The lines text takes in a column width characters wide, broken at blanks.
int WrappedLines(const QString &text, int width)
{
    int lines = 0;
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        ++lines;
        int used = 0;
        for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int needed = used == 0 ? int(word.size()) : used + 1 + int(word.size());
            if (used > 0 && needed > width) {
                ++lines;
                used = int(word.size());
            } else {
                used = needed;
            }
        }
    }
    return lines;
}

// One workbook being made in a temporary folder; the formats cells share are made once.
class Builder {
public:
    Builder(const XlsxLibrary &lxw, const QString &path)
        : m_lxw(lxw), m_workbook(lxw.workbook_new(QFile::encodeName(path).constData()))
    {
    }
    ~Builder()
    {
        // A workbook that failed part-way is still closed, so its memory is freed.
        if (m_workbook)
            m_lxw.workbook_close(m_workbook);
    }

    bool add(const Sheet &sheet);
    lxw_error close()
    {
        const lxw_error result = m_workbook ? m_lxw.workbook_close(m_workbook) : LXW_ERROR_CREATING_XLSX_FILE;
        m_workbook = nullptr;
        return result;
    }
    lxw_error error() const { return m_error; }

private:
    lxw_format *format(const SheetCell &cell, bool header);
    void write(lxw_worksheet *worksheet, int row, int column, const SheetCell &cell, bool header);
    void check(lxw_error result)
    {
        if (result != LXW_NO_ERROR && m_error == LXW_NO_ERROR)
            m_error = result;
    }

    const XlsxLibrary &m_lxw;
    lxw_workbook *m_workbook;
    lxw_error m_error = LXW_NO_ERROR;
    QHash<QString, lxw_format *> m_formats;
};

lxw_format *Builder::format(const SheetCell &cell, bool header)
{
    QByteArray numberFormat;
    if (cell.kind == SheetCell::Kind::Text)
        numberFormat = kTextFormat;
    else if (cell.kind == SheetCell::Kind::DateTime)
        numberFormat = kDateTimeFormat;
    else if (cell.kind == SheetCell::Kind::Number && cell.decimals >= 0)
        numberFormat = cell.decimals == 0 ? "0" : "0." + QByteArray(cell.decimals, '0');
    const bool bold = cell.bold || header;
    const QString key = QStringLiteral("%1|%2|%3|%4")
                            .arg(QString::fromLatin1(numberFormat))
                            .arg(bold)
                            .arg(header)
                            .arg(cell.fill ? qint64(*cell.fill & 0xFFFFFF) : -1);
    if (lxw_format *known = m_formats.value(key))
        return known;
    lxw_format *made = m_lxw.workbook_add_format(m_workbook);
    if (!numberFormat.isEmpty())
        m_lxw.format_set_num_format(made, numberFormat.constData());
    if (bold)
        m_lxw.format_set_bold(made);
    if (header) {
        m_lxw.format_set_text_wrap(made);
        m_lxw.format_set_align(made, LXW_ALIGN_CENTER);
        m_lxw.format_set_align(made, LXW_ALIGN_VERTICAL_CENTER);
    }
    if (cell.fill) {
        m_lxw.format_set_pattern(made, LXW_PATTERN_SOLID);
        m_lxw.format_set_bg_color(made, *cell.fill & 0xFFFFFF);
    }
    m_formats.insert(key, made);
    return made;
}

void Builder::write(lxw_worksheet *worksheet, int row, int column, const SheetCell &cell, bool header)
{
    lxw_format *cellFormat = format(cell, header);
    const auto at = lxw_row_t(row);
    const auto col = lxw_col_t(column);
    switch (cell.kind) {
    case SheetCell::Kind::Text:
        if (!cell.text.isEmpty()) {
            check(m_lxw.worksheet_write_string(worksheet, at, col, CellText(cell.text).constData(), cellFormat));
            break;
        }
        [[fallthrough]];
    case SheetCell::Kind::Empty:
        if (cell.fill || cell.bold || header)
            check(m_lxw.worksheet_write_blank(worksheet, at, col, cellFormat));
        break;
    case SheetCell::Kind::Number:
        check(m_lxw.worksheet_write_number(worksheet, at, col, cell.number, cellFormat));
        break;
    case SheetCell::Kind::DateTime: {
        const QDate date = cell.when.date();
        const QTime time = cell.when.time();
        lxw_datetime when = {date.year(), date.month(), date.day(), time.hour(), time.minute(), double(time.second())};
        check(m_lxw.worksheet_write_datetime(worksheet, at, col, &when, cellFormat));
        break;
    }
    }
    if (!cell.comment.isEmpty()) {
        lxw_comment_options options{};
        options.width = kCommentWidth;
        options.height = kCommentHeight;
        check(m_lxw.worksheet_write_comment_opt(worksheet, at, col, CellText(cell.comment).constData(), &options));
    }
}

bool Builder::add(const Sheet &sheet)
{
    if (!m_workbook)
        return false;
    lxw_worksheet *worksheet = m_lxw.workbook_add_worksheet(m_workbook, sheet.name.toUtf8().constData());
    if (!worksheet) {
        check(LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED);
        return false;
    }
    QList<int> widths;
    for (int row = 0; row < sheet.rows.size(); ++row) {
        const bool header = row < sheet.headerRows;
        const QList<SheetCell> &cells = sheet.rows[row];
        for (int column = 0; column < cells.size(); ++column) {
            write(worksheet, row, column, cells[column], header);
            if (widths.size() <= column)
                widths.resize(column + 1, 0);
            widths[column] = std::max(widths[column], CellWidth(cells[column], header));
        }
    }
    for (int column = 0; column < widths.size(); ++column) {
        widths[column] = std::min(int(std::ceil(widths[column] * kWidthPerCharacter)) + kWidthMargin, kWidestColumn);
        check(m_lxw.worksheet_set_column(worksheet, lxw_col_t(column), lxw_col_t(column), widths[column], nullptr));
    }
    // Header rows as high as their most wrapped caption.
    for (int row = 0; row < sheet.headerRows && row < sheet.rows.size(); ++row) {
        int lines = 1;
        for (int column = 0; column < sheet.rows[row].size(); ++column) {
            const SheetCell &cell = sheet.rows[row][column];
            if (cell.kind == SheetCell::Kind::Text)
                lines = std::max(lines, WrappedLines(cell.text, widths[column] - kWidthMargin));
        }
        check(m_lxw.worksheet_set_row(worksheet, lxw_row_t(row), lines * kLineHeight, nullptr));
    }
    if (sheet.headerRows > 0) {
        m_lxw.worksheet_freeze_panes(worksheet, lxw_row_t(sheet.headerRows), 0);
        check(m_lxw.worksheet_repeat_rows(worksheet, 0, lxw_row_t(sheet.headerRows - 1)));
    }
    if (sheet.autoFilter && sheet.headerRows > 0 && !widths.isEmpty()) {
        const auto last = lxw_row_t(std::max(sheet.headerRows - 1, int(sheet.rows.size()) - 1));
        check(m_lxw.worksheet_autofilter(worksheet, lxw_row_t(sheet.headerRows - 1), 0, last,
                                   lxw_col_t(widths.size() - 1)));
    }
    // Printed, a sheet keeps its grid: the columns stay apart on paper and in a PDF.
    m_lxw.worksheet_gridlines(worksheet, LXW_SHOW_ALL_GRIDLINES);
    m_lxw.worksheet_set_landscape(worksheet);
    m_lxw.worksheet_fit_to_pages(worksheet, 1, 0);
    return m_error == LXW_NO_ERROR;
}

} // namespace

SheetCell SheetCell::Text(const QString &text)
{
    SheetCell cell;
    cell.kind = Kind::Text;
    cell.text = text;
    return cell;
}

SheetCell SheetCell::Number(double number, int decimals)
{
    SheetCell cell;
    cell.kind = Kind::Number;
    cell.number = number;
    cell.decimals = decimals;
    return cell;
}

SheetCell SheetCell::DateTime(const QDateTime &when)
{
    SheetCell cell;
    if (when.isValid()) {
        cell.kind = Kind::DateTime;
        cell.when = when;
    }
    return cell;
}

int CellWidth(const SheetCell &cell, bool header)
{
    switch (cell.kind) {
    case SheetCell::Kind::Empty:
        return 0;
    case SheetCell::Kind::Number:
        return int(NumberText(cell.number, cell.decimals).size());
    case SheetCell::Kind::DateTime:
        return int(qstrlen(kDateTimeFormat));
    case SheetCell::Kind::Text:
        break;
    }
    int widest = 0;
    const QStringList pieces = header ? cell.text.split(QRegularExpression(QStringLiteral("\\s+")))
                                      : cell.text.split(QLatin1Char('\n'));
    for (const QString &piece : pieces)
        widest = std::max(widest, int(piece.size()));
    return widest;
}

QByteArray XlsxBytes(const QList<Sheet> &sheets, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return QByteArray();
    };
    // libxlsxwriter writes only to a named file; it is made in a private folder and read
    // back, so that the caller writes the bytes as it writes any other file.
    QString notLoaded;
    const XlsxLibrary *lxw = LoadXlsxLibrary(&notLoaded);
    if (!lxw)
        return fail(notLoaded);
    QTemporaryDir folder;
    if (!folder.isValid())
        return fail(folder.errorString());
    const QString path = folder.filePath(QStringLiteral("book.xlsx"));
    lxw_error result = LXW_NO_ERROR;
    {
        Builder builder(*lxw, path);
        for (const Sheet &sheet : sheets) {
            if (!builder.add(sheet))
                break;
        }
        result = builder.error();
        const lxw_error closed = builder.close();
        if (result == LXW_NO_ERROR)
            result = closed;
    }
    if (result != LXW_NO_ERROR)
        return fail(QString::fromUtf8(lxw->lxw_strerror(result)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    return file.readAll();
}

} // namespace tavrin
