#pragma once

#include "protocol/executecommand.h"
#include "settings/settings.h"

#include <QGroupBox>

namespace tavrin {

class ExchangeLogView;
class MacAddressEdit;
class WindowDialogs;

// The command view (gb_command): one button per module command with its "?" hint, the
// six fields of the stored peer address beside the addressed command, and "Выход". It
// is the commands' host: their messages go to the window's message boxes and the
// newest lines of the log are brought into view after each one.
class CommandView : public QGroupBox, public CommandHost {
    Q_OBJECT
public:
    CommandView(WindowDialogs &dialogs, ExchangeLogView &log, QWidget *parent);

    // Shows the stored peer address in the six fields.
    void showAddress(const MacAddress &address);

    // CommandHost
    void showMessage(const QString &text) override;
    void scrollLogToEnd() override;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    // A command button was pressed; a field still being edited has been left first.
    void commandRequested(int row);
    // Address field index was left with the byte value.
    void addressByteLeft(int index, quint8 value);
    void exitRequested();

private:
    WindowDialogs &m_dialogs;
    ExchangeLogView &m_log;
    MacAddressEdit *m_address = nullptr;
};

} // namespace tavrin
