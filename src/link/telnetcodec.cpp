#include "link/telnetcodec.h"

#include "link/linklog.h"

namespace tavrin {

namespace {

constexpr unsigned char kSe = 240;
constexpr unsigned char kSb = 250;
constexpr unsigned char kWill = 251;
constexpr unsigned char kWont = 252;
constexpr unsigned char kDo = 253;
constexpr unsigned char kDont = 254;
constexpr unsigned char kIac = 255;

constexpr unsigned char kBinary = 0;
constexpr unsigned char kSuppressGoAhead = 3;
constexpr unsigned char kComPort = 44;

// Port control commands of the client; the server answers each with the same number
// plus 100.
constexpr unsigned char kSetBaudRate = 1;
constexpr unsigned char kSetDataSize = 2;
constexpr unsigned char kSetParity = 3;
constexpr unsigned char kSetStopSize = 4;
constexpr unsigned char kPurgeData = 12;
constexpr unsigned char kServerReply = 100;

constexpr unsigned char kEightDataBits = 8;
constexpr unsigned char kNoParity = 1;
constexpr unsigned char kOneStopBit = 1;
constexpr unsigned char kPurgeBoth = 3;

constexpr unsigned kAllConfirmed = (1u << kSetBaudRate) | (1u << kSetDataSize) | (1u << kSetParity)
    | (1u << kSetStopSize);

// The options the link uses, on either side; every other one is refused.
bool usedOption(unsigned char option)
{
    return option == kBinary || option == kSuppressGoAhead || option == kComPort;
}

void appendVerb(QByteArray &out, unsigned char verb, unsigned char option)
{
    out.append(char(kIac));
    out.append(char(verb));
    out.append(char(option));
}

// A port control subnegotiation; a 0xFF inside it is doubled like any data byte.
QByteArray portCommand(unsigned char command, const QByteArray &value)
{
    QByteArray out;
    out.append(char(kIac));
    out.append(char(kSb));
    out.append(char(kComPort));
    out.append(char(command));
    for (char byte : value) {
        out.append(byte);
        if (static_cast<unsigned char>(byte) == kIac)
            out.append(byte);
    }
    out.append(char(kIac));
    out.append(char(kSe));
    return out;
}

QByteArray bigEndian32(qint32 value)
{
    const quint32 v = quint32(value);
    QByteArray out(4, '\0');
    out[0] = char(v >> 24);
    out[1] = char(v >> 16);
    out[2] = char(v >> 8);
    out[3] = char(v);
    return out;
}

} // namespace

TelnetCodec::TelnetCodec(qint32 rate) : m_rate(rate) {}

QByteArray TelnetCodec::start()
{
    QByteArray out;
    for (unsigned char option : {kBinary, kSuppressGoAhead}) {
        m_us[option] = Side::WantYes;
        appendVerb(out, kWill, option);
        m_him[option] = Side::WantYes;
        appendVerb(out, kDo, option);
    }
    m_us[kComPort] = Side::WantYes;
    appendVerb(out, kWill, kComPort);
    return out;
}

void TelnetCodec::receive(const char *bytes, qsizetype count, QByteArray &data, QByteArray &reply)
{
    for (qsizetype i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        switch (m_state) {
        case State::Data:
            if (byte == kIac)
                m_state = State::Iac;
            else
                takeDataByte(byte, data);
            break;
        case State::Iac:
            if (byte == kIac) {
                takeDataByte(byte, data);
                m_state = State::Data;
            } else if (byte >= kWill) {
                m_verb = byte;
                m_state = State::Verb;
            } else if (byte == kSb) {
                m_sub.clear();
                m_subTooLong = false;
                m_state = State::Sub;
            } else {
                m_state = State::Data; // NOP, GA, AYT and the like carry nothing for the link
            }
            break;
        case State::Verb:
            takeVerb(m_verb, byte, reply);
            m_state = State::Data;
            break;
        case State::Sub:
            if (byte == kIac) {
                m_state = State::SubIac;
            } else if (m_sub.size() < kMaxSubnegotiation) {
                m_sub.append(char(byte));
            } else {
                m_subTooLong = true;
            }
            break;
        case State::SubIac:
            if (byte == kSe) {
                takeSubnegotiation();
                m_state = State::Data;
            } else {
                // IAC IAC is a 0xFF of the value; anything else after IAC ends it badly.
                if (byte == kIac && m_sub.size() < kMaxSubnegotiation)
                    m_sub.append(char(byte));
                else if (byte == kIac)
                    m_subTooLong = true;
                m_state = byte == kIac ? State::Sub : State::Data;
            }
            break;
        }
    }
}

void TelnetCodec::takeDataByte(unsigned char byte, QByteArray &data)
{
    // Without the binary option a server sends CR as CR NUL: the NUL is not the device's.
    if (byte == 0 && m_afterCr && m_him[kBinary] != Side::Yes) {
        m_afterCr = false;
        return;
    }
    m_afterCr = byte == '\r';
    data.append(char(byte));
}

void TelnetCodec::takeVerb(unsigned char verb, unsigned char option, QByteArray &reply)
{
    switch (verb) {
    case kWill: takeWill(option, reply); break;
    case kWont: takeWont(option, reply); break;
    case kDo: takeDo(option, reply); break;
    default: takeDont(option, reply); break;
    }
    checkReady();
}

// A request to enable an option on one side: agreed to for an option the link uses,
// refused once for any other, unanswered when it changes nothing. True when the side
// has just been enabled.
bool TelnetCodec::takeEnableRequest(Side &side, bool &refused, unsigned char option, unsigned char agree,
                                    unsigned char refuse, QByteArray &reply)
{
    if (side == Side::WantYes) {
        side = Side::Yes;
        return true;
    }
    if (side != Side::No)
        return false;
    if (usedOption(option)) {
        side = Side::Yes;
        appendVerb(reply, agree, option);
        return true;
    }
    if (!refused) {
        refused = true;
        appendVerb(reply, refuse, option);
    }
    return false;
}

void TelnetCodec::takeWill(unsigned char option, QByteArray &reply)
{
    takeEnableRequest(m_him[option], m_himRefused[option], option, kDo, kDont, reply);
}

void TelnetCodec::takeWont(unsigned char option, QByteArray &reply)
{
    Side &side = m_him[option];
    if (side == Side::Yes)
        appendVerb(reply, kDont, option);
    side = Side::No;
}

void TelnetCodec::takeDo(unsigned char option, QByteArray &reply)
{
    if (takeEnableRequest(m_us[option], m_usRefused[option], option, kWill, kWont, reply) && option == kComPort)
        portControlAccepted(reply);
}

void TelnetCodec::takeDont(unsigned char option, QByteArray &reply)
{
    Side &side = m_us[option];
    if (side == Side::Yes)
        appendVerb(reply, kWont, option);
    const bool asked = side != Side::No;
    side = Side::No;
    if (option == kComPort && asked && m_outcome == Outcome::Negotiating) {
        qCDebug(linkLog, "the server refuses port control");
        m_outcome = Outcome::Refused;
    }
}

// The line the program always uses: the rate asked for, 8 data bits, no parity, one
// stop bit.
void TelnetCodec::portControlAccepted(QByteArray &reply)
{
    if (m_lineSent)
        return;
    m_lineSent = true;
    reply += portCommand(kSetBaudRate, bigEndian32(m_rate));
    reply += portCommand(kSetDataSize, QByteArray(1, char(kEightDataBits)));
    reply += portCommand(kSetParity, QByteArray(1, char(kNoParity)));
    reply += portCommand(kSetStopSize, QByteArray(1, char(kOneStopBit)));
}

void TelnetCodec::takeSubnegotiation()
{
    if (m_subTooLong) {
        qCDebug(linkLog, "a subnegotiation over %d bytes dropped", kMaxSubnegotiation);
        return;
    }
    if (m_sub.size() < 2 || static_cast<unsigned char>(m_sub[0]) != kComPort)
        return;
    const int command = static_cast<unsigned char>(m_sub[1]) - kServerReply;
    if (command < kSetBaudRate || command > kSetStopSize)
        return; // line and modem state notices, purge confirmations: nothing to do
    if (command == kSetBaudRate) {
        if (m_sub.size() < 6)
            return;
        const auto b = [this](int i) { return quint32(static_cast<unsigned char>(m_sub[i])); };
        m_confirmedRate = qint32((b(2) << 24) | (b(3) << 16) | (b(4) << 8) | b(5));
    }
    m_confirmed |= 1u << command;
    checkReady();
}

void TelnetCodec::checkReady()
{
    if (m_outcome != Outcome::Negotiating || m_us[kComPort] != Side::Yes || m_confirmed != kAllConfirmed)
        return;
    // An offer still unanswered would change how CR goes on the wire.
    for (unsigned char option : {kBinary, kSuppressGoAhead}) {
        if (m_us[option] == Side::WantYes || m_him[option] == Side::WantYes)
            return;
    }
    m_outcome = Outcome::Ready;
}

QByteArray TelnetCodec::encode(const char *bytes, qsizetype count) const
{
    QByteArray out;
    out.reserve(count + count / 8 + 1);
    const bool binary = m_us[kBinary] == Side::Yes;
    for (qsizetype i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out.append(char(byte));
        if (byte == kIac)
            out.append(char(kIac));
        else if (byte == '\r' && !binary)
            out.append('\0');
    }
    return out;
}

QByteArray TelnetCodec::purgeCommand() const
{
    return portCommand(kPurgeData, QByteArray(1, char(kPurgeBoth)));
}

} // namespace tavrin
