#include "table/PositionStack.h"

#include "platform/Program.h"
#include "platform/Ui.h"

namespace sorvik {

void PositionStack::push(const TablePosition& position)
{
    if (m_depth > kCapacity - 1) {
        platform::ui().showMessage(u"**** PopBuffer Full *****");
        platform::endProgramNow(1);
    }
    ++m_depth;
    m_entries[m_depth] = position;
}

TablePosition PositionStack::pop()
{
    if (m_depth == 0) {
        platform::ui().showMessage(u"**** No PopBuffer *****");
        platform::endProgramNow(1);
    }
    TablePosition position = m_entries[m_depth];
    --m_depth;
    return position;
}

}
