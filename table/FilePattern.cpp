#include "table/FilePattern.h"

#include "platform/Text.h"

namespace sorvik {

namespace {

u16 trimmed(u16view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return u16(s.substr(b, e - b));
}

}

FilePattern::FilePattern(u16view patterns)
    : m_text(patterns)
{
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(u';', start);
        if (end == u16view::npos)
            end = patterns.size();
        u16 part = trimmed(patterns.substr(start, end - start));
        if (!part.empty()) {
            // "*.*" lists every name on Windows, names without a dot included.
            if (part == u"*" || part == u"*.*")
                m_matchesAll = true;
            m_parts.push_back(platform::toUpper(part));
        }
        start = end + 1;
    }
    if (m_parts.empty())
        m_matchesAll = true;
}

bool FilePattern::matches(u16view name) const
{
    if (m_matchesAll)
        return true;
    u16 upper = platform::toUpper(name);
    for (const u16& part : m_parts)
        if (wildcardMatch(part, upper))
            return true;
    return false;
}

bool wildcardMatch(u16view pattern, u16view name)
{
    // Iterative match with one backtrack point for the last "*".
    std::size_t p = 0, n = 0, starP = u16view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != u16view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

}
