// The update check's requests through the desktop HTTP client and its questions through the adapters.
#include "app/update_checker.h"

#include <QSaveFile>
#include <QUrl>
#include <QtGlobal>

#include "app/desktop_services.h"
#include "app/texts.h"
#include "net/http_client.h"

#ifndef MORVALEN_DEFAULT_UPDATE_URL
#define MORVALEN_DEFAULT_UPDATE_URL ""
#endif

namespace morvalen::app {
namespace {

QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Only a successful answer is the file asked for: an error page of the host is neither a version
// text nor an archive.
bool delivered(const net::FetchResult& result) { return result.ok && result.status >= 200 && result.status < 300; }

}  // namespace

QString find_update_host(const QString& service_url) {
    const QString from_environment = qEnvironmentVariable("MORVALEN_UPDATE_URL");
    if (!from_environment.isEmpty()) return from_environment;
    const QString built_in = QStringLiteral(MORVALEN_DEFAULT_UPDATE_URL);
    if (!built_in.isEmpty()) return built_in;
    return service_url;
}

std::optional<std::string> fetch_text(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return std::nullopt;
    net::HttpClient client;
    const net::FetchResult result = client.get_blocking(url, net::version_text_limits());
    if (!delivered(result)) return std::string();
    return std::string(core::version_text(std::string_view(result.body.constData(), static_cast<std::size_t>(result.body.size()))));
}

core::ArchiveDownload download_to_file(const QString& address, const QString& local_file) {
    QSaveFile file(local_file);
    if (!file.open(QIODevice::WriteOnly)) return core::ArchiveDownload::file_not_created;
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return core::ArchiveDownload::not_written;
    net::HttpClient client;
    const net::FetchResult result = client.get_blocking(url, net::body_limits());
    if (!delivered(result)) return core::ArchiveDownload::not_written;
    if (file.write(result.body) != result.body.size() || !file.commit()) return core::ArchiveDownload::not_written;
    return core::ArchiveDownload::written;
}

core::UpdateOutcome check_for_update(QWidget* parent, const QString& host, const Platform& platform) {
    if (host.isEmpty()) return core::UpdateOutcome::no_check;
    core::UpdateHooks hooks;
    hooks.fetch_text = [](const std::string& address) { return fetch_text(QString::fromStdString(address)); };
    hooks.download_to_file = [](const std::string& address, const std::string& local_file) {
        return download_to_file(QString::fromStdString(address), QString::fromStdString(local_file));
    };
    hooks.ask_yes_no = [&](std::string_view text) {
        return platform.questions && platform.questions->ask_yes_no(parent, app_title, to_qstring(text));
    };
    hooks.confirm = [&](std::string_view text) {
        return platform.questions && platform.questions->confirm(parent, app_title, to_qstring(text));
    };
    hooks.show_error = [&](std::string_view text) {
        if (platform.boxes) platform.boxes->show_error(parent, error_caption, to_qstring(text));
    };
    const core::UpdateOutcome outcome = core::run_update_check(host.toStdString(), hooks);
    if (outcome == core::UpdateOutcome::terminate_requested && platform.desktop) platform.desktop->request_quit();
    return outcome;
}

void show_information(const QString& host, const Platform& platform) {
    if (host.isEmpty() || !platform.desktop) return;
    const std::string address = core::update_address(host.toStdString(), core::information_page_path);
    platform.desktop->open_url(QUrl(QString::fromStdString(address)));
}

}  // namespace morvalen::app
