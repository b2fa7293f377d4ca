#include "fakes.h"

#include <QTimer>

namespace tavrin::test {

ScriptedPort::Reply ScriptedPort::trickle(const QByteArray &bytes, int firstMs, int gapMs)
{
    Reply reply;
    for (qsizetype k = 0; k < bytes.size(); ++k)
        reply.append({firstMs + int(k) * gapMs, bytes.mid(k, 1)});
    return reply;
}

qint64 ScriptedPort::write(const char *data, qint64 size)
{
    if (failWrites)
        return -1;
    const QByteArray bytes(data, size);
    writes.append(bytes);
    journal.append("write " + bytes.toHex());
    if (bytes == QByteArray(1, '\0') || replies.isEmpty())
        return size;
    for (const Chunk &chunk : replies.takeFirst())
        QTimer::singleShot(chunk.afterMs, Qt::PreciseTimer, this, [this, chunk] { m_buffer += chunk.bytes; });
    return size;
}

int ScriptedPort::readByte(char *byte)
{
    if (failNextRead) {
        failNextRead = false;
        return -1;
    }
    if (m_buffer.isEmpty())
        return 0;
    *byte = m_buffer.at(0);
    m_buffer.remove(0, 1);
    return 1;
}

void ScriptedPort::purge()
{
    ++purges;
    journal.append("purge");
    m_buffer.clear();
}

bool ScriptedPort::clearError()
{
    ++errorClears;
    return true;
}

} // namespace tavrin::test
