#include "app/stateview.h"

#include "app/apptexts.h"
#include "app/windowdialogs.h"
#include "app/windowgeometry.h"
#include "dialogs/enterkey.h"
#include "dialogs/forminputadr.h"
#include "dialogs/formwait.h"
#include "dialogs/panelstatusbar.h"
#include "protocol/operationtexts.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace tavrin {

using namespace geometry;

namespace {

QColor OperationalGreen() { return QColor(0, 128, 0); }
QColor CommissioningMaroon() { return QColor(128, 0, 0); }

QLabel *Caption(const QString &text, const char *objectName, QWidget *parent)
{
    auto *caption = new QLabel(text, parent);
    caption->setObjectName(QLatin1String(objectName));
    caption->setTextFormat(Qt::PlainText);
    return caption;
}

} // namespace

void SetBusyCursor(bool busy)
{
    if (busy) {
        if (!QApplication::overrideCursor())
            QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

StateView::StateView(WindowDialogs &dialogs, PanelStatusBar &statusBar, QWidget &window, QWidget *parent)
    : QGroupBox(apptext::StateViewCaption, parent), m_dialogs(dialogs), m_statusBar(statusBar), m_window(window)
{
    setObjectName(QStringLiteral("gb_state"));
    createValues();
    PressFocusedButtonOnEnter(*this);

    // Esc presses "Обновить" while the state view is shown, as a cancel button would.
    auto *refreshKey = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    refreshKey->setContext(Qt::WindowShortcut);
    connect(refreshKey, &QShortcut::activated, this, [this] {
        if (isVisible() && m_refreshButton->isEnabled())
            m_refreshButton->click();
    });
}

void StateView::createValues()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(16);
    // Each row: its caption (two lines for the addresses) and its value.
    const std::array<std::vector<std::pair<const QString *, const char *>>, 6> captions = {{
        {{&apptext::ModeCaption, "Label10"}},
        {{&apptext::ConnectionCaption, "Label3"}},
        {{&apptext::PairCaption, "Label4"}},
        {{&apptext::MacAddressCaption, "Label5"}, {&apptext::PeripheralCaption, "Label6"}},
        {{&apptext::MacAddressCaption, "Label7"}, {&apptext::CentralCaption, "Label8"}},
        {{&apptext::VersionCaption, "Label9"}},
    }};
    // The widest value a reading shows, so that a larger font never cuts one.
    const QString widest[] = {operationtext::Operational, QStringLiteral("00:00:00:00:00:00"),
                              QStringLiteral("WWWWWWWWWW")};
    for (int row = 0; row < 6; ++row) {
        auto *lines = new QVBoxLayout;
        lines->setSpacing(0);
        for (const auto &[text, name] : captions[size_t(row)])
            lines->addWidget(Caption(*text, name, this));
        grid->addLayout(lines, row, 0, Qt::AlignVCenter);

        auto *value = new QLabel(this);
        value->setObjectName(QStringLiteral("ls%1").arg(row));
        value->setTextFormat(Qt::PlainText); // device text, never markup
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        value->setMargin(2);
        int width = 0;
        for (const QString &text : widest)
            width = std::max(width, value->fontMetrics().horizontalAdvance(text));
        value->setMinimumSize(width + 2 * (value->frameWidth() + value->margin()) + 4,
                              std::max(28, value->fontMetrics().height() + 2 * (value->frameWidth() + value->margin())));
        grid->addWidget(value, row, 1, Qt::AlignVCenter);
        m_values[size_t(row)] = value;
    }
    grid->setColumnStretch(1, 1);
    // The rows of the two-line address captions stand further apart.
    grid->setRowMinimumHeight(2, 30);
    grid->setRowMinimumHeight(3, 36);
    grid->setRowMinimumHeight(4, 34);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(13, 16, 13, 13);
    layout->addLayout(grid);
    layout->addSpacing(40);
    layout->addLayout(createButtons());
}

QLayout *StateView::createButtons()
{
    auto button = [this](const QString &text, const char *name, QSize design) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        AtLeast(b, design);
        return b;
    };
    m_breakPairButton = button(apptext::BreakPair, "BitBtn1", {180, 34});
    m_createPairButton = button(apptext::CreatePair, "BitBtn4", {180, 34});
    m_refreshButton = button(apptext::Refresh, "BitBtn2", {130, 34});
    QPushButton *exitButton = button(apptext::Exit, "BitBtn5", {100, 34});
    connect(m_breakPairButton, &QPushButton::clicked, this, &StateView::breakPairRequested);
    connect(m_createPairButton, &QPushButton::clicked, this, &StateView::createPairRequested);
    connect(m_refreshButton, &QPushButton::clicked, this, &StateView::refreshRequested);
    connect(exitButton, &QPushButton::clicked, this, &StateView::exitRequested);

    auto *pair = new QHBoxLayout;
    pair->setSpacing(18);
    pair->addWidget(m_breakPairButton);
    pair->addWidget(m_createPairButton);
    pair->addStretch();
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_refreshButton);
    bottom->addStretch();
    bottom->addWidget(exitButton);
    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(0);
    buttons->addLayout(pair);
    buttons->addStretch(1);
    buttons->addLayout(bottom);
    return buttons;
}

