#pragma once

#include <QFont>

#include <array>
#include <optional>

class QPainter;
class QRectF;

namespace tavrin {

// How the exchange log shows control bytes. The trace holds them as Unicode control
// pictures (␍ for CR, ␊ for LF ...), which fonts draw as faint letters too small to
// read. Each such character gets a cell wide enough for its short name (CR, LF, ESC),
// drawn as a coloured mark in its place. The character itself stays in the text, so
// selecting, copying and saving the trace are unchanged. The cells are measured on
// first use: the pictures are in none of the usual fixed-width fonts, and looking for
// a font that has them is too slow for the start-up of a log that may never see one.
class ControlMarks {
public:
    explicit ControlMarks(const QFont &textFont);

    // U+2400 to U+241F (the bytes 0x00 to 0x1F) and U+2421 (DEL).
    static bool isMark(QChar c);
    // The short name drawn for a mark: "CR" for ␍, "DEL" for ␡.
    static QString name(QChar c);

    // The width of the cell drawn for c: room for its name.
    qreal cellWidth(QChar c) const { return widths()[size_t(index(c))]; }
    // Draws the mark of c over its cell; a selected mark takes the selection's colours.
    void paint(QPainter &painter, const QRectF &cell, QChar c, bool selected, const QPalette &palette) const;

private:
    static int index(QChar c); // 0..31 for U+2400..U+241F, 32 for U+2421
    const std::array<qreal, 33> &widths() const;

    QFont m_textFont;
    QFont m_nameFont;
    mutable std::optional<std::array<qreal, 33>> m_widths; // measured on first use
};

} // namespace tavrin
