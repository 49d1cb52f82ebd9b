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

// The program's one wildcard matcher speaks two dialects. Listing patterns
// know "*" (any run, the empty one included) and "?" (one character), as the
// file system's own patterns do, so "[" and "#" in a file name stay plain.
// Association patterns also know "#" (one digit 0 to 9), "[list]" and
// "[!list]" (one character in or not in the list, which may hold ranges such
// as "A-F"); "[]" matches the empty run. A list that is never closed or a
// range that runs backwards makes the whole pattern match nothing.
enum class WildcardSyntax { FileSystem, Like };

// Whole-name match of one pattern against one name, both already upper-cased.
bool wildcardMatch(u16view pattern, u16view name, WildcardSyntax syntax = WildcardSyntax::FileSystem);

// The same after upper-casing both sides.
bool wildcardMatchNoCase(u16view pattern, u16view name, WildcardSyntax syntax);

}
