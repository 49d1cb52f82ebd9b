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

FilePattern::FilePattern(u16view patterns) : m_text(patterns)
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

namespace {

// Length of the "[...]" list that opens at `p`, or 0 when it is never closed.
std::size_t listLength(u16view pattern, std::size_t p)
{
    std::size_t first = p + 1;
    if (first < pattern.size() && pattern[first] == u'!')
        ++first;
    const std::size_t close = pattern.find(u']', first);
    return close == u16view::npos ? 0 : close - p + 1;
}

// Whether one character is in the list pattern[p, p + length).
bool inList(u16view pattern, std::size_t p, std::size_t length, char16_t c)
{
    std::size_t i = p + 1;
    const std::size_t close = p + length - 1;
    const bool negated = i < close && pattern[i] == u'!';
    if (negated)
        ++i;
    bool found = false;
    while (i < close) {
        // A hyphen first or last in the list stands for itself.
        if (i + 2 < close && pattern[i + 1] == u'-') {
            found = found || (pattern[i] <= c && c <= pattern[i + 2]);
            i += 3;
        } else {
            found = found || pattern[i] == c;
            ++i;
        }
    }
    return found != negated;
}

bool validLikePattern(u16view pattern)
{
    for (std::size_t p = 0; p < pattern.size(); ++p) {
        if (pattern[p] != u'[')
            continue;
        const std::size_t length = listLength(pattern, p);
        if (length == 0)
            return false;
        const std::size_t close = p + length - 1;
        std::size_t i = p + 1;
        if (i < close && pattern[i] == u'!')
            ++i;
        for (; i < close; ++i)
            if (i + 2 < close && pattern[i + 1] == u'-') {
                if (pattern[i] > pattern[i + 2])
                    return false;
                i += 2;
            }
        p = close;
    }
    return true;
}

// The length of the element at `p` when it matches `c`, 0 when it does not.
std::size_t elementMatch(u16view pattern, std::size_t p, char16_t c, WildcardSyntax syntax)
{
    const char16_t e = pattern[p];
    if (e == u'?')
        return 1;
    if (syntax == WildcardSyntax::Like) {
        if (e == u'#')
            return (c >= u'0' && c <= u'9') ? 1 : 0;
        if (e == u'[') {
            const std::size_t length = listLength(pattern, p);
            return inList(pattern, p, length, c) ? length : 0;
        }
    }
    return e == c ? 1 : 0;
}

// "[]" takes no character; it is passed over wherever it stands.
std::size_t skipEmptyLists(u16view pattern, std::size_t p, WildcardSyntax syntax)
{
    if (syntax == WildcardSyntax::Like)
        while (p + 1 < pattern.size() && pattern[p] == u'[' && pattern[p + 1] == u']')
            p += 2;
    return p;
}

}

bool wildcardMatch(u16view pattern, u16view name, WildcardSyntax syntax)
{
    if (syntax == WildcardSyntax::Like && !validLikePattern(pattern))
        return false;
    // Iterative match with one backtrack point for the last "*": every
    // element but "*" and "[]" takes exactly one character.
    std::size_t p = 0, n = 0, starP = u16view::npos, starN = 0;
    while (n < name.size()) {
        p = skipEmptyLists(pattern, p, syntax);
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
            continue;
        }
        if (p < pattern.size()) {
            if (const std::size_t length = elementMatch(pattern, p, name[n], syntax)) {
                p += length;
                ++n;
                continue;
            }
        }
        if (starP == u16view::npos)
            return false;
        p = starP + 1;
        n = ++starN;
    }
    for (;;) {
        p = skipEmptyLists(pattern, p, syntax);
        if (p < pattern.size() && pattern[p] == u'*')
            ++p;
        else
            break;
    }
    return p == pattern.size();
}

bool wildcardMatchNoCase(u16view pattern, u16view name, WildcardSyntax syntax)
{
    return wildcardMatch(platform::toUpper(pattern), platform::toUpper(name), syntax);
}

}
