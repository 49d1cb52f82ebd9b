#include "table/FilterList.h"

namespace sorvik {

std::optional<std::size_t> firstFieldWithComma(const FilterList::Entries& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].find(u',') != u16::npos)
            return i;
    return std::nullopt;
}

u16 commaRefusal(std::size_t index)
{
    return u"ﾌｨﾙﾀ" + u16(1, char16_t(u'0' + index)) + u"に[,]が有ります";
}

std::optional<std::size_t> FilterList::store(const Entries& fields)
{
    if (auto refused = firstFieldWithComma(fields))
        return refused;
    m_entries = fields;
    return std::nullopt;
}

}
