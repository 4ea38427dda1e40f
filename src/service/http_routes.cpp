// Routes are exact paths only: nothing here maps a request onto the file system.
#include "service/http_routes.h"

#include <array>
#include <variant>

#include "core/update/update_paths.h"

namespace morvalen::service {
namespace {

constexpr std::array<std::string_view, 5> update_paths{core::version_file_path, core::update_archive_path,
                                                      core::information_page_path, core::version_signature_path,
                                                      core::archive_signature_path};

enum class Route { brief, update, none };

// The path is matched decoded, so "/updmtz17%2Eini" is the version file as it always was.
Route route_of(std::string_view target, std::string_view& update_name) {
    const auto path = percent_decode(target.substr(0, target.find('?')));
    if (!path) return Route::none;
    if (*path == brief_path) return Route::brief;
    for (const std::string_view update_path : update_paths) {
        if (*path == update_path) {
            update_name = update_path.substr(1);
            return Route::update;
        }
    }
    return Route::none;
}

Reply not_found() {
    Reply missing;
    missing.status = 404;
    missing.body = "not found\n";
    missing.content_type = "text/plain; charset=utf-8";
    return missing;
}

}  // namespace

Reply answer_request(BriefService& service, std::string_view target, std::string_view client) {
    std::string_view update_name;
    switch (route_of(target, update_name)) {
        case Route::brief: {
            // The raw target, since repeated pairs matter to the query checks.
            const auto params = query_params(target);
            if (!params) return bad_request("malformed escape in the query");
            return service.brief(*params, target.size(), client);
        }
        case Route::update:
            return service.update(update_name);
        case Route::none:
            break;
    }
    return not_found();
}

std::optional<Reply> answer_at_once(BriefService& service, std::string_view target) {
    std::string_view update_name;
    switch (route_of(target, update_name)) {
        case Route::brief: {
            const auto params = query_params(target);
            if (!params) return bad_request("malformed escape in the query");
            const BriefQuery query = parse_brief_query(*params, target.size());
            if (const auto* error = std::get_if<QueryError>(&query)) return bad_request(error->message);
            if (std::holds_alternative<LineQuery>(query)) return service.line_page_at_once();
            return std::nullopt;
        }
        case Route::update:
            return std::nullopt;
        case Route::none:
            break;
    }
    return not_found();
}

}  // namespace morvalen::service
