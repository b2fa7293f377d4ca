// What the device link and the module operations get from the main window: status
// texts, the log, the cursor, message boxes, the event loop and the keyboard watch,
// and the bookkeeping that lets a close wait for a running operation.

#include "app/exchangelogview.h"
#include "app/formmain.h"
#include "app/keyfilter.h"
#include "dialogs/messagebox.h"
#include "dialogs/panelstatusbar.h"
#include "link/eventloop.h"

#include <QApplication>
#include <QTimer>

namespace tavrin {

TFormMain::OperationScope::OperationScope(TFormMain &window) : m_window(window)
{
    ++m_window.m_operations;
}

TFormMain::OperationScope::~OperationScope()
{
    --m_window.m_operations;
}

bool TFormMain::operationRunning() const
{
    return m_operations > 0 || Channel.busy;
}

// Runs from the event loop, so the handler that held the operation has returned
// completely by the time the close sequence starts.
void TFormMain::retryPendingClose()
{
    if (!m_closePending)
        return;
    if (operationRunning()) {
        m_closeRetry->start();
        return;
    }
    close();
}

QWidget *TFormMain::messageParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return this;
}

void TFormMain::ShowMessage(const QString &text)
{
    if (m_cancel)
        return; // the window is closing: nobody is left to read it
    OperationScope operation(*this);
    if (MessageHook)
        MessageHook(MessageKind::Message, text);
    else
        runMessageBox(text, QMessageBox::Ok);
}

bool TFormMain::AskQuestion(const QString &text)
{
    if (m_cancel)
        return false; // the window is closing: nothing is retried
    OperationScope operation(*this);
    const bool yes = MessageHook ? MessageHook(MessageKind::Question, text)
                                 : runMessageBox(text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    return yes && !m_cancel;
}

int TFormMain::runMessageBox(const QString &text, QMessageBox::StandardButtons buttons)
{
    PlainMessageBox box(text, buttons, messageParent());
    // The box takes its own keys and shows the normal cursor, even inside a loop that
    // watches the keyboard under the hourglass.
    const int watch = m_keyboard->suspend();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QPointer<QWidget> previous = m_modal;
    m_modal = &box;
    const int answer = box.exec();
    m_modal = previous;
    QApplication::restoreOverrideCursor();
    m_keyboard->resume(watch);
    return answer;
}

void TFormMain::setActivityText(const QString &text)
{
    StatusBar1->setPanelText(3, text);
}

void TFormMain::setResultText(const QString &text)
{
    StatusBar1->setPanelText(2, text);
}

TraceLog &TFormMain::log()
{
    return *Memo1;
}

void TFormMain::setBusyCursor(bool busy)
{
    if (busy) {
        if (!QApplication::overrideCursor())
            QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

bool TFormMain::askYesNo(const QString &text)
{
    return AskQuestion(text);
}

void TFormMain::processEvents()
{
    processPendingEvents();
}

void TFormMain::waitForEvents()
{
    waitForAnyEvent();
}

void TFormMain::watchKeyboard(bool on)
{
    if (on)
        m_keyboard->start();
    else
        m_keyboard->stop();
}

bool TFormMain::takeEscape()
{
    return m_keyboard->takeEscape();
}

} // namespace tavrin
