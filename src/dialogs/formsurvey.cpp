#include "dialogs/formsurvey.h"

#include "dialogs/dialogtexts.h"
#include "dialogs/dialogwidgets.h"
#include "survey/surveytexts.h"
#include "link/clocktext.h"
#include "survey/surveycolumns.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

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

// Hands the engine's rows to the window; the round runs on the window's thread.
class TFormSurvey::Observer : public SurveyObserver {
public:
    Observer(TFormSurvey &window, SurveyReportFile &report) : m_window(window), m_report(report) {}

    void siteStarted(int index) override { m_window.markRowInProgress(index); }
    void siteFinished(int index, const SurveyRow &row) override
    {
        m_window.m_rows << row;
        ++m_window.m_done;
        m_window.showRow(index, row);
        m_window.showProgress();
        QString error;
        if (!m_report.add(row, &error) && m_firstFailure.isEmpty())
            m_firstFailure = error;
    }
    // Why the report was first not written this round; empty when it always was.
    QString firstFailure() const { return m_firstFailure; }

private:
    TFormSurvey &m_window;
    SurveyReportFile &m_report;
    QString m_firstFailure;
};

TFormSurvey::TFormSurvey(const Settings &settings, const QList<SurveySubscriber> &chosen,
                         const QString &reportsFolder, QWidget *owner)
    : QDialog(owner, kSystemMenuOnly | Qt::WindowMaximizeButtonHint), showMessage(MessageBoxOf(this)),
      m_settings(settings), m_chosen(chosen), m_reportsFolder(reportsFolder)
{
    setObjectName(QStringLiteral("FormSurvey"));
    setWindowTitle(SurveyTexts::Caption);
    askSavePath = [this](const QString &suggested) {
        QString filter = SurveyTexts::SaveWorkbookFilter;
        const QString path = QFileDialog::getSaveFileName(
            this, SurveyTexts::SaveCaption, suggested,
            SurveyTexts::SaveWorkbookFilter + QStringLiteral(";;") + SurveyTexts::SaveReportFilter, &filter);
        return SavedReportPath(path, filter == SurveyTexts::SaveReportFilter);
    };
    createControls();
    fillRows();
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
    if (m_report) {
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

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(progressRow);
    layout->addWidget(m_status);
    layout->addLayout(ButtonRow({m_startButton, m_stopButton}, {m_saveButton, m_closeButton}));

    connect(m_startButton, &QPushButton::clicked, this, &TFormSurvey::startRound);
    connect(m_stopButton, &QPushButton::clicked, this, &TFormSurvey::stopRound);
    connect(m_saveButton, &QPushButton::clicked, this, &TFormSurvey::onSaveClicked);
    connect(m_closeButton, &QPushButton::clicked, this, &TFormSurvey::reject);
    SetTabOrder({m_table, m_startButton, m_stopButton, m_saveButton, m_closeButton});
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
    m_table->scrollToItem(m_table->item(index, NumberColumn));
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
    m_table->item(index, ResultColumn)->setForeground(row.read ? kReadText : kFailedText);
    m_table->item(index, ResultColumn)->setToolTip(PlainToolTip(row.result));
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
    const int left = int(m_chosen.size()) - m_done;
    if (m_done == 0 || left <= 0) {
        m_timeLeft->setText(left <= 0 ? QString() : SurveyTexts::TimeLeftUnknown);
        return;
    }
    m_timeLeft->setText(SurveyTexts::TimeLeft.arg(ClockText(m_clock.elapsed() / 1000 * left / m_done)));
}

void TFormSurvey::showButtons()
{
    const bool busy = running();
    m_startButton->setEnabled(!busy && !m_chosen.isEmpty());
    m_stopButton->setEnabled(busy && !m_engine->stopRequested());
    m_saveButton->setEnabled(!busy && !m_rows.isEmpty());
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
    fillRows();
    m_reportPath = NewReportPath(m_reportsFolder, QDateTime::currentDateTime());
    SurveyReportFile report(m_reportPath, m_chosen, {}, workbookContext());
    Observer observer(*this, report);
    SurveyEngine engine(m_settings, observer, 0, timing);
    m_engine = &engine;
    m_report = &report;
    m_clock.start();
    m_status->setText(QString());
    showProgress();
    showButtons();
    m_stopButton->setFocus();

    engine.run(m_chosen);

    m_engine = nullptr;
    m_report = nullptr;
    int read = 0;
    for (const SurveyRow &row : m_rows)
        read += row.read ? 1 : 0;
    m_reportWritten = report.unwrittenRows().isEmpty() || report.write(nullptr);
    m_status->setText(m_reportWritten
                          ? SurveyTexts::Done.arg(read).arg(m_chosen.size()).arg(QDir::toNativeSeparators(m_reportPath))
                          : SurveyTexts::DoneNotWritten.arg(read).arg(m_chosen.size()));
    showProgress();
    showButtons();
    m_saveButton->setFocus();
    if (!m_reportWritten && showMessage)
        showMessage(observer.firstFailure() + u'\r' + SurveyTexts::RowsKept);
    if (m_closeWhenDone)
        QDialog::reject();
}

void TFormSurvey::stopRound()
{
    if (!running())
        return;
    m_engine->stop();
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
    context.ports = QStringList{QStringLiteral("COM%1").arg(m_settings.phone.portNumber)};
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
        QList<int> sorted = rows;
        std::sort(sorted.begin(), sorted.end());
        for (int row : sorted) {
            if (row >= 0 && row < all.size())
                chosen << all[row];
        }
    } else {
        chosen = all;
    }
    Settings surveyed = settings;
    surveyed.directory = directory;
    TFormSurvey window(surveyed, chosen, ReportsDirectory(iniDirectory), owner);
    if (showMessage)
        window.showMessage = showMessage;
    window.exec();
}

} // namespace tavrin
