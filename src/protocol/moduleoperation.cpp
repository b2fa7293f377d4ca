#include "protocol/moduleoperation.h"

#include "link/linkui.h"
#include "protocol/commandtable.h"
#include "protocol/operationtexts.h"
#include "protocol/replyrules.h"

namespace tavrin {

bool ModuleOperation::closing() const
{
    const LinkUi *ui = context.channel.ui;
    return ui && ui->cancelRequested();
}

bool ModuleOperation::send(int row, int attempts, int pauseMs)
{
    if (closing())
        return false;
    // A reply that completed just as the close arrived is not acted on either.
    return ExecuteCommand(context, row, attempts, pauseMs) == CommandOutcome::Ok && !closing();
}

void ModuleOperation::pause(int ms)
{
    if (!closing())
        context.pause(ms);
}

void ModuleOperation::tell(const QString &text)
{
    if (!closing())
        context.host.showMessage(text);
}

bool ModuleOperation::confirm(const QString &title, const QString &text)
{
    if (closing())
        return false;
    const bool yes = host.askConfirmation(title, text);
    return yes && !closing();
}

std::optional<MacAddress> ModuleOperation::askPeerAddress()
{
    if (closing())
        return std::nullopt;
    const std::optional<MacAddress> address = host.askPeerAddress();
    return closing() ? std::nullopt : address;
}

QString UndefinedReplyTo(int row)
{
    return operationtext::UndefinedReply(CommandTable()[size_t(row)].command);
}

std::optional<MacAddress> ReplyAddress(const char *reply)
{
    if (!AddressReply(reply))
        return std::nullopt;
    return AddressValue(reply);
}

} // namespace tavrin
