#include "modem.h"

#include "named.h"

#include <cctype>

namespace devsim {

namespace {

struct ResultText {
    const char *verbose;
    const char *numeric;
};

// Indexed by Modem::Result.
const ResultText kResults[] = {
    {"OK", "0"},         {"CONNECT 9600", "1"}, {"RING", "2"},      {"NO CARRIER", "3"},
    {"ERROR", "4"},      {"NO DIALTONE", "6"},  {"BUSY", "7"},      {"NO ANSWER", "8"},
};

const Named<Modem::DialOutcome> kDialNames[] = {
    {"connect", Modem::DialOutcome::Connect},       {"busy", Modem::DialOutcome::Busy},
    {"no-answer", Modem::DialOutcome::NoAnswer},    {"no-dialtone", Modem::DialOutcome::NoDialtone},
    {"no-carrier", Modem::DialOutcome::NoCarrier},  {"error", Modem::DialOutcome::Error},
    {"silent", Modem::DialOutcome::Silent},
};

const Named<Modem::CpasReply> kCpasNames[] = {
    {"0", Modem::CpasReply::Ready},
    {"3", Modem::CpasReply::NotReady},
    {"error", Modem::CpasReply::Error},
    {"silent", Modem::CpasReply::Silent},
};

char Upper(char c)
{
    return char(std::toupper(static_cast<unsigned char>(c)));
}

} // namespace

bool Modem::parseDialOutcome(const std::string &name, DialOutcome &out)
{
    return ValueOf(kDialNames, name, out);
}

bool Modem::parseCpasReply(const std::string &name, CpasReply &out)
{
    return ValueOf(kCpasNames, name, out);
}

std::string Modem::result(Result r) const
{
    if (m_verbose)
        return std::string("\r\n") + kResults[r].verbose + "\r\n";
    return std::string(kResults[r].numeric) + "\r";
}

void Modem::fromProgram(std::string_view bytes, int64_t nowMicros)
{
    std::string out;
    std::string data;
    for (char c : bytes) {
        if (m_callUp && m_dataMode) {
            // "+++" escapes only with the guard time of silence before it, its pluses
            // each within the guard time of the one before, and silence after it.
            const int64_t guard = int64_t(guardMs) * 1000;
            const int64_t silence = nowMicros - m_lastDataByte;
            if (m_pluses > 0 && (c != '+' || m_pluses == 3 || silence > guard)) {
                data.append(size_t(m_pluses), '+'); // not an escape after all: the pluses were data
                m_pluses = 0;
            }
            if (c == '+' && (m_pluses > 0 || silence >= guard)) {
                escapeChar(nowMicros);
                continue;
            }
            ++m_dataSerial;
            m_lastDataByte = nowMicros;
            data += c;
            continue;
        }
        if (m_dialling && characterAbandonsDial) {
            // As a Hayes modem does: any character while it dials ends the attempt.
            abandonDial();
            out += result(NoCarrier);
            continue;
        }
        if (m_echo)
            out += c;
        if (c == '\r') {
            std::string line;
            line.swap(m_line);
            commandLine(line, out);
        } else if (c == '\b') {
            if (!m_line.empty())
                m_line.pop_back();
        } else if (c != '\n' && m_line.size() < 300) {
            m_line += c;
        }
    }
    if (!out.empty())
        m_host.toLine(out);
    if (!data.empty())
        m_host.toModule(data, nowMicros);
}

void Modem::escapeChar(int64_t nowMicros)
{
    ++m_pluses;
    ++m_dataSerial;
    m_lastDataByte = nowMicros;
    if (m_pluses < 3)
        return;
    const uint64_t serial = m_dataSerial;
    // The escape counts only if the guard time after it passes in silence too.
    m_host.after(int64_t(guardMs) * 1000, [this, serial] {
        if (serial != m_dataSerial || !(m_callUp && m_dataMode))
            return;
        m_dataMode = false;
        m_pluses = 0;
        m_host.note("modem: escape, command mode with the call up");
        m_host.toLine(result(Ok));
    });
}

void Modem::commandLine(const std::string &line, std::string &out)
{
    // Anything before "AT" is noise, such as a "+++" typed in command mode.
    size_t at = std::string::npos;
    for (size_t i = 0; i + 1 < line.size(); ++i)
        if (Upper(line[i]) == 'A' && Upper(line[i + 1]) == 'T') {
            at = i;
            break;
        }
    if (at == std::string::npos)
        return;
    const std::string cmd = line.substr(at + 2);
    size_t i = 0;
    auto digit = [&cmd, &i](int fallback) {
        if (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])))
            return cmd[i++] - '0';
        return fallback;
    };
    while (i < cmd.size()) {
        const char c = Upper(cmd[i++]);
        switch (c) {
        case ' ':
            break;
        case 'E':
            m_echo = digit(0) != 0;
            break;
        case 'V':
            m_verbose = digit(0) != 0;
            break;
        case 'Z':
            digit(0);
            m_echo = true;
            m_verbose = true;
            break;
        case 'H':
            digit(0);
            if (ignoresHangUp && m_callUp) {
                m_host.note("modem: ATH ignored, the call stays up");
                return;
            }
            hangUp();
            break;
        case 'D':
            startDial(cmd.substr(i)); // its result comes after the echo, when the call is made
            return;
        case 'O':
            if (!m_callUp) {
                out += result(NoCarrier);
                return;
            }
            m_dataMode = true;
            m_lastDataByte = m_host.now();
            out += result(Connect);
            m_host.note("modem: back to data mode");
            return;
        case '+': {
            size_t end = cmd.find(';', i);
            std::string name = cmd.substr(i, end == std::string::npos ? std::string::npos : end - i);
            for (char &ch : name)
                ch = Upper(ch);
            i = end == std::string::npos ? cmd.size() : end + 1;
            if (name == "CPAS") {
                switch (cpasReply) {
                case CpasReply::Ready:
                    out += "\r\n+CPAS: 0\r\n";
                    break;
                case CpasReply::NotReady:
                    out += "\r\n+CPAS: 3\r\n";
                    break;
                case CpasReply::Error:
                    out += result(Error);
                    return;
                case CpasReply::Silent:
                    return;
                }
            }
            break;
        }
        case '&':
            if (i < cmd.size())
                ++i;
            while (i < cmd.size() && std::isdigit(static_cast<unsigned char>(cmd[i])))
                ++i;
            break;
        default:
            // S-registers and the other basic commands: accept with their argument.
            while (i < cmd.size() && (std::isdigit(static_cast<unsigned char>(cmd[i])) ||
                                      cmd[i] == '=' || cmd[i] == '?'))
                ++i;
            break;
        }
    }
    out += result(Ok);
}

