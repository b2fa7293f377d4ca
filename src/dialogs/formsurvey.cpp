#include "dialogs/formsurvey.h"

#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "dialogs/portitems.h"
#include "settings/surveyports.h"
#include "survey/surveytexts.h"
#include "link/clocktext.h"
#include "survey/surveycolumns.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace tavrin {

namespace {

const QColor kInProgress(255, 244, 196);
const QColor kChanged = QColor::fromRgb(kChangedValueColour);
const QColor kReadText(0, 128, 0);
const QColor kFailedText(128, 0, 0);

QTableWidgetItem *Cell(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

TFormSurvey::TFormSurvey(const Settings &settings, const QList<SurveySubscriber> &chosen,
                         const QString &reportsFolder, QWidget *owner)
    : QDialog(owner, kSystemMenuOnly | Qt::WindowMaximizeButtonHint), showMessage(MessageBoxOf(this)),
      m_settings(settings), m_chosen(chosen), m_reportsFolder(reportsFolder)
{
    setObjectName(QStringLiteral("FormSurvey"));
    setWindowTitle(SurveyTexts::Caption);
    m_timeLeftTick.setInterval(1000);
    connect(&m_timeLeftTick, &QTimer::timeout, this, &TFormSurvey::showProgress);
    askSavePath = [this](const QString &suggested) {
        QString filter = SurveyTexts::SaveWorkbookFilter;
        const QString path = QFileDialog::getSaveFileName(
            this, SurveyTexts::SaveCaption, suggested,
            SurveyTexts::SaveWorkbookFilter + QStringLiteral(";;") + SurveyTexts::SaveReportFilter, &filter);
        return SavedReportPath(path, filter == SurveyTexts::SaveReportFilter);
    };
    createControls();
    fillRows();
    fitResultColumn();
    showButtons();
    connect(&m_previousRead, &QFutureWatcher<PreviousSurvey>::finished, this, &TFormSurvey::onPreviousSurveyRead);
    m_previousRead.setFuture(ReadPreviousSurvey(m_reportsFolder));
}

void TFormSurvey::onPreviousSurveyRead()
{
    m_previousReadDone = true;
    // A round of this window that ended meanwhile is the previous survey now.
    if (!m_previousPath.isEmpty() || m_previousRead.future().resultCount() == 0)
        return;
    const PreviousSurvey previous = m_previousRead.result();
    // A previous report that cannot be read only means no marks; the status line says why.
    if (!previous.refusal.isEmpty() && !running() && m_rows.isEmpty())
        m_status->setText(SurveyTexts::Idle.arg(m_chosen.size()) + u'\n' + previous.refusal);
    m_previous = previous.rows;
    m_previousPath = previous.path;
    for (int index = 0; index < m_chosen.size(); ++index) {
        if (const SurveyRow *row = SameSubscriber(m_rows, m_chosen[index]))
            markChanges(index, *row);
    }
    // A round already running marks the same changes in its spreadsheet file.
    if (running()) {
        m_report->setWorkbookContext(workbookContext());
        m_report->write(nullptr);
    }
}

TFormSurvey::~TFormSurvey() = default;

void TFormSurvey::createControls()
{
    m_table = new QTableWidget(0, SurveyColumnCount(SurveyView::Window), this);
    m_table->setObjectName(QStringLiteral("SurveyGrid"));
    m_table->setHorizontalHeaderLabels(SurveyCaptions(SurveyView::Window));
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setTabKeyNavigation(false);
    // Every column as wide as its values (the window grows to show them, see
    // formsurveysize.cpp); the last one takes what is left. The result's full text is
    // also in its tooltip.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // ... but "Результат", which a long failure (a network host's error) would make
    // wider than the screen, pushing the module's values out of sight: see
    // fitResultColumn().
    m_table->horizontalHeader()->setSectionResizeMode(ResultColumn, QHeaderView::Interactive);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_table->setTextElideMode(Qt::ElideRight);
    // Long captions in several lines, so that the columns are as wide as their values.
    for (int column : {PeerAddressColumn, OwnAddressColumn, VersionColumn}) {
        QString caption = SurveyCaptions(SurveyView::Window)[column];
        m_table->horizontalHeaderItem(column)->setText(caption.replace(QLatin1Char(' '), QLatin1Char('\n')));
    }

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("SurveyProgress"));
    m_progress->setRange(0, int(m_chosen.size()));
    m_progress->setValue(0);
    m_progress->setFormat(SurveyTexts::Progress);
    m_timeLeft = PlainLabel(QString(), this);
    m_timeLeft->setObjectName(QStringLiteral("SurveyTimeLeft"));
    m_status = PlainLabel(SurveyTexts::Idle.arg(m_chosen.size()), this);
    m_status->setObjectName(QStringLiteral("SurveyStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_startButton = DialogButton(SurveyTexts::Start, "SurveyStart", this);
    m_stopButton = DialogButton(SurveyTexts::Stop, "SurveyStop", this);
    m_saveButton = DialogButton(SurveyTexts::Save, "SurveySave", this);
    m_closeButton = DialogButton(SurveyTexts::Close, "SurveyClose", this);
    m_startButton->setDefault(true);

    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progress, 1);
    progressRow->addSpacing(12);
    progressRow->addWidget(m_timeLeft);

    // The modems: the phone kind's port always, the others as ticked.
    auto *portsRow = new QHBoxLayout;
    portsRow->addWidget(PlainLabel(SurveyTexts::Modems, this));
    QList<PortItem> present = PresentPorts();
    if (std::none_of(present.begin(), present.end(), [this](const PortItem &item) { return item.number == m_settings.phone.portNumber; }))
        present.prepend({m_settings.phone.portNumber, QString()});
    std::sort(present.begin(), present.end(), [](const PortItem &one, const PortItem &other) { return one.number < other.number; });
    for (const PortItem &item : present) {
        const bool phonePort = item.number == m_settings.phone.portNumber;
        auto *box = new QCheckBox(phonePort ? SurveyTexts::PhonePort.arg(item.number) : SurveyTexts::Port.arg(item.number), this);
        box->setObjectName(QStringLiteral("SurveyPort%1").arg(item.number));
        box->setProperty("port", item.number);
        box->setToolTip(PlainToolTip(item.toolTip));
        box->setChecked(phonePort);
        box->setEnabled(!phonePort);
        portsRow->addWidget(box);
        if (!phonePort) {
            m_portBoxes << box;
            connect(box, &QCheckBox::toggled, this, &TFormSurvey::onPortToggled);
        }
    }
    portsRow->addStretch(1);
    // The network sites: each has its own connection, so several are read at once.
    m_parallelBox = new QSpinBox(this);
    m_parallelBox->setObjectName(QStringLiteral("SurveyParallel"));
    m_parallelBox->setRange(1, kMaxSurveyParallel);
    m_parallelBox->setValue(kDefaultSurveyParallel);
    QLabel *parallelLabel = PlainLabel(SurveyTexts::Parallel, this);
    parallelLabel->setBuddy(m_parallelBox);
    portsRow->addWidget(parallelLabel);
    portsRow->addWidget(m_parallelBox);
    connect(m_parallelBox, &QSpinBox::valueChanged, this, &TFormSurvey::onParallelChanged);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(portsRow);
    layout->addLayout(progressRow);
    layout->addWidget(m_status);
    layout->addLayout(ButtonRow({m_startButton, m_stopButton}, {m_saveButton, m_closeButton}));

    connect(m_startButton, &QPushButton::clicked, this, &TFormSurvey::startRound);
    connect(m_stopButton, &QPushButton::clicked, this, &TFormSurvey::stopRound);
    connect(m_saveButton, &QPushButton::clicked, this, &TFormSurvey::onSaveClicked);
    connect(m_closeButton, &QPushButton::clicked, this, &TFormSurvey::reject);
    SetTabOrder({m_table, m_parallelBox, m_startButton, m_stopButton, m_saveButton, m_closeButton});
}

void TFormSurvey::rememberPortsIn(const QString &bluetoothIniPath)
{
    m_portsFile = QString();
    const QList<int> kept = ReadSurveyPorts(bluetoothIniPath);
    for (QCheckBox *box : m_portBoxes)
        box->setChecked(kept.contains(box->property("port").toInt()));
    m_parallelBox->setValue(ReadSurveyParallel(bluetoothIniPath, kMaxSurveyParallel, kDefaultSurveyParallel));
    m_portsFile = bluetoothIniPath;
}

int TFormSurvey::parallel() const
{
    return m_parallelBox->value();
}

void TFormSurvey::onParallelChanged()
{
    if (m_portsFile.isEmpty())
        return;
    QString error;
    if (!WriteSurveyParallel(m_portsFile, parallel(), &error) && showMessage)
        showMessage(SurveyTexts::ParallelNotKept.arg(QDir::toNativeSeparators(m_portsFile), error));
}

QList<int> TFormSurvey::surveyPorts() const
{
    QList<int> ports{m_settings.phone.portNumber};
    for (const QCheckBox *box : m_portBoxes) {
        if (box->isChecked())
            ports << box->property("port").toInt();
    }
    return ports;
}

void TFormSurvey::onPortToggled()
{
    if (m_portsFile.isEmpty())
        return;
    QString error;
    if (!WriteSurveyPorts(m_portsFile, surveyPorts().mid(1), &error) && showMessage)
        showMessage(SurveyTexts::PortsNotKept.arg(QDir::toNativeSeparators(m_portsFile), error));
}

void TFormSurvey::fillRows()
{
    m_table->setRowCount(int(m_chosen.size()));
    for (int index = 0; index < m_chosen.size(); ++index) {
        SurveyRow waiting;
        waiting.subscriber = m_chosen[index];
        const QStringList fields = SurveyFields(waiting, SurveyView::Window);
        for (int column = 0; column < fields.size(); ++column)
            m_table->setItem(index, column, Cell(fields[column]));
    }
}

void TFormSurvey::markRowInProgress(int index)
{
    for (int column = 0; column < m_table->columnCount(); ++column)
        m_table->item(index, column)->setBackground(kInProgress);
    m_table->item(index, ResultColumn)->setText(SurveyTexts::InProgress);
    fitResultColumn();
    m_table->scrollToItem(m_table->item(index, NumberColumn));
}

int TFormSurvey::resultColumnCap() const
{
    return m_table->fontMetrics().averageCharWidth() * kResultColumnChars;
}

void TFormSurvey::fitResultColumn()
{
    // Grows with its texts up to the cap, never shrinks under a width the user chose.
    const QAbstractItemView *cells = m_table; // where the width a column's values need is public
    const int wanted = std::max(m_table->horizontalHeader()->sectionSizeHint(ResultColumn),
                                std::min(cells->sizeHintForColumn(ResultColumn), resultColumnCap()));
    if (wanted > m_table->columnWidth(ResultColumn))
        m_table->setColumnWidth(ResultColumn, wanted);
}

void TFormSurvey::showRow(int index, const SurveyRow &row)
{
    const QStringList fields = SurveyFields(row, SurveyView::Window);
    for (int column = 0; column < fields.size(); ++column) {
        QTableWidgetItem *item = m_table->item(index, column);
        item->setText(fields[column]);
        item->setBackground(QBrush());
        item->setToolTip(QString());
    }
    // A modem that may still hold its call is a fault to see, even after a reading.
    m_table->item(index, ResultColumn)->setForeground(row.read && row.leftOnlinePort == 0 ? kReadText : kFailedText);
    m_table->item(index, ResultColumn)->setToolTip(PlainToolTip(row.result));
    // The network address is the last column, which a long host name overflows.
    if (!fields.constLast().isEmpty())
        m_table->item(index, int(fields.size()) - 1)->setToolTip(PlainToolTip(fields.constLast()));
    fitResultColumn();
    markChanges(index, row);
}

void TFormSurvey::markChanges(int index, const SurveyRow &row)
{
    const SurveyChanges changes = ChangesSince(row, SameSubscriber(m_previous, row.subscriber));
    const QString previousName = QFileInfo(m_previousPath).fileName();
    const auto mark = [this, index, &previousName](int column, const std::optional<QString> &old) {
        if (!old)
            return;
        QTableWidgetItem *item = m_table->item(index, column);
        item->setBackground(kChanged);
        item->setToolTip(PlainToolTip(SurveyTexts::Changed.arg(old->isEmpty() ? surveytext::EmptyValue : *old, previousName)));
    };
    mark(PairColumn, changes.pair);
    mark(PeerAddressColumn, changes.peerAddress);
    mark(VersionColumn, changes.version);
    fitToTable();
}

void TFormSurvey::showProgress()
{
    m_progress->setValue(m_done);
    const bool sitesLeft = running() && m_done < m_chosen.size();
    m_timeLeft->setText(sitesLeft ? SurveyTexts::TimeLeft.arg(ClockText(m_roundTimeLeft->secondsLeft())) : QString());
}

void TFormSurvey::showButtons()
{
    const bool busy = running();
    m_startButton->setEnabled(!busy && !m_chosen.isEmpty());
    m_stopButton->setEnabled(busy && !m_stopRequested);
    m_saveButton->setEnabled(!busy && !m_rows.isEmpty());
    for (QCheckBox *box : m_portBoxes)
        box->setEnabled(!busy);
    m_parallelBox->setEnabled(!busy);
    m_closeButton->setEnabled(true);
}

void TFormSurvey::startRound()
{
    if (running() || m_chosen.isEmpty())
        return;
    // A second round in this window compares with the first, now the previous survey.
    if (!m_rows.isEmpty() && m_reportWritten) {
        m_previous = m_rows;
        m_previousPath = m_reportPath;
    }
    m_rows.clear();
    m_done = 0;
    m_roundTimeLeft = std::make_unique<RoundTimeLeft>(m_chosen, int(surveyPorts().size()), parallel());
    m_stopRequested = false;
    m_firstWriteFailure.clear();
    fillRows();
    fitResultColumn();
    m_reportPath = NewReportPath(m_reportsFolder, QDateTime::currentDateTime());
    m_report = std::make_unique<SurveyReportFile>(m_reportPath, m_chosen, QList<SurveyRow>{}, workbookContext());
    m_relay = std::make_unique<SurveyRelay>(*m_report);
    // Emitted on the engines' threads: queued to this one.
    connect(m_relay.get(), &SurveyRelay::started, this, &TFormSurvey::onSiteStarted);
    connect(m_relay.get(), &SurveyRelay::finished, this, &TFormSurvey::onSiteFinished);
    m_pool = std::make_unique<SurveyPool>(m_settings, surveyPorts(), *m_relay, timing, parallel());
    connect(m_pool.get(), &SurveyPool::finished, this, &TFormSurvey::onRoundFinished);
    m_status->setText(QString());
    m_timeLeftTick.start();
    showProgress();
    showButtons();
    m_stopButton->setFocus();
    m_pool->start(m_chosen);
}

void TFormSurvey::onSiteStarted(int index)
{
    m_roundTimeLeft->siteStarted(index);
    markRowInProgress(index);
    showProgress();
}

void TFormSurvey::onSiteFinished(int index, const SurveyRow &row, const QString &writeError)
{
    m_rows << row;
    m_roundTimeLeft->siteFinished(index, row.started.isValid(), row.durationSeconds);
    // A site a stop left unreached is not done: the progress counts the calls made.
    if (row.started.isValid())
        ++m_done;
    showRow(index, row);
    showProgress();
    if (!writeError.isEmpty() && m_firstWriteFailure.isEmpty())
        m_firstWriteFailure = writeError;
}

void TFormSurvey::onRoundFinished()
{
    // The pool is the sender: it goes once this slot has returned.
    m_pool.release()->deleteLater();
    m_timeLeftTick.stop();
    int read = 0;
    QStringList leftOnline;
    for (const SurveyRow &row : m_rows) {
        read += row.read ? 1 : 0;
        if (row.leftOnlinePort > 0 && !leftOnline.contains(surveytext::ModemMayBeOnline(row.leftOnlinePort)))
            leftOnline << surveytext::ModemMayBeOnline(row.leftOnlinePort);
    }
    m_reportWritten = m_report->unwrittenRows().isEmpty() || m_report->write(nullptr);
    QStringList status{m_reportWritten
                           ? SurveyTexts::Done.arg(read).arg(m_chosen.size()).arg(QDir::toNativeSeparators(m_reportPath))
                           : SurveyTexts::DoneNotWritten.arg(read).arg(m_chosen.size())};
    // A call that may still be up is billed until the far end drops it: said under the total.
    status << leftOnline;
    m_status->setText(status.join(u'\n'));
    showProgress();
    showButtons();
    m_saveButton->setFocus();
    if (!m_reportWritten && showMessage)
        showMessage(m_firstWriteFailure + u'\r' + SurveyTexts::RowsKept);
    if (m_closeWhenDone)
        QDialog::reject();
}

void TFormSurvey::stopRound()
{
    if (!running())
        return;
    m_pool->stop();
    m_stopRequested = true;
    m_status->setText(SurveyTexts::Stopping);
    showButtons();
}

void TFormSurvey::closeEvent(QCloseEvent *event)
{
    if (running()) {
        // The window goes once the call in progress is hung up.
        m_closeWhenDone = true;
        stopRound();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormSurvey::reject()
{
    if (running()) {
        stopRound();
        return;
    }
    QDialog::reject();
}

SurveyWorkbookContext TFormSurvey::workbookContext() const
{
    SurveyWorkbookContext context;
    for (const int port : surveyPorts())
        context.ports << QStringLiteral("COM%1").arg(port);
    if (!m_previousPath.isEmpty()) {
        context.previousName = QFileInfo(m_previousPath).fileName();
        context.previousRows = m_previous;
    }
    return context;
}

// A name ending in ".csv" is saved as the CSV, any other as the spreadsheet file.
void TFormSurvey::onSaveClicked()
{
    if (running() || m_rows.isEmpty())
        return;
    const QString path = askSavePath ? askSavePath(WorkbookPath(m_reportPath)) : QString();
    if (path.isEmpty())
        return;
    QString error;
    const bool saved = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
                           ? WriteSurveyReport(path, m_rows, &error)
                           : WriteSurveyWorkbook(path, m_rows, workbookContext(), &error);
    if (!saved && showMessage)
        showMessage(error);
}

QString SavedReportPath(const QString &chosen, bool csvChosen)
{
    if (chosen.isEmpty() || chosen.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ||
        chosen.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        return chosen;
    return chosen + (csvChosen ? QStringLiteral(".csv") : QStringLiteral(".xlsx"));
}

void OpenSurveyWindow(const Settings &settings, const AbonentDirectory &directory, const QList<int> &rows,
                      const QString &iniDirectory, QWidget *owner, const ShowMessageFn &showMessage)
{
    const QList<SurveySubscriber> all = DirectorySubscribers(directory);
    QList<SurveySubscriber> chosen;
    if (rows.size() > 1) {
        // The rows are positions in the list as it is sorted now; each site keeps the
        // number of its place by name, as in the report and on the command line.
        std::set<int> numbers;
        for (int row : rows) {
            if (row < 0 || row >= directory.count)
                continue;
            const AbonentRecord &entry = directory.entries[size_t(row)];
            for (const SurveySubscriber &site : all) {
                if (site.name == entry.name && site.phone == entry.phoneNumber && numbers.insert(site.number).second)
                    break;
            }
        }
        for (int number : numbers)
            chosen << all[number - 1];
    } else {
        chosen = all;
    }
    Settings surveyed = settings;
    surveyed.directory = directory;
    TFormSurvey window(surveyed, chosen, ReportsDirectory(iniDirectory), owner);
    window.rememberPortsIn(iniDirectory + QStringLiteral("/bluetooth.ini"));
    if (showMessage)
        window.showMessage = showMessage;
    window.exec();
}

} // namespace tavrin
