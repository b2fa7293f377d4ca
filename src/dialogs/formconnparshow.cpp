// The connection parameters dialog: what it shows and what "Принять" checks and stores.
#include "dialogs/formconnpar.h"

#include "dialogs/abonentbox.h"
#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/panelstatusbar.h"
#include "dialogs/portitems.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

#include <algorithm>

namespace tavrin {

namespace {

constexpr int kWidth = 710;
constexpr int kDirectHeight = 220;
constexpr int kPhoneHeight = 382;

// What "Принять" allows in each number field.
constexpr int kWaitTimeMin = 1, kWaitTimeMax = 120;          // s
constexpr int kTimeOutMin = 55, kTimeOutMax = 5000;          // ms
constexpr int kConnectWaitMin = 1, kConnectWaitMax = 360;    // s
constexpr int kConnRepeatMin = 1, kConnRepeatMax = 10;

// A stored value is shown whole, also one longer than the field lets the user type (a
// hand-edited file): cut short it would be accepted as another number.
void ShowNumber(QLineEdit *field, qint32 value)
{
    const QString text = QString::number(value);
    if (text.size() > field->maxLength())
        field->setMaxLength(int(text.size()));
    field->setText(text);
}

} // namespace

void TFormConn_Par::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormConn_Par::FormShow()
{
    const quint8 kind = m_editedSettings.connectionKind;
    m_localParameters = kind == Direct    ? m_editedSettings.direct
                        : kind == Phone   ? m_editedSettings.phone
                        : kind == Network ? m_editedSettings.network
                                          : ConnectionParameters{};
    fillPortList();
    fillRateList();
    ShowNumber(m_waitTimeEdit, m_localParameters.replyWaitSeconds);
    ShowNumber(m_timeOutEdit, m_localParameters.byteWaitMs);
    m_wakeUpByteBox->setChecked(m_localParameters.wakeUpByte);
    m_attemptsList->setCurrentIndex(0); // shows " 1"; Repeat passes through unchanged
    m_attemptsList->setEnabled(false);
    if (kind == Direct)
        setWindowTitle(ConnParTexts::DirectCaption);
    if (kind == Phone)
        showPhoneParameters();
    if (kind == Network)
        showNetworkParameters();
    resize(kWidth, kind == Phone     ? kPhoneHeight
                   : kind == Network ? std::max(kDirectHeight, sizeHint().height())
                                     : kDirectHeight);
    CentreOnScreen(*this);
    (kind == Network ? static_cast<QWidget *>(m_rateList) : m_portList)->setFocus(Qt::OtherFocusReason);
}

void TFormConn_Par::fillPortList()
{
    m_portList->clear();
    int selected = 0; // the first port found when the stored one is absent
    for (const PortItem &port : PresentPorts()) {
        if (port.number == m_localParameters.portNumber)
            selected = m_portList->count();
        m_portList->addItem(ConnParTexts::PortItem.arg(port.number), port.number);
        m_portList->setItemData(m_portList->count() - 1, PlainToolTip(port.toolTip), Qt::ToolTipRole);
    }
    m_portList->setCurrentIndex(m_portList->count() > 0 ? selected : -1);
}

void TFormConn_Par::fillRateList()
{
    m_rateList->clear();
    for (const qint32 rate : BaudRates)
        m_rateList->addItem(QString::number(rate));
    m_rateList->setCurrentIndex(RateIndex(m_localParameters.bitRate)); // -1: a rate not in the table
}

void TFormConn_Par::showPhoneParameters()
{
    setWindowTitle(ConnParTexts::PhoneCaption);
    m_phonePanel->show();
    ShowNumber(m_connectWaitEdit, m_editedSettings.connectWaitSeconds);
    ShowNumber(m_connRepeatEdit, m_editedSettings.dialRounds);
    m_commandEdit->setText(m_editedSettings.modemCommands);
    fillAbonentCombo();
}

// A network link has no port to choose; the rate is asked of a server with port control.
void TFormConn_Par::showNetworkParameters()
{
    setWindowTitle(ConnParTexts::NetworkCaption);
    m_portLabel->hide();
    m_portList->hide();
    m_rateNote->show();
    m_networkPanel->show();
    ShowNumber(m_connectLimitEdit, m_editedSettings.networkConnectSeconds);
}

void TFormConn_Par::fillAbonentCombo()
{
    m_abonents->fill();
    showPhoneCode();
}

void TFormConn_Par::showStatus()
{
    ShowConnectionStatus(m_editedSettings, StatusBar);
    showPhoneCode();
}

void TFormConn_Par::showPhoneCode()
{
    const AbonentDirectory &directory = m_editedSettings.directory;
    m_phoneCode->setText(m_abonents->hasChoice() ? directory.entries[directory.selectedIndex].phoneNumber : QString());
}

void TFormConn_Par::onAcceptClicked()
{
    if (!allLineParametersGiven()) {
        showMessage(CommonTexts::NotAllParameters);
        return;
    }
    if (!readLineParameters())
        return;
    if (m_editedSettings.connectionKind == Direct) {
        m_editedSettings.direct = m_localParameters;
    } else if (m_editedSettings.connectionKind == Phone) {
        if (!readPhoneParameters())
            return;
        m_editedSettings.phone = m_localParameters;
    } else if (m_editedSettings.connectionKind == Network) {
        if (!readNetworkParameters())
            return;
        m_editedSettings.network = m_localParameters;
    }
    accept();
}

bool TFormConn_Par::allLineParametersGiven() const
{
    const bool network = m_editedSettings.connectionKind == Network;
    return (network || m_portList->currentIndex() >= 0) && m_rateList->currentIndex() >= 0
        && m_attemptsList->currentIndex() >= 0 && !m_waitTimeEdit->text().isEmpty() && !m_timeOutEdit->text().isEmpty();
}

bool TFormConn_Par::readLineParameters()
{
    if (m_editedSettings.connectionKind != Network)
        m_localParameters.portNumber = quint8(m_portList->currentData().toInt());
    m_localParameters.wakeUpByte = m_wakeUpByteBox->isChecked();
    if (!readRanged({m_waitTimeEdit, kWaitTimeMin, kWaitTimeMax, ConnParTexts::WaitTimeName}, m_localParameters.replyWaitSeconds)
        || !readRanged({m_timeOutEdit, kTimeOutMin, kTimeOutMax, ConnParTexts::TimeOutName}, m_localParameters.byteWaitMs))
        return false;
    m_localParameters.bitRate = RateAt(m_rateList->currentIndex());
    return true;
}

// Each value is stored as soon as it passes, as the modem fields always have been: a
// later field that fails leaves the earlier one stored.
bool TFormConn_Par::readPhoneParameters()
{
    if (!m_abonents->hasChoice() || m_connectWaitEdit->text().isEmpty() || m_connRepeatEdit->text().isEmpty()) {
        showMessage(CommonTexts::NotAllParameters);
        return false;
    }
    if (!readRanged({m_connectWaitEdit, kConnectWaitMin, kConnectWaitMax, ConnParTexts::ConnectWaitName},
                    m_editedSettings.connectWaitSeconds)
        || !readRanged({m_connRepeatEdit, kConnRepeatMin, kConnRepeatMax, ConnParTexts::ConnRepeatName},
                       m_editedSettings.dialRounds))
        return false;
    m_editedSettings.modemCommands = m_commandEdit->text();
    return true;
}

bool TFormConn_Par::readNetworkParameters()
{
    if (m_connectLimitEdit->text().isEmpty()) {
        showMessage(CommonTexts::NotAllParameters);
        return false;
    }
    return readRanged({m_connectLimitEdit, kNetworkConnectMinSeconds, kNetworkConnectMaxSeconds,
                       ConnParTexts::ConnectLimitName},
                      m_editedSettings.networkConnectSeconds);
}

bool TFormConn_Par::readRanged(const RangedField &field, qint32 &target)
{
    bool isNumber = false;
    const int value = field.edit->text().trimmed().toInt(&isNumber);
    if (!isNumber || value < field.minimum || value > field.maximum) {
        showMessage(ConnParTexts::OutOfRange.arg(field.name));
        return false;
    }
    target = value;
    return true;
}

} // namespace tavrin
