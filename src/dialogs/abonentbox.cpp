#include "dialogs/abonentbox.h"

#include "dialogs/abonentediting.h"
#include "dialogs/dialogtexts.h"
#include "dialogs/formabonentslist.h"
#include "dialogs/formsurvey.h"
#include "settings/settingsstore.h"

#include <QComboBox>
#include <QPushButton>

#include <algorithm>

namespace tavrin {

AbonentBox::AbonentBox(SettingsStore &store, AbonentDirectory &directory, QComboBox *box,
                       QPushButton *listButton, QWidget *dialog, Hooks hooks)
    : QObject(dialog), m_store(store), m_directory(directory), m_box(box), m_dialog(dialog),
      m_hooks(std::move(hooks))
{
    // activated: only the user's choice runs the handler, as the list's click does.
    connect(box, &QComboBox::activated, this, &AbonentBox::onChosen);
    connect(listButton, &QPushButton::clicked, this, &AbonentBox::onListClicked);
}

void AbonentBox::fill()
{
    const int count = std::min<int>(m_directory.count, kMaxAbonents);
    m_box->clear();
    m_shown.clear();
    for (int i = 0; i < count; ++i) {
        if (m_networkOnly && m_directory.entries[i].networkAddress.isEmpty())
            continue;
        m_shown.append(i);
        m_box->addItem(m_directory.entries[i].name);
    }
    if (count < kMaxAbonents)
        m_box->addItem(CommonTexts::NewAbonent); // after the subscriber lines
    reselect();
    if (hasChoice())
        m_hooks.showStatus();
}

void AbonentBox::reselect()
{
    // A selection beyond the last subscriber (a hand-edited file) would put the
    // "Новый абонент" line forward as the chosen subscriber; it selects nothing instead.
    const bool valid = m_directory.count > 0 && m_directory.selectedIndex < m_directory.count;
    m_box->setCurrentIndex(valid ? int(m_shown.indexOf(int(m_directory.selectedIndex))) : -1);
}

bool AbonentBox::hasChoice() const
{
    const int line = m_box->currentIndex();
    return line >= 0 && line < m_shown.size();
}

void AbonentBox::commit()
{
    m_store.CurrentSettings.directory = m_directory;
    m_store.WriteAbonentsIni();
}

void AbonentBox::onChosen(int line)
{
    if (line < 0)
        return;
    if (line < m_shown.size()) {
        m_directory.selectedIndex = quint8(m_shown[line]);
        m_hooks.showStatus();
        return;
    }
    if (!AddAbonent(m_directory, m_dialog, m_hooks.showMessage)) {
        reselect();
        return;
    }
    fill();
    m_hooks.showStatus();
    commit();
}

void AbonentBox::onListClicked()
{
    TFormAbonents_List list(m_directory, m_dialog);
    list.showMessage = m_hooks.showMessage;
    list.openSurvey = [this, &list](const QList<int> &rows) {
        const Settings settings = m_hooks.surveySettings ? m_hooks.surveySettings() : m_store.CurrentSettings;
        OpenSurveyWindow(settings, m_directory, rows, m_store.IniDirectory, &list, m_hooks.showMessage);
    };
    const bool accepted = list.exec() == QDialog::Accepted;
    // The list changes the directory in place even when cancelled: the box shows it as
    // it now is, so a line chosen afterwards is the subscriber it names.
    fill();
    if (accepted)
        commit();
}

} // namespace tavrin
