// Asynchronous requests of the service: the line and list pages, and one brief system's body.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QObject>
#include <QString>

#include "net/http_client.h"

namespace morvalen::app {

struct FetchedPage {
    std::string body;
    std::string content_type;
    bool ok = false;  // a whole response arrived (any status)
    // Why no usable page arrived (refused, timed out, an error status, too large), in Russian;
    // empty when the page arrived.
    QString failure = {};
    int status = 0;  // the HTTP status; 0 when none arrived or none is known
};

// Why a brief-system answer with an error status holds no system, for the player; empty when its
// status is a success or not known. A 503 is the service asking to come back later (its budget of
// new systems for this player is spent, or its generator is full).
QString brief_system_refusal(const FetchedPage& page);

enum class FetchKind { page, brief_system };

class PageFetcher {
public:
    virtual ~PageFetcher() = default;
    // Returns at once; done runs later on the user-interface thread, also when the request failed
    // (with what the failure gave, possibly nothing).
    virtual void fetch(const QString& url, FetchKind kind, std::function<void(FetchedPage)> done) = 0;
};

class NetworkPageFetcher final : public PageFetcher {
public:
    // page_limits replaces the limits of the line and list pages (tests shorten them).
    explicit NetworkPageFetcher(QObject* owner, std::optional<net::RequestLimits> page_limits = std::nullopt);
    void fetch(const QString& url, FetchKind kind, std::function<void(FetchedPage)> done) override;

private:
    net::HttpClient* client_;
    net::RequestLimits page_limits_;
};

}  // namespace morvalen::app
