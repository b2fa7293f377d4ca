#pragma once

#include <QByteArray>

#include <array>

namespace tavrin {

// The Telnet side of a link to a serial port served over TCP with remote port control
// (the "COM port control" option of Telnet): the client's negotiation, the line settings
// it asks for, the escaping of data bytes both ways, and the server's commands taken out
// of the byte stream so that only the device's own bytes come through.
//
// A server cannot make it grow or loop: a subnegotiation longer than
// kMaxSubnegotiation is dropped, options other than the few it uses are refused once
// each, and it answers a request only when the request changes an option's state.
class TelnetCodec {
public:
    static constexpr int kMaxSubnegotiation = 4096;

    enum class Outcome {
        Negotiating, // the port is not yet set
        Ready,       // the server took the port control option and confirmed the line
        Refused,     // the server will not control the port
    };

    // rate: the line rate asked of the server, in bit/s.
    explicit TelnetCodec(qint32 rate);

    // The client's opening offers, to be sent as soon as the connection stands.
    QByteArray start();
    // Takes bytes received from the server: the device's bytes are appended to data,
    // answers owed to the server to reply (to be sent at once).
    void receive(const char *bytes, qsizetype count, QByteArray &data, QByteArray &reply);
    // The device's bytes as they go on the wire.
    QByteArray encode(const char *bytes, qsizetype count) const;
    // Asks the server to discard what it holds in both directions.
    QByteArray purgeCommand() const;

    Outcome outcome() const { return m_outcome; }
    // The rate the server reported it set; 0 until it has.
    qint32 confirmedRate() const { return m_confirmedRate; }

private:
    // One side of one option, kept as in the usual Telnet option state machine, so a
    // request answered is never answered again and two peers cannot loop.
    enum class Side : unsigned char { No, Yes, WantYes };
    enum class State : unsigned char { Data, Iac, Verb, Sub, SubIac };

    void takeVerb(unsigned char verb, unsigned char option, QByteArray &reply);
    bool takeEnableRequest(Side &side, bool &refused, unsigned char option, unsigned char agree,
                           unsigned char refuse, QByteArray &reply);
    void takeWill(unsigned char option, QByteArray &reply);
    void takeWont(unsigned char option, QByteArray &reply);
    void takeDo(unsigned char option, QByteArray &reply);
    void takeDont(unsigned char option, QByteArray &reply);
    void takeSubnegotiation();
    void takeDataByte(unsigned char byte, QByteArray &data);
    void portControlAccepted(QByteArray &reply);
    void checkReady();

    const qint32 m_rate;
    std::array<Side, 256> m_us{};  // what we do
    std::array<Side, 256> m_him{}; // what the server does
    // An option asked for and refused, per side: not answered again.
    std::array<bool, 256> m_usRefused{};
    std::array<bool, 256> m_himRefused{};
    State m_state = State::Data;
    unsigned char m_verb = 0;
    QByteArray m_sub;
    bool m_subTooLong = false;
    bool m_afterCr = false;
    bool m_lineSent = false;
    unsigned m_confirmed = 0; // one bit per line setting the server confirmed
    qint32 m_confirmedRate = 0;
    Outcome m_outcome = Outcome::Negotiating;
};

} // namespace tavrin