void Modem::startDial(const std::string &number)
{
    const uint64_t serial = ++m_dialSerial;
    m_host.note("modem: dialling " + number);
    const DialOutcome outcome = m_host.dialled(number).value_or(dialOutcome);
    m_dialling = true;
    if (outcome == DialOutcome::Silent)
        return;
    m_host.after(int64_t(dialMs) * 1000, [this, serial, outcome] {
        if (serial != m_dialSerial)
            return;
        m_dialling = false;
        Result r = Ok;
        switch (outcome) {
        case DialOutcome::Connect:
            m_callUp = true;
            m_dataMode = true;
            m_pluses = 0;
            m_lastDataByte = m_host.now();
            m_host.note("modem: connected, data mode");
            m_host.toLine(result(Connect));
            return;
        case DialOutcome::Busy: r = Busy; break;
        case DialOutcome::NoAnswer: r = NoAnswer; break;
        case DialOutcome::NoDialtone: r = NoDialtone; break;
        case DialOutcome::NoCarrier: r = NoCarrier; break;
        case DialOutcome::Error: r = Error; break;
        case DialOutcome::Silent: return;
        }
        m_host.note("modem: dial failed");
        m_host.toLine(result(r));
    });
}

void Modem::abandonDial()
{
    ++m_dialSerial;
    m_dialling = false;
    m_host.note("modem: dial abandoned by a character, no call");
}

void Modem::hangUp()
{
    ++m_dialSerial;
    m_dialling = false;
    if (m_callUp)
        m_host.note("modem: hung up");
    m_callUp = false;
    m_dataMode = false;
    m_pluses = 0;
}

void Modem::fromModule(const std::string &bytes)
{
    if (!(m_callUp && m_dataMode))
        return;
    if (m_midFrameLeft < 0) {
        m_host.toLine(bytes);
        return;
    }
    if (size_t(m_midFrameLeft) > bytes.size()) {
        m_midFrameLeft -= int(bytes.size());
        m_host.toLine(bytes);
        return;
    }
    const std::string part = bytes.substr(0, size_t(m_midFrameLeft));
    m_midFrameLeft = -1;
    m_callUp = false;
    m_dataMode = false;
    m_host.note("modem: carrier lost in the middle of a reply");
    m_host.toLine(part + result(NoCarrier));
}

bool Modem::drop()
{
    if (!m_callUp)
        return false;
    m_callUp = false;
    m_dataMode = false;
    m_pluses = 0;
    m_host.note("modem: carrier lost");
    m_host.toLine(result(NoCarrier));
    return true;
}

std::string Modem::describe() const
{
    std::string mode = !m_callUp ? "command" : m_dataMode ? "data" : "online-command";
    const std::string dial = NameOf(kDialNames, dialOutcome);
    const std::string cpas = NameOf(kCpasNames, cpasReply);
    return "modem=" + mode + " echo=" + (m_echo ? "on" : "off") + " verbose=" +
           (m_verbose ? "on" : "off") + " dial=" + dial + " dial-ms=" + std::to_string(dialMs) +
           " cpas=" + cpas + " guard=" + std::to_string(guardMs) + " ath=" + (ignoresHangUp ? "ignored" : "obeyed") +
           (m_dialling ? " dialling" : "");
}

} // namespace devsim
