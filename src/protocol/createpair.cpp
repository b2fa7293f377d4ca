// Pair creation: with the peripheral that waits for KEEP, after the user's confirmation,
// or with an address typed in the address dialog; the pair read back; a state reading
// at the end.

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

constexpr int kProgressSteps = 5;
constexpr int kAddressPasses = 2;

// KEEP for the peripheral whose address the PING reply carries, once the user agrees.
// True when the module accepted it and the pair is to be read back.
bool PairWithConnectedPeer(ModuleOperation &op)
{
    const std::optional<MacAddress> peer = ReplyAddress(op.reply());
    if (!peer) {
        op.tell(UndefinedReplyTo(RowPing));
        return false;
    }
    op.context.fields.TargetPeerAddress = *peer;
    if (!op.confirm(ConfirmationTitle, ConfirmPair(AddressDisplayText(*peer))))
        return false;
    const bool kept = op.send(RowKeep, 1, 0); // never repeated
    op.host.advanceWaitWindow();
    op.pause(kSettleAfterMs);
    if (!kept)
        return false;
    const char *reply = op.reply();
    // Tested in this order: a reply holding both complaints reports no connection.
    if (ReplyHas(reply, token::NoConnection))
        op.tell(KeepNoConnection);
    else if (ReplyHas(reply, token::MemError))
        op.tell(KeepMemError);
    else if (AddressReply(reply))
        return true; // whatever address it carries: the reading back compares
    else
        op.tell(PairResultUnknown);
    return false;
}

// RESET and the pause for the module's restart; true when RESET was answered.
bool Restart(ModuleOperation &op)
{
    const bool reset = op.send(RowReset);
    op.pause(kCommandGapMs);
    return reset;
}

enum class CleanUp { Done, Failed, LastResetFailed };

// RESET, KILL, RESET: the module forgets a pair it stored wrongly or could not store.
CleanUp ForgetWrongPair(ModuleOperation &op)
{
    if (!Restart(op))
        return CleanUp::Failed;
    const bool killed = op.send(RowKill, 1, 0);
    op.pause(kSettleAfterMs);
    if (!killed)
        return CleanUp::Failed;
    return Restart(op) ? CleanUp::Done : CleanUp::LastResetFailed;
}

// One PEERADDR(address) and what follows it: a restart when the module reports the
// address sent, else the clean-up.
CleanUp WriteTargetAddress(ModuleOperation &op)
{
    if (!op.send(RowPeerAddrWith))
        return CleanUp::Failed;
    op.pause(kCommandGapMs);
    op.host.advanceWaitWindow();
    const char *reply = op.reply();
    if (!ReplyHas(reply, token::MemError)) {
        const std::optional<MacAddress> reported = ReplyAddress(reply);
        if (!reported) {
            op.tell(PairResultUnknown);
            return CleanUp::Failed;
        }
        ProtocolFields &fields = op.context.fields;
        fields.ReportedPeerAddress = *reported;
        if (fields.ReportedPeerAddress == fields.TargetPeerAddress)
            return Restart(op) ? CleanUp::Done : CleanUp::Failed;
    }
    return ForgetWrongPair(op);
}

// PEERADDR with the address the user types, in up to two passes: a second one only
// when the clean-up's last RESET failed. True when the pair is to be read back, also
// after a clean-up that ended well (the reading back then finds no pair).
bool PairWithAddress(ModuleOperation &op)
{
    const std::optional<MacAddress> typed = op.askPeerAddress();
    if (!typed)
        return false;
    op.context.fields.TargetPeerAddress = *typed;
    for (int pass = 0; pass < kAddressPasses; ++pass) {
        switch (WriteTargetAddress(op)) {
        case CleanUp::Done:
            return true;
        case CleanUp::Failed:
            return false;
        case CleanUp::LastResetFailed:
            break;
        }
    }
    op.tell(PairImpossible);
    return false;
}

// PEERADDR, and the outcome told by comparing its address with the one aimed at.
void VerifyPair(ModuleOperation &op)
{
    if (!op.send(RowPeerAddr))
        return;
    op.host.advanceWaitWindow();
    const char *reply = op.reply();
    if (ReplyHas(reply, token::NoPeer)) {
        op.tell(PairNotCreated);
        return;
    }
    const std::optional<MacAddress> reported = ReplyAddress(reply);
    if (!reported) {
        op.tell(UndefinedReplyTo(RowPeerAddr));
        return;
    }
    ProtocolFields &fields = op.context.fields;
    fields.ReportedPeerAddress = *reported;
    op.tell(fields.ReportedPeerAddress == fields.TargetPeerAddress ? PairCreated : PairWrongAddress);
}

// The road the PING reply just received chooses.
void PairAsPingSays(ModuleOperation &op)
{
    const char *reply = op.reply();
    if (ReplyHas(reply, token::Connected)) {
        op.tell(PairExistsAlready);
    } else if (ReplyHas(reply, token::WaitForKeep)) {
        if (PairWithConnectedPeer(op))
            VerifyPair(op);
    } else if (ReplyHas(reply, token::NoConnection)) {
        if (PairWithAddress(op))
            VerifyPair(op);
    } else {
        op.tell(UndefinedReplyTo(RowPing));
    }
}

} // namespace

void CreatePair(ProtocolContext &context, ModuleOperationHost &host)
{
    ModuleOperation op{context, host};
    host.setBusyCursor(true);
    host.setOperationText(CreatingPair);
    host.hideStateView();
    context.fields.TargetPeerAddress = {};
    context.fields.ReportedPeerAddress = {};
    host.openWaitWindow(WaitWindowKind::PairCreation, kProgressSteps);

    if (op.send(RowPing)) {
        host.advanceWaitWindow();
        PairAsPingSays(op);
    }
    if (op.closing()) {
        // The window closes: no state reading follows.
        host.closeWaitWindow();
        host.setOperationText(QString());
        host.setBusyCursor(false);
        return;
    }
    op.pause(kCommandGapMs);
    // It reuses this wait window, which keeps naming the pair creation, and closes it.
    ReadDeviceState(context, host);
    host.closeWaitWindow();
}

} // namespace tavrin
