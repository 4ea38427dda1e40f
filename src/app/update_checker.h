// The start-up update check and the information command over the update host.
#pragma once

#include <optional>
#include <string>

#include <QString>

#include "app/platform.h"
#include "core/update_check.h"

class QWidget;

namespace morvalen::app {

// MORVALEN_UPDATE_URL from the environment, else the build's MORVALEN_UPDATE_URL, else the line
// service (the embedded one by default), which serves the version file, archive and page as well.
QString find_update_host(const QString& service_url);

// The first read of the body, at most 282 bytes; "" when the address cannot be opened (no answer,
// a timeout or an HTTP error status); nullopt for an address that is not one.
std::optional<std::string> fetch_text(const QString& address);

// Fetches the body into local_file. The file is written beside its final name and renamed into
// place only when the whole body has arrived, so a failed download never leaves a broken archive.
core::ArchiveDownload download_to_file(const QString& address, const QString& local_file);

// The whole check: asks, downloads, tells, and asks the program to end when the player wants to
// install. An empty host checks nothing.
core::UpdateOutcome check_for_update(QWidget* parent, const QString& host, const Platform& platform);

// "Информация": the information page in the player's web browser; its result is ignored.
void show_information(const QString& host, const Platform& platform);

}  // namespace morvalen::app
