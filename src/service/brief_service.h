// The answers of the service, independent of the HTTP library: line page, list page, one system,
// and the update location's files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "service/brief_query.h"
#include "service/store.h"
#include "service/streamed_body.h"

namespace morvalen::service {

struct Reply {
    int status = 200;
    std::string body;
    std::string content_type = "text/plain; charset=windows-1251";
    std::string cache_control = "no-store";
    std::string headers;  // further fields, each ended by CRLF
    // Sent instead of body, read from the store while it is written (the update archive).
    std::shared_ptr<StreamedBody> stream = {};
    // A 503's advice when to come back; 0: none.
    int retry_after_seconds = 0;
};

// Update archives sent at once; more are asked to come back later.
inline constexpr std::size_t archive_transfer_cap = 16;

inline constexpr std::string_view brief_path = "/sttot/getbrief.ashx";

class BriefService {
public:
    explicit BriefService(Store& store) : store_(store) {}

    // A source of systems that are not stored, such as on-demand generation. It is called without the
    // store's lock held; it returns the gzip payload, or nullopt when it has none either.
    using SystemSource = std::function<std::optional<std::string>(std::int64_t signature)>;
    void set_system_source(SystemSource source);

    Reply brief(const QueryParams& params, std::size_t target_length);
    // The line page when it can be had without waiting for a lock and without a rebuild; the event
    // loop answers the hot request itself this way.
    std::optional<Reply> line_page_at_once();
    // name is the path without its leading "/"; only the three update files are known.
    Reply update(std::string_view name);

    Store& store() { return store_; }

private:
    Reply line_page();
    Reply list_page(const ListQuery& query);
    Reply system(const SystemQuery& query);

    Store& store_;
    std::mutex mutex_;
    std::string cached_line_page_;
    std::int64_t cached_version_ = -1;
    SystemSource system_source_;
    TransferSlots transfers_{archive_transfer_cap};
};

Reply bad_request(std::string message);

}  // namespace morvalen::service
