#include "link/exchangechannel.h"
#include "link/linkui.h"

#include "settings/cp1251.h"

namespace tavrin {

namespace {

constexpr int kTraceLineChars = 100;

} // namespace

QString TraceCharacter(unsigned char byte)
{
    if (byte == 0x00)
        return {};
    // Control bytes as their Unicode pictures (CR as ␍, LF as ␊, DEL as ␡), so they
    // show and never break the log's lines.
    if (byte < 0x20)
        return QString(QChar(char16_t(0x2400 + byte)));
    if (byte == 0x7F)
        return QString(QChar(char16_t(0x2421)));
    return QString(cp1251::toUnicode(byte));
}

void TraceLog::traceBytes(const char *bytes, int count, TraceDirection)
{
    // The characters of one line are gathered and appended at once.
    int lineLength = lineCount() > 0 ? lastLineLength() : 0;
    QString pending;
    for (int index = 0; index < count; ++index) {
        if (lineLength >= kTraceLineChars) {
            if (!pending.isEmpty())
                appendToLastLine(pending);
            pending.clear();
            addLine(QString());
            lineLength = 0;
        }
        const QString shown = TraceCharacter(static_cast<unsigned char>(bytes[index]));
        pending += shown;
        lineLength += int(shown.size());
    }
    if (!pending.isEmpty())
        appendToLastLine(pending);
}

void TraceBytes(ExchangeChannel &channel, const char *bytes, int count, TraceDirection direction)
{
    if (!channel.ui || count <= 0)
        return;
    TraceLog &log = channel.ui->log();
    log.traceBytes(bytes, count, direction);
    log.refresh();
}

} // namespace tavrin
