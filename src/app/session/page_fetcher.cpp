// Requests through the program's HTTP client, with its time limits and body caps.
#include "app/session/page_fetcher.h"

#include "net/failure_text.h"
#include "net/http_client.h"

namespace morvalen::app {

NetworkPageFetcher::NetworkPageFetcher(QObject* owner, std::optional<net::RequestLimits> page_limits)
    : client_(new net::HttpClient(owner)), page_limits_(page_limits.value_or(net::page_limits())) {}

void NetworkPageFetcher::fetch(const QString& url, FetchKind kind, std::function<void(FetchedPage)> done) {
    const net::RequestLimits limits = kind == FetchKind::page ? page_limits_ : net::body_limits();
    client_->get(QUrl(url), limits, [done = std::move(done)](const net::FetchResult& result) {
        FetchedPage page;
        page.ok = result.ok;
        page.body.assign(result.body.constData(), static_cast<std::size_t>(result.body.size()));
        page.content_type = result.content_type.toStdString();
        page.failure = net::failure_reason(result);
        page.status = result.status;
        done(std::move(page));
    });
}

QString brief_system_refusal(const FetchedPage& page) {
    if (page.status < 300) return {};
    if (page.status == 503)
        return QStringLiteral("Сервис сейчас не подбирает новую бриф-систему: слишком много запросов. Повторите позже.");
    return QStringLiteral("Бриф-система не получена: %1.").arg(page.failure);
}

}  // namespace morvalen::app
