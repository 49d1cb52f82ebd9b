// The settings reader on arbitrary bytes. Beyond not crashing:
// - every window size or position it keeps is a whole number within the
//   limits it promises;
// - what it read, written by the settings writer and read again, comes back:
//   the display kinds and geometry exactly, each filter and the start
//   directory as stored (or empty when the code page cannot hold them), and
//   the jump entries in order, none invented, none lost that could be stored;
// - FindKey keeps its contract on a line and key taken from the input.

#include "tests/fuzz/FuzzSupport.h"

#include "app/Settings.h"
#include "platform/Paths.h"

#include <cmath>

using namespace sorvik;

namespace {

struct Read {
    SettingsValues values;
    DisplayKinds kinds;
    JumpList jumps;
    FilterList filters;
};

void parse(std::string_view bytes, Read& r)
{
    parseSettings(bytes, r.values, {r.kinds, r.jumps, r.filters});
}

u16 trimmedSpaces(u16view text)
{
    const std::size_t b = std::min(text.find_first_not_of(u' '), text.size());
    const std::size_t e = text.find_last_not_of(u' ');
    return e == u16view::npos ? u16() : u16(text.substr(b, e + 1 - b));
}

bool storable(u16view line)
{
    return platform::representableInCp932(line);
}

void checkGeometry(const std::optional<double>& v)
{
    if (!v)
        return;
    FUZZ_CHECK(std::isfinite(*v));
    FUZZ_CHECK(std::fabs(*v) <= 1e9);
    FUZZ_CHECK(*v == std::floor(*v));
}

void checkSameGeometry(const std::optional<double>& first, const std::optional<double>& again)
{
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK_MSG(
        *again == first.value_or(0), std::to_string(first.value_or(0)) + " came back as " + std::to_string(*again));
}

void checkFindKey(std::string_view bytes)
{
    // The first line is the key, the second the line it is looked for in.
    const std::size_t cut = bytes.find('\n');
    if (cut == std::string_view::npos)
        return;
    const u16 key = platform::decodeCp932(bytes.substr(0, cut));
    const std::string_view rest = bytes.substr(cut + 1);
    const u16 line = platform::decodeCp932(rest.substr(0, rest.find('\n')));
    double out = 0;
    if (FindKey(line, key, out)) {
        FUZZ_CHECK(std::isnan(out) || out == std::floor(out));
    } else {
        FUZZ_CHECK(out == -1);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);
    checkFindKey(bytes);

    Read first;
    parse(bytes, first);
    checkGeometry(first.values.SavedTop);
    checkGeometry(first.values.SavedLeft);
    checkGeometry(first.values.SavedWidth);
    checkGeometry(first.values.SavedHeight);

    SettingsSnapshot window;
    window.Top = first.values.SavedTop.value_or(0);
    window.Left = first.values.SavedLeft.value_or(0);
    window.ClientWidth = first.values.SavedWidth.value_or(0);
    window.ClientHeight = first.values.SavedHeight.value_or(0);
    window.ListedDirectory = first.values.StartDirectory;
    const std::string written = settingsFileBytes(window, first.kinds, first.jumps, first.filters);

    Read again;
    parse(written, again);
    FUZZ_CHECK(again.kinds == first.kinds);
    checkSameGeometry(first.values.SavedTop, again.values.SavedTop);
    checkSameGeometry(first.values.SavedLeft, again.values.SavedLeft);
    checkSameGeometry(first.values.SavedWidth, again.values.SavedWidth);
    checkSameGeometry(first.values.SavedHeight, again.values.SavedHeight);

    const u16 start = AddBackslash(first.values.StartDirectory);
    FUZZ_CHECK_MSG(again.values.StartDirectory == (storable(start) ? start : u16()),
        fuzz::shown(first.values.StartDirectory) + " came back as " + fuzz::shown(again.values.StartDirectory));

    for (std::size_t i = 0; i < FilterList::kCount; ++i) {
        const u16 stored = trimmedSpaces(first.filters[i]);
        const u16 line = u16(1, static_cast<char16_t>(u'0' + i)) + u' ' + stored;
        FUZZ_CHECK_MSG(again.filters[i] == (storable(line) ? stored : u16()),
            "filter " + std::to_string(i) + ": " + fuzz::shown(first.filters[i]) + " came back as "
                + fuzz::shown(again.filters[i]));
    }

    // The jump entries read again are the first ones in order, some perhaps
    // left out; only a line the code page lacks or one opening with "[" (a
    // would-be section header) may be.
    auto next = again.jumps.begin();
    for (const clsJump& entry : first.jumps) {
        const u16 line = entry.Alias + u',' + entry.fPath;
        if (next != again.jumps.end() && next->Alias == entry.Alias && next->fPath == entry.fPath) {
            ++next;
            continue;
        }
        FUZZ_CHECK_MSG(
            !storable(line) || (!line.empty() && line.front() == u'['), "jump entry lost: " + fuzz::shown(line));
    }
    FUZZ_CHECK_MSG(next == again.jumps.end(), "jump entry invented: " + fuzz::shown(next->Alias));
    return 0;
}
