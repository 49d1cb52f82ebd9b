#pragma once

#include "platform/Text.h"

#include <array>
#include <cstddef>
#include <optional>

namespace sorvik {

// The ten stored listing patterns, chosen with the digit keys 0 to 9. An
// empty entry selects nothing. Owned by the main window; the settings file
// reads and writes them and the filter dialog edits them.
class FilterList {
public:
    static constexpr std::size_t kCount = 10;
    using Entries = std::array<u16, kCount>;

    const u16& operator[](std::size_t index) const { return m_entries.at(index); }
    u16& operator[](std::size_t index) { return m_entries.at(index); }
    const Entries& entries() const { return m_entries; }

    // Stores all ten fields at once, or none: a comma would split the entry's
    // line in the settings file, so the first field holding one is returned
    // and nothing changes.
    std::optional<std::size_t> store(const Entries& fields);

    bool operator==(const FilterList&) const = default;

private:
    Entries m_entries;
};

// The first field that holds a comma, by ascending index.
std::optional<std::size_t> firstFieldWithComma(const FilterList::Entries& fields);

// "ﾌｨﾙﾀ3に[,]が有ります" for index 3.
u16 commaRefusal(std::size_t index);

}
