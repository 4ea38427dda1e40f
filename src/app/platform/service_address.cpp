// Resolution of the service address, in the order the player can override it.
#include "app/platform/service_address.h"

#include <QStandardPaths>
#include <QtGlobal>

#ifdef MORVALEN_EMBEDDED_SERVICE
#include "service/embedded_service.h"
#endif

namespace morvalen::app {

ServiceAddress find_service() {
    const QString from_environment = qEnvironmentVariable("MORVALEN_SERVICE_URL");
    if (!from_environment.isEmpty()) return {from_environment, nullptr};
#ifdef MORVALEN_DEFAULT_SERVICE_URL
    const QString built_in = QStringLiteral(MORVALEN_DEFAULT_SERVICE_URL);
    if (!built_in.isEmpty()) return {built_in, nullptr};
#endif
#ifdef MORVALEN_EMBEDDED_SERVICE
    // An in-memory store with the demonstration line and the shipped brief systems: a fresh machine
    // shows a real line at once and can form brief systems.
    std::shared_ptr<service::EmbeddedService> embedded = service::EmbeddedService::start("", true);
    if (embedded) return {QString::fromStdString(embedded->base_url()), embedded};
#endif
    return {};
}

}  // namespace morvalen::app
