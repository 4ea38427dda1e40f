// Why a request brought no usable page, said in the player's language, and whether it did.
#pragma once

#include <QString>
#include <QUrl>

#include "net/http_client.h"

namespace morvalen::net {

// A page arrived: a whole response within the limits with a success status.
bool page_arrived(const FetchResult& result);

// The reason a request failed, in Russian ("в подключении отказано", "истекло время ожидания ответа",
// "ответ с ошибкой HTTP 503", ...); empty when the page arrived.
QString failure_reason(const FetchResult& result);

// The host of an address as the message names it: "host" or "host:port".
QString host_of(const QUrl& url);

}  // namespace morvalen::net
