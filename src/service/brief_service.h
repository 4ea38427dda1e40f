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

// What a source of systems the store lacks answers: the gzip payload, none, or a refusal for now.
struct SourcedSystem {
    std::optional<std::string> payload = std::nullopt;
    // Above 0: not now (the client's budget is spent, the generator is full); a 503 with this advice.
    int retry_after_seconds = 0;
    std::string refusal = {};  // why, for the 503's text
};

class BriefService {
public:
    explicit BriefService(Store& store) : store_(store) {}

    // A source of systems that are not stored, such as on-demand generation, asked on behalf of a
    // client. It is called without the store's lock held.
    using SystemSource = std::function<SourcedSystem(std::int64_t signature, std::string_view client)>;
    // Told of every stored system served, so that the source keeps what is in use (its own systems).
    using ServedHook = std::function<void(std::int64_t signature)>;
    void set_system_source(SystemSource source, ServedHook served = {});

    // client is who the request counts against; empty for callers without one.
    Reply brief(const QueryParams& params, std::size_t target_length, std::string_view client = {});
    // The line page when it can be had without waiting for a lock and without a rebuild; the event
    // loop answers the hot request itself this way.
    std::optional<Reply> line_page_at_once();
    // name is the path without its leading "/"; only the three update files are known.
    Reply update(std::string_view name);

    Store& store() { return store_; }

private:
    Reply line_page();
    Reply list_page(const ListQuery& query);
    Reply system(const SystemQuery& query, std::string_view client);

    Store& store_;
    std::mutex mutex_;
    std::string cached_line_page_;
    std::int64_t cached_version_ = -1;
    SystemSource system_source_;
    ServedHook served_;
    TransferSlots transfers_{archive_transfer_cap};
};

Reply bad_request(std::string message);

}  // namespace morvalen::service
