// The wildcard matchers on a pattern and a name from the input: the bytes
// before the first NUL are the pattern, the rest the name, both code page
// 932 (or UTF-8 when the input starts with byte 0x01, for characters the code
// page lacks). Beyond not crashing:
// - both dialects agree with a plain dynamic-programming matcher written
//   from their documented rules;
// - "*" matches every name, and a name without wildcard characters matches
//   itself;
// - a name a listing pattern matches stays matched when another pattern
//   is added after ";";
// - an association entry is found for a name exactly when its pattern
//   matches it, letter case aside.

#include "tests/fuzz/FuzzSupport.h"

#include "assoc/AssociationTable.h"
#include "table/FilePattern.h"

#include <vector>

using namespace sorvik;

namespace {

// One element of a pattern: a literal, "?", "#", "*" or a list of ranges.
struct Element {
    enum Kind { Literal, Any, Digit, Star, List } kind;
    char16_t c = 0;
    bool negated = false;
    std::vector<std::pair<char16_t, char16_t>> ranges;

    explicit Element(Kind k, char16_t literal = 0) : kind(k), c(literal) {}

    bool takes(char16_t x) const
    {
        switch (kind) {
        case Literal:
            return x == c;
        case Any:
            return true;
        case Digit:
            return x >= u'0' && x <= u'9';
        case List: {
            bool in = false;
            for (auto [lo, hi] : ranges)
                in = in || (lo <= x && x <= hi);
            return in != negated;
        }
        default:
            return false;
        }
    }
};

// Empty when the pattern is not a valid one of its dialect.
std::optional<std::vector<Element>> elementsOf(u16view p, WildcardSyntax syntax)
{
    std::vector<Element> out;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char16_t c = p[i];
        if (c == u'*') {
            out.emplace_back(Element::Star);
        } else if (c == u'?') {
            out.emplace_back(Element::Any);
        } else if (syntax == WildcardSyntax::Like && c == u'#') {
            out.emplace_back(Element::Digit);
        } else if (syntax == WildcardSyntax::Like && c == u'[') {
            std::size_t j = i + 1;
            Element e(Element::List);
            if (j < p.size() && p[j] == u'!') {
                e.negated = true;
                ++j;
            }
            const std::size_t close = p.find(u']', j);
            if (close == u16view::npos)
                return std::nullopt;
            if (close == i + 1) {
                i = close;   // "[]": the empty run, no element at all
                continue;
            }
            while (j < close) {
                if (j + 2 < close && p[j + 1] == u'-') {
                    if (p[j] > p[j + 2])
                        return std::nullopt;
                    e.ranges.emplace_back(p[j], p[j + 2]);
                    j += 3;
                } else {
                    e.ranges.emplace_back(p[j], p[j]);
                    ++j;
                }
            }
            out.push_back(std::move(e));
            i = close;
        } else {
            out.emplace_back(Element::Literal, c);
        }
    }
    return out;
}

bool referenceMatch(u16view pattern, u16view name, WildcardSyntax syntax)
{
    const auto elements = elementsOf(pattern, syntax);
    if (!elements)
        return false;
    const std::size_t n = name.size();
    // can[j]: the elements so far can take exactly the first j characters.
    std::vector<char> can(n + 1, 0), next(n + 1);
    can[0] = 1;
    for (const Element& e : *elements) {
        if (e.kind == Element::Star) {
            next[0] = can[0];
            for (std::size_t j = 1; j <= n; ++j)
                next[j] = static_cast<char>(can[j] || next[j - 1]);
        } else {
            next[0] = 0;
            for (std::size_t j = 1; j <= n; ++j)
                next[j] = static_cast<char>(can[j - 1] && e.takes(name[j - 1]));
        }
        can.swap(next);
    }
    return can[n];
}

bool hasWildcards(u16view text, WildcardSyntax syntax)
{
    return text.find_first_of(syntax == WildcardSyntax::Like ? u"*?#[" : u"*?") != u16view::npos;
}

void checkDialect(u16view pattern, u16view name, WildcardSyntax syntax)
{
    const bool match = wildcardMatch(pattern, name, syntax);
    FUZZ_CHECK_MSG(match == referenceMatch(pattern, name, syntax),
        (syntax == WildcardSyntax::Like ? "like: " : "listing: ") + fuzz::shown(pattern) + " on " + fuzz::shown(name)
            + (match ? " matched" : " did not match"));
    FUZZ_CHECK(wildcardMatch(u"*", name, syntax));
    if (!hasWildcards(name, syntax))
        FUZZ_CHECK(wildcardMatch(name, name, syntax));
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes = fuzz::bytesOf(data, size);
    const bool utf8 = !bytes.empty() && bytes[0] == '\x01';
    if (utf8)
        bytes.remove_prefix(1);
    const std::size_t cut = bytes.find('\0');
    const std::string_view patternBytes = bytes.substr(0, cut);
    const std::string_view nameBytes = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);
    const u16 pattern = utf8 ? fromUtf8(patternBytes) : platform::decodeCp932(patternBytes);
    const u16 name = utf8 ? fromUtf8(nameBytes) : platform::decodeCp932(nameBytes);
    // The dynamic-programming reference costs pattern times name.
    if (pattern.size() > 512 || name.size() > 512)
        return 0;

    checkDialect(pattern, name, WildcardSyntax::FileSystem);
    checkDialect(pattern, name, WildcardSyntax::Like);

    // A listing pattern without any part lists everything; one with a part
    // only gains names by another.
    const FilePattern listing(pattern);
    if (pattern.find_first_not_of(u" ;") != u16::npos && listing.matches(name))
        FUZZ_CHECK(FilePattern(pattern + u";x").matches(name));

    // A pattern the association file keeps as it is: no comma, quote, line
    // end or leading space for its reader to take away.
    if (!pattern.empty() && pattern.find_first_of(u",\"\r\n") == u16::npos && pattern.front() != u' ') {
        AssociationTable table;
        table.loadText(pattern + u",C:\\p.exe\r\n");
        FUZZ_CHECK(table.count() == 1 && table.entries()[0].Pattern == pattern);
        const bool found = table.firstMatch(name) != nullptr;
        FUZZ_CHECK(found == wildcardMatchNoCase(pattern, name, WildcardSyntax::Like));
    }
    return 0;
}
