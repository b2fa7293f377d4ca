// Pair break: PEERADDR to see that a pair exists, KILL, the outcome confirmed from the
// KILL reply or by asking PEERADDR again; a state reading at the end.

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

// KILL and its confirmation. A failed command is told by the executor alone.
void KillPair(ModuleOperation &op)
{
    const bool killed = op.send(RowKill, kAttempts, kKillRetryPauseMs);
    op.pause(kSettleAfterMs);
    if (!killed) {
        op.host.setBusyCursor(false);
        return;
    }
    if (ReplyHas(op.reply(), token::PeerDeleted)) {
        op.host.setBusyCursor(false);
        op.tell(PairBroken);
        return;
    }
    // Any other reply to KILL is no failure by itself: the module is asked again.
    const bool readBack = op.send(RowPeerAddr);
    op.host.setBusyCursor(false);
    if (readBack)
        op.tell(ReplyHas(op.reply(), token::NoPeer) ? PairBroken : BreakFailed);
}

} // namespace

void BreakPair(ProtocolContext &context, ModuleOperationHost &host)
{
    ModuleOperation op{context, host};
    host.hideStateView();
    host.setBusyCursor(true);
    host.setOperationText(BreakingPair);
    const bool asked = op.send(RowPeerAddr);
    host.setOperationText(QString());
    if (!asked) {
        // The only road without a state reading at its end.
        host.setBusyCursor(false);
        host.leaveView();
        return;
    }
    // Any reply but "No Peer" counts as a pair being there.
    if (ReplyHas(op.reply(), token::NoPeer)) {
        host.setBusyCursor(false);
        op.tell(NoPairBeforeBreak);
    } else {
        KillPair(op);
    }
    if (!op.closing())
        ReadDeviceState(context, host);
}

} // namespace tavrin
