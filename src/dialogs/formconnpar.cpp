// The connection parameters dialog: its controls and their layout.
#include "dialogs/formconnpar.h"

#include "dialogs/abonentbox.h"
#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/enterkey.h"
#include "dialogs/intkeyfilter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrin {

namespace {

constexpr int kListWidth = 130;
constexpr int kNumberWidth = 64;

QComboBox *List(const char *objectName, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QLatin1String(objectName));
    list->setMinimumWidth(kListWidth);
    return list;
}

QLineEdit *Field(const char *objectName, int maxLength, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(objectName));
    field->setMaxLength(maxLength);
    field->setFixedWidth(kNumberWidth);
    return field;
}

} // namespace

// FormCreate
TFormConn_Par::TFormConn_Par(SettingsStore &store, Settings &editedSettings, QWidget *owner)
    : QDialog(owner, kSystemMenuOnly), showMessage(MessageBoxOf(this)), m_store(store),
      m_editedSettings(editedSettings)
{
    setObjectName(QStringLiteral("FormConn_Par"));
    setWindowTitle(ConnParTexts::DesignCaption);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(10);
    layout->addLayout(createLineControls());
    layout->addWidget(createPhonePanel());
    layout->addWidget(createNetworkPanel());
    layout->addStretch();
    layout->addLayout(createButtons());
    m_phonePanel->hide();
    m_networkPanel->hide();

    PressFocusedButtonOnEnter(*this);
    m_acceptButton->setDefault(true); // Enter in a field or a list accepts
    SetTabOrder({m_portList, m_rateList, m_waitTimeEdit, m_timeOutEdit, m_attemptsList, m_wakeUpByteBox,
                 m_commandEdit, m_connectWaitEdit, m_connRepeatEdit, m_abonentList, m_listButton, m_connectLimitEdit,
                 m_acceptButton, m_exitButton});

    m_abonents = new AbonentBox(m_store, m_editedSettings.directory, m_abonentList, m_listButton, this,
                                {[this] { showStatus(); }, [this](const QString &text) { showMessage(text); },
                                 [this] { return m_editedSettings; }});
    connect(m_acceptButton, &QPushButton::clicked, this, &TFormConn_Par::onAcceptClicked);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::reject);
}

