#pragma once

#include <optional>

namespace sorvik {

// The selection a list had when an arrow key moved the focus out of it,
// put back at the next selection change that happens behind the user's back,
// so leaving a list never changes what it has selected.
class SelectionMemory {
public:
    void remember(int index) { m_index = index; }
    void forget() { m_index = -1; }
    bool holds() const { return m_index >= 0; }
    // The selection to restore, once; nothing when none is remembered.
    std::optional<int> putBack()
    {
        if (m_index < 0)
            return std::nullopt;
        const int index = m_index;
        m_index = -1;
        return index;
    }

private:
    int m_index = -1;
};

}
