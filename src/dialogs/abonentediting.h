#pragma once

#include "dialogs/messagebox.h"

class QWidget;

namespace tavrin {

struct AbonentDirectory;

// "Новый абонент" and "Добавить": the subscriber editor, owned by owner, fills the free
// slot after the last entry. When it is accepted, that slot becomes the last entry and
// the selected one, and the directory is sorted by its own key, the new subscriber
// staying selected. True when a subscriber was added; false, with the directory as it
// was, when the editor was cancelled or there is no free slot.
bool AddAbonent(AbonentDirectory &directory, QWidget *owner, const ShowMessageFn &showMessage);

// "Изменить": the subscriber editor on the selected entry. True when it was accepted.
bool EditAbonent(AbonentDirectory &directory, QWidget *owner, const ShowMessageFn &showMessage);

} // namespace tavrin
