// Where the line service is: the environment, the build's setting, or a service of our own.
#pragma once

#include <memory>

#include <QString>

namespace morvalen::app {

struct ServiceAddress {
    QString url;
    // Keeps an embedded service running while the program needs it.
    std::shared_ptr<void> keeper;
};

// MORVALEN_SERVICE_URL, else the build's MORVALEN_SERVICE_URL, else the embedded service on the
// loopback (when it is built in).
ServiceAddress find_service();

}  // namespace morvalen::app
