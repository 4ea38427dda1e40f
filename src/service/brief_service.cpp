// The line page is the hot request (every start of every program asks for it), so its body is
// cached and rebuilt only when the database has changed.
#include "service/brief_service.h"

#include "core/formats/cp1251.h"
#include "core/pages/list_page.h"
#include "service/line_store.h"
#include "service/system_store.h"
#include "service/update_store.h"

namespace morvalen::service {

Reply bad_request(std::string message) {
    Reply reply;
    reply.status = 400;
    reply.body = "bad request: " + std::move(message) + "\n";
    reply.content_type = "text/plain; charset=utf-8";
    return reply;
}

void BriefService::set_system_source(SystemSource source, ServedHook served) {
    std::lock_guard<std::mutex> lock(mutex_);
    system_source_ = std::move(source);
    served_ = std::move(served);
}

Reply BriefService::brief(const QueryParams& params, std::size_t target_length, std::string_view client) {
    const BriefQuery query = parse_brief_query(params, target_length);
    if (const auto* error = std::get_if<QueryError>(&query)) return bad_request(error->message);
    if (std::holds_alternative<LineQuery>(query)) return line_page();
    if (const auto* list = std::get_if<ListQuery>(&query)) return list_page(*list);
    return system(std::get<SystemQuery>(query), client);
}

Reply BriefService::line_page() {
    const std::int64_t version = store_.data_version();
    Reply reply;
    std::lock_guard<std::mutex> lock(mutex_);
    if (version != cached_version_) {
        const auto line = store_.with_db([](Database& db) { return load_line(db); });
        cached_line_page_ = line ? line_page_body(*line) : std::string();
        cached_version_ = version;
    }
    reply.body = cached_line_page_;
    return reply;
}

std::optional<Reply> BriefService::line_page_at_once() {
    const auto version = store_.try_data_version();
    if (!version) return std::nullopt;
    std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock() || *version != cached_version_) return std::nullopt;
    Reply reply;
    reply.body = cached_line_page_;
    return reply;
}

Reply BriefService::list_page(const ListQuery& query) {
    const auto records = store_.with_db(
        [&](Database& db) { return list_systems(db, query.guarantee, query.first, query.second); });
    Reply reply;
    reply.body = core::write_list_page(records);
    return reply;
}

Reply BriefService::system(const SystemQuery& query, std::string_view client) {
    Reply reply;
    reply.content_type = "application/octet-stream";
    SystemSource source;
    ServedHook served;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        source = system_source_;
        served = served_;
    }
    auto payload = store_.with_db([&](Database& db) { return system_payload(db, query.signature); });
    if (payload) {
        if (served) served(query.signature);
    } else if (source) {
        SourcedSystem sourced = source(query.signature, client);
        if (sourced.retry_after_seconds > 0) {
            reply.status = 503;
            reply.body = sourced.refusal + "\n";
            reply.content_type = "text/plain; charset=utf-8";
            reply.retry_after_seconds = sourced.retry_after_seconds;
            return reply;
        }
        payload = std::move(sourced.payload);
    }
    // No system: an empty body, after which the program asks for the list of the nearest ones.
    if (payload) reply.body = std::move(*payload);
    return reply;
}

Reply BriefService::update(std::string_view name) {
    Reply reply;
    std::optional<std::string> content;
    const bool is_signature = name == version_signature_file || name == archive_signature_file;
    if (name == archive_file) {
        // Streamed from the store: a slow client holds a chunk, not the archive.
        OpenedStream opened = open_update_file_stream(store_, name, transfers_);
        if (opened.status == StreamOpen::busy) {
            reply.status = 503;
            reply.body = "too many downloads at once, try again shortly\n";
            reply.content_type = "text/plain; charset=utf-8";
            reply.retry_after_seconds = 10;
            return reply;
        }
        if (opened.status == StreamOpen::opened) content = std::string();
        reply.stream = std::move(opened.body);
    } else if (name == version_file || name == help_file || is_signature) {
        content = store_.with_db([&](Database& db) { return update_file(db, name); });
    }
    if (name == version_file) {
        reply.body = content ? *content : std::string(default_version_text);
        reply.content_type = "text/plain";
    } else if (name == archive_file) {
        if (!content) {
            reply.status = 404;
            reply.body = "no update archive\n";
            reply.content_type = "text/plain; charset=utf-8";
            return reply;
        }
        reply.content_type = "application/x-rar-compressed";
    } else if (is_signature) {
        // No signature, no update: the program refuses what it cannot verify.
        if (!content) {
            reply.status = 404;
            reply.body = "no signature\n";
            reply.content_type = "text/plain; charset=utf-8";
            return reply;
        }
        reply.body = std::move(*content);
        reply.content_type = "text/plain; charset=utf-8";
    } else if (name == help_file) {
        reply.body = content ? *content : std::string(default_help_page());
        reply.content_type = core::is_valid_utf8(reply.body) ? "text/html; charset=utf-8"
                                                             : "text/html; charset=windows-1251";
    } else {
        reply.status = 404;
        reply.body = "not found\n";
        reply.content_type = "text/plain; charset=utf-8";
    }
    return reply;
}

}  // namespace morvalen::service
