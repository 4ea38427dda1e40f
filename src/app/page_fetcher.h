// Asynchronous requests of the service: the line and list pages, and one brief system's body.
#pragma once

#include <functional>
#include <string>

#include <QObject>
#include <QString>

namespace morvalen::net {
class HttpClient;
}

namespace morvalen::app {

struct FetchedPage {
    std::string body;
    std::string content_type;
    bool ok = false;  // a whole response arrived (any status)
};

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
    explicit NetworkPageFetcher(QObject* owner);
    void fetch(const QString& url, FetchKind kind, std::function<void(FetchedPage)> done) override;

private:
    net::HttpClient* client_;
};

}  // namespace morvalen::app
