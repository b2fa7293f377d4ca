#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace tavrin {

// Replaces the file at path with bytes, whole or not at all. The bytes go to a temporary
// file beside it ("NAME.XXXXXX"), which is flushed, checked, synced to disk and only then
// renamed over the file. On any failure the temporary file is removed, the old file stays
// as it was, and false comes back with the system's reason in *reason ("No space left on
// device"). extraMode may add QIODevice::Text, for the system's line ends.
//
// Every program file goes through here: Qt's QSaveFile::commit() alone reports success
// after a flush that failed on a full disk, and puts the short file in the old one's place.
bool WriteFileSafely(const QString &path, const QByteArray &bytes, QString *reason,
                     QIODevice::OpenMode extraMode = {});

} // namespace tavrin