QGridLayout *TFormConn_Par::createLineControls()
{
    m_portList = List("ComboBox1", this);
    m_rateList = List("ComboBox2", this);
    m_attemptsList = List("ComboBox3", this);
    m_attemptsList->addItems({QStringLiteral(" 1"), QStringLiteral(" 2"), QStringLiteral(" 3"),
                              QStringLiteral(" 4"), QStringLiteral(" 5")});
    m_waitTimeEdit = Field("Edit1", 3, this);
    m_timeOutEdit = Field("Edit2", 4, this);
    for (QLineEdit *edit : {m_waitTimeEdit, m_timeOutEdit})
        edit->setValidator(new IntKeyFilter(edit));
    m_wakeUpByteBox = new QCheckBox(ConnParTexts::WakeUpByte, this);
    m_wakeUpByteBox->setObjectName(QStringLiteral("CheckBox1"));

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    m_portLabel = PlainLabel(ConnParTexts::PortLabel, this);
    m_rateNote = PlainLabel(ConnParTexts::NetworkRateNote, this);
    m_rateNote->setObjectName(QStringLiteral("NetworkRateNote"));
    m_rateNote->hide();
    grid->addWidget(m_portLabel, 0, 0);
    grid->addWidget(m_portList, 0, 1);
    grid->addWidget(PlainLabel(ConnParTexts::RateLabel, this), 1, 0);
    grid->addWidget(m_rateList, 1, 1);
    grid->addWidget(PlainLabel(ConnParTexts::RateUnit, this), 1, 2);
    grid->addWidget(PlainLabel(ConnParTexts::AttemptsLabel, this), 2, 0);
    grid->addWidget(m_attemptsList, 2, 1);
    grid->setColumnMinimumWidth(3, 30);
    grid->addWidget(PlainLabel(ConnParTexts::WaitTimeLabel, this), 0, 4);
    grid->addWidget(m_waitTimeEdit, 0, 5);
    grid->addWidget(PlainLabel(ConnParTexts::SecondsUnit, this), 0, 6);
    grid->addWidget(PlainLabel(ConnParTexts::TimeOutLabel, this), 1, 4);
    grid->addWidget(m_timeOutEdit, 1, 5);
    grid->addWidget(PlainLabel(ConnParTexts::MillisecondsUnit, this), 1, 6);
    grid->addWidget(m_wakeUpByteBox, 2, 4, 1, 3);
    grid->addWidget(m_rateNote, 3, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(7, 1);
    return grid;
}

QFrame *TFormConn_Par::createPhonePanel()
{
    m_phonePanel = new QFrame(this);
    m_phonePanel->setObjectName(QStringLiteral("pn_fon"));
    m_phonePanel->setFrameShape(QFrame::StyledPanel);
    m_phonePanel->setFrameShadow(QFrame::Sunken);
    m_commandEdit = new QLineEdit(m_phonePanel);
    m_commandEdit->setObjectName(QStringLiteral("Edit5"));
    m_commandEdit->setMaxLength(kCommandChars);
    m_connectWaitEdit = Field("Edit6", 3, m_phonePanel);
    m_connRepeatEdit = Field("Edit10", 3, m_phonePanel);
    m_abonentList = List("ComboBox4", m_phonePanel);
    m_abonentList->setMaxVisibleItems(kMaxAbonents);
    m_abonentList->setMinimumWidth(280);
    m_listButton = AbonentListButton(m_phonePanel);
    m_listButton->setObjectName(QStringLiteral("BitBtn6"));
    m_phoneCode = PlainLabel(QString(), m_phonePanel);
    m_phoneCode->setObjectName(QStringLiteral("pn_phone_code"));
    m_phoneCode->setFrameShape(QFrame::Panel);
    m_phoneCode->setFrameShadow(QFrame::Sunken);

    auto *grid = new QGridLayout(m_phonePanel);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    grid->addWidget(PlainLabel(ConnParTexts::CommandLabel, m_phonePanel), 0, 0);
    grid->addWidget(m_commandEdit, 0, 1, 1, 6);
    grid->addWidget(PlainLabel(ConnParTexts::ConnectWaitLabel, m_phonePanel), 1, 0);
    grid->addWidget(m_connectWaitEdit, 1, 1, Qt::AlignLeft);
    grid->addWidget(PlainLabel(ConnParTexts::SecondsUnit, m_phonePanel), 1, 2);
    grid->addWidget(PlainLabel(ConnParTexts::ConnRepeatLabel, m_phonePanel), 1, 4);
    grid->addWidget(m_connRepeatEdit, 1, 5, Qt::AlignLeft);
    grid->addWidget(PlainLabel(CommonTexts::AbonentLabel, m_phonePanel), 2, 0);
    auto *abonentRow = new QHBoxLayout;
    abonentRow->addWidget(m_abonentList, 1);
    abonentRow->addWidget(m_listButton);
    grid->addLayout(abonentRow, 2, 1, 1, 4);
    grid->addWidget(PlainLabel(CommonTexts::PhoneLabel, m_phonePanel), 3, 0);
    grid->addWidget(m_phoneCode, 3, 1, 1, 3);
    grid->setColumnStretch(3, 1);
    return m_phonePanel;
}

QFrame *TFormConn_Par::createNetworkPanel()
{
    m_networkPanel = new QFrame(this);
    m_networkPanel->setObjectName(QStringLiteral("pn_net"));
    m_networkPanel->setFrameShape(QFrame::StyledPanel);
    m_networkPanel->setFrameShadow(QFrame::Sunken);
    m_connectLimitEdit = Field("EditConnectLimit", 2, m_networkPanel);
    m_connectLimitEdit->setValidator(new IntKeyFilter(m_connectLimitEdit));
    auto *grid = new QGridLayout(m_networkPanel);
    grid->setHorizontalSpacing(10);
    grid->addWidget(PlainLabel(ConnParTexts::ConnectLimitLabel, m_networkPanel), 0, 0);
    grid->addWidget(m_connectLimitEdit, 0, 1, Qt::AlignLeft);
    grid->addWidget(PlainLabel(ConnParTexts::SecondsUnit, m_networkPanel), 0, 2);
    grid->setColumnStretch(3, 1);
    return m_networkPanel;
}

QLayout *TFormConn_Par::createButtons()
{
    m_acceptButton = DialogButton(CommonTexts::Accept, "BitBtn1", this);
    m_exitButton = DialogButton(CommonTexts::Exit, "BitBtn2", this);
    return ButtonRow({}, {m_acceptButton, m_exitButton});
}

} // namespace tavrin
