// The archiver's command-line parser on arbitrary code page 932 text. Beyond
// not crashing: a line it accepts is exactly one of its forms, so writing the
// parsed command back in that form gives the text it was given; the values
// are non-empty and unquoted, the directory ends in "\" and the archive and
// file do not; a line it refuses carries the command-name error.

#include "tests/fuzz/FuzzSupport.h"

#include "lha/CommandLine.h"
#include "lha/ErrorCodes.h"

using namespace sorvik;

namespace {

u16 quoted(const u16& value)
{
    return u" \"" + value + u"\"";
}

u16 formatted(const lha::CommandLine& line)
{
    u16 text;
    switch (line.command) {
    case lha::Command::Update:
        text = line.stored == lha::StoredPath::RelativeToBase ? u"u -x1" : u"u";
        break;
    case lha::Command::Extract:
        text = u"x";
        break;
    case lha::Command::ExtractFlat:
        text = u"e";
        break;
    }
    text += quoted(line.archive) + quoted(line.directory);
    if (line.command == lha::Command::Update)
        text += quoted(line.file);
    return text;
}

void checkValue(const u16& value)
{
    FUZZ_CHECK(!value.empty());
    FUZZ_CHECK(value.find(u'"') == u16::npos);
}

void check(u16view text)
{
    const lha::ParsedCommand parsed = lha::parseCommandLine(text);
    if (parsed.error) {
        FUZZ_CHECK(parsed.error == lha::kErrCommandName);
        return;
    }
    const lha::CommandLine& line = parsed.line;
    checkValue(line.archive);
    checkValue(line.directory);
    FUZZ_CHECK(line.archive.back() != u'\\');
    FUZZ_CHECK(line.directory.back() == u'\\');
    if (line.command == lha::Command::Update) {
        checkValue(line.file);
        FUZZ_CHECK(line.file.back() != u'\\');
    } else {
        FUZZ_CHECK(line.file.empty());
        FUZZ_CHECK(line.stored == lha::StoredPath::NameOnly);
    }
    FUZZ_CHECK_MSG(formatted(line) == text, fuzz::shown(text) + " read as " + fuzz::shown(formatted(line)));
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);
    check(platform::decodeCp932(bytes));
    // The C string Unlha is handed ends at its first NUL.
    check(platform::decodeCp932(bytes.substr(0, bytes.find('\0'))));
    return 0;
}
