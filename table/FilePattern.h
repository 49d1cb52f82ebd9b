#pragma once

#include "platform/Text.h"

#include <vector>

namespace sorvik {

// A listing pattern: wildcard patterns separated by ";" ("*" any run, "?" one
// character), compared with a file name without regard to letter case.
class FilePattern {
public:
    explicit FilePattern(u16view patterns = u"*");

    bool matches(u16view name) const;
    const u16& text() const { return m_text; }

private:
    u16 m_text;
    std::vector<u16> m_parts;   // upper-cased
    bool m_matchesAll = false;
};

// Upper-cased wildcard match of one pattern against one name.
bool wildcardMatch(u16view pattern, u16view name);

}
