// There is deliberately no switch that turns verification off: a private CA is trusted by naming it.
#include "net/tls_configuration.h"

#include <QSslCertificate>
#include <QSsl>

namespace morvalen::net {

QString extra_ca_file() { return qEnvironmentVariable("MORVALEN_CA_FILE"); }

const QSslConfiguration& tls_configuration() {
    static const QSslConfiguration configuration = [] {
        QSslConfiguration built = QSslConfiguration::defaultConfiguration();
        built.setPeerVerifyMode(QSslSocket::VerifyPeer);
        built.setProtocol(QSsl::TlsV1_2OrLater);
        const QString extra = extra_ca_file();
        if (!extra.isEmpty()) built.addCaCertificates(extra, QSsl::Pem);
        return built;
    }();
    return configuration;
}

}  // namespace morvalen::net
