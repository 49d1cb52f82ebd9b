#include "desc/DescriptionFile.h"

#include "desc/Cp932RoundTrip.h"
#include "desc/FieldEscape.h"
#include "desc/FieldReader.h"
#include "desc/LineScan.h"

#include <algorithm>
#include <cstdint>

namespace sorvik {

namespace {

// A plain line of kept bytes: only its fields are found, as readPlainLine()
// finds them, and the key hashed. A path of printable ASCII is hashed from its
// bytes; any other is decoded into scratch space for it.
void keepPlainLine(
    std::string_view bytes, std::size_t pos, const LineScan& scan, DescriptionStore& store, u16& path, u16& key)
{
    const std::string_view line = bytes.substr(pos, scan.end - pos);
    const std::size_t comma = scan.comma - pos;
    const std::size_t start = line.find_first_not_of(' ');
    const std::string_view rest = line.substr(comma + 1);
    const std::size_t lead = std::min(rest.find_first_not_of(' '), rest.size());
    const std::string_view pathBytes = line.substr(start, comma - start);
    std::uint32_t hash;
    bool byteKeyed = false;
    if (!DescriptionStore::hashOfAscii(pathBytes, hash)) {
        platform::decodeCp932(pathBytes, path);
        // A U+FFFD always lands here, since hashOfPath() declines it.
        if (!DescriptionStore::hashOfPath(path, hash)) {
            byteKeyed = clsComent::decodedBadBytes(path);
            if (byteKeyed)
                clsComent::byteKeyOf(pathBytes, key);
            else
                clsComent::keyOf(path, key);
            hash = DescriptionStore::hashOf(key);
        }
    }
    store.appendLoadedUnindexed(
        pos + start, comma - start, pos + comma + 1 + lead, rest.size() - lead, hash, byteKeyed);
}

}

void DescriptionFile::read(std::string_view bytes, DescriptionStore& store)
{
    if (store.canKeepBytes(bytes.size()))
        readLines(store.keepBytes(std::string(bytes)), store, Keep::Decoded);
    else
        readLines(bytes, store, Keep::Nothing);
}

void DescriptionFile::readKeeping(std::string bytes, DescriptionStore& store)
{
    if (!store.canKeepBytes(bytes.size())) {
        readLines(bytes, store, Keep::Nothing);
        return;
    }
    readLines(store.keepBytes(std::move(bytes)), store, Keep::Lazily);
}

void DescriptionFile::readLines(std::string_view bytes, DescriptionStore& store, Keep keep)
{
    store.reserve(store.count() + estimateLines(bytes));
    u16 scratch;
    u16 key;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // A CR, a LF or a CR LF ends the line; an empty line holds no record.
        const LineScan scan = scanLine(bytes, pos);
        if (scan.plain && scan.comma == std::string_view::npos)
            keepLine(bytes, pos, scan.end, store, keep);
        else if (scan.plain && keep == Keep::Lazily)
            keepPlainLine(bytes, pos, scan, store, scratch, key);
        else if (scan.plain)
            readPlainLine(bytes, pos, scan.end, scan.comma - pos, store, keep);
        else if (!readLine(bytes, pos, scan.end, store, scratch, keep))
            keepLine(bytes, pos, scan.end, store, keep);
        pos = scan.end
            + (scan.end + 1 < bytes.size() && bytes[scan.end] == '\r' && bytes[scan.end + 1] == '\n' ? 2 : 1);
    }
    store.indexAppended();
}

void DescriptionFile::keepLine(
    std::string_view bytes, std::size_t pos, std::size_t end, DescriptionStore& store, Keep keep)
{
    if (keep == Keep::Nothing)
        store.appendLineUnindexed(bytes.substr(pos, end - pos));
    else
        store.appendLineUnindexed(pos, end - pos);
}

// The usual line, with nothing quoted or escaped: only the spaces in front of
// the path and of the description are dropped.
void DescriptionFile::readPlainLine(
    std::string_view bytes, std::size_t pos, std::size_t end, std::size_t comma, DescriptionStore& store, Keep keep)
{
    const std::string_view line = bytes.substr(pos, end - pos);
    const std::size_t start = line.find_first_not_of(' ');
    const std::string_view pathBytes = line.substr(start, comma - start);
    const std::string_view rest = line.substr(comma + 1);
    const std::size_t lead = std::min(rest.find_first_not_of(' '), rest.size());
    clsComent& record = store.spare();
    platform::decodeCp932(pathBytes, record.Path);
    platform::decodeCp932(rest.substr(lead), record.Coment);
    // After the description, so that the path's bytes have left the store buffer.
    if (clsComent::decodedBadBytes(record.Path))
        clsComent::byteKeyOf(pathBytes, record.Key);
    else
        clsComent::keyOf(record.Path, record.Key);
    if (keep == Keep::Nothing)
        store.appendSpareUnindexed();
    else
        store.appendSpareUnindexedFields(pos + start, pathBytes.size(), pos + comma + 1 + lead, rest.size() - lead);
}

