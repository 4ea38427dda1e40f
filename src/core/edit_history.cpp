// Undo and redo as two stacks of snapshots under one step and byte budget.
#include "core/edit_history.h"

#include <utility>

namespace morvalen::core {

EditHistory::Recorded EditHistory::record(PackageSnapshot before) {
    for (const PackageSnapshot& step : redo_) bytes_ -= step.bytes();
    redo_.clear();
    if (before.bytes() > limits_.max_bytes) {
        clear();
        return Recorded::too_large;
    }
    bytes_ += before.bytes();
    undo_.push_back(std::move(before));
    trim();
    return Recorded::kept;
}

std::optional<PackageSnapshot> EditHistory::undo(PackageSnapshot current) {
    if (undo_.empty()) return std::nullopt;
    PackageSnapshot target = std::move(undo_.back());
    undo_.pop_back();
    bytes_ -= target.bytes();
    if (current.bytes() > limits_.max_bytes) {
        // The present cannot be kept for redo; going back still works.
        for (const PackageSnapshot& step : redo_) bytes_ -= step.bytes();
        redo_.clear();
    } else {
        bytes_ += current.bytes();
        redo_.push_back(std::move(current));
    }
    trim();
    return target;
}

std::optional<PackageSnapshot> EditHistory::redo(PackageSnapshot current) {
    if (redo_.empty()) return std::nullopt;
    PackageSnapshot target = std::move(redo_.back());
    redo_.pop_back();
    bytes_ -= target.bytes();
    if (current.bytes() > limits_.max_bytes) {
        for (const PackageSnapshot& step : undo_) bytes_ -= step.bytes();
        undo_.clear();
    } else {
        bytes_ += current.bytes();
        undo_.push_back(std::move(current));
    }
    trim();
    return target;
}

void EditHistory::clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
}

void EditHistory::trim() {
    while (undo_.size() > limits_.max_steps) {
        bytes_ -= undo_.front().bytes();
        undo_.pop_front();
    }
    while (redo_.size() > limits_.max_steps) {
        bytes_ -= redo_.front().bytes();
        redo_.pop_front();
    }
    // The oldest undo steps go first; only when none is left does the far end of redo give way.
    while (bytes_ > limits_.max_bytes && !undo_.empty()) {
        bytes_ -= undo_.front().bytes();
        undo_.pop_front();
    }
    while (bytes_ > limits_.max_bytes && !redo_.empty()) {
        bytes_ -= redo_.front().bytes();
        redo_.pop_front();
    }
}

}  // namespace morvalen::core
