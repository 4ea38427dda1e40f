// sensations, random, auto, brief, best and the coverage check of `stats --coverage`.
#include <fstream>
#include <iterator>

#include "cli/command_registry.h"
#include "cli/options.h"
#include "core/formation/autoformation.h"
#include "core/formation/best_chances.h"
#include "core/formation/brief_expansion.h"
#include "core/formation/random_distribution.h"
#include "core/formation/sensations.h"

namespace morvalen::cli {
namespace {

void run_sensations(CliContext& ctx) {
    ctx.require_full_marking("sensations");
    core::form_by_sensations(ctx.session);
    ctx.print_memo();
}

void run_random(CliContext& ctx) {
    ctx.require_full_marking("random");
    if (ctx.session.settings.repeat_count < 1) throw UsageError("--steps: для random ожидается число от 1 до 100000000");
    apply_probabilities(ctx);
    if (auto refused = core::random_distribution(ctx.session)) throw UsageError(*refused);
    ctx.print_memo();
}

// Runs the pass; returns the statistics flag.
bool run_pass(CliContext& ctx, std::int64_t steps) {
    std::optional<std::int64_t> start;
    const std::int64_t variants = core::variant_total(ctx.session.events);
    if (const auto text = ctx.value("--start-index"); text && variants > 0)
        start = parse_integer("--start-index", *text, 0, variants - 1);
    const core::AutoformationOutcome outcome = core::autoform(ctx.session, steps, {}, start);
    if (!outcome.refusal.empty()) throw UsageError(outcome.refusal);
    if (outcome.failed) throw OperationError(core::out_of_memory_text);
    return outcome.show_coverage;
}

void run_auto(CliContext& ctx) {
    const std::int64_t steps = ctx.session.settings.repeat_count;
    if (steps > 0) ctx.require_full_marking("auto");
    run_pass(ctx, steps);
    ctx.print_memo();
}

std::string read_payload(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw OperationError("--payload: не удалось открыть файл \"" + path + "\"");
    std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw OperationError("--payload: ошибка чтения файла \"" + path + "\"");
    return body;
}

void run_brief(CliContext& ctx) {
    ctx.require_full_marking("brief");
    const auto path = ctx.value("--payload");
    if (!path) throw UsageError("--payload: нужен файл бриф-системы (gzip)");
    core::Session& session = ctx.session;
    const auto slot_order = ctx.value("--order") ? core::SlotOrder::ascending : core::SlotOrder::random;
    session.expansion_order = core::order_events(session.events, session.settings.start_with, session.rng, slot_order);
    const core::BriefBodyOutcome outcome = core::expand_brief_body(session, read_payload(*path));
    if (outcome.status == core::PayloadStatus::error)
        throw OperationError("бриф-система не распакована: " + outcome.error);
    ctx.print_memo();
}

void run_best(CliContext& ctx) {
    ctx.require_full_marking("best");
    const std::int64_t steps = ctx.session.settings.repeat_count;
    if (steps < 1 || steps > core::best_chances_bet_limit)
        throw UsageError("--steps: для best ожидается число от 1 до " + std::to_string(core::best_chances_bet_limit));
    apply_probabilities(ctx);
    if (auto refused = core::form_best_chances_package(ctx.session)) throw UsageError(*refused);
    ctx.print_memo();
}

const CommandRegistration registrations[] = {
    {"sensations", run_sensations},
    {"random", run_random},
    {"auto", run_auto},
    {"brief", run_brief},
    {"best", run_best},
};

const bool coverage_registered = [] {
    coverage_check() = [](CliContext& ctx) { return run_pass(ctx, 0); };
    return true;
}();

}  // namespace
}  // namespace morvalen::cli
