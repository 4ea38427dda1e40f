// Brief systems: the expansion order of the events, the signature and the expansion of payload records.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/bet.h"
#include "core/formats/payload.h"
#include "core/model/event_table.h"
#include "core/model/progress.h"
#include "core/model/random_source.h"
#include "core/model/stop_token.h"

namespace morvalen::core {

class Session;

struct ExpansionEntry {
    // Marked columns in the order the system's positions 0, 1, 2, … take them; 0 beyond the count.
    std::array<std::uint8_t, outcome_count> slots{};
    int event = 0;   // 1 to 8
    int marked = 0;  // marked_count of the event
};

// Entry k carries base-17 digit k of every record and of the signature; the most marked event first.
using ExpansionOrder = std::array<ExpansionEntry, event_count>;

enum class SlotOrder { random, ascending };

// Rebuilds the order: marked columns in random slots (or ascending), the start-with outcome first when
// `start_with` is set, then the exchange sort by marked count, largest first.
ExpansionOrder order_events(const EventTable& table, bool start_with, RandomSource& rng,
                            SlotOrder slot_order = SlotOrder::random);

// The variants of the order's shape: the product of its marked counts (0 when an event has none).
// A system never holds more records than that.
std::uint64_t variant_count(const ExpansionOrder& order);

// The signature of the order: G followed by its 8 marked counts, in the order's sequence.
std::int64_t signature_of(int guarantee, const ExpansionOrder& order);

// One record as a single bet of one stake; a digit on an empty slot selects column 1.
BetEntry expand_system_record(std::uint64_t record, const ExpansionOrder& order, Currency stake);

// "Загрузка БС 40%": records done × 500 / content bytes, halves to even.
std::string brief_progress_caption(std::uint64_t records_done, std::uint64_t content_bytes);

// The bets of every record, in record order, with the order and stake. Shows the progress caption at
// most once a second and restores the caption at the end; a stop keeps the bets so far. content_bytes
// is the decompressed size (a short last record included).
BetList brief_system_bets(const std::vector<std::uint64_t>& records, const ExpansionOrder& order, Currency stake,
                          std::uint64_t content_bytes, const ProgressHooks& hooks = {}, const StopToken& stop = {});

// Appends brief_system_bets with the session's expansion order and stake.
void expand_brief_system(Session& session, const std::vector<std::uint64_t>& records, std::uint64_t content_bytes,
                         const ProgressHooks& hooks = {});

// More records than any brief system holds; bounds what a hostile body can make the program allocate.
inline constexpr std::size_t brief_content_cap = 10'000'000 * payload_record_size;

struct BriefBodyOutcome {
    PayloadStatus status = PayloadStatus::records;
    std::string error;  // why the body could not be decoded
    std::size_t appended = 0;
};

// The body of the service's answer: a body of fewer than 2 bytes means no system for the signature
// (the caller then asks for the nearest ones); a corrupt body appends nothing. The caption is restored
// in every case.
struct BriefBody {
    PayloadStatus status = PayloadStatus::records;
    std::string error;
    BetList bets;
};
BriefBody brief_body_bets(std::string_view body, const ExpansionOrder& order, Currency stake, const ProgressHooks& hooks = {},
                          const StopToken& stop = {}, std::size_t max_content_bytes = brief_content_cap);

// The same over the session's order and stake, appended; apply_brief_body appends a body read elsewhere.
BriefBodyOutcome expand_brief_body(Session& session, std::string_view body, const ProgressHooks& hooks = {},
                                   std::size_t max_content_bytes = brief_content_cap);
BriefBodyOutcome apply_brief_body(Session& session, const BriefBody& body);

}  // namespace morvalen::core
