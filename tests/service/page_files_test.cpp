// The browser page at "/": exact names from memory, their types, caching and gzip, over the loopback.
#include <httplib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "core/formats/payload.h"
#include "service/http_server.h"
#include "service/page_files.h"
#include "service/store.h"

namespace morvalen::service {
namespace {

namespace fs = std::filesystem;

class PageFolder {
public:
    PageFolder() : root_(fs::temp_directory_path() / ("morvalen_page_" + std::to_string(::getpid()))) {
        fs::remove_all(root_);
        fs::create_directories(root_ / "assets");
    }
    ~PageFolder() { fs::remove_all(root_); }
    void write(const std::string& name, const std::string& body) const {
        std::ofstream(root_ / name, std::ios::binary) << body;
    }
    std::string path() const { return root_.string(); }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

const std::string script(4000, 'x');

PageFiles sample_page(const PageFolder& folder) {
    folder.write("index.html", "<!doctype html><title>Тотализатор</title>" + std::string(2000, ' '));
    folder.write("assets/index-3f2a.js", script);
    folder.write("assets/core-9c1d.wasm", std::string("\0asm", 4) + std::string(3000, '\0'));
    folder.write("assets/shot.png", "\x89PNG");
    std::string error;
    PageFiles page = PageFiles::load(folder.path(), error);
    EXPECT_EQ(error, "");
    return page;
}

TEST(PageFiles, AnswersExactNamesWithTheirTypesAndCaching) {
    const PageFolder folder;
    const PageFiles page = sample_page(folder);
    ASSERT_EQ(page.size(), 4u);

    const auto index = page.answer("/?seed=5", false);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->content_type, "text/html; charset=utf-8");
    EXPECT_EQ(index->cache_control, "no-cache");
    EXPECT_NE(index->headers.find("Cross-Origin-Embedder-Policy: require-corp\r\n"), std::string::npos);
    EXPECT_EQ(index->body.rfind("<!doctype html>", 0), 0u);

    const auto wasm = page.answer("/assets/core-9c1d.wasm", false);
    ASSERT_TRUE(wasm);
    EXPECT_EQ(wasm->content_type, "application/wasm");
    EXPECT_EQ(wasm->cache_control, "public, max-age=31536000, immutable");
    EXPECT_EQ(page.answer("/assets/index-3f2a.js", false)->content_type, "text/javascript; charset=utf-8");
    EXPECT_EQ(page.answer("/assets/shot.png", true)->headers.find("Content-Encoding"), std::string::npos);

    for (const char* absent : {"/index.htm", "/assets/", "/assets/../index.html", "/ASSETS/index-3f2a.js", "",
                               "/sttot/getbrief.ashx?line=1"})
        EXPECT_FALSE(page.answer(absent, true)) << absent;
}

TEST(PageFiles, GzipGoesOnlyToClientsThatAdmitIt) {
    EXPECT_TRUE(admits_gzip("gzip, deflate, br"));
    EXPECT_TRUE(admits_gzip("br;q=1.0, GZIP;q=0.5"));
    EXPECT_TRUE(admits_gzip("*"));
    EXPECT_FALSE(admits_gzip(""));
    EXPECT_FALSE(admits_gzip("deflate, br"));
    EXPECT_FALSE(admits_gzip("gzip;q=0"));
    EXPECT_FALSE(admits_gzip("gzip; q=0.000, br"));
    EXPECT_FALSE(admits_gzip("x-gzip2"));

    const PageFolder folder;
    const PageFiles page = sample_page(folder);
    const auto packed = page.answer("/assets/index-3f2a.js", true);
    ASSERT_TRUE(packed);
    EXPECT_NE(packed->headers.find("Content-Encoding: gzip\r\n"), std::string::npos);
    EXPECT_NE(packed->headers.find("Vary: Accept-Encoding\r\n"), std::string::npos);
    EXPECT_LT(packed->body.size(), script.size());
    EXPECT_EQ(core::decode_payload(packed->body, 1 << 20).content_size, script.size());
    EXPECT_EQ(page.answer("/assets/index-3f2a.js", false)->body, script);
}

TEST(PageFiles, LeavesOutLinksAndRefusesAnOversizedFolder) {
    const PageFolder folder;
    folder.write("index.html", "page");
    fs::create_symlink("/etc/hostname", folder.root() / "hostname");
    folder.write("name with blank.js", "x");
    std::string error;
    const PageFiles page = PageFiles::load(folder.path(), error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(page.size(), 1u);
    EXPECT_FALSE(page.answer("/hostname", false));

    const PageFiles refused = PageFiles::load(folder.path(), error, {.max_files = 512, .max_total_bytes = 3});
    EXPECT_NE(error, "");
    EXPECT_TRUE(refused.empty());

    const PageFiles none = PageFiles::load((folder.root() / "absent").string(), error);
    EXPECT_EQ(error, "");
    EXPECT_TRUE(none.empty());
}

TEST(PageFiles, TheServiceServesThePageNextToItsQueries) {
    const PageFolder folder;
    const PageFiles page = sample_page(folder);
    Store store("");
    BriefService service(store);
    ServerOptions options;
    options.port = 0;
    options.page_files = &page;
    HttpServer server(service, options);
    const int port = server.bind();
    ASSERT_GT(port, 0);
    std::thread serving([&] { server.run(); });
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(std::chrono::seconds(10));

    const auto index = client.Get("/");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->status, 200);
    EXPECT_EQ(index->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(index->get_header_value("Cache-Control"), "no-cache");
    const auto packed = client.Get("/assets/index-3f2a.js", {{"Accept-Encoding", "gzip"}});
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->get_header_value("Content-Encoding"), "gzip");
    EXPECT_EQ(packed->get_header_value("Cache-Control"), "public, max-age=31536000, immutable");
    const auto line = client.Get("/sttot/getbrief.ashx?line=1&dt=1");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->status, 200);
    EXPECT_EQ(line->get_header_value("Cache-Control"), "no-store");
    EXPECT_EQ(client.Get("/missing.js")->status, 404);

    server.stop();
    serving.join();
}

}  // namespace
}  // namespace morvalen::service
