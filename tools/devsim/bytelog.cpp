#include "bytelog.h"

#include <cctype>
#include <cstdio>

namespace devsim {

namespace {

std::string Seconds(int64_t micros)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld.%06lld", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000));
    return buf;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

void ByteLog::bytes(bool fromProgram, int64_t micros, std::string_view data)
{
    line(std::string(fromProgram ? "recv " : "sent ") + Seconds(micros) + " " + Hex(data) +
         " \"" + Printable(data) + "\"");
}

void ByteLog::note(int64_t micros, const std::string &text)
{
    line("note " + Seconds(micros) + " " + text);
}

void ByteLog::line(const std::string &text)
{
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string Hex(std::string_view data)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : data) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Printable(std::string_view data)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : data) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\0': out += "\\0"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += char(c);
            } else {
                out += "\\x";
                out += digits[c >> 4];
                out += digits[c & 15];
            }
        }
    }
    return out;
}

std::optional<std::string> ParseHex(std::string_view text)
{
    std::string out;
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == ':') {
            if (high >= 0)
                return std::nullopt; // a lone digit
            continue;
        }
        int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        if (high < 0) {
            high = d;
        } else {
            out += char(high * 16 + d);
            high = -1;
        }
    }
    if (high >= 0)
        return std::nullopt;
    return out;
}

std::string Unescape(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        char e = text[++i];
        switch (e) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case 'x':
            if (i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
                out += char(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
                i += 2;
            } else {
                out += "\\x";
            }
            break;
        default: out += e; break;
        }
    }
    return out;
}

} // namespace devsim
