#pragma once

#include <array>
#include <cstdint>

namespace sorvik {

// The table's cursor cell and first visible cell.
struct TablePosition {
    std::int16_t col = 0;
    std::int16_t row = 0;
    std::int16_t leftCol = 0;
    std::int16_t topRow = 0;
    bool operator==(const TablePosition&) const = default;
};

// Twenty saved table positions. Overflow and underflow can only come from
// unbalanced use inside the program, so both end it at once with a message.
class PositionStack {
public:
    static constexpr int kCapacity = 20;

    void push(const TablePosition& position);
    TablePosition pop();
    int depth() const { return m_depth; }

private:
    std::array<TablePosition, kCapacity + 1> m_entries{};   // index 0 unused
    std::int16_t m_depth = 0;
};

}
