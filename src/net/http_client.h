// Asynchronous HTTP GET for the desktop program: every request has a connect and a total time limit
// and a cap on the body, so a silent or hostile host can neither hang the window nor fill memory.
#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

namespace morvalen::net {

// The agent text every request of the program has always sent.
inline constexpr const char* user_agent = "Mozilla/5.0 (compatible; MSIE 6.0; SV1; MRA 4.8 (build 01705))";

struct RequestLimits {
    // Until the response's headers arrive; a host that accepts and stays silent is a failed request.
    std::chrono::milliseconds connect{5000};
    // For the whole request, body included.
    std::chrono::milliseconds total{15000};
    // Largest body accepted; 0 means no cap (only for trusted small pages).
    qint64 max_bytes = 16 * 1024 * 1024;
    // At the cap: true keeps the first max_bytes and succeeds (the version text is read this way);
    // false fails the request.
    bool truncate_at_cap = false;
};

// Sensible limits for the three kinds of request of the program.
RequestLimits version_text_limits();  // a few seconds, 282 bytes kept
RequestLimits page_limits();          // the line and list pages
RequestLimits body_limits();          // a brief system or the update archive

struct FetchResult {
    bool ok = false;           // a whole response arrived within the limits (any HTTP status)
    int status = 0;            // HTTP status, 0 when none arrived
    QByteArray body;
    QString content_type;      // the Content-Type header as sent
    QString charset;           // its charset parameter, lower case; empty when none
    bool timed_out = false;
    bool too_large = false;
    QString error;             // empty when ok
    int network_error = 0;     // QNetworkReply::NetworkError of a failed transfer, 0 when none
};

class HttpClient : public QObject {
    Q_OBJECT
public:
    explicit HttpClient(QObject* parent = nullptr);

    using Callback = std::function<void(const FetchResult&)>;
    // Bytes of the body so far and the declared length (-1 when unknown).
    using Progress = std::function<void(qint64 received, qint64 total)>;

    // Starts a GET and returns at once; done runs later on this object's thread, exactly once.
    void get(const QUrl& url, const RequestLimits& limits, Callback done, Progress progress = {});
    // Ends every request of this client; their callbacks run with a failed result.
    void abort_all();
    // A page for reading its text (the line and list pages): page_limits().
    void fetch_page(const QUrl& url, Callback done) { get(url, page_limits(), std::move(done)); }
    // A body of at most max_bytes (a brief system, the archive): body_limits() with that cap.
    void download(const QUrl& url, qint64 max_bytes, Callback done);

Q_SIGNALS:
    // Emitted after every request's callback, for callers that prefer signals.
    void finished(const QUrl& url, const morvalen::net::FetchResult& result);

private:
    QNetworkAccessManager manager_;
};

}  // namespace morvalen::net

Q_DECLARE_METATYPE(morvalen::net::FetchResult)
