#pragma once

#include "dialogs/messagebox.h"
#include "settings/settings.h"
#include "survey/previoussurvey.h"
#include "survey/surveyengine.h"
#include "survey/surveyrelay.h"
#include "survey/surveyreport.h"
#include "survey/timeleft.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QTimer>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace tavrin {

// The survey window: the chosen subscribers in a table that fills in site by site while
// a round runs ("Начать"). "Остановить", Esc and closing the window end the round once
// the call in progress is hung up. Every round is written at once to a report in the
// reports folder, the CSV and the spreadsheet file beside it; "Сохранить отчёт…" saves
// the table elsewhere as either. A value that differs
// from the same subscriber's row of the previous saved survey is marked, with the old
// value in its tooltip; that survey is read on another thread, and the marks come when it
// is. A report that cannot be written loses nothing: the rows stay in the table, every
// later site tries the file again, and the end of the round says so once and offers
// "Сохранить отчёт…". The round runs on worker threads (SurveyPool), through the phone
// kind's port and any other ports ticked under the table, and reads the subscribers with
// a network address over the network, as many at once as set beside the ports; rows and
// progress come here as queued signals, so this thread never waits for a call.
class TFormSurvey : public QDialog {
    Q_OBJECT
public:
    // settings: the phone kind's line and modem fields, the network kind's line and connect
    // time limit; reportsFolder: where rounds are kept and the previous survey is
    // looked for.
    TFormSurvey(const Settings &settings, const QList<SurveySubscriber> &chosen, const QString &reportsFolder,
                QWidget *owner);
    ~TFormSurvey() override;

    ShowMessageFn showMessage;
    // The file "Сохранить отчёт…" writes to: a name ending in ".csv" gets the CSV, any
    // other the spreadsheet file; empty when the user cancelled.
    std::function<QString(const QString &suggested)> askSavePath;
    SurveyTiming timing; // the delays of the round; tests shorten them

    bool running() const { return m_pool != nullptr; }
    // The report this window's last round was written to; empty before a round.
    QString reportPath() const { return m_reportPath; }
    // The previous survey the marks compare with; empty when there is none, or while it
    // is still being read (previousReadDone()).
    QString previousReport() const { return m_previousPath; }
    bool previousReadDone() const { return m_previousReadDone; }

    // Keeps the ticked ports and the number of network sites read at once in that
    // bluetooth.ini, and shows those kept there.
    void rememberPortsIn(const QString &bluetoothIniPath);
    // The ports of a round: the phone kind's, then those ticked.
    QList<int> surveyPorts() const;
    // How many network sites a round reads at once.
    int parallel() const;

    void startRound(); // "Начать"
    void stopRound();  // "Остановить"

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override; // Esc and the close button: a running round is stopped first

private:
    void createControls();
    void fillRows();
    void showRow(int index, const SurveyRow &row);
    void markChanges(int index, const SurveyRow &row);
    void onPreviousSurveyRead();
    void onSiteStarted(int index);
    void markRowInProgress(int index);
    void showProgress();
    void onPortToggled();
    void onParallelChanged();
    void onSiteFinished(int index, const SurveyRow &row, const QString &writeError);
    void onRoundFinished();
    void showButtons();
    void onSaveClicked();
    // Widens the window (within its screen) until every column of the table shows its
    // values whole; the first time also sets a height of some fifteen rows.
    void fitToTable();
    // "Результат" as wide as its texts, up to some 48 characters: a longer one ends in
    // "…", its tooltip holding it whole.
    static constexpr int kResultColumnChars = 48;
    int resultColumnCap() const;
    void fitResultColumn();
    // The ports and the previous survey the spreadsheet file names.
    SurveyWorkbookContext workbookContext() const;

    Settings m_settings;
    QList<SurveySubscriber> m_chosen;
    QString m_reportsFolder;
    QString m_previousPath;
    QList<SurveyRow> m_previous;
    QFutureWatcher<PreviousSurvey> m_previousRead;
    bool m_previousReadDone = false;
    QList<SurveyRow> m_rows; // this round's, as they come
    QString m_reportPath;
    std::unique_ptr<SurveyReportFile> m_report;
    std::unique_ptr<SurveyRelay> m_relay;
    std::unique_ptr<SurveyPool> m_pool;
    bool m_stopRequested = false;
    QString m_firstWriteFailure; // why the report was first not written this round
    bool m_closeWhenDone = false;
    bool m_reportWritten = true; // the last round's report holds all its rows
    int m_done = 0;
    std::unique_ptr<RoundTimeLeft> m_roundTimeLeft;
    // Counts the time left down between the sites' events.
    QTimer m_timeLeftTick;
    bool m_sized = false;

    QTableWidget *m_table = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_timeLeft = nullptr;
    QLabel *m_status = nullptr;
    QList<QCheckBox *> m_portBoxes; // every port but the phone kind's, which is always used
    QSpinBox *m_parallelBox = nullptr;
    QString m_portsFile;
    QPushButton *m_startButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};

// The file the save dialog's choice names: as chosen when it ends in ".csv" or
// ".xlsx", else with the ending of the type chosen in the dialog.
QString SavedReportPath(const QString &chosen, bool csvChosen);

// Opens the survey window over owner for the subscribers of directory at rows (positions
// from 0), or all of them when rows names one or none; the phone kind's fields come
// from settings, the reports folder is found beside iniDirectory.
void OpenSurveyWindow(const Settings &settings, const AbonentDirectory &directory, const QList<int> &rows,
                      const QString &iniDirectory, QWidget *owner, const ShowMessageFn &showMessage);

} // namespace tavrin
