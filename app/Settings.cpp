#include "app/Settings.h"

#include "platform/Paths.h"
#include "platform/Ui.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace sorvik {

namespace {

enum class Section { None, Init, Jump, Filter, OldForm };

// Geometry beyond this is not a window position or size at all.
constexpr double kGeometryLimit = 1e9;

bool isBlankOrTab(char16_t c)
{
    return c == u' ' || c == u'\t';
}

u16view trimBlanks(u16view text)
{
    while (!text.empty() && isBlankOrTab(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankOrTab(text.back()))
        text.remove_suffix(1);
    return text;
}

// The blanks a jump path and a filter entry lose: spaces only.
u16view trimSpaces(u16view text)
{
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return text;
}

// Upper case of each code unit on its own, so positions stay those of the
// original text even where full case mapping would change the length.
u16 upperEachUnit(u16view text)
{
    u16 result(text);
    for (char16_t& c : result) {
        if (c < 0x80) {
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - u'a' + u'A');
        } else if (c < 0xD800 || c > 0xDFFF) {
            u16 up = platform::toUpper(u16view(&c, 1));
            if (up.size() == 1)
                c = up[0];
        }
    }
    return result;
}

std::size_t findNoCase(u16view text, u16view key)
{
    u16 upperText = platform::toUpper(text);
    u16 upperKey = platform::toUpper(key);
    if (upperText.size() != text.size() || upperKey.size() != key.size()) {
        upperText = upperEachUnit(text);
        upperKey = upperEachUnit(key);
    }
    return upperText.find(upperKey);
}

// A whole decimal number: sign, digits with an optional fraction, optional
// exponent. Anything else, or a value a double cannot hold, is no number.
std::optional<double> parseNumber(u16view text)
{
    text = trimBlanks(text);
    std::string ascii;
    ascii.reserve(text.size());
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    auto isDigit = [&](std::size_t k) { return k < text.size() && text[k] >= u'0' && text[k] <= u'9'; };
    std::size_t mantissaDigits = 0;
    for (; isDigit(i); ++i, ++mantissaDigits)
        ascii += static_cast<char>(text[i]);
    if (i < text.size() && text[i] == u'.') {
        ascii += '.';
        for (++i; isDigit(i); ++i, ++mantissaDigits)
            ascii += static_cast<char>(text[i]);
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ascii += static_cast<char>(text[i++]);
        if (!isDigit(i))
            return std::nullopt;
        for (; isDigit(i); ++i)
            ascii += static_cast<char>(text[i]);
    }
    if (i != text.size())
        return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// A header is a whole line in brackets (trailing blanks aside) whose second
// and third characters name the section. Requiring the brackets keeps jump
// aliases such as "aJUx" from being taken for headers.
std::optional<Section> headerSection(u16view line)
{
    while (!line.empty() && isBlankOrTab(line.back()))
        line.remove_suffix(1);
    if (line.size() < 3 || line.front() != u'[' || line.back() != u']')
        return std::nullopt;
    u16 tag = platform::toUpper(line.substr(1, 2));
    if (tag == u"JU")
        return Section::Jump;
    if (tag == u"IN")
        return Section::Init;
    if (tag == u"FI")
        return Section::Filter;
    return std::nullopt;
}

bool isOldFormLine(u16view line)
{
    return line.size() >= 3 && line[1] == u':' && line[2] == u'\\';
}

// Lines are cut on the raw bytes: CR and LF never occur inside a code page 932
// character, so a broken double-byte character cannot swallow a line end.
template<typename Fn>
void forEachByteLine(std::string_view bytes, Fn&& fn)
{
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            fn(bytes.substr(start));
            return;
        }
        fn(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
}

void storeGeometry(std::optional<double>& target, double value)
{
    if (std::isfinite(value) && std::fabs(value) <= kGeometryLimit)
        target = value;
}

// A number outside 16 bits was not read well, so the kind keeps its value.
void storeKind(std::int16_t& target, double value)
{
    if (std::isfinite(value) && value >= std::numeric_limits<std::int16_t>::min()
        && value <= std::numeric_limits<std::int16_t>::max())
        target = static_cast<std::int16_t>(value);
}

void readInitLine(u16view line, SettingsValues& values, DisplayKinds& kinds)
{
    double number = 0;
    if (FindKey(line, u"Top=", number))
        storeGeometry(values.SavedTop, number);
    if (FindKey(line, u"Left=", number))
        storeGeometry(values.SavedLeft, number);
    if (FindKey(line, u"Height=", number))
        storeGeometry(values.SavedHeight, number);
    if (FindKey(line, u"Width=", number))
        storeGeometry(values.SavedWidth, number);
    if (FindKey(line, u"ReadOnly=", number))
        storeKind(kinds.ShowReadOnly, number);
    if (FindKey(line, u"Hidden=", number))
        storeKind(kinds.ShowHidden, number);
    if (FindKey(line, u"System=", number))
        storeKind(kinds.ShowSystem, number);
    if (FindKey(line, u"Archive=", number))
        storeKind(kinds.ShowArchive, number);
}

void readJumpLine(u16view line, JumpList& jumps)
{
    std::size_t comma = line.find(u',');
    if (comma == u16view::npos)
        return;
    jumps.append(u16(line.substr(0, comma)), u16(trimSpaces(line.substr(comma + 1))));
}

void readFilterLine(u16view line, FilterList& filters)
{
    std::size_t index = 0;
    if (!line.empty() && line[0] >= u'0' && line[0] <= u'9')
        index = static_cast<std::size_t>(line[0] - u'0');
    filters[index] = line.size() > 2 ? u16(line.substr(2)) : u16();
}

// The settings file's bytes, built line by line so one line that cannot be
// stored is left out instead of spoiling the file.
class SettingsWriter {
public:
    bool put(u16view line)
    {
        if (line.find_first_of(u"\r\n") != u16view::npos)
            return false;
        auto encoded = platform::encodeCp932(line);
        if (!encoded)
            return false;
        m_bytes += *encoded;
        m_bytes += "\r\n";
        return true;
    }
    const std::string& bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

}

bool FindKey(u16view line, u16view key, double& out)
{
    std::size_t pos = findNoCase(line, key);
    if (pos == u16::npos) {
        out = -1;
        return false;
    }
    auto number = parseNumber(line.substr(pos + key.size()));
    out = number ? std::floor(*number) + 0.0 : std::numeric_limits<double>::quiet_NaN();
    return true;
}

u16 settingsNumberText(double value)
{
    if (!std::isfinite(value) || value == 0)
        value = 0;
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::general, 15);
    std::string digits(buf, result.ptr);
    for (char& c : digits) {
        if (c == 'e')
            c = 'E';
    }
    if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.')
        digits.erase(0, 1);
    u16 text(1, value < 0 ? u'-' : u' ');
    text += fromUtf8(digits);
    text += u' ';
    return text;
}

void parseSettings(std::string_view bytes, SettingsValues& values, const SettingsLists& lists)
{
    Section section = Section::None;
    std::size_t sectionFirstLine = 0;
    std::size_t lineNumber = 0;
    forEachByteLine(bytes, [&](std::string_view raw) {
        u16 line = platform::decodeCp932(raw);
        if (auto header = headerSection(line)) {
            section = *header;
            sectionFirstLine = lineNumber;
        } else if (lineNumber == 0 && isOldFormLine(line)) {
            section = Section::OldForm;
        }
        const bool afterHeader = lineNumber > sectionFirstLine;
        switch (section) {
        case Section::OldForm:
            if (lineNumber == 0)
                values.StartDirectory = AddBackslash(line);
            break;
        case Section::Jump:
            if (lineNumber == sectionFirstLine + 1)
                values.StartDirectory = line;
            else if (afterHeader)
                readJumpLine(line, lists.jumpList);
            break;
        case Section::Init:
            if (afterHeader)
                readInitLine(line, values, lists.displayKinds);
            break;
        case Section::Filter:
            if (afterHeader)
                readFilterLine(line, lists.filterList);
            break;
        case Section::None:
            break;
        }
        ++lineNumber;
    });
}

void LoadSettings(
    platform::FileSystem& fs, u16view dataDir, u16view programDir, SettingsValues& values, const SettingsLists& lists)
{
    SettingsOrigin unused;
    LoadSettings(fs, dataDir, programDir, values, lists, unused);
}

void LoadSettings(platform::FileSystem& fs, u16view dataDir, u16view programDir, SettingsValues& values,
    const SettingsLists& lists, SettingsOrigin& origin)
{
    const u16 path = AddBackslash(dataDir) + kSettingsFileName;
    platform::FileStamp stamp;
    auto bytes = fs.readFile(path, stamp);
    if (bytes) {
        parseSettings(*bytes, values, lists);
        origin.kind = SettingsOrigin::Kind::Present;
        origin.stamp = stamp;
    } else {
        // A file that is there but unreadable is never taken for an absent one.
        origin.kind = fs.stamp(path) ? SettingsOrigin::Kind::Unknown : SettingsOrigin::Kind::Absent;
        origin.stamp = {};
    }
    origin.displayKinds = lists.displayKinds;
    origin.jumpList = lists.jumpList;
    origin.filterList = lists.filterList;
    if (!bytes)
        return;

    // The start directory must be enterable now; the probe must not move the
    // working directory the rest of start-up relies on.
    auto remembered = fs.currentDirectory();
    if (values.StartDirectory.empty() || !fs.setCurrentDirectory(values.StartDirectory))
        values.StartDirectory = u16(programDir);
    if (remembered)
        fs.setCurrentDirectory(*remembered);
}

std::string settingsFileBytes(const SettingsSnapshot& window, const DisplayKinds& displayKinds,
    const JumpList& jumpList, const FilterList& filterList)
{
    SettingsWriter out;
    out.put(u"[Init]");
    out.put(u"Top=" + settingsNumberText(window.Top));
    out.put(u"Left=" + settingsNumberText(window.Left));
    out.put(u"Width=" + settingsNumberText(window.ClientWidth));
    out.put(u"Height=" + settingsNumberText(window.ClientHeight));
    out.put(u"ReadOnly= " + settingsNumberText(displayKinds.ShowReadOnly));
    out.put(u"Hidden= " + settingsNumberText(displayKinds.ShowHidden));
    out.put(u"System= " + settingsNumberText(displayKinds.ShowSystem));
    out.put(u"Archive= " + settingsNumberText(displayKinds.ShowArchive));
    out.put(u"");
    out.put(u"[Jump]");
    if (!out.put(AddBackslash(window.ListedDirectory)))
        out.put(u"");
    for (const clsJump& entry : jumpList) {
        u16 line = entry.Alias + u',' + entry.fPath;
        if (!headerSection(line))
            out.put(line);
    }
    out.put(u"");
    out.put(u"[Filter]");
    for (std::size_t i = 0; i < FilterList::kCount; ++i) {
        if (filterList[i].empty())
            continue;
        u16 line(1, static_cast<char16_t>(u'0' + i));
        line += u' ';
        line += trimSpaces(filterList[i]);
        out.put(line);
    }
    return out.bytes();
}

namespace {

// Each kind on its own: the one this instance changed, else the file's.
DisplayKinds mergeDisplayKinds(const DisplayKinds& origin, const DisplayKinds& mine, const DisplayKinds& theirs)
{
    DisplayKinds merged = theirs;
    auto take = [](std::int16_t before, std::int16_t now, std::int16_t& into) {
        if (now != before)
            into = now;
    };
    take(origin.ShowReadOnly, mine.ShowReadOnly, merged.ShowReadOnly);
    take(origin.ShowHidden, mine.ShowHidden, merged.ShowHidden);
    take(origin.ShowSystem, mine.ShowSystem, merged.ShowSystem);
    take(origin.ShowArchive, mine.ShowArchive, merged.ShowArchive);
    return merged;
}

// Each of the ten entries on its own, as the kinds.
FilterList mergeFilterLists(const FilterList& origin, const FilterList& mine, const FilterList& theirs)
{
    FilterList merged = theirs;
    for (std::size_t i = 0; i < FilterList::kCount; ++i) {
        if (mine[i] != origin[i])
            merged[i] = mine[i];
    }
    return merged;
}

bool unchangedSince(const platform::FileSystem& fs, const u16& path, const SettingsOrigin& origin)
{
    const auto now = fs.stamp(path);
    switch (origin.kind) {
    case SettingsOrigin::Kind::Present:
        return now && *now == origin.stamp;
    case SettingsOrigin::Kind::Absent:
        return !now;
    case SettingsOrigin::Kind::Unknown:
        break;
    }
    return false;
}

// Made again when it went away during the run.
void enterDataDir(platform::FileSystem& fs, u16view dataDir)
{
    if (!fs.setCurrentDirectory(dataDir)) {
        const u16 dir = AddBackslash(dataDir);
        fs.createDirectory(dir.substr(0, dir.size() - 1));
    }
}

void tellNotWritten(const u16& path, const platform::Error& error)
{
    // Written once, at the close: a silent failure would lose the session's
    // jump list and filters without a word, so the user is told.
    platform::ui().showMessage(path + u"に設定を書き込めません\r\n" + platform::reasonText(error));
}

}

void SaveSettings(platform::FileSystem& fs, u16view dataDir, const SettingsSnapshot& window, const SettingsLists& lists,
    SettingsOrigin& origin)
{
    enterDataDir(fs, dataDir);
    const u16 path = AddBackslash(dataDir) + kSettingsFileName;
    DisplayKinds kinds = lists.displayKinds;
    JumpList jumps = lists.jumpList;
    FilterList filters = lists.filterList;
    if (!unchangedSince(fs, path, origin)) {
        // Another instance saved since the load: its values stand except
        // where this one changed something.
        if (auto bytes = fs.readFile(path)) {
            SettingsValues ignored;
            DisplayKinds theirKinds;
            JumpList theirJumps;
            FilterList theirFilters;
            parseSettings(*bytes, ignored, {theirKinds, theirJumps, theirFilters});
            kinds = mergeDisplayKinds(origin.displayKinds, kinds, theirKinds);
            jumps = mergeJumpLists(origin.jumpList, jumps, theirJumps);
            filters = mergeFilterLists(origin.filterList, filters, theirFilters);
        } else if (fs.stamp(path)) {
            tellNotWritten(path, bytes.error());
            return;
        }
    }
    std::optional<platform::FileStamp> written;
    if (const platform::Status status
        = fs.writeFileAtomic(path, settingsFileBytes(window, kinds, jumps, filters), written);
        !status) {
        tellNotWritten(path, status.error());
        return;
    }
    lists.displayKinds = kinds;
    lists.jumpList = jumps;
    lists.filterList = filters;
    origin.kind = written ? SettingsOrigin::Kind::Present : SettingsOrigin::Kind::Unknown;
    origin.stamp = written.value_or(platform::FileStamp{});
    origin.displayKinds = kinds;
    origin.jumpList = std::move(jumps);
    origin.filterList = std::move(filters);
}

void SaveSettings(platform::FileSystem& fs, u16view dataDir, const SettingsSnapshot& window,
    const DisplayKinds& displayKinds, const JumpList& jumpList, const FilterList& filterList)
{
    const std::string bytes = settingsFileBytes(window, displayKinds, jumpList, filterList);
    enterDataDir(fs, dataDir);
    const u16 path = AddBackslash(dataDir) + kSettingsFileName;
    if (const platform::Status written = fs.writeFileAtomic(path, bytes); !written)
        tellNotWritten(path, written.error());
}

}
