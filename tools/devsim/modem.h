#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace devsim {

// How the modem answers ATD.
enum class DialOutcome { Connect, Busy, NoAnswer, NoDialtone, NoCarrier, Error, Silent };

// What the modem is attached to: the line to the program, the module behind it, and a
// timer.
class ModemHost {
public:
    virtual ~ModemHost() = default;
    virtual void toLine(const std::string &bytes) = 0;
    virtual void toModule(std::string_view bytes, int64_t nowMicros) = 0;
    virtual void after(int64_t delayMicros, std::function<void()> action) = 0;
    virtual void note(const std::string &what) = 0;
    virtual int64_t now() const = 0;
    // A number is being dialled: how this call goes, when the number belongs to a site
    // the host serves; nothing for the modem's own setting.
    virtual std::optional<DialOutcome> dialled(const std::string &number)
    {
        (void)number;
        return std::nullopt;
    }
};

// A Hayes GSM modem in front of the module: AT commands in command mode, a call to
// the module in data mode, the "+++" escape with its guard time, hang-up.
class Modem {
public:
    using DialOutcome = devsim::DialOutcome;
    enum class CpasReply { Ready, NotReady, Error, Silent };

    explicit Modem(ModemHost &host) : m_host(host) {}

    void fromProgram(std::string_view bytes, int64_t nowMicros);
    // Bytes of a module reply; they reach the program only while a call is in data mode.
    void fromModule(const std::string &bytes);
    // The carrier is lost now: NO CARRIER, command mode. False when no call is up.
    bool drop();
    // The next module reply is cut after `bytes` bytes by the loss of the carrier.
    void dropMidFrame(int bytes) { m_midFrameLeft = bytes; }

    DialOutcome dialOutcome = DialOutcome::Connect;
    CpasReply cpasReply = CpasReply::Ready;
    int dialMs = 500;    // from ATD to its result
    int guardMs = 1000;  // silence before and after "+++"
    // A modem that neither answers nor obeys ATH while a call is up, so that a
    // hang-up that never checks ATH's answer leaves the call up unnoticed.
    bool ignoresHangUp = false;
    // A character sent while the modem dials ends the attempt, as on a Hayes modem;
    // off: the dial goes on to its result whatever is sent meanwhile.
    bool characterAbandonsDial = true;

    bool inDataMode() const { return m_callUp && m_dataMode; }
    std::string describe() const;

    static bool parseDialOutcome(const std::string &name, DialOutcome &out);
    static bool parseCpasReply(const std::string &name, CpasReply &out);

private:
    enum Result { Ok, Connect, Ring, NoCarrier, Error, NoDialtone, Busy, NoAnswer };
    std::string result(Result r) const;
    void commandLine(const std::string &line, std::string &out);
    void startDial(const std::string &number);
    void hangUp();
    void escapeChar(int64_t nowMicros);
    void abandonDial();

    ModemHost &m_host;
    bool m_echo = true;
    bool m_verbose = true;
    bool m_callUp = false;
    bool m_dataMode = false;
    std::string m_line;
    int64_t m_lastDataByte = 0;
    int m_pluses = 0;
    uint64_t m_dataSerial = 0; // counts data-mode bytes, so a late escape check sees new ones
    uint64_t m_dialSerial = 0; // a hang-up cancels the dial in progress
    bool m_dialling = false;   // from ATD to its result: a character sent meanwhile abandons it
    int m_midFrameLeft = -1;
};

} // namespace devsim
