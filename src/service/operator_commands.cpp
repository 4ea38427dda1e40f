// The operator's commands: the line, the brief systems and the update files of the store.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>

#include "core/pages/list_page.h"
#include "core/formats/payload.h"
#include "core/model/signature.h"
#include "service/line_json.h"
#include "service/line_store.h"
#include "service/command_table.h"
#include "service/store.h"
#include "service/system_store.h"
#include "service/update_store.h"

namespace morvalen::service {
namespace {

constexpr std::size_t line_file_limit = 1 << 20;
constexpr std::size_t payload_file_limit = std::size_t{64} << 20;
constexpr std::size_t payload_content_limit = std::size_t{512} << 20;
constexpr std::size_t version_text_limit = 282;  // what the program reads of it in one go

void expect_args(const CommandContext& ctx, std::size_t count, const char* usage) {
    if (ctx.args.size() != count) throw CommandUsageError(usage);
}

// The minisign signature named after a file, stored beside it; a file set without one has its old
// signature removed, so a stale signature never stands beside new content.
void put_signature(Database& db, std::string_view name, const CommandContext& ctx, std::size_t index) {
    if (ctx.args.size() <= index) {
        remove_update_file(db, name);
        return;
    }
    const std::string signature = read_file_capped(ctx.args[index], signature_file_limit);
    if (signature.rfind("untrusted comment: ", 0) != 0 || signature.find("\ntrusted comment: ") == std::string::npos)
        throw std::runtime_error(ctx.args[index] + " is not a minisign signature file");
    put_update_file(db, name, signature);
}

const ServiceCommandRegistration import_line{
    "import-line",
    {"import-line FILE      replace the draw's line with a JSON line file", [](CommandContext& ctx) {
         expect_args(ctx, 1, "import-line FILE");
         const DrawLine line = parse_line_json(read_file_capped(ctx.args[0], line_file_limit));
         Store store(ctx.database_path);
         store.with_db([&](Database& db) { save_line(db, line); });
         ctx.out << "line imported: " << line.table.event(1).name << " ... " << line.table.event(8).name << "\n";
         return 0;
     }}};

const ServiceCommandRegistration export_line{
    "export-line",
    {"export-line [FILE]    write the draw's line as JSON (to standard output without FILE)",
     [](CommandContext& ctx) {
         if (ctx.args.size() > 1) throw CommandUsageError("export-line [FILE]");
         Store store(ctx.database_path);
         const auto line = store.with_db([](Database& db) { return load_line(db); });
         if (!line) throw std::runtime_error("the store holds no line");
         const std::string text = line_to_json(*line);
         if (ctx.args.empty()) {
             ctx.out << text;
         } else {
             std::ofstream file(ctx.args[0], std::ios::binary);
             file << text;
             file.close();
             if (!file) throw std::runtime_error("cannot write " + ctx.args[0]);
         }
         return 0;
     }}};

const ServiceCommandRegistration import_system{
    "import-system",
    {"import-system SIGNATURE FILE   store a brief system (a gzip payload of 5-byte records)",
     [](CommandContext& ctx) {
         expect_args(ctx, 2, "import-system SIGNATURE FILE");
         const auto signature = core::parse_int64(ctx.args[0]);
         if (!signature || !core::is_valid_signature(*signature))
             throw std::runtime_error("'" + ctx.args[0] +
                                      "' is not a signature of guarantee 1 to 8 and counts from largest");
         const std::string payload = read_file_capped(ctx.args[1], payload_file_limit);
         const auto decoded = core::decode_payload(payload, payload_content_limit);
         if (decoded.status == core::PayloadStatus::no_system)
             throw std::runtime_error(ctx.args[1] + " is shorter than 2 bytes");
         if (decoded.status == core::PayloadStatus::error)
             throw std::runtime_error(ctx.args[1] + ": " + decoded.error);
         if (decoded.records.empty()) throw std::runtime_error(ctx.args[1] + " holds no bets");
         std::uint64_t variants = 1;
         for (const int count : core::signature_parts(*signature).counts) variants *= static_cast<std::uint64_t>(count);
         if (decoded.records.size() > variants)
             throw std::runtime_error(ctx.args[1] + " holds more bets than the shape has variants (" +
                                      std::to_string(variants) + ")");
         if (decoded.records.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
             throw std::runtime_error(ctx.args[1] + " holds too many bets");
         const auto bets = static_cast<std::int32_t>(decoded.records.size());
         Store store(ctx.database_path);
         store.with_db([&](Database& db) { put_system(db, *signature, bets, payload); });
         ctx.out << "system " << *signature << " stored: " << bets << " bets\n";
         return 0;
     }}};

const ServiceCommandRegistration set_version{
    "set-version",
    {"set-version TEXT [SIG]  the version text the update check compares, with its minisign signature",
     [](CommandContext& ctx) {
         if (ctx.args.empty() || ctx.args.size() > 2) throw CommandUsageError("set-version TEXT [SIGNATURE_FILE]");
         if (ctx.args[0].size() > version_text_limit)
             throw std::runtime_error("the version text is longer than 282 bytes");
         Store store(ctx.database_path);
         store.with_db([&](Database& db) {
             put_update_file(db, version_file, ctx.args[0]);
             put_signature(db, version_signature_file, ctx, 1);
         });
         ctx.out << "version set: " << ctx.args[0] << "\n";
         return 0;
     }}};

const ServiceCommandRegistration set_archive{
    "set-archive",
    {"set-archive FILE [SIG]  the update archive offered with a newer version, with its minisign signature",
     [](CommandContext& ctx) {
         if (ctx.args.empty() || ctx.args.size() > 2) throw CommandUsageError("set-archive FILE [SIGNATURE_FILE]");
         // The program refuses a larger download, so a larger archive could never reach a player.
         std::error_code unknown_size;
         const auto size = std::filesystem::file_size(ctx.args[0], unknown_size);
         if (!unknown_size && size > archive_size_limit)
             throw std::runtime_error(ctx.args[0] + " is " + std::to_string(size) + " bytes; the program downloads " +
                                      std::to_string(archive_size_limit) + " bytes (" +
                                      std::to_string(archive_size_limit >> 20) +
                                      " MiB) at most, so no player could fetch it");
         const std::string archive = read_file_capped(ctx.args[0], archive_size_limit);
         Store store(ctx.database_path);
         store.with_db([&](Database& db) {
             put_update_file(db, archive_file, archive);
             put_signature(db, archive_signature_file, ctx, 1);
         });
         ctx.out << "archive set: " << archive.size() << " bytes\n";
         return 0;
     }}};

const ServiceCommandRegistration set_help{
    "set-help",
    {"set-help FILE         the information page (HTML)", [](CommandContext& ctx) {
         expect_args(ctx, 1, "set-help FILE");
         const std::string page = read_file_capped(ctx.args[0], line_file_limit);
         Store store(ctx.database_path);
         store.with_db([&](Database& db) { put_update_file(db, help_file, page); });
         ctx.out << "information page set: " << page.size() << " bytes\n";
         return 0;
     }}};

}  // namespace
}  // namespace morvalen::service
