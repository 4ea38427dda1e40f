// The operator's command that (re)builds the brief-system catalogue of the store.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "briefgen/catalogue.h"
#include "briefgen/shipped_catalogue.h"
#include "core/pages/list_page.h"
#include "service/brief_catalogue.h"
#include "service/command_table.h"
#include "service/store.h"

namespace morvalen::service {
namespace {

constexpr const char* build_usage = "build-catalogue --budget SECONDS [--seed N]";

const ServiceCommandRegistration build_catalogue_command{
    "build-catalogue",
    {"build-catalogue --budget SECONDS [--seed N]   generate the systems of every shape with counts up to 4 "
     "for guarantees 5 to 7 (a stored system is replaced only by a smaller one)",
     [](CommandContext& ctx) {
         std::optional<std::int64_t> budget;
         std::int64_t seed = 1;
         for (std::size_t i = 0; i < ctx.args.size(); ++i) {
             const std::string& arg = ctx.args[i];
             if ((arg == "--budget" || arg == "--seed") && i + 1 < ctx.args.size()) {
                 const auto value = core::parse_int64(ctx.args[++i]);
                 if (!value || *value < 0) throw CommandUsageError(build_usage);
                 if (arg == "--budget") budget = *value;
                 else seed = *value;
             } else {
                 throw CommandUsageError(build_usage);
             }
         }
         if (!budget || *budget > 7 * 24 * 3600) throw CommandUsageError(build_usage);
         Store store(ctx.database_path);
         // The stored systems and the shipped ones are both starts; the search keeps the smallest.
         auto previous = store.with_db([](Database& db) { return stored_catalogue(db); });
         const auto shipped = briefgen::shipped_catalogue();
         previous.insert(previous.end(), shipped.begin(), shipped.end());
         const auto entries = briefgen::build_catalogue(
             std::chrono::seconds(*budget), static_cast<std::uint64_t>(seed), previous,
             [&](const briefgen::CatalogueProgress& progress) {
                 ctx.err << progress.done << "/" << progress.total << " " << briefgen::describe(progress.shape) << ": "
                         << progress.size << " bets\n";
             });
         store.with_db([&](Database& db) { store_catalogue(db, entries); });
         std::size_t bets = 0;
         for (const auto& entry : entries) bets += entry.records.size();
         ctx.out << "catalogue built: " << entries.size() << " systems, " << bets << " bets\n";
         return 0;
     }}};

}  // namespace
}  // namespace morvalen::service
