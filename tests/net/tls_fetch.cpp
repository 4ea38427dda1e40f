// morvalen_tls_fetch URL: one page through the program's HTTP client, for the deployment's TLS test.
// Prints "status N" when a page arrived, else "failed: reason"; MORVALEN_CA_FILE names the test's CA.
#include <QCoreApplication>
#include <QUrl>

#include <iostream>

#include "net/failure_text.h"
#include "net/http_client.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: morvalen_tls_fetch URL\n";
        return 2;
    }
    morvalen::net::HttpClient client;
    client.get(QUrl(QString::fromLocal8Bit(argv[1])), morvalen::net::page_limits(), [](const morvalen::net::FetchResult& result) {
        if (!morvalen::net::page_arrived(result)) {
            std::cout << "failed: " << morvalen::net::failure_reason(result).toStdString() << "\n";
            QCoreApplication::exit(1);
            return;
        }
        std::cout << "status " << result.status << " bytes " << result.body.size() << "\n";
        QCoreApplication::exit(0);
    });
    return QCoreApplication::exec();
}
