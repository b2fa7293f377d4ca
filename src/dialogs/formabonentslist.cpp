#include "dialogs/formabonentslist.h"

#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/enterkey.h"
#include "settings/settings.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavrin {

namespace {

constexpr int kNumberWidth = 36;
constexpr int kNameWidth = 393;
constexpr int kPhoneWidth = 218;
constexpr int kAddressWidth = 230; // the network address column, after the phone number
constexpr int kWidth = 682 + kAddressWidth;
constexpr int kHeight = 560;
constexpr int kRowHeight = 20;

// A raised header panel above one column, with its caption and, for a sortable column,
// the sort button at its right end.
QFrame *HeaderPanel(const QString &caption, const char *objectName, int width, QToolButton *sortButton,
                    QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(objectName));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setFixedWidth(width);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 1, 2, 1);
    auto *label = PlainLabel(caption, panel);
    label->setAlignment(Qt::AlignCenter);
    row->addWidget(label, 1);
    if (sortButton) {
        sortButton->setParent(panel);
        row->addWidget(sortButton);
    }
    return panel;
}

QToolButton *SortButton(const char *objectName, const QString &toolTip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setIcon(parent->style()->standardIcon(QStyle::SP_ArrowDown));
    button->setAutoRaise(true);
    button->setFixedSize(20, 18);
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

} // namespace

TFormAbonents_List::TFormAbonents_List(AbonentDirectory &directory, QWidget *owner)
    : QDialog(owner, kSystemMenuOnly), showMessage(MessageBoxOf(this)), askQuestion(QuestionBoxOf(this)),
      m_directory(directory)
{
    setObjectName(QStringLiteral("FormAbonents_List"));
    setWindowTitle(AbonentListTexts::Caption);
    resize(kWidth, kHeight);

    createGrid();
    QWidget *header = createHeader();
    QHBoxLayout *buttons = createButtons();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 12);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(m_grid, 1);
    layout->addSpacing(12);
    layout->addLayout(buttons);

    PressFocusedButtonOnEnter(*this);
    m_acceptButton->setDefault(true); // Enter in the grid accepts the selected subscriber
    SetTabOrder({m_grid, m_editButton, m_addButton, m_deleteButton, m_surveyButton, m_acceptButton, m_cancelButton,
                 m_sortByNameButton, m_sortByPhoneButton});
    connectHandlers();
}

void TFormAbonents_List::createGrid()
{
    m_grid = new QTableWidget(1, 4, this);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setColumnWidth(0, kNumberWidth);
    m_grid->setColumnWidth(1, kNameWidth);
    m_grid->setColumnWidth(2, kPhoneWidth);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows (Ctrl, Shift) choose the sites of a survey; the current row is the subscriber.
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_grid->setWordWrap(false);
    m_grid->setTabKeyNavigation(false); // Tab leaves the grid for the buttons
    m_grid->viewport()->setCursor(Qt::PointingHandCursor);
    m_grid->setMinimumWidth(kNumberWidth + kNameWidth + kPhoneWidth + kAddressWidth);
}

QWidget *TFormAbonents_List::createHeader()
{
    m_sortByNameButton = SortButton("SpeedButton1", AbonentListTexts::SortByName, this);
    m_sortByPhoneButton = SortButton("SpeedButton2", AbonentListTexts::SortByPhone, this);
    m_sortByPhoneButton->setEnabled(false);

    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    // The panels stand over the columns, which begin inside the grid's frame.
    const int frame = m_grid->frameWidth();
    row->setContentsMargins(frame, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(HeaderPanel(AbonentListTexts::NumberHeader, "Panel3", kNumberWidth, nullptr, header));
    row->addWidget(HeaderPanel(CommonTexts::NameLabel, "Panel4", kNameWidth, m_sortByNameButton, header));
    row->addWidget(HeaderPanel(CommonTexts::PhoneLabel, "Panel8", kPhoneWidth, m_sortByPhoneButton, header));
    row->addWidget(HeaderPanel(CommonTexts::NetworkAddressLabel, "NetworkAddressPanel", kAddressWidth, nullptr, header));
    row->addStretch();
    return header;
}

QHBoxLayout *TFormAbonents_List::createButtons()
{
    m_editButton = DialogButton(AbonentListTexts::Edit, "BitBtn1", this);
    m_addButton = DialogButton(AbonentListTexts::Add, "BitBtn2", this);
    m_deleteButton = DialogButton(AbonentListTexts::Delete, "BitBtn3", this);
    m_surveyButton = DialogButton(SurveyTexts::SurveyButton, "SurveyButton", this);
    m_acceptButton = DialogButton(CommonTexts::Accept, "BitBtn4", this);
    m_cancelButton = DialogButton(CommonTexts::Cancel, "BitBtn5", this);
    return ButtonRow({m_editButton, m_addButton, m_deleteButton, m_surveyButton}, {m_acceptButton, m_cancelButton});
}

void TFormAbonents_List::connectHandlers()
{
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) { onRowChosen(row); });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row) { onRowDoubleClicked(row); });
    connect(m_sortByNameButton, &QToolButton::clicked, this, [this] { onSortClicked(ByName); });
    connect(m_sortByPhoneButton, &QToolButton::clicked, this, [this] { onSortClicked(ByPhone); });
    connect(m_editButton, &QPushButton::clicked, this, &TFormAbonents_List::onEditClicked);
    connect(m_addButton, &QPushButton::clicked, this, &TFormAbonents_List::onAddClicked);
    connect(m_deleteButton, &QPushButton::clicked, this, &TFormAbonents_List::onDeleteClicked);
    connect(m_acceptButton, &QPushButton::clicked, this, &TFormAbonents_List::onAcceptClicked);
    connect(m_surveyButton, &QPushButton::clicked, this, &TFormAbonents_List::onSurveyClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormAbonents_List::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    resize(kWidth, kHeight);
    CentreOnScreen(*this);
    fillGrid();
    m_grid->setFocus(Qt::OtherFocusReason);
}

void TFormAbonents_List::onSurveyClicked()
{
    if (!openSurvey)
        return;
    QList<int> rows;
    for (const QModelIndex &index : m_grid->selectionModel()->selectedRows())
        rows << index.row();
    openSurvey(rows);
}

} // namespace tavrin
