#include "lha/CommandLine.h"

#include "lha/ErrorCodes.h"

#include <optional>
#include <vector>

namespace sorvik::lha {

namespace {

// The quoted values after the command, each preceded by one blank; nothing
// may follow the last one.
std::optional<std::vector<u16>> quotedValues(u16view rest)
{
    std::vector<u16> values;
    std::size_t i = 0;
    while (i < rest.size()) {
        if (rest[i] != u' ' || i + 1 >= rest.size() || rest[i + 1] != u'"')
            return std::nullopt;
        const std::size_t close = rest.find(u'"', i + 2);
        if (close == u16view::npos || close == i + 2)
            return std::nullopt;
        values.emplace_back(rest.substr(i + 2, close - i - 2));
        i = close + 1;
    }
    return values;
}

bool endsWithBackslash(const u16& s)
{
    return !s.empty() && s.back() == u'\\';
}

}

ParsedCommand parseCommandLine(u16view text)
{
    ParsedCommand bad;
    bad.error = kErrCommandName;
    if (text.size() < 2 || text[1] != u' ')
        return bad;
    CommandLine line;
    u16view rest = text.substr(1);
    std::size_t wanted = 2;
    switch (text[0]) {
    case u'u':
        line.command = Command::Update;
        wanted = 3;
        if (rest.substr(0, 5) == u" -x1 ") {
            line.stored = StoredPath::RelativeToBase;
            rest.remove_prefix(4);
        }
        break;
    case u'x':
        line.command = Command::Extract;
        break;
    case u'e':
        line.command = Command::ExtractFlat;
        break;
    default:
        return bad;
    }
    const auto values = quotedValues(rest);
    if (!values || values->size() != wanted)
        return bad;
    line.archive = (*values)[0];
    line.directory = (*values)[1];
    if (endsWithBackslash(line.archive) || !endsWithBackslash(line.directory))
        return bad;
    if (wanted == 3) {
        line.file = (*values)[2];
        if (endsWithBackslash(line.file))
            return bad;
    }
    ParsedCommand ok;
    ok.line = std::move(line);
    return ok;
}

}
