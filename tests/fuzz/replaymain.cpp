// Replays a fuzz target over its seed corpus and its regression inputs, with the
// ordinary compiler and no fuzzing engine: every argument is a folder of inputs (or one
// input file). A broken property aborts; a clean run prints the count.
#include "fuzzing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

int replay(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return -1;
    }
    const QByteArray input = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size()));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        QStringList files;
        if (QFileInfo(path).isDir()) {
            for (const QString &name : QDir(path).entryList(QDir::Files | QDir::Hidden, QDir::Name))
                files << QDir(path).filePath(name);
        } else if (QFileInfo::exists(path)) {
            files << path;
        }
        for (const QString &file : files) {
            const int done = replay(file);
            if (done < 0)
                return 1;
            replayed += done;
        }
    }
    std::printf("%d inputs replayed, every property held\n", replayed);
    return replayed > 0 ? 0 : 1;
}