// The reading rules are those of FieldReader on the decoded text. Every
// character they look at (space, double quote, comma, CR, LF, and the "&" of
// an escape) is a byte below 0x40, which code page 932 never uses as the
// second byte of a pair, and nothing else decodes to one of them. So the
// fields are found in the bytes and each is decoded straight into its record.
bool DescriptionFile::readLine(
    std::string_view bytes, std::size_t pos, std::size_t end, DescriptionStore& store, u16& scratch, Keep keep)
{
    const std::string_view line = bytes.substr(pos, end - pos);
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return false;
    std::string_view path;
    std::size_t comma = std::string_view::npos;
    if (line[start] == '"') {
        // A quoted path ends at the next quote; what follows it up to the comma is dropped.
        const std::size_t close = std::min(line.find('"', start + 1), line.size());
        path = line.substr(start + 1, close - start - 1);
        comma = line.find(',', std::min(close + 1, line.size()));
    } else {
        comma = line.find(',', start);
        path = line.substr(start, comma - start);
    }
    if (comma == std::string_view::npos)
        return false;
    const std::string_view rest = line.substr(comma + 1);

    clsComent& record = store.spare();
    bool badBytes = false;
    if (path.find('&') == std::string_view::npos) {
        platform::decodeCp932(path, record.Path);
        badBytes = clsComent::decodedBadBytes(record.Path);
    } else {
        // Before unescaping: an escaped U+FFFD is a character like any other.
        platform::decodeCp932(path, scratch);
        badBytes = clsComent::decodedBadBytes(scratch);
        unescapeInto(scratch, record.Path);
    }
    if (badBytes)
        clsComent::byteKeyOf(path, record.Key);
    else
        clsComent::keyOf(record.Path, record.Key);
    const std::size_t lead = std::min(rest.find_first_not_of(' '), rest.size());
    if (lead < rest.size() && (rest[lead] == '"' || rest.find('&', lead) != std::string_view::npos)) {
        platform::decodeCp932(rest, scratch);
        readComentInto(scratch, record.Coment);
    } else {
        platform::decodeCp932(rest.substr(lead), record.Coment);
    }
    if (keep == Keep::Nothing)
        store.appendSpareUnindexed();
    else
        store.appendSpareUnindexedLine(pos + start, line.size() - start);
    return true;
}

void DescriptionFile::parse(u16view text, DescriptionStore& store)
{
    parseUnindexed(text, store);
    store.indexAppended();
}

void DescriptionFile::parseUnindexed(u16view text, DescriptionStore& store)
{
    FieldReader reader(text);
    while (auto path = reader.nextView()) {
        if (reader.lastEnd() != FieldReader::End::Comma)
            continue;
        const u16view raw = reader.restOfLine();
        clsComent& record = store.spare();
        unescapeInto(*path, record.Path);
        clsComent::keyOf(record.Path, record.Key);
        readComentInto(raw, record.Coment);
        store.appendSpareUnindexed();
    }
}

std::string DescriptionFile::write(const DescriptionStore& store)
{
    // Room for a plain file: two bytes a character at most, plus the comma
    // and CR LF. Nearly every record goes out as it is, encoded straight onto
    // the bytes; only the odd one is formatted into a line first.
    std::size_t size = 0;
    store.forEachLine([&](const clsComent& r) { size += 2 * (r.Path.size() + r.Coment.size()) + 5; },
        [&](const DescriptionStore::KeptBytes& kept) {
            size += kept.path.size() + kept.coment.size() + kept.line.size() + 3;
            return true;
        },
        [&](std::string_view line) { size += line.size() + 2; });
    std::string bytes;
    bytes.reserve(size);
    u16 line;
    // The fields of a plain line hold no comma (in the path), quote, "&", CR
    // or LF, nor a leading space, so they read back as they are: where the
    // code page gives them back from their text they are exactly what the
    // writer would give, and where it cannot, only they keep the record.
    // Another line goes out as it came only when the writer could not give
    // its bytes back.
    const auto asItCame = [&](const DescriptionStore::KeptBytes& kept) {
        if (!kept.line.empty()) {
            if (roundTripsCp932(kept.line))
                return false;
            bytes += kept.line;
        } else {
            bytes += kept.path;
            bytes += ',';
            bytes += kept.coment;
        }
        bytes += "\r\n";
        return true;
    };
    // A line that holds no record goes out as it came, with a CR LF.
    const auto asItWas = [&](std::string_view kept) {
        bytes += kept;
        bytes += "\r\n";
    };
    store.forEachLine(
        [&](const clsComent& r) {
            const std::size_t lineStart = bytes.size();
            if (goesOutAsItIs(r.Path, true) && goesOutAsItIs(r.Coment, false) && platform::appendCp932(r.Path, bytes)) {
                bytes += ',';
                if (platform::appendCp932(r.Coment, bytes)) {
                    bytes += "\r\n";
                    return;
                }
            }
            bytes.resize(lineStart);
            line.clear();
            appendLine(line, r.Path, r.Coment, false);
            line += u"\r\n";
            if (platform::appendCp932(line, bytes))
                return;
            // Text the code page lacks: escape it in this line only.
            line.clear();
            appendLine(line, r.Path, r.Coment, true);
            line += u"\r\n";
            platform::appendCp932(line, bytes);
        },
        asItCame, asItWas);
    return bytes;
}

u16 DescriptionFile::formatLine(u16view path, u16view coment, bool escapeUnencodable)
{
    u16 line;
    appendLine(line, path, coment, escapeUnencodable);
    return line;
}

}
