// Nothing the update host sends is trusted before its signature checks out: the version text is
// offered only when signed and newer, and the archive is written only after its own signature names
// the offered version. Every step is asynchronous, so a silent host never holds the window.
#include "app/session/update_checker.h"

#include <QFileInfo>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QtGlobal>

#include "app/platform/desktop_services.h"
#include "app/windows/texts.h"
#include "app/platform/whole_file_writer.h"
#include "net/failure_text.h"

#ifndef MORVALEN_DEFAULT_UPDATE_URL
#define MORVALEN_DEFAULT_UPDATE_URL ""
#endif

namespace morvalen::app {
namespace {

QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string_view view_of(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

net::RequestLimits signature_limits(const net::RequestLimits& text_limits) {
    net::RequestLimits limits = text_limits;
    limits.max_bytes = 4096;
    limits.truncate_at_cap = false;
    return limits;
}

// A signature that is not there (404 or any failed request) is a missing one.
std::string_view signature_body(const net::FetchResult& result) {
    return net::page_arrived(result) ? view_of(result.body) : std::string_view();
}

std::string with_suffix(std::string_view path) { return std::string(path) + std::string(core::signature_suffix); }

}  // namespace

QString find_update_host(const QString& service_url) {
    const QString from_environment = qEnvironmentVariable("MORVALEN_UPDATE_URL");
    if (!from_environment.isEmpty()) return from_environment;
    const QString built_in = QStringLiteral(MORVALEN_DEFAULT_UPDATE_URL);
    if (!built_in.isEmpty()) return built_in;
    return service_url;
}

UpdateChecker::UpdateChecker(QWidget* window, QString host, Platform platform, UpdateSettings settings)
    : QObject(window), window_(window), host_(std::move(host)), platform_(platform), settings_(std::move(settings)),
      client_(new net::HttpClient(this)) {
    settings_.archive_limits.max_bytes = static_cast<qint64>(core::update_archive_limit);
}

void UpdateChecker::start() {
    // Without a key no release could be verified, so none is asked for.
    if (host_.isEmpty() || settings_.keys.empty() || !address("").isValid()) {
        finish(UpdateOutcome::no_check);
        return;
    }
    running_ = true;
    client_->get(address(core::version_file_path), settings_.text_limits,
                 [this](const net::FetchResult& result) { version_arrived(result); });
}

QUrl UpdateChecker::address(std::string_view path) const {
    const QUrl url(QString::fromStdString(core::update_address(host_.toStdString(), path)), QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() ? url : QUrl();
}

void UpdateChecker::version_arrived(const net::FetchResult& result) {
    // An unreachable host, an error page or an empty file: nothing is known, the start goes on quietly.
    if (!net::page_arrived(result) || result.body.isEmpty()) {
        finish(UpdateOutcome::up_to_date);
        return;
    }
    const std::string body(core::version_text(view_of(result.body)));
    const auto version = core::plain_version(body);
    if (!version) {
        refuse(std::string(core::not_a_version_text));
        return;
    }
    if (!core::offers_update(*version)) {
        finish(UpdateOutcome::up_to_date);
        return;
    }
    client_->get(address(with_suffix(core::version_file_path)), signature_limits(settings_.text_limits),
                 [this, body, v = *version](const net::FetchResult& signature) {
                     version_signature_arrived(body, v, signature);
                 });
}

void UpdateChecker::version_signature_arrived(const std::string& version_body, const std::string& version,
                                              const net::FetchResult& result) {
    const SignatureVerdict verdict = verify_signature(version_body, signature_body(result), settings_.keys);
    const std::string refusal =
        core::signature_refusal(core::SignedFile::version_text, verdict.check, verdict.trusted_comment, version);
    if (!refusal.empty()) {
        refuse(refusal);
        return;
    }
    offer(version);
}

void UpdateChecker::offer(const std::string& version) {
    const bool yes = platform_.questions &&
                     platform_.questions->ask_yes_no(window_, app_title, to_qstring(core::update_offer_text));
    if (!yes) {
        finish(UpdateOutcome::declined);
        return;
    }
    progress_ = new QProgressDialog(QStringLiteral("Загрузка новой версии программы…"), QStringLiteral("Отмена"), 0, 0,
                                    window_);
    progress_->setObjectName(QStringLiteral("update_download_progress"));
    progress_->setWindowTitle(app_title);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(0);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    connect(progress_, &QProgressDialog::canceled, this, [this] {
        cancelled_ = true;
        client_->abort_all();
    });
    progress_->show();
    client_->get(
        address(core::update_archive_path), settings_.archive_limits,
        [this, version](const net::FetchResult& result) { archive_arrived(version, result); },
        [this](qint64 received, qint64 total) {
            if (!progress_) return;
            // The dialog counts in KiB, so that an archive of the full limit fits its int range.
            if (total > 0) progress_->setMaximum(static_cast<int>(total / 1024 + 1));
            progress_->setValue(static_cast<int>(received / 1024));
        });
}

void UpdateChecker::archive_arrived(const std::string& version, const net::FetchResult& result) {
    if (cancelled_) {
        finish(UpdateOutcome::cancelled);
        return;
    }
    if (!net::page_arrived(result)) {
        // The same limit the operator's command holds the stored archive to, named in the message.
        const std::string reason = result.too_large ? core::archive_too_large_reason()
                                                    : net::failure_reason(result).toStdString();
        refuse(core::download_failure_text(reason), UpdateOutcome::not_downloaded);
        return;
    }
    const QByteArray archive = result.body;
    client_->get(address(with_suffix(core::update_archive_path)), signature_limits(settings_.text_limits),
                 [this, version, archive](const net::FetchResult& signature) {
                     archive_signature_arrived(version, archive, signature);
                 });
}

void UpdateChecker::archive_signature_arrived(const std::string& version, const QByteArray& archive,
                                              const net::FetchResult& result) {
    if (cancelled_) {
        finish(UpdateOutcome::cancelled);
        return;
    }
    const SignatureVerdict verdict = verify_signature(view_of(archive), signature_body(result), settings_.keys);
    const std::string refusal =
        core::signature_refusal(core::SignedFile::archive, verdict.check, verdict.trusted_comment, version);
    if (!refusal.empty()) {
        refuse(refusal);
        return;
    }
    QString folder = settings_.download_folder;
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const NewFile saved = write_new_file(folder, to_qstring(core::local_archive_file), view_of(archive));
    if (saved.path.isEmpty()) {
        refuse(core::archive_write_failure_text(folder.toStdString()) + " " + saved.error.toStdString(),
               UpdateOutcome::not_downloaded);
        return;
    }
    saved_path_ = saved.path;
    if (progress_) progress_->close();
    const QString name = QFileInfo(saved.path).fileName();
    const std::string text = core::after_download_text(name.toStdString(), version, saved.path.toStdString());
    const bool quit = platform_.questions && platform_.questions->confirm(window_, app_title, to_qstring(text));
    if (quit && platform_.desktop) platform_.desktop->request_quit();
    finish(quit ? UpdateOutcome::terminate_requested : UpdateOutcome::downloaded);
}

void UpdateChecker::refuse(const std::string& message, UpdateOutcome outcome) {
    if (progress_) progress_->close();
    if (platform_.boxes) platform_.boxes->show_error(window_, error_caption, to_qstring(message));
    finish(outcome);
}

void UpdateChecker::finish(UpdateOutcome outcome) {
    if (progress_) progress_->deleteLater();
    running_ = false;
    outcome_ = outcome;
    Q_EMIT finished(outcome);
}

UpdateChecker* start_update_check(QWidget* window, const QString& host, const Platform& platform,
                                  UpdateSettings settings) {
    if (host.isEmpty()) return nullptr;
    auto* checker = new UpdateChecker(window, host, platform, std::move(settings));
    checker->setObjectName(QStringLiteral("update_checker"));
    QTimer::singleShot(0, checker, &UpdateChecker::start);
    return checker;
}

void show_information(const QString& host, const Platform& platform) {
    if (host.isEmpty() || !platform.desktop) return;
    const std::string address = core::update_address(host.toStdString(), core::information_page_path);
    platform.desktop->open_url(QUrl(QString::fromStdString(address)));
}

}  // namespace morvalen::app
