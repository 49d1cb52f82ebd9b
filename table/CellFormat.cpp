#include "table/CellFormat.h"

#include <string>

namespace sorvik {

namespace {

void appendTwoDigits(u16& out, int value)
{
    value = ((value % 100) + 100) % 100;
    out.push_back(char16_t(u'0' + value / 10));
    out.push_back(char16_t(u'0' + value % 10));
}

u16 groupedDigits(std::int64_t value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    u16 out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out.push_back(u',');
        out.push_back(char16_t(digits[i]));
    }
    return out;
}

}

u16 formatDateCell(const platform::DateTime& t)
{
    u16 out;
    out.reserve(17);
    appendTwoDigits(out, t.year);
    out.push_back(u'/');
    appendTwoDigits(out, t.month);
    out.push_back(u'/');
    appendTwoDigits(out, t.day);
    out.push_back(u' ');
    appendTwoDigits(out, t.hour);
    out.push_back(u':');
    appendTwoDigits(out, t.minute);
    out.push_back(u':');
    appendTwoDigits(out, t.second);
    return out;
}

u16 formatSizeCell(std::int64_t size)
{
    return groupedDigits(size) + u' ';
}

u16 sizeSortKey(std::int64_t size)
{
    constexpr std::size_t kWidth = 11;
    u16 text = size == 0 ? u16() : groupedDigits(size);
    if (text.size() >= kWidth)
        return text.substr(0, kWidth);
    return u16(kWidth - text.size(), u' ') + text;
}

u16 AttributeText(std::optional<std::uint32_t> attributes)
{
    if (!attributes)
        return {};
    u16 text;
    if (*attributes & platform::kAttrReadOnly)
        text += u'R';
    if (*attributes & platform::kAttrHidden)
        text += u'H';
    if (*attributes & platform::kAttrSystem)
        text += u'S';
    return text.empty() ? u16(u" ") : text;
}

u16 AttributeText(const platform::FileSystem& fs, u16view path)
{
    auto attributes = fs.attributes(path);
    return AttributeText(attributes ? std::optional<std::uint32_t>(*attributes) : std::nullopt);
}

}
