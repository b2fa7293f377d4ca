#pragma once

class QCoreApplication;

namespace tavrin {

// Qt's own texts in Russian: the standard buttons of message boxes, the edit fields'
// context menus, the file dialog. Installed on the application before any window is
// made; a missing translation file is noted in the "tavrin.app" log and leaves those
// texts in English.
void InstallRussianTexts(QCoreApplication &app);

} // namespace tavrin
