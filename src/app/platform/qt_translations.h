// Qt's own texts (file dialogs, message-box buttons, the edit menu of text fields) in the user's language.
#pragma once

#include <QLocale>
#include <QString>

class QTranslator;

namespace morvalen::app {

// Installs Qt's translation for the first of the locale's languages that Qt has one for, else the
// Russian one, the program's own language. The translator belongs to the application (deleting it
// uninstalls it); nullptr when not even the Russian file is installed.
QTranslator* install_qt_translations(const QLocale& locale = QLocale::system());

// Where Qt's translation files are looked up.
QString qt_translations_folder();

}  // namespace morvalen::app
