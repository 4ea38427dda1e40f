// The update check, run after the window is shown: the signed version text, the offer, the download
// with a progress the player can cancel, the signed archive saved in the user's download folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

#include "app/platform/platform.h"
#include "app/platform/update_signature.h"
#include "core/update/minisign.h"
#include "net/http_client.h"

class QProgressDialog;
class QWidget;

namespace morvalen::app {

// MORVALEN_UPDATE_URL from the environment, else the build's MORVALEN_UPDATE_URL, else the line
// service (the embedded one by default), which serves the version file, archive and page as well.
QString find_update_host(const QString& service_url);

struct UpdateSettings {
    // The keys the release must be signed with.
    std::vector<core::MinisignKey> keys = built_in_update_keys();
    // Where the archive is saved; empty: the user's download folder.
    QString download_folder = {};
    // The version text and the signatures; the archive (its cap is the service's archive limit).
    net::RequestLimits text_limits = net::version_text_limits();
    net::RequestLimits archive_limits = net::body_limits();
};

enum class UpdateOutcome {
    no_check,             // no host, or no key to verify a release with
    up_to_date,           // nothing newer (also when the host could not be reached)
    refused,              // the host's text or archive failed its check; the player was told why
    declined,             // the player answered No to the offer
    cancelled,            // the player stopped the download
    not_downloaded,       // the archive could not be fetched or written; the player was told
    downloaded,           // the archive was saved, the player goes on with this version
    terminate_requested,  // the archive was saved and the player chose to end the program
};

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    UpdateChecker(QWidget* window, QString host, Platform platform, UpdateSettings settings = {});

    // Returns at once; finished is emitted when the check has ended, however it ended.
    void start();
    bool running() const { return running_; }
    UpdateOutcome outcome() const { return outcome_; }
    // Where the archive was saved; empty unless it was.
    QString saved_path() const { return saved_path_; }

Q_SIGNALS:
    void finished(morvalen::app::UpdateOutcome outcome);

private:
    void version_arrived(const net::FetchResult& result);
    void version_signature_arrived(const std::string& version_body, const std::string& version,
                                   const net::FetchResult& result);
    void offer(const std::string& version);
    void archive_arrived(const std::string& version, const net::FetchResult& result);
    void archive_signature_arrived(const std::string& version, const QByteArray& archive,
                                   const net::FetchResult& result);
    QUrl address(std::string_view path) const;
    void refuse(const std::string& message, UpdateOutcome outcome = UpdateOutcome::refused);
    void finish(UpdateOutcome outcome);

    QWidget* window_;
    QString host_;
    Platform platform_;
    UpdateSettings settings_;
    net::HttpClient* client_;
    QPointer<QProgressDialog> progress_;
    bool cancelled_ = false;
    bool running_ = false;
    UpdateOutcome outcome_ = UpdateOutcome::no_check;
    QString saved_path_;
};

// Starts the check of a main window once its event loop turns (after it is shown); the checker is
// a child of the window. Null when there is nothing to check.
UpdateChecker* start_update_check(QWidget* window, const QString& host, const Platform& platform,
                                  UpdateSettings settings = {});

// "Информация": the information page in the player's web browser; its result is ignored.
void show_information(const QString& host, const Platform& platform);

}  // namespace morvalen::app

Q_DECLARE_METATYPE(morvalen::app::UpdateOutcome)
