#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace devsim {

// The simulator's stdout: one line per event, readable by a person and parsed by the
// test client.
//   ready <link> <pty>                          the port is published
//   recv <seconds.micros> <hex bytes> "<text>"  bytes the device got from the program
//   sent <seconds.micros> <hex bytes> "<text>"  bytes the device put on the line
//   note <seconds.micros> <text>                a change of state
//   ok <control line>[ -- <info>] / error <control line> -- <reason>
// Times are CLOCK_MONOTONIC.
class ByteLog {
public:
    void bytes(bool fromProgram, int64_t micros, std::string_view data);
    void note(int64_t micros, const std::string &text);
    void line(const std::string &text);
};

// "50 49 4E 47 0D"
std::string Hex(std::string_view data);
// Printable ASCII as it is, the rest escaped: \r \n \0 \xHH; quotes and backslashes escaped.
std::string Printable(std::string_view data);
// Hex digits, blanks allowed between bytes: "7B22" or "7B 22 7D". nullopt if malformed.
std::optional<std::string> ParseHex(std::string_view text);
// Text with C escapes \r \n \t \0 \\ \xHH turned into bytes.
std::string Unescape(std::string_view text);

} // namespace devsim
