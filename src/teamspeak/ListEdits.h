// How one list became another, as a voice client's players or channels change between two
// readings: runs of items kept, removed or made, in order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sayvane {

// One step, in order: `count` items kept as they were, removed, or made anew (joined, or
// changed: removed, then made).
struct ListEdit {
    enum class Kind : std::uint8_t { Keep, Remove, Make };
    Kind kind = Kind::Keep;
    std::size_t count = 0;
};
using ListEdits = std::vector<ListEdit>;

// Adds a step, joining it to the last one when that is of the same kind.
inline void AddEdit(ListEdits& edits, ListEdit::Kind kind, std::size_t count) {
    if (!edits.empty() && edits.back().kind == kind) {
        edits.back().count += count;
    } else {
        edits.push_back(ListEdit{kind, count});
    }
}

// Whether the edits leave the list as it was.
[[nodiscard]] inline bool KeepsAll(const ListEdits& edits) {
    return edits.empty() || (edits.size() == 1 && edits.front().kind == ListEdit::Kind::Keep);
}

// Walks a list of `beforeCount` items and one of `afterCount` in order and writes into `edits`
// how the first became the second. `same(i, j, n)` says whether the n items from i of the first
// equal the n from j of the second. Runs of equal items are found a block at a time; where the
// lists part, one item left, one joined, or one changed, whichever makes the next ones line up.
// A join, a leave or a rename costs one comparison per block of the runs around it.
template <typename Same>
void CompareLists(std::size_t beforeCount, std::size_t afterCount, Same same, ListEdits& edits) {
    constexpr std::size_t kBlock = 16;
    edits.clear();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < beforeCount || j < afterCount) {
        const std::size_t most = std::min(beforeCount - i, afterCount - j);
        std::size_t run = 0;
        while (run < most) {
            const std::size_t block = std::min(kBlock, most - run);
            if (same(i + run, j + run, block)) {
                run += block;
                continue;
            }
            while (same(i + run, j + run, 1)) {
                ++run;
            }
            break;
        }
        if (run > 0) {
            AddEdit(edits, ListEdit::Kind::Keep, run);
            i += run;
            j += run;
        } else if (i == beforeCount) {
            AddEdit(edits, ListEdit::Kind::Make, afterCount - j);
            j = afterCount;
        } else if (j == afterCount) {
            AddEdit(edits, ListEdit::Kind::Remove, beforeCount - i);
            i = beforeCount;
        } else if (i + 1 < beforeCount && same(i + 1, j, 1)) {
            AddEdit(edits, ListEdit::Kind::Remove, 1);
            ++i;
        } else if (j + 1 < afterCount && same(i, j + 1, 1)) {
            AddEdit(edits, ListEdit::Kind::Make, 1);
            ++j;
        } else {
            AddEdit(edits, ListEdit::Kind::Remove, 1);
            AddEdit(edits, ListEdit::Kind::Make, 1);
            ++i;
            ++j;
        }
    }
}

}  // namespace sayvane
