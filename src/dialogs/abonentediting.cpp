#include "dialogs/abonentediting.h"

#include "dialogs/formabonent.h"
#include "settings/settings.h"

namespace tavrin {

namespace {

bool RunEditor(AbonentRecord &target, int editMode, QWidget *owner, const ShowMessageFn &showMessage)
{
    TFormAbonent editor(target, editMode, owner);
    editor.showMessage = showMessage;
    return editor.exec() == QDialog::Accepted;
}

} // namespace

bool AddAbonent(AbonentDirectory &directory, QWidget *owner, const ShowMessageFn &showMessage)
{
    if (directory.count >= kMaxAbonents)
        return false;
    if (!RunEditor(directory.entries[directory.count], AddMode, owner, showMessage))
        return false;
    directory.selectedIndex = directory.count;
    ++directory.count;
    if (directory.count > 1)
        SortAbonents(directory, directory.sortKey);
    return true;
}

bool EditAbonent(AbonentDirectory &directory, QWidget *owner, const ShowMessageFn &showMessage)
{
    if (directory.selectedIndex >= directory.count)
        return false;
    return RunEditor(directory.entries[directory.selectedIndex], EditMode, owner, showMessage);
}

} // namespace tavrin
