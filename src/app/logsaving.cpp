// Keeping the trace: the exchange log's "Сохранить в файл..." asks where, proposing a
// name of the current date and time in the user's documents folder (the home folder
// without one), and writes the whole trace there, in the view shown. Nothing on screen
// changes; a failed write names the file. The view chosen in the log's menu is kept in
// bluetooth.ini.

#include "app/applog.h"
#include "app/apptexts.h"
#include "app/exchangelogpanel.h"
#include "app/exchangelogview.h"
#include "app/formmain.h"
#include "app/messagepresenter.h"
#include "app/tracefile.h"
#include "app/windowdialogs.h"
#include "settings/logviewsettings.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

namespace tavrin {

void TFormMain::onSaveLogRequested()
{
    const QString path = chooseLogFile();
    if (path.isEmpty())
        return;
    const QString failure = WriteTraceFile(path, m_logPanel->log().traceFileText());
    if (failure.isEmpty())
        return;
    qCInfo(lcApp) << "trace not saved to" << path << ":" << failure;
    m_dialogs->showMessage(apptext::LogNotSaved.arg(QDir::toNativeSeparators(path), failure));
}

void TFormMain::restoreLogView()
{
    const LogViewSettings kept = ReadLogViewSettings(m_session->store().BluetoothIniPath);
    m_logPanel->log().setViewOptions({kept.hexView, kept.times});
    connect(&m_logPanel->log(), &ExchangeLogView::viewOptionsChosen, this, &TFormMain::onLogViewChosen);
}

void TFormMain::onLogViewChosen(const TraceViewOptions &options)
{
    // A view not kept costs the user one click at the next start: it is only logged.
    QString failure;
    if (!WriteLogViewSettings(m_session->store().BluetoothIniPath, {options.hex, options.times}, &failure))
        qCInfo(lcApp) << "log view not kept in" << m_session->store().BluetoothIniPath << ":" << failure;
}

namespace {

// The user's documents folder, or the home folder where there is none.
QDir LogFolder()
{
    const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    return documents.exists() ? documents : QDir::home();
}

} // namespace

QString TFormMain::chooseLogFile()
{
    const QString proposed = LogFolder().filePath(TraceFileName(QDateTime::currentDateTime()));
    if (MessagePresenter *presenter = m_dialogs->presenter())
        return presenter->chooseSaveFile(proposed);
    QFileDialog dialog(this, apptext::SaveLogCaption, proposed, apptext::LogFileFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    const bool chosen = m_dialogs->run(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    return chosen ? dialog.selectedFiles().constFirst() : QString();
}

} // namespace tavrin
