#pragma once

#include "protocol/moduleoperationhost.h" // WaitWindowKind

#include <QWidget>

class QLabel;
class QProgressBar;

namespace tavrin {

// The progress window shown, without blocking, while a module operation runs. The user
// cannot close it; the operation that opened it destroys it.
class TFormWait : public QWidget {
    Q_OBJECT
public:
    explicit TFormWait(QWidget *owner);

    WaitWindowKind WaitKind = WaitWindowKind::StateReading; // what the window names

    // Sets the bar's maximum; a bar already under way keeps its position.
    void setMaximum(int maximum);
    // Moves the bar one step on and repaints it at once.
    void advance();
    // Moves the bar to its end and repaints it at once.
    void complete();

protected:
    void showEvent(QShowEvent *event) override; // FormShow
    void closeEvent(QCloseEvent *event) override;

private:
    void FormShow();

    QLabel *m_operationLine1 = nullptr; // the two lines naming the operation
    QLabel *m_operationLine2 = nullptr;
    QProgressBar *m_progressBar = nullptr;
    bool m_shownOnce = false;
};

} // namespace tavrin
