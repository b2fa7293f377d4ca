#include "app/commandline.h"

#include "app/apptexts.h"

#include <cstdio>
#include <cstring>

namespace tavrin {

std::optional<int> AnswerInformationOptions(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        QString text;
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0)
            text = apptext::HelpText;
        else if (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-V") == 0)
            text = apptext::VersionText();
        else
            continue;
        const QByteArray bytes = text.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    return std::nullopt;
}

} // namespace tavrin
