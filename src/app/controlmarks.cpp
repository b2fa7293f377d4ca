#include "app/controlmarks.h"

#include "app/windowgeometry.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPalette>

namespace tavrin {

namespace {

constexpr char16_t kFirstPicture = 0x2400; // the picture of byte 0x00
constexpr char16_t kDeletePicture = 0x2421;

// The usual short names of the ASCII control characters, by code; DEL last.
constexpr std::array<const char *, 33> kNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US",  "DEL",
};

constexpr qreal kNameScale = 0.8; // the name's size against the text's
constexpr qreal kPadding = 2;      // pixels left and right of the name inside the mark

} // namespace

ControlMarks::ControlMarks(const QFont &textFont) : m_textFont(textFont), m_nameFont(textFont)
{
    m_nameFont.setBold(true);
    m_nameFont.setPointSizeF(textFont.pointSizeF() * kNameScale);
}

const std::array<qreal, 33> &ControlMarks::widths() const
{
    if (m_widths)
        return *m_widths;
    const QFontMetricsF text(m_textFont);
    const QFontMetricsF names(m_nameFont);
    std::array<qreal, 33> &widths = m_widths.emplace();
    for (size_t i = 0; i < kNames.size(); ++i) {
        const QChar picture = i < 32 ? QChar(char16_t(kFirstPicture + i)) : QChar(kDeletePicture);
        const qreal room = names.horizontalAdvance(QLatin1String(kNames[i])) + 2 * kPadding;
        widths[i] = std::max(room, text.horizontalAdvance(picture));
    }
    return widths;
}

bool ControlMarks::isMark(QChar c)
{
    return (c.unicode() >= kFirstPicture && c.unicode() < kFirstPicture + 32) || c.unicode() == kDeletePicture;
}

int ControlMarks::index(QChar c)
{
    return c.unicode() == kDeletePicture ? 32 : c.unicode() - kFirstPicture;
}

QString ControlMarks::name(QChar c)
{
    return isMark(c) ? QLatin1String(kNames[size_t(index(c))]) : QString();
}

void ControlMarks::paint(QPainter &painter, const QRectF &cell, QChar c, bool selected, const QPalette &palette) const
{
    const QRectF mark = cell.adjusted(0.5, 1.5, -0.5, -1.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(selected ? palette.color(QPalette::Highlight).darker(130) : geometry::ControlMarkColour());
    painter.drawRoundedRect(mark, 2, 2);
    painter.setPen(selected ? palette.color(QPalette::HighlightedText) : QColor(Qt::white));
    painter.setFont(m_nameFont);
    painter.drawText(mark, Qt::AlignCenter, name(c));
}

} // namespace tavrin
