// The TLS settings of every request: the system's certificate store, plus the certificates of an
// extra CA file when one is named; peer verification always on, TLS 1.2 at least.
#pragma once

#include <QSslConfiguration>
#include <QString>

namespace morvalen::net {

// MORVALEN_CA_FILE in the environment names a PEM file of extra trusted CAs (a private
// deployment's own CA); read once per process.
QString extra_ca_file();

// The configuration built once for the process; an unreadable extra CA file adds nothing.
const QSslConfiguration& tls_configuration();

}  // namespace morvalen::net
