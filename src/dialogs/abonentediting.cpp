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
    if (directory.users_num >= kMaxAbonents)
        return false;
    if (!RunEditor(directory.entries[directory.users_num], AddMode, owner, showMessage))
        return false;
    directory.user_index = directory.users_num;
    ++directory.users_num;
    if (directory.users_num > 1)
        SortAbonents(directory, directory.sort_prz);
    return true;
}

bool EditAbonent(AbonentDirectory &directory, QWidget *owner, const ShowMessageFn &showMessage)
{
    if (directory.user_index >= directory.users_num)
        return false;
    return RunEditor(directory.entries[directory.user_index], EditMode, owner, showMessage);
}

} // namespace tavrin
