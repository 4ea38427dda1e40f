// Qt has no connect timeout of its own, so the first headers stand for "connected"; the transfer
// is aborted by timers and by the body cap, and the reason is kept on the reply for the result.
#include "net/http_client.h"

#include "net/tls_configuration.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace morvalen::net {
namespace {

enum class AbortReason { none, timeout, too_large };

QString charset_of(const QString& content_type) {
    const auto parts = content_type.split(u';');
    for (const auto& part : parts) {
        const QString item = part.trimmed();
        if (item.startsWith(u"charset=", Qt::CaseInsensitive)) {
            QString value = item.mid(8).trimmed();
            if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"')) value = value.mid(1, value.size() - 2);
            return value.toLower();
        }
    }
    return {};
}

// The state of one request: the body so far and why it was stopped, if it was.
struct Transfer {
    QByteArray body;
    AbortReason reason = AbortReason::none;
    bool truncated = false;
    bool done = false;
};

// A GET that always asks the host itself, never a cache, over verified TLS.
QNetworkRequest fresh_request(const QUrl& url) {
    QNetworkRequest request(url);
    // https:// is verified against the system's store and the named extra CA, never skipped.
    request.setSslConfiguration(tls_configuration());
    request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromLatin1(user_agent));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

// The connect and total timers and the body cap, each aborting the reply with its reason.
void watch_limits(QNetworkReply* reply, const RequestLimits& limits, const std::shared_ptr<Transfer>& transfer) {
    auto* connect_timer = new QTimer(reply);
    auto* total_timer = new QTimer(reply);
    connect_timer->setSingleShot(true);
    total_timer->setSingleShot(true);
    auto stop = [reply, transfer](AbortReason reason) {
        if (transfer->done || transfer->reason != AbortReason::none) return;
        transfer->reason = reason;
        reply->abort();
    };
    QObject::connect(connect_timer, &QTimer::timeout, reply, [stop] { stop(AbortReason::timeout); });
    QObject::connect(total_timer, &QTimer::timeout, reply, [stop] { stop(AbortReason::timeout); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, connect_timer, &QTimer::stop);

    const qint64 cap = limits.max_bytes;
    const bool truncate = limits.truncate_at_cap;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, cap, truncate, stop] {
        // A declared length beyond the cap fails before a byte of the body is read.
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (cap > 0 && !truncate && length.isValid() && length.toLongLong() > cap) stop(AbortReason::too_large);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, transfer, cap, truncate, stop] {
        if (transfer->reason != AbortReason::none || transfer->truncated) {
            reply->readAll();
            return;
        }
        const QByteArray chunk = reply->readAll();
        if (cap > 0 && transfer->body.size() + chunk.size() > cap) {
            if (truncate) {
                transfer->body.append(chunk.left(cap - transfer->body.size()));
                transfer->truncated = true;
                // Enough has been read: the rest is not wanted.
                reply->abort();
            } else {
                stop(AbortReason::too_large);
            }
            return;
        }
        transfer->body.append(chunk);
    });
    connect_timer->start(limits.connect);
    total_timer->start(limits.total);
}

// What the finished reply gives the caller.
FetchResult result_of(QNetworkReply* reply, Transfer& transfer) {
    transfer.done = true;
    FetchResult result;
    if (transfer.reason == AbortReason::none && !transfer.truncated) transfer.body.append(reply->readAll());
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.content_type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    result.charset = charset_of(result.content_type);
    if (transfer.reason == AbortReason::timeout) {
        result.timed_out = true;
        result.error = QStringLiteral("the request timed out");
    } else if (transfer.reason == AbortReason::too_large) {
        result.too_large = true;
        result.error = QStringLiteral("the response is larger than allowed");
    } else if (transfer.truncated) {
        result.ok = true;
        result.body = transfer.body;
    } else if (reply->error() != QNetworkReply::NoError && result.status == 0) {
        result.error = reply->errorString();
        result.network_error = static_cast<int>(reply->error());
    } else {
        // An HTTP error status still brings a page, which the caller reads like any other.
        result.ok = true;
        result.body = transfer.body;
    }
    return result;
}

}  // namespace

RequestLimits version_text_limits() {
    RequestLimits limits;
    limits.connect = std::chrono::milliseconds(3000);
    limits.total = std::chrono::milliseconds(5000);
    limits.max_bytes = 282;
    limits.truncate_at_cap = true;
    return limits;
}

RequestLimits page_limits() {
    RequestLimits limits;
    limits.connect = std::chrono::milliseconds(5000);
    limits.total = std::chrono::milliseconds(15000);
    limits.max_bytes = 4 * 1024 * 1024;
    return limits;
}

RequestLimits body_limits() {
    RequestLimits limits;
    limits.connect = std::chrono::milliseconds(5000);
    limits.total = std::chrono::milliseconds(120000);
    limits.max_bytes = 64 * 1024 * 1024;
    return limits;
}

HttpClient::HttpClient(QObject* parent) : QObject(parent) {
    manager_.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

void HttpClient::download(const QUrl& url, qint64 max_bytes, Callback done) {
    RequestLimits limits = body_limits();
    limits.max_bytes = max_bytes;
    get(url, limits, std::move(done));
}

void HttpClient::abort_all() {
    for (QNetworkReply* reply : manager_.findChildren<QNetworkReply*>()) reply->abort();
}

void HttpClient::get(const QUrl& url, const RequestLimits& limits, Callback done, Progress progress) {
    QNetworkReply* reply = manager_.get(fresh_request(url));
    if (progress) QObject::connect(reply, &QNetworkReply::downloadProgress, reply, std::move(progress));
    auto transfer = std::make_shared<Transfer>();
    QPointer<HttpClient> self(this);
    QObject::connect(reply, &QNetworkReply::finished, this, [self, reply, transfer, url, done = std::move(done)] {
        const FetchResult result = result_of(reply, *transfer);
        reply->deleteLater();
        if (done) done(result);
        if (self) Q_EMIT self->finished(url, result);
    });
    watch_limits(reply, limits, transfer);
}

}  // namespace morvalen::net
