#include "protocol/executecommand.h"

#include "link/linkui.h"
#include "protocol/commandtable.h"
#include "protocol/protocollog.h"
#include "protocol/protocoltexts.h"
#include "protocol/replyrules.h"

#include <algorithm>

namespace tavrin {

namespace {

// The cause of a failed command, which the user's message does not name.
void logFailure(const ExchangeChannel &channel, const char *command, CommandOutcome outcome, int attempts)
{
    if (outcome == CommandOutcome::NoEcho) {
        qCDebug(protocolLog, "%s failed after %d attempts: no echo in the reply %s", command, attempts,
                channel.reply());
        return;
    }
    const int result = channel.result;
    const QString text = result >= 0 && result < int(channel.resultTexts.size())
        ? channel.resultTexts[size_t(result)] : QString();
    qCDebug(protocolLog, "%s failed after %d attempts: exchange result %d (%s)", command, attempts, result,
            qUtf8Printable(text));
}

} // namespace

CommandOutcome ExecuteCommand(ProtocolContext &context, int row, int attempts, int pauseMs)
{
    // Rows are the callers' constants; one outside the table sends nothing.
    Q_ASSERT(row >= 0 && row < kCommandRows);
    if (row < 0 || row >= kCommandRows)
        return CommandOutcome::ExchangeFailed;
    const CommandTableEntry &entry = CommandTable()[size_t(row)];
    context.fields.CurrentRow = row;
    const QByteArray text = CommandText(row, context.fields.TargetPeerAddress);
    const int tries = std::clamp(attempts, 1, 255);
    ExchangeChannel &channel = context.channel;

    CommandOutcome outcome = CommandOutcome::ExchangeFailed;
    for (int attempt = 1;; ++attempt) {
        const bool exchanged = RunExchange(channel, text.constData(), int(text.size()));
        context.host.scrollLogToEnd();
        if (exchanged && ReplyHas(channel.reply(), entry.command))
            return CommandOutcome::Ok;
        outcome = exchanged ? CommandOutcome::NoEcho : CommandOutcome::ExchangeFailed;
        // A closing window has already ended this exchange; retrying or showing a
        // message box now would hold the window open on a dead operation.
        if (channel.ui && channel.ui->cancelRequested()) {
            logFailure(channel, entry.command, outcome, attempt);
            return outcome;
        }
        if (attempt >= tries)
            break;
        context.pause(pauseMs);
    }
    logFailure(channel, entry.command, outcome, tries);
    context.host.showMessage(outcome == CommandOutcome::NoEcho ? CommandNoEchoText(entry.command)
                                                               : CommandExchangeFailedText(entry.command));
    return outcome;
}

} // namespace tavrin
