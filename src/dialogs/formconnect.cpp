#include "dialogs/formconnect.h"

#include "dialogs/abonentbox.h"
#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/enterkey.h"
#include "dialogs/formconnpar.h"
#include "dialogs/panelstatusbar.h"
#include "settings/settingsstore.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tavrin {

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 244;
constexpr int kVisibleAbonents = 15;

} // namespace

// FormCreate
TFormConnect::TFormConnect(SettingsStore &store, QWidget *owner)
    : QDialog(owner, kSystemMenuOnly), showMessage(MessageBoxOf(this)), m_store(store)
{
    setObjectName(QStringLiteral("FormConnect"));
    setWindowTitle(ConnectTexts::Caption);
    resize(kWidth, kHeight);
    QLayout *grid = createControls();

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(rule);
    layout->addLayout(ButtonRow({}, {m_acceptButton, m_exitButton}));
    SetTabOrder({m_kindList, m_abonentList, m_listButton, m_parametersButton, m_acceptButton, m_exitButton});

    PressFocusedButtonOnEnter(*this);
    // Enter in either list accepts the choice, the way a dialog of choices is finished
    // from the keyboard; a focused button still takes Enter itself.
    m_acceptButton->setDefault(true);
    // Off until the phone kind is chosen: a stored kind that selects nothing leaves them off.
    enableSubscriberControls(false);

    m_abonents = new AbonentBox(m_store, WorkingSettings.directory, m_abonentList, m_listButton, this,
                                {[this] { showStatus(); }, [this](const QString &text) { showMessage(text); },
                                 [this] { return WorkingSettings; }});
    // activated: only the user's choice runs the handler, as the list's click does.
    connect(m_kindList, &QComboBox::activated, this, &TFormConnect::onKindChosen);
    connect(m_parametersButton, &QPushButton::clicked, this, &TFormConnect::onChangeParametersClicked);
    connect(m_acceptButton, &QPushButton::clicked, this, &TFormConnect::onAcceptClicked);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::reject);
}

QLayout *TFormConnect::createControls()
{
    m_kindList = new QComboBox(this);
    m_kindList->setObjectName(QStringLiteral("ComboBox3"));
    m_kindList->addItems({ConnectTexts::KindDirect, ConnectTexts::KindPhone, ConnectTexts::KindNetwork});
    m_abonentLabel = PlainLabel(CommonTexts::AbonentLabel, this);
    m_abonentLabel->setObjectName(QStringLiteral("Label2"));
    m_abonentList = new QComboBox(this);
    m_abonentList->setObjectName(QStringLiteral("ComboBox2"));
    m_abonentList->setMaxVisibleItems(kVisibleAbonents);
    // A style that drops a list as a menu (Fusion, the default here) ignores the number of
    // lines and drops a full directory as tall as the screen; a plain list keeps it.
    m_abonentList->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    m_listLabel = PlainLabel(CommonTexts::ListLabel, this);
    m_listLabel->setObjectName(QStringLiteral("Label3"));
    m_listButton = AbonentListButton(this);
    m_listButton->setObjectName(QStringLiteral("BitBtn6"));
    m_parametersButton = new QPushButton(ConnectTexts::ChangeParameters, this);
    m_parametersButton->setObjectName(QStringLiteral("BitBtn3"));
    m_parametersButton->setMinimumSize(m_parametersButton->sizeHint().expandedTo(QSize(220, 30))); // more for a larger font
    m_acceptButton = DialogButton(CommonTexts::Accept, "BitBtn1", this);
    m_exitButton = DialogButton(CommonTexts::Exit, "BitBtn2", this);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->addWidget(PlainLabel(ConnectTexts::KindLabel, this), 0, 0);
    grid->addWidget(m_kindList, 0, 1);
    grid->addWidget(m_abonentLabel, 1, 0);
    grid->addWidget(m_abonentList, 1, 1);
    grid->addWidget(m_listLabel, 2, 0);
    grid->addWidget(m_listButton, 2, 1, Qt::AlignLeft);
    grid->setRowMinimumHeight(3, 6);
    grid->addWidget(m_parametersButton, 4, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    return grid;
}

void TFormConnect::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormConnect::FormShow()
{
    resize(kWidth, kHeight);
    // Centred on the screen, not on the main window as a dialog would be by default.
    CentreOnScreen(*this);
    WorkingSettings = m_store.CurrentSettings;
    // A stored kind other than the two known ones selects nothing.
    m_kindList->setCurrentIndex(WorkingSettings.connectionKind <= Network ? int(WorkingSettings.connectionKind) : -1);
    onKindChosen();
}

void TFormConnect::showStatus()
{
    ShowConnectionStatus(WorkingSettings, StatusBar);
}

void TFormConnect::fillAbonentCombo()
{
    m_abonents->fill();
}

void TFormConnect::onKindChosen()
{
    const int kind = m_kindList->currentIndex();
    if (kind < 0)
        return;
    WorkingSettings.connectionKind = ConnectionKind(kind);
    // The network kind asks for a subscriber as the phone kind does, from those that
    // have a network address.
    const bool toSubscriber = kind == Phone || kind == Network;
    enableSubscriberControls(toSubscriber);
    m_abonents->setNetworkOnly(kind == Network);
    if (toSubscriber) {
        fillAbonentCombo();
        // The network kind names itself even before a subscriber with an address is chosen.
        if (kind == Network && !m_abonents->hasChoice())
            showStatus();
    } else {
        m_abonentList->setCurrentIndex(-1); // the selected index stays as it is
        showStatus();
    }
}

void TFormConnect::enableSubscriberControls(bool enabled)
{
    for (QWidget *control : {static_cast<QWidget *>(m_abonentLabel), static_cast<QWidget *>(m_abonentList),
                             static_cast<QWidget *>(m_listLabel), static_cast<QWidget *>(m_listButton)})
        control->setEnabled(enabled);
}

void TFormConnect::onChangeParametersClicked()
{
    TFormConn_Par parameters(m_store, WorkingSettings, this);
    parameters.StatusBar = StatusBar;
    parameters.showMessage = [this](const QString &text) { showMessage(text); };
    const bool accepted = parameters.exec() == QDialog::Accepted;
    const bool phone = WorkingSettings.connectionKind == Phone;
    if (!accepted) {
        // Subscribers added or a list used in there changed the working directory: the
        // box shows it as it now is, so a line chosen afterwards is the one it names.
        if (phone)
            fillAbonentCombo();
        return;
    }
    showStatus();
    if (phone) {
        fillAbonentCombo();
        m_abonents->commit();
    }
}

void TFormConnect::onAcceptClicked()
{
    const int kind = m_kindList->currentIndex();
    if (kind < 0 || ((kind == Phone || kind == Network) && !m_abonents->hasChoice())) {
        showMessage(CommonTexts::NotAllParameters);
        return;
    }
    showStatus();
    m_store.CurrentSettings = WorkingSettings;
    accept();
}

} // namespace tavrin
