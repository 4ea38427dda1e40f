// The browser page's files, read into memory once at start and served at "/" by exact name.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "service/brief_service.h"

namespace morvalen::service {

struct PageFileLimits {
    std::size_t max_files = 512;
    std::size_t max_total_bytes = std::size_t{64} * 1024 * 1024;
};

class PageFiles {
public:
    // Reads every regular file under `folder` (symbolic links and odd names are left out). An absent
    // folder gives an empty set; a set beyond the limits is refused whole with the reason in `error`.
    static PageFiles load(const std::string& folder, std::string& error, PageFileLimits limits = {});

    // The answer for a request target ("/", "/assets/x.js?v=1"); nullopt when no page file has the
    // name. With accepts_gzip the compressed form goes where it is smaller.
    std::optional<Reply> answer(std::string_view target, bool accepts_gzip) const;

    std::size_t size() const { return files_.size(); }
    bool empty() const { return files_.empty(); }
    void add(const std::string& name, std::string body);

private:
    struct File {
        std::string body;
        std::string gzip;  // empty when compression does not pay
        std::string content_type;
        bool immutable = false;  // a name with a content hash: cached for a year
    };
    std::map<std::string, File, std::less<>> files_;
};

// "text/javascript; charset=utf-8" for "x.js"; application/octet-stream for what is not known.
std::string page_content_type(std::string_view name);
// True when an Accept-Encoding value admits gzip (a "gzip;q=0" refuses it).
bool admits_gzip(std::string_view accept_encoding);

}  // namespace morvalen::service
