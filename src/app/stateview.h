#pragma once

#include "protocol/moduleoperationhost.h"

#include <QGroupBox>

#include <array>

class QLabel;
class QPushButton;

namespace tavrin {

class PanelStatusBar;
class TFormWait;
class WindowDialogs;

// The state view (gb_state): the six values of a state reading with their captions, the
// pair buttons, "Обновить" (also Esc while the view is shown) and "Выход". It is the
// module operations' host: the values, the wait window over the main window, the
// confirmation, the address dialog and the operation text in the status bar.
class StateView : public QGroupBox, public ModuleOperationHost {
    Q_OBJECT
public:
    // window: the main window, which owns the wait window and the dialogs.
    StateView(WindowDialogs &dialogs, PanelStatusBar &statusBar, QWidget &window, QWidget *parent);

    // The live settings' stored peer address, which the address dialog edits.
    void setStoredPeerAddress(MacAddress *address) { m_storedPeerAddress = address; }
    // Destroys a wait window an operation left open.
    void destroyWaitWindow();

    // ModuleOperationHost
    bool askConfirmation(const QString &title, const QString &text) override;
    std::optional<MacAddress> askPeerAddress() override;
    void openWaitWindow(WaitWindowKind kind, int maximum) override;
    void advanceWaitWindow() override;
    void completeWaitWindow() override;
    void closeWaitWindow() override;
    void setBusyCursor(bool busy) override;
    void setOperationText(const QString &text) override;
    void hideStateView() override;
    void showState(const DeviceState &state) override;
    void leaveView() override;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    void refreshRequested();
    void createPairRequested();
    void breakPairRequested();
    // "Выход", or an operation that failed.
    void exitRequested();

private:
    void createValues();
    QLayout *createButtons();
    TFormWait *waitWindow() const;

    WindowDialogs &m_dialogs;
    PanelStatusBar &m_statusBar;
    QWidget &m_window;
    MacAddress *m_storedPeerAddress = nullptr;
    std::array<QLabel *, 6> m_values{};
    QPushButton *m_refreshButton = nullptr;
    QPushButton *m_createPairButton = nullptr;
    QPushButton *m_breakPairButton = nullptr;
};

// The hourglass over the whole program, or the normal cursor; absolute, not counted.
void SetBusyCursor(bool busy);

} // namespace tavrin
