#pragma once
#include "common/OutOfBounds.h"
#include "rx/MedicineLine.h"
#include <stdexcept>
#include <vector>

namespace rx {

using ::OutOfBounds; // a row or position outside the list

// The lines of one prescription, owned by the dialog (or host) that edits them. Positions
// count from 1 at the head; new lines usually go to the head, so the lines added in a dialog
// come before those it loaded.
class MedicineLineList {
public:
    int size() const { return static_cast<int>(lines_.size()); }
    bool empty() const { return lines_.empty(); }

    // Position 0 puts the line first; k >= 1 puts it after the k-th line. A negative k, or one
    // past the end, throws OutOfBounds.
    void insert(int position, MedicineLine line);
    void prepend(MedicineLine line) { insert(0, std::move(line)); }
    // The line at 1-based position; OutOfBounds outside 1..size().
    const MedicineLine& at(int position) const;
    MedicineLine& at(int position);
    void remove(int position);
    void clear() { lines_.clear(); }

    // Head first.
    auto begin() const { return lines_.begin(); }
    auto end() const { return lines_.end(); }
    auto begin() { return lines_.begin(); }
    auto end() { return lines_.end(); }

    // The sum of every line's 金额.
    double total() const;

private:
    // Kept in a vector: a prescription has a handful of lines, and positions are what callers
    // use, so the contiguous store serves them better than linked nodes.
    std::vector<MedicineLine> lines_;
};

} // namespace rx
