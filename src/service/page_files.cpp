// The page is a handful of files built by vite: all of them are held in memory, so a request never
// maps onto the file system and a name outside the set is simply not found.
#include "service/page_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/formats/payload.h"

namespace morvalen::service {
namespace {

namespace fs = std::filesystem;

bool ends_with(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool compressible(std::string_view type) {
    return type.starts_with("text/") || type.starts_with("application/javascript") || type == "application/wasm" ||
           type.starts_with("application/json") || type.starts_with("image/svg+xml");
}

// Vite names its assets "name-HASH.ext": a changed file gets a new name, so the old may be kept.
bool hashed_asset(std::string_view name) { return name.starts_with("/assets/"); }

bool safe_name(const std::string& name) {
    if (name.empty() || name.size() > 200) return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                        c == '_' || c == '.' || c == '/';
        if (!ok) return false;
    }
    return name.find("..") == std::string::npos;
}

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

}  // namespace

std::string page_content_type(std::string_view name) {
    struct Type {
        std::string_view extension;
        std::string_view type;
    };
    static constexpr Type types[] = {
        {".html", "text/html; charset=utf-8"},        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},   {".css", "text/css; charset=utf-8"},
        {".wasm", "application/wasm"},                {".json", "application/json"},
        {".svg", "image/svg+xml"},                    {".png", "image/png"},
        {".ico", "image/x-icon"},                     {".txt", "text/plain; charset=utf-8"},
        {".webmanifest", "application/manifest+json"},
    };
    for (const Type& type : types)
        if (ends_with(name, type.extension)) return std::string(type.type);
    return "application/octet-stream";
}

bool admits_gzip(std::string_view accept_encoding) {
    const std::string text = lower(accept_encoding);
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        const auto semicolon = item.find(';');
        std::string_view coding = item.substr(0, semicolon);
        while (!coding.empty() && coding.back() == ' ') coding.remove_suffix(1);
        if (coding != "gzip" && coding != "*") continue;
        if (semicolon == std::string_view::npos) return true;
        std::string_view parameter = item.substr(semicolon + 1);
        parameter.remove_prefix(std::min(parameter.find_first_not_of(' '), parameter.size()));
        if (!parameter.starts_with("q=")) return true;
        parameter.remove_prefix(2);
        // q=0, q=0.0, q=0.000 refuse; any other weight admits.
        return parameter.find_first_not_of("0.") != std::string_view::npos;
    }
    return false;
}

void PageFiles::add(const std::string& name, std::string body) {
    File file;
    file.content_type = page_content_type(name);
    if (compressible(file.content_type)) {
        std::string packed = core::gzip_compress(body);
        if (packed.size() < body.size()) file.gzip = std::move(packed);
    }
    file.body = std::move(body);
    file.immutable = hashed_asset(name);
    files_[name] = std::move(file);
}

PageFiles PageFiles::load(const std::string& folder, std::string& error, PageFileLimits limits) {
    PageFiles files;
    error.clear();
    std::error_code code;
    if (folder.empty() || !fs::is_directory(folder, code)) return files;
    std::size_t total = 0;
    fs::recursive_directory_iterator walk(folder, fs::directory_options::none, code);
    for (const fs::recursive_directory_iterator end; !code && walk != end; walk.increment(code)) {
        const fs::directory_entry& entry = *walk;
        if (entry.is_symlink(code) || !entry.is_regular_file(code)) continue;
        const std::string name = "/" + fs::relative(entry.path(), folder, code).generic_string();
        if (code || !safe_name(name)) continue;
        const auto size = entry.file_size(code);
        if (code) break;
        total += static_cast<std::size_t>(size);
        if (files.size() >= limits.max_files || total > limits.max_total_bytes) {
            error = "the page folder " + folder + " holds more than the service serves";
            return {};
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            error = "cannot read " + entry.path().string();
            return {};
        }
        files.add(name, std::move(body));
    }
    if (code) {
        error = "cannot read the page folder " + folder + ": " + code.message();
        return {};
    }
    return files;
}

std::optional<Reply> PageFiles::answer(std::string_view target, bool accepts_gzip) const {
    std::string_view path = target.substr(0, target.find('?'));
    if (path == "/") path = "/index.html";
    const auto found = files_.find(path);
    if (found == files_.end()) return std::nullopt;
    const File& file = found->second;
    Reply reply;
    reply.content_type = file.content_type;
    // The page itself is asked for afresh each time, so a new build is seen at once.
    reply.cache_control = file.immutable ? "public, max-age=31536000, immutable" : "no-cache";
    // Cross-origin isolation lets the page share its stop flag with the worker.
    reply.headers = "Cross-Origin-Opener-Policy: same-origin\r\nCross-Origin-Embedder-Policy: require-corp\r\n"
                    "X-Content-Type-Options: nosniff\r\n";
    if (!file.gzip.empty()) reply.headers += "Vary: Accept-Encoding\r\n";
    if (accepts_gzip && !file.gzip.empty()) {
        reply.body = file.gzip;
        reply.headers += "Content-Encoding: gzip\r\n";
    } else {
        reply.body = file.body;
    }
    return reply;
}

}  // namespace morvalen::service
