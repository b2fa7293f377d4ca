// The Telnet codec against a model of the data it must let through: the server's
// stream is cut into reads at places the input chooses, and whatever the cuts, the
// device's bytes are the model's, the answers are the same and stay bounded, and the
// codec's own escaping read back gives the bytes escaped.
#include "fuzzing.h"

#include "link/telnetcodec.h"

using namespace tavrin;
using tavrin::fuzz::check;
using tavrin::fuzz::FuzzInput;

namespace {

constexpr unsigned char kIac = 255;

// The device's bytes in a server stream: IAC IAC is 0xFF; IAC with a verb skips the
// option; a subnegotiation is skipped to its IAC SE; any other IAC command is skipped.
// CR NUL is CR while the server does not send binary (it does after WILL BINARY, which
// the client asked for, and not after WONT BINARY).
QByteArray modelData(const QByteArray &stream)
{
    QByteArray data;
    bool binary = false;
    bool afterCr = false;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        const auto b = static_cast<unsigned char>(stream[i]);
        if (b != kIac) {
            const bool padding = b == 0 && afterCr && !binary;
            if (!padding)
                data.append(char(b));
            afterCr = !padding && b == '\r';
            continue;
        }
        if (++i >= stream.size())
            break;
        const auto c = static_cast<unsigned char>(stream[i]);
        if (c == kIac) {
            data.append(char(kIac));
            afterCr = false;
        } else if (c >= 251) {
            if (++i < stream.size() && stream[i] == 0 && (c == 251 || c == 252))
                binary = c == 251;
        } else if (c == 250) {
            // To the first IAC not followed by IAC; its next byte ends the subnegotiation.
            while (++i < stream.size()) {
                if (static_cast<unsigned char>(stream[i]) != kIac)
                    continue;
                if (++i < stream.size() && static_cast<unsigned char>(stream[i]) == kIac)
                    continue;
                break;
            }
        }
    }
    return data;
}

struct Run {
    QByteArray data;
    QByteArray reply;
    TelnetCodec::Outcome outcome;
    qint32 rate;
};

Run feedInReads(const QByteArray &stream, const QByteArray &cuts)
{
    TelnetCodec codec(38400);
    codec.start();
    Run run{};
    qsizetype at = 0;
    for (qsizetype c = 0; at < stream.size(); ++c) {
        const qsizetype length = cuts.isEmpty() ? stream.size() : 1 + static_cast<unsigned char>(cuts[c % cuts.size()]) % 64;
        const qsizetype take = qMin(length, stream.size() - at);
        codec.receive(stream.constData() + at, take, run.data, run.reply);
        at += take;
    }
    run.outcome = codec.outcome();
    run.rate = codec.confirmedRate();
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const QByteArray cuts = input.bytes(input.byte() % 16);
    const QByteArray stream = input.rest();

    const Run whole = feedInReads(stream, {});
    const Run pieces = feedInReads(stream, cuts.isEmpty() ? QByteArray(1, '\0') : cuts);
    check(whole.data == pieces.data && whole.reply == pieces.reply && whole.outcome == pieces.outcome
              && whole.rate == pieces.rate,
          "the reads a stream is cut into change nothing", stream.toHex(' '));
    check(whole.data == modelData(stream), "the device's bytes are the model's", stream.toHex(' '));
    // At most one answer of three bytes per request of three bytes, and the four line
    // commands once (each at most 16 bytes with every value byte doubled): a server
    // cannot make the answers outgrow what it sends.
    check(whole.reply.size() <= stream.size() + 4 * 16, "the answers stay bounded", stream.toHex(' '));

    // What the codec escapes, a codec reads back as it was (binary agreed both ways).
    TelnetCodec sender(38400);
    sender.start();
    QByteArray ignored;
    const QByteArray agree = QByteArray::fromHex("fffd00fffb00");
    sender.receive(agree.constData(), agree.size(), ignored, ignored);
    const QByteArray wire = sender.encode(stream.constData(), stream.size());
    TelnetCodec receiver(38400);
    receiver.start();
    QByteArray back;
    receiver.receive(agree.constData(), agree.size(), back, ignored);
    receiver.receive(wire.constData(), wire.size(), back, ignored);
    check(back == stream, "escaped bytes read back unchanged", stream.toHex(' '));
    return 0;
}
