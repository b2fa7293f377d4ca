#pragma once

#include <QElapsedTimer>
#include <QFrame>

class QLabel;
class QPushButton;
class QTimer;

namespace tavrin {

// The phone-call panel (pnmodem): the call's duration, counted once a second on a
// monotonic clock, and "Отключить связь". Its caption stays on one line where the window
// has room for it and wraps where a large font leaves too little, so that the main
// window still fits a screen of 1280 pixels.
class CallPanel : public QFrame {
    Q_OBJECT
public:
    explicit CallPanel(QWidget *parent);

    // The call began: the duration from 00:00:00, its clock running.
    void startCall();
    void stopClock();
    QPushButton *disconnectButton() const { return m_disconnectButton; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    void disconnectClicked();

private:
    void onClockTick();

    QLabel *m_caption = nullptr;
    QLabel *m_duration = nullptr;
    QPushButton *m_disconnectButton = nullptr;
    QTimer *m_clockTimer = nullptr;
    QElapsedTimer m_clock;
};

} // namespace tavrin
