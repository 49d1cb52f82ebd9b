// The description file and association file readers on arbitrary bytes.
// Beyond not crashing:
// - the three ways of reading a description file (read, readKeeping, and
//   parse of the decoded text, where it decodes cleanly) give the same records;
// - write of those records, read again, gives the same records and bytes, a
//   store read with its bytes kept writes the same bytes as one read without,
//   and no line of the file is lost;
// - FieldReader always moves on and hands out views inside its text;
// - no association entry's pattern or program holds a line end.

#include "tests/fuzz/FuzzSupport.h"

#include "assoc/AssociationTable.h"
#include "desc/DescriptionFile.h"
#include "desc/FieldReader.h"

#include <algorithm>
#include <tuple>
#include <vector>

using namespace sorvik;

namespace {

using Records = std::vector<std::tuple<u16, u16, u16>>;

Records recordsOf(const DescriptionStore& store)
{
    Records out;
    store.forEach([&](const clsComent& r) { out.emplace_back(r.Key, r.Path, r.Coment); });
    return out;
}

std::string firstDifference(const Records& a, const Records& b)
{
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i])
            return "record " + std::to_string(i) + ": " + fuzz::shown(std::get<1>(a[i])) + " , "
                + fuzz::shown(std::get<2>(a[i])) + "  vs  " + fuzz::shown(std::get<1>(b[i])) + " , "
                + fuzz::shown(std::get<2>(b[i]));
    }
    return std::to_string(a.size()) + " records vs " + std::to_string(b.size());
}

// Lines as the reader counts them: a CR, a LF or a CR LF ends one, and so
// does the end of bytes that do not end in one.
std::size_t lineCount(std::string_view bytes)
{
    std::size_t lines = 0;
    for (std::size_t pos = 0; pos < bytes.size(); ++lines) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        pos = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return lines;
}

void checkDescriptions(std::string_view bytes, u16view text)
{
    DescriptionStore read;
    DescriptionFile::read(bytes, read);
    const Records records = recordsOf(read);

    DescriptionStore kept;
    DescriptionFile::readKeeping(std::string(bytes), kept);
    const std::string keptBytes = DescriptionFile::write(kept);   // before any record is decoded
    const Records keptRecords = recordsOf(kept);
    FUZZ_CHECK_MSG(keptRecords == records, "readKeeping: " + firstDifference(keptRecords, records));

    // Bytes the code page cannot decode key their record by the bytes, which
    // the decoded text no longer has; only clean text parses to the same records.
    if (text.find(u'\uFFFD') == u16view::npos) {
        DescriptionStore parsed;
        DescriptionFile::parse(text, parsed);
        const Records parsedRecords = recordsOf(parsed);
        FUZZ_CHECK_MSG(parsedRecords == records, "parse: " + firstDifference(parsedRecords, records));
    }

    const std::string written = DescriptionFile::write(read);
    FUZZ_CHECK_MSG(keptBytes == written, "kept bytes write differently");
    FUZZ_CHECK(DescriptionFile::write(kept) == written);

    DescriptionStore again;
    DescriptionFile::read(written, again);
    const Records againRecords = recordsOf(again);
    FUZZ_CHECK_MSG(againRecords == records, "written and read again: " + firstDifference(againRecords, records));
    FUZZ_CHECK_MSG(DescriptionFile::write(again) == written, "written twice differently");
    // No line vanishes: those that hold no record go out as they came.
    FUZZ_CHECK_MSG(lineCount(written) == lineCount(bytes), "lines lost or gained");
}

bool inside(u16view part, u16view whole)
{
    return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

void checkFieldReader(u16view text, std::string_view control)
{
    FieldReader reader(text);
    std::size_t fields = 0;
    std::size_t step = 0;
    // Each field takes at least one character or follows a comma, so there
    // can never be more fields than twice the characters plus one.
    const std::size_t bound = 2 * text.size() + 2;
    for (;;) {
        const bool restNow = !control.empty() && (static_cast<unsigned char>(control[step++ % control.size()]) & 1);
        if (restNow && reader.lastEnd() == FieldReader::End::Comma) {
            const u16view rest = reader.restOfLine();
            FUZZ_CHECK(inside(rest, text));
            FUZZ_CHECK(rest.find_first_of(u"\r\n") == u16view::npos);
            FUZZ_CHECK(reader.lastEnd() != FieldReader::End::Comma);
            continue;
        }
        const std::optional<u16view> field = reader.nextView();
        if (!field)
            break;
        FUZZ_CHECK(inside(*field, text));
        FUZZ_CHECK(field->find_first_of(u"\r\n") == u16view::npos);
        if (!reader.lastQuoted())
            FUZZ_CHECK(field->find(u',') == u16view::npos);
        FUZZ_CHECK(++fields <= bound);
    }
    FUZZ_CHECK(reader.atEnd());
}

void checkAssociations(u16view text)
{
    AssociationTable table;
    table.loadText(text);
    for (const AssociationEntry& e : table.entries()) {
        FUZZ_CHECK(e.Pattern.find_first_of(u"\r\n") == u16::npos);
        FUZZ_CHECK(e.ProgramPath.find_first_of(u"\r\n") == u16::npos);
    }
    if (!table.entries().empty()) {
        const u16 name = table.entries().back().Pattern;
        if (const AssociationEntry* hit = table.firstMatch(name))
            FUZZ_CHECK(hit >= table.entries().data() && hit < table.entries().data() + table.entries().size());
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const u16 text = platform::decodeCp932(bytes);
    checkDescriptions(bytes, text);
    checkFieldReader(text, bytes.substr(0, 16));
    checkAssociations(text);
    return 0;
}
