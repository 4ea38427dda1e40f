// Qt's own texts in the user's language, Russian where Qt has none for it.
#include "app/platform/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace morvalen::app {

QString qt_translations_folder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

QTranslator* install_qt_translations(const QLocale& locale) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folder = qt_translations_folder();
    // qtbase holds the dialogs, message boxes and context menus the program shows.
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
        translator->load(QStringLiteral("qtbase_ru"), folder)) {
        QCoreApplication::installTranslator(translator);
        return translator;
    }
    delete translator;
    return nullptr;
}

}  // namespace morvalen::app
