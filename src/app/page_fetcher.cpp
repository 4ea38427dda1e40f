// Requests through the program's HTTP client, with its time limits and body caps.
#include "app/page_fetcher.h"

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
        done(std::move(page));
    });
}

}  // namespace morvalen::app
