// The state reading: PING, PEERADDR unless PING answered it, DEVADDR and VER, with a
// pause before each command after the first; then the state view or no view.

#include "protocol/commandtable.h"
#include "protocol/moduleoperation.h"
#include "protocol/moduleoperations.h"
#include "protocol/operationtexts.h"
#include "protocol/replyrules.h"
#include "protocol/replytokens.h"

namespace tavrin {

namespace {

using namespace operationtext;
using namespace operationtiming;

constexpr int kProgressSteps = 4;

// The address the reply to row carries, in display form; nothing, after telling the
// user that the reply is not understood, when it carries none.
std::optional<QString> ShownAddress(ModuleOperation &op, int row)
{
    const std::optional<MacAddress> address = ReplyAddress(op.reply());
    if (!address) {
        op.tell(UndefinedReplyTo(row));
        return std::nullopt;
    }
    return AddressDisplayText(*address);
}

// PING: whether a peripheral is connected, and whether it is paired or waits for KEEP
// (then with its address, and PEERADDR is not asked). False ends the run.
bool ReadConnection(ModuleOperation &op, DeviceState &state)
{
    if (!op.send(RowPing))
        return false;
    op.host.advanceWaitWindow();
    const char *reply = op.reply();
    if (ReplyHas(reply, token::Connected)) {
        state.connection = state.pair = Yes;
        state.pairExists = true;
        return true;
    }
    if (ReplyHas(reply, token::WaitForKeep)) {
        state.connection = Yes;
        state.pair = No;
        const std::optional<QString> peer = ShownAddress(op, RowPing);
        if (!peer)
            return false;
        state.peerAddress = *peer;
        state.peerWaiting = true;
        return true;
    }
    if (ReplyHas(reply, token::NoConnection)) {
        state.connection = No;
        return true;
    }
    op.tell(UndefinedReplyTo(RowPing));
    return false;
}

// PEERADDR: the stored pair, if any. "No Peer" wins over an address in the same reply.
bool ReadPair(ModuleOperation &op, DeviceState &state)
{
    op.pause(kCommandGapMs);
    if (!op.send(RowPeerAddr))
        return false;
    op.host.advanceWaitWindow();
    const char *reply = op.reply();
    state.pairExists = false;
    if (ReplyHas(reply, token::NoPeer)) {
        state.pair = No;
        state.peerAddress = NoAddress;
        return true;
    }
    const std::optional<QString> peer = ShownAddress(op, RowPeerAddr);
    if (!peer)
        return false;
    state.peerAddress = *peer;
    state.pair = Yes;
    state.pairExists = true;
    return true;
}

// DEVADDR: the module's own address, checked for its colon count only.
bool ReadOwnAddress(ModuleOperation &op, DeviceState &state)
{
    op.pause(kCommandGapMs);
    if (!op.send(RowDevAddr))
        return false;
    op.host.advanceWaitWindow();
    const std::optional<QString> own = ShownAddress(op, RowDevAddr);
    if (!own)
        return false;
    state.ownAddress = *own;
    return true;
}

// VER: checked for its echo only; a reply without a value shows an empty version.
bool ReadVersion(ModuleOperation &op, DeviceState &state)
{
    op.pause(kCommandGapMs);
    if (!op.send(RowVer))
        return false;
    op.host.completeWaitWindow();
    state.version = VersionValue(op.reply());
    return true;
}

} // namespace

void ReadDeviceState(ProtocolContext &context, ModuleOperationHost &host)
{
    ModuleOperation op{context, host};
    host.setBusyCursor(true);
    host.setOperationText(ReadingState);
    host.hideStateView();
    context.fields.PairExists = false;
    // A pair creation's wait window goes on under this maximum.
    host.openWaitWindow(WaitWindowKind::StateReading, kProgressSteps);

    DeviceState state;
    // PING has told the peripheral's address when one waits for KEEP.
    const bool read = ReadConnection(op, state) && (state.peerWaiting || ReadPair(op, state)) &&
                      ReadOwnAddress(op, state) && ReadVersion(op, state);
    context.fields.PairExists = state.pairExists;

    host.setOperationText(QString());
    host.setBusyCursor(false);
    host.closeWaitWindow();
    // A failed run's values are dropped with the hidden panel.
    if (!read) {
        host.leaveView();
        return;
    }
    state.mode = state.pairExists ? Operational : Commissioning;
    host.showState(state);
}

} // namespace tavrin