QSize StateView::minimumSizeHint() const
{
    return QGroupBox::minimumSizeHint().expandedTo(kViewSize);
}

QSize StateView::sizeHint() const
{
    return QGroupBox::sizeHint().expandedTo(kViewSize);
}

bool StateView::askConfirmation(const QString &title, const QString &text)
{
    return m_dialogs.askYesNo(text, title);
}

std::optional<MacAddress> StateView::askPeerAddress()
{
    if (!m_storedPeerAddress)
        return std::nullopt;
    // Typed into under the normal cursor; a closing window cancels it.
    TFormInput_Adr dialog(*m_storedPeerAddress, &m_window);
    if (m_dialogs.presenter())
        dialog.showMessage = [this](const QString &text) { m_dialogs.showMessage(text); };
    if (m_dialogs.run(dialog) != QDialog::Accepted)
        return std::nullopt;
    return *m_storedPeerAddress;
}

TFormWait *StateView::waitWindow() const
{
    return m_window.findChild<TFormWait *>(QString(), Qt::FindDirectChildrenOnly);
}

void StateView::openWaitWindow(WaitWindowKind kind, int maximum)
{
    if (TFormWait *open = waitWindow()) {
        open->setMaximum(maximum);
        return;
    }
    auto *wait = new TFormWait(&m_window);
    // It only shows progress: the keyboard stays with the main window, so Esc and
    // Ctrl+Z work as soon as the operation ends.
    wait->setAttribute(Qt::WA_ShowWithoutActivating);
    wait->WaitKind = kind;
    wait->setMaximum(maximum);
    wait->show();
    wait->repaint();
}

void StateView::advanceWaitWindow()
{
    if (TFormWait *wait = waitWindow())
        wait->advance();
}

void StateView::completeWaitWindow()
{
    if (TFormWait *wait = waitWindow())
        wait->complete();
}

void StateView::closeWaitWindow()
{
    // Where the platform gave it the keyboard all the same, the keyboard comes back to
    // the main window, as to the owner of any window that closes.
    const TFormWait *wait = waitWindow();
    const bool hadKeyboard = wait && wait->isActiveWindow();
    destroyWaitWindow();
    if (hadKeyboard)
        m_window.activateWindow();
}

void StateView::destroyWaitWindow()
{
    // At most one, owned by the main window.
    qDeleteAll(m_window.findChildren<TFormWait *>(Qt::FindDirectChildrenOnly));
}

void StateView::setBusyCursor(bool busy)
{
    SetBusyCursor(busy);
}

void StateView::setOperationText(const QString &text)
{
    m_statusBar.setPanelText(StatusPanel::Operation, text);
}

void StateView::hideStateView()
{
    hide();
    for (QLabel *value : m_values)
        value->clear();
}

void StateView::showState(const DeviceState &state)
{
    const QString values[] = {state.mode,        state.connection, state.pair,
                              state.peerAddress, state.ownAddress, state.version};
    for (size_t i = 0; i < m_values.size(); ++i)
        m_values[i]->setText(values[i]);
    QLabel *mode = m_values[0];
    QPalette palette = mode->palette();
    palette.setColor(QPalette::WindowText, state.pairExists ? OperationalGreen() : CommissioningMaroon());
    mode->setPalette(palette);
    m_createPairButton->setEnabled(state.peerWaiting);
    m_breakPairButton->setEnabled(state.pairExists);
    show();
}

void StateView::leaveView()
{
    emit exitRequested();
}

} // namespace tavrin
