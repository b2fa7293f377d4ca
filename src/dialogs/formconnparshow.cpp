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
    const quint8 kind = m_editedSettings.Conn_Prz;
    m_localParameters = kind == Direct  ? m_editedSettings.direct
                        : kind == Phone ? m_editedSettings.phone
                                        : ConnectionParameters{};
    fillPortList();
    fillRateList();
    ShowNumber(m_waitTimeEdit, m_localParameters.WaitTime);
    ShowNumber(m_timeOutEdit, m_localParameters.TimeOut);
    m_wakeUpByteBox->setChecked(m_localParameters.First_Zero_Need);
    m_attemptsList->setCurrentIndex(0); // shows " 1"; Repeat passes through unchanged
    m_attemptsList->setEnabled(false);
    if (kind == Direct)
        setWindowTitle(ConnParTexts::DirectCaption);
    if (kind == Phone)
        showPhoneParameters();
    resize(kWidth, kind == Phone ? kPhoneHeight : kDirectHeight);
    CentreOnScreen(*this);
    m_portList->setFocus(Qt::OtherFocusReason);
}

void TFormConn_Par::fillPortList()
{
    m_portList->clear();
    int selected = 0; // the first port found when the stored one is absent
    for (const PortItem &port : PresentPorts()) {
        if (port.number == m_localParameters.COMPort)
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
    m_rateList->setCurrentIndex(RateIndex(m_localParameters.Rate)); // -1: a rate not in the table
}

void TFormConn_Par::showPhoneParameters()
{
    setWindowTitle(ConnParTexts::PhoneCaption);
    m_phonePanel->show();
    ShowNumber(m_connectWaitEdit, m_editedSettings.ConnectWaitTime);
    ShowNumber(m_connRepeatEdit, m_editedSettings.Conn_Repeat);
    m_commandEdit->setText(m_editedSettings.Command);
    fillAbonentCombo();
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
    m_phoneCode->setText(m_abonents->hasChoice() ? directory.entries[directory.user_index].phone_code : QString());
}

void TFormConn_Par::onAcceptClicked()
{
    if (!allLineParametersGiven()) {
        showMessage(CommonTexts::NotAllParameters);
        return;
    }
    if (!readLineParameters())
        return;
    if (m_editedSettings.Conn_Prz == Direct) {
        m_editedSettings.direct = m_localParameters;
    } else if (m_editedSettings.Conn_Prz == Phone) {
        if (!readPhoneParameters())
            return;
        m_editedSettings.phone = m_localParameters;
    }
    accept();
}

bool TFormConn_Par::allLineParametersGiven() const
{
    return m_portList->currentIndex() >= 0 && m_rateList->currentIndex() >= 0 && m_attemptsList->currentIndex() >= 0
        && !m_waitTimeEdit->text().isEmpty() && !m_timeOutEdit->text().isEmpty();
}

bool TFormConn_Par::readLineParameters()
{
    m_localParameters.COMPort = quint8(m_portList->currentData().toInt());
    m_localParameters.First_Zero_Need = m_wakeUpByteBox->isChecked();
    if (!readRanged({m_waitTimeEdit, kWaitTimeMin, kWaitTimeMax, ConnParTexts::WaitTimeName}, m_localParameters.WaitTime)
        || !readRanged({m_timeOutEdit, kTimeOutMin, kTimeOutMax, ConnParTexts::TimeOutName}, m_localParameters.TimeOut))
        return false;
    m_localParameters.Rate = RateAt(m_rateList->currentIndex());
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
                    m_editedSettings.ConnectWaitTime)
        || !readRanged({m_connRepeatEdit, kConnRepeatMin, kConnRepeatMax, ConnParTexts::ConnRepeatName},
                       m_editedSettings.Conn_Repeat))
        return false;
    m_editedSettings.Command = m_commandEdit->text();
    return true;
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
