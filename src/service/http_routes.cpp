// Routes are exact paths only: nothing here maps a request onto the file system.
#include "service/http_routes.h"

#include <array>

namespace morvalen::service {

Reply answer_request(BriefService& service, std::string_view target) {
    const std::string_view raw_path = target.substr(0, target.find('?'));
    // The path is matched decoded, so "/updmtz17%2Eini" is the version file as it always was.
    const auto path = percent_decode(raw_path);
    if (path && *path == brief_path) {
        // The raw target, since repeated pairs matter to the query checks.
        const auto params = query_params(target);
        if (!params) return bad_request("malformed escape in the query");
        return service.brief(*params, target.size());
    }
    static constexpr std::array<std::string_view, 3> update_paths{"/updmtz17.ini", "/morvalen_trast.rar",
                                                                  "/morvalen_help.html"};
    for (const std::string_view update_path : update_paths) {
        if (path && *path == update_path) return service.update(update_path.substr(1));
    }
    Reply missing;
    missing.status = 404;
    missing.body = "not found\n";
    missing.content_type = "text/plain; charset=utf-8";
    return missing;
}

}  // namespace morvalen::service
