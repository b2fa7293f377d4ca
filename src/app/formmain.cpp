#include "app/formmain.h"

#include "app/apptexts.h"
#include "app/errorreport.h"
#include "app/exchangelogview.h"
#include "app/windowgeometry.h"
#include "dialogs/panelstatusbar.h"
#include "link/serialport.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace tavrin {

using namespace geometry;

TFormMain::TFormMain(const QString &executableDir, const LinkTiming &timing, QWidget *parent)
    : QMainWindow(parent), Timing(timing)
{
    FormCreate(executableDir);
}

TFormMain::~TFormMain()
{
    // A window destroyed without its close sequence (a test, an aborted start) still
    // lets go of the port; the settings are written only by the close sequence.
    if (PortHandle)
        ClosePort(PortHandle);
    Channel.port = nullptr;
}

void TFormMain::FormCreate(const QString &executableDir)
{
    setObjectName(QStringLiteral("FormMain"));
    createControls();

    // The channel reports into status panels 3 and 2 and the log, all through this window.
    Channel.ui = this;
    Channel.settings = &Store.CurrentSettings;
    Channel.linkState = &Link;
    Channel.timing = Timing;

    Store.LoadSettings(executableDir);

    gb_command->hide();
    gb_state->hide();
    gb_obmen->hide();
    pnmodem->hide();

    Label2->setFont(Memo1->font());
    Label2->adjustSize();
    lineHeight = Label2->height();
    Label2->hide();
    Memo1->setLineHeight(lineHeight);
    ClearLog();
    ScrollBox1->verticalScrollBar()->setSingleStep(lineHeight);

    setWindowTitle(apptext::Caption());
    resize(kWindowWidth, kWindowHeight);
    TimerStart->start();
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Restoring a minimised window is not a new start.
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFormMain::FormShow()
{
    resize(kWindowWidth, kWindowHeight);
    if (QScreen *display = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(display->availableGeometry().center());
        move(frame.topLeft());
    }
    Npair_create->setVisible(false);
    Npair_break->setVisible(false);
    TimerStart->start();
}

void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFormMain::FormResize()
{
    // The status bar is laid out inside the central widget; its width is the window's.
    const int barWidth = centralWidget() ? centralWidget()->width() : width();
    StatusBar1->setPanelWidth(2, barWidth - StatusBar1->panelWidth(0) - StatusBar1->panelWidth(1) - 60);
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == Panel1)
            placeAnchoredControls();
        else if (ScrollBox1 && watched == ScrollBox1->viewport())
            Memo1->fitWidth();
    }
    for (QLineEdit *edit : a) {
        if (watched != edit)
            continue;
        // Ctrl+Z is the window's hidden menu key, also while a field is being edited:
        // the field does not claim it for its own undo, so the window's shortcut runs.
        if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Z && key->modifiers() == Qt::ControlModifier)
                return true;
        }
        if (event->type() == QEvent::KeyPress)
            return aKeyPress(edit, static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            // Switching to another program or opening the field's context menu is not
            // leaving the field.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                aExit(edit->property("tag").toInt());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::NexitClick()
{
    close();
}

void TFormMain::setMenuEnabled(bool enabled)
{
    Nconn->setEnabled(enabled);
    Nnastr->menuAction()->setEnabled(enabled);
    Nexit->setEnabled(enabled);
}

void TFormMain::BitBtnExitClick()
{
    gb_command->hide();
    gb_state->hide();
    gb_obmen->hide();
    StatusBar1->setPanelText(2, QString());
    setMenuEnabled(true);
    ViewMode = 0;
}

void TFormMain::N_secretClick()
{
    if (ViewMode == 2)
        gb_obmen->setVisible(!gb_obmen->isVisible());
}

void TFormMain::BitBtn6Click()
{
    ClearLog();
}

void TFormMain::ClearLog()
{
    Memo1->clearLog();
}

void TFormMain::scrollLogToEnd()
{
    QScrollBar *bar = ScrollBox1->verticalScrollBar();
    if (bar->isVisible())
        bar->setValue(bar->maximum());
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->ignore();
        return;
    }
    if (operationRunning()) {
        // The running loop still uses the channel and the port: it is told to end, and
        // the close comes back once it has unwound.
        event->ignore();
        requestClose();
        return;
    }
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TFormMain::requestClose()
{
    m_closePending = true;
    m_cancel = true;
    Channel.abortRequested = true;
    // A dialog or question open inside the operation is answered as if cancelled.
    if (m_modal)
        m_modal->close();
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != this && isAncestorOf(modal))
        modal->close();
    m_closeRetry->start();
}

bool TFormMain::FormClose()
{
    m_closing = true;
    m_cancel = false; // the hang-up below must run to its end
    m_closePending = false;
    CloseConnection();
    setBusyCursor(true);
    Channel.disarm();
    try {
        Store.WriteBluetoothIni();
    } catch (const std::exception &error) {
        setBusyCursor(false);
        ReportException(error);
        // The first failure keeps the window open, so that the settings are not lost: the
        // user sees which file failed and can close again once it can be written. A
        // second failure lets the window close, or a file that never becomes writable
        // would leave no way out but killing the program.
        if (!m_saveFailedAtClose) {
            m_saveFailedAtClose = true;
            m_closing = false;
            // The link is already dropped: the window goes on as after "Отключить связь".
            if (ViewMode != 0)
                BitBtnExitClick();
            Nnastr->menuAction()->setVisible(false);
            return false;
        }
    }
    setBusyCursor(false);
    m_closing = false;
    m_closed = true;
    emit closed();
    return true;
}

} // namespace tavrin
