#include "support/fasttiming.h"

namespace tavrin::test {

LinkTiming FastTiming()
{
    LinkTiming t;
    t.wakeUpPauseMs = 100; // kept real: the wake-up pause is part of what the wire shows
    t.phoneGraceWindowMs = 300;
    t.restorePauseMs = 50;
    t.commandGapMs = 2;
    t.presenceReplyWaitMs = 1000;
    t.escapeGuardMs = 120;
    t.dialPauseMs = 20;
    t.acceptedCommandPauseMs = 10;
    t.gsmLineWaitMs = 1000;
    t.hangUpReplyWaitMs = 1000;
    t.hangUpGuardMs = 120;
    return t;
}

QStringList FastModemArgs()
{
    return {QStringLiteral("--guard-ms"), QStringLiteral("50"), QStringLiteral("--dial-ms"),
            QStringLiteral("100")};
}

} // namespace tavrin::test
