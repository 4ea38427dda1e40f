// morvalen: the desktop program. Starts the main window on the service it finds, or on its own.
#include <QApplication>
#include <QIcon>

#include "app/windows/main_window.h"
#include "app/platform/qt_translations.h"
#include "app/platform/service_address.h"
#include "app/windows/texts.h"
#include "app/session/update_checker.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The name only: a display name would end every window title in "— " and the name.
    QApplication::setApplicationName(morvalen::app::app_title);
    // Desktops match the window to the installed menu entry and icon by this name.
    QApplication::setDesktopFileName(QStringLiteral(MORVALEN_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(MORVALEN_APP_ID)));
    morvalen::app::install_qt_translations();

    morvalen::app::ServiceAddress service = morvalen::app::find_service();
    morvalen::app::WindowOptions options;
    options.platform = morvalen::app::desktop_platform();
    options.service_url = service.url;
    options.update_url = morvalen::app::find_update_host(service.url);
    options.keep_working_state = true;
    morvalen::app::MainWindow window(options);
    window.show();
    return QApplication::exec();
}
