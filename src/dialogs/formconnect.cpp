#include "dialogs/formconnect.h"

#include "dialogs/dialogtexts.h"
#include "dialogs/enterkey.h"
#include "dialogs/messagebox.h"
#include "dialogs/panelstatusbar.h"
#include "settings/settingsstore.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace tavrin {

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 244;
constexpr int kVisibleAbonents = 15;

QLabel *PlainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

// FormCreate
TFormConnect::TFormConnect(SettingsStore &store, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_store(store)
{
    setObjectName(QStringLiteral("FormConnect"));
    setWindowTitle(ConnectTexts::Caption);
    resize(kWidth, kHeight);
    showMessage = [this](const QString &text) { PlainMessageBox(text, QMessageBox::Ok, this).exec(); };

    auto *kindLabel = PlainLabel(ConnectTexts::KindLabel, this);
    ComboBox3 = new QComboBox(this);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItems({ConnectTexts::KindDirect, ConnectTexts::KindPhone});

    abonentLabel = PlainLabel(ConnectTexts::AbonentLabel, this);
    abonentLabel->setObjectName(QStringLiteral("Label2"));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setMaxVisibleItems(kVisibleAbonents);
    // A style that drops a list as a menu (Fusion, the default here) ignores the number of
    // lines and drops a full directory as tall as the screen; a plain list keeps it.
    ComboBox2->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));

    listLabel = PlainLabel(ConnectTexts::ListLabel, this);
    listLabel->setObjectName(QStringLiteral("Label3"));
    BitBtn6 = new QPushButton(this);
    BitBtn6->setObjectName(QStringLiteral("BitBtn6"));
    BitBtn6->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    BitBtn6->setIconSize(QSize(20, 20));
    BitBtn6->setFixedSize(36, 30);
    BitBtn6->setAccessibleName(ConnectTexts::ListLabel);

    BitBtn3 = new QPushButton(ConnectTexts::ChangeParameters, this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn1 = new QPushButton(ConnectTexts::Accept, this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(ConnectTexts::Exit, this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    for (QPushButton *button : {BitBtn1, BitBtn2})
        button->setMinimumWidth(110);
    BitBtn3->setMinimumSize(220, 30);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->addWidget(kindLabel, 0, 0);
    grid->addWidget(ComboBox3, 0, 1);
    grid->addWidget(abonentLabel, 1, 0);
    grid->addWidget(ComboBox2, 1, 1);
    grid->addWidget(listLabel, 2, 0);
    grid->addWidget(BitBtn6, 2, 1, Qt::AlignLeft);
    grid->setRowMinimumHeight(3, 6);
    grid->addWidget(BitBtn3, 4, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    auto *rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(rule);
    layout->addLayout(buttons);

    PressFocusedButtonOnEnter(*this);
    // Enter in either list accepts the choice, the way a dialog of choices is finished
    // from the keyboard; a focused button still takes Enter itself.
    BitBtn1->setDefault(true);
    // Off until the phone kind is chosen: a stored kind that selects nothing leaves them off.
    EnableSubscriberControls(false);

    // activated: only the user's choice runs the handlers, as the list's click does.
    connect(ComboBox3, &QComboBox::activated, this, &TFormConnect::ComboBox3Click);
    connect(ComboBox2, &QComboBox::activated, this, &TFormConnect::ComboBox2Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TFormConnect::BitBtn6Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormConnect::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormConnect::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormConnect::BitBtn2Click);
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
    if (const QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    WorkingSettings = m_store.CurrentSettings;
    // A stored kind other than the two known ones selects nothing.
    ComboBox3->setCurrentIndex(WorkingSettings.Conn_Prz <= Phone ? int(WorkingSettings.Conn_Prz) : -1);
    ComboBox3Click();
}

void TFormConnect::ShowStatus()
{
    ShowConnectionStatus(WorkingSettings, StatusBar);
}

void TFormConnect::ComboBox3Click()
{
    const int kind = ComboBox3->currentIndex();
    if (kind < 0)
        return;
    WorkingSettings.Conn_Prz = quint8(kind);
    const bool phone = kind == Phone;
    EnableSubscriberControls(phone);
    if (phone) {
        FillAbonentCombo();
    } else {
        ComboBox2->setCurrentIndex(-1); // user_index stays as it is
        ShowStatus();
    }
}

void TFormConnect::EnableSubscriberControls(bool enabled)
{
    for (QWidget *control : {static_cast<QWidget *>(abonentLabel), static_cast<QWidget *>(ComboBox2),
                             static_cast<QWidget *>(listLabel), static_cast<QWidget *>(BitBtn6)})
        control->setEnabled(enabled);
}

void TFormConnect::FillAbonentCombo()
{
    const AbonentDirectory &directory = WorkingSettings.directory;
    const int count = std::min<int>(directory.users_num, kMaxAbonents);
    ComboBox2->clear();
    for (int i = 0; i < count; ++i)
        ComboBox2->addItem(directory.entries[i].user_name);
    if (count < kMaxAbonents)
        ComboBox2->addItem(ConnectTexts::NewAbonent); // its position is users_num
    // A selection beyond the last subscriber (a hand-edited file) would put the
    // "Новый абонент" line forward as the chosen subscriber; it selects nothing instead.
    if (count > 0 && directory.user_index < count) {
        ComboBox2->setCurrentIndex(directory.user_index);
        ShowStatus();
    } else {
        ComboBox2->setCurrentIndex(-1);
    }
}

void TFormConnect::ComboBox2Click()
{
    const int position = ComboBox2->currentIndex();
    if (position < 0)
        return;
    AbonentDirectory &directory = WorkingSettings.directory;
    if (position != directory.users_num) {
        directory.user_index = quint8(position);
        ShowStatus();
        return;
    }
    if (!AddAbonent()) {
        // Back to the subscriber chosen before, or to none.
        ComboBox2->setCurrentIndex(directory.users_num > 0 && directory.user_index < directory.users_num
                                       ? int(directory.user_index)
                                       : -1);
    }
}

bool TFormConnect::AddAbonent()
{
    return false;
}

void TFormConnect::BitBtn6Click()
{
}

void TFormConnect::BitBtn3Click()
{
}

void TFormConnect::BitBtn1Click()
{
    const int kind = ComboBox3->currentIndex();
    const int abonent = ComboBox2->currentIndex();
    if (kind < 0 || (kind == Phone && (abonent < 0 || abonent >= WorkingSettings.directory.users_num))) {
        showMessage(ConnectTexts::NotAllParameters);
        return;
    }
    ShowStatus();
    m_store.CurrentSettings = WorkingSettings;
    Accepted = true;
    accept();
}

void TFormConnect::BitBtn2Click()
{
    reject();
}

} // namespace tavrin
