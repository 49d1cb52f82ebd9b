#include "platform/Text.h"

namespace sorvik::platform {

std::vector<u16> splitLines(u16view text)
{
    std::vector<u16> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

u16 joinLinesCrLf(const std::vector<u16>& lines)
{
    u16 out;
    for (const u16& line : lines) {
        out += line;
        out += u"\r\n";
    }
    return out;
}

}
