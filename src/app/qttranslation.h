#pragma once

class QCoreApplication;

// Installs Qt's own Russian translation (standard buttons "Да", "Нет",
// "Отмена", the print and file dialogs) from Qt's translations folder into
// the application. False when the translation is not installed there.
bool installQtTranslation(QCoreApplication *application);
