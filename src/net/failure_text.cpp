// The network errors a player can act on get their own words; the rest keep Qt's text after a prefix.
#include "net/failure_text.h"

#include <QNetworkReply>

namespace morvalen::net {

bool page_arrived(const FetchResult& result) { return result.ok && result.status >= 200 && result.status < 300; }

QString failure_reason(const FetchResult& result) {
    if (page_arrived(result)) return {};
    if (result.timed_out) return QStringLiteral("истекло время ожидания ответа");
    if (result.too_large) return QStringLiteral("ответ больше допустимого размера");
    if (result.ok) return QStringLiteral("ответ с ошибкой HTTP %1").arg(result.status);
    switch (static_cast<QNetworkReply::NetworkError>(result.network_error)) {
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("в подключении отказано");
    case QNetworkReply::HostNotFoundError: return QStringLiteral("узел не найден");
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("узел закрыл соединение");
    case QNetworkReply::TimeoutError: return QStringLiteral("истекло время ожидания ответа");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("сертификат узла не подтверждён (%1)").arg(result.error);
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError: return QStringLiteral("нет связи с сетью");
    default: break;
    }
    if (result.error.isEmpty()) return QStringLiteral("ответ не получен");
    return QStringLiteral("ошибка сети (%1)").arg(result.error);
}

QString host_of(const QUrl& url) {
    if (url.port() < 0) return url.host();
    return url.host() + QLatin1Char(':') + QString::number(url.port());
}

}  // namespace morvalen::net
