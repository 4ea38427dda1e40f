// Asynchronous page requests of the service: the line page and the brief-system list page.
#pragma once

#include <functional>
#include <string>

#include <QObject>
#include <QString>

class QNetworkAccessManager;

namespace morvalen::app {

struct FetchedPage {
    std::string body;
    std::string content_type;
};

class PageFetcher {
public:
    virtual ~PageFetcher() = default;
    // Returns at once; done runs later on the user-interface thread, also when the request failed
    // (with what the failure gave, possibly nothing).
    virtual void fetch(const QString& url, std::function<void(FetchedPage)> done) = 0;
};

class NetworkPageFetcher final : public PageFetcher {
public:
    explicit NetworkPageFetcher(QObject* owner);
    void fetch(const QString& url, std::function<void(FetchedPage)> done) override;

private:
    QNetworkAccessManager* manager_;
};

}  // namespace morvalen::app
