// Page requests through Qt Network; a failed request is handed on as the page it gave.
#include "app/page_fetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace morvalen::app {

namespace {
// A page bigger than this is not a page of the service; the rest is not kept.
constexpr qint64 page_limit = 16 * 1024 * 1024;
}

NetworkPageFetcher::NetworkPageFetcher(QObject* owner) : manager_(new QNetworkAccessManager(owner)) {}

void NetworkPageFetcher::fetch(const QString& url, std::function<void(FetchedPage)> done) {
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(30000);
    QNetworkReply* reply = manager_->get(request);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply] {
        if (reply->bytesAvailable() > page_limit) reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
        FetchedPage page;
        const QByteArray body = reply->read(page_limit);
        page.body.assign(body.constData(), static_cast<std::size_t>(body.size()));
        page.content_type = reply->header(QNetworkRequest::ContentTypeHeader).toString().toStdString();
        reply->deleteLater();
        done(std::move(page));
    });
}

}  // namespace morvalen::app
