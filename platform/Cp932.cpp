#include "platform/Text.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

// Code page 932 through ICU's "windows-31j", sped up by tables that ICU
// itself fills on first use.
namespace sorvik::platform {

namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's "windows-31j" is the Microsoft table: 0x5C stays a backslash and the
// NEC and IBM extensions are included.
Converter openCp932()
{
    UErrorCode err = U_ZERO_ERROR;
    Converter conv(ucnv_open("windows-31j", &err));
    if (U_FAILURE(err))
        return nullptr;
    return conv;
}

// Every undecodable byte sequence becomes one U+FFFD, whatever the table's own
// substitution character would be.
void toUnicodeReplacement(
    const void*, UConverterToUnicodeArgs* args, const char*, int32_t, UConverterCallbackReason reason, UErrorCode* err)
{
    if (reason > UCNV_IRREGULAR)
        return;
    *err = U_ZERO_ERROR;
    const UChar replacement = 0xFFFD;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, err);
}

UConverter* decoder()
{
    static Converter conv = [] {
        Converter c = openCp932();
        if (c) {
            UErrorCode err = U_ZERO_ERROR;
            ucnv_setToUCallBack(c.get(), toUnicodeReplacement, nullptr, nullptr, nullptr, &err);
        }
        return c;
    }();
    return conv.get();
}

UConverter* encoder()
{
    static Converter conv = [] {
        Converter c = openCp932();
        if (c) {
            UErrorCode err = U_ZERO_ERROR;
            ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
        }
        return c;
    }();
    return conv.get();
}

const UChar* uchars(u16view text)
{
    return reinterpret_cast<const UChar*>(text.data());
}

// ICU's own conversion: the reference the tables are built from, and the
// way back should they ever fail their checks.
u16 decodeWithIcu(std::string_view bytes)
{
    UConverter* conv = decoder();
    if (!conv || bytes.empty())
        return {};
    ucnv_resetToUnicode(conv);
    // One byte never yields more than two UTF-16 units.
    u16 out(bytes.size() * 2 + 2, u'\0');
    UErrorCode err = U_ZERO_ERROR;
    int32_t length = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
        bytes.data(), static_cast<int32_t>(bytes.size()), &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING)
        return {};
    out.resize(length);
    return out;
}

// Bytes for at most a few characters, without touching the heap.
int encodeShortWithIcu(u16view text, char* out, int capacity)
{
    UConverter* conv = encoder();
    if (!conv)
        return -1;
    ucnv_resetFromUnicode(conv);
    UErrorCode err = U_ZERO_ERROR;
    int32_t length = ucnv_fromUChars(conv, out, capacity, uchars(text), static_cast<int32_t>(text.size()), &err);
    return U_FAILURE(err) ? -1 : length;
}

std::optional<std::string> encodeWithIcu(u16view text)
{
    if (!encoder())
        return std::nullopt;
    if (text.empty())
        return std::string();
    std::string out(text.size() * 2 + 2, '\0');
    int length = encodeShortWithIcu(text, out.data(), static_cast<int>(out.size()));
    if (length < 0)
        return std::nullopt;
    out.resize(length);
    // ICU drops default-ignorable characters (U+200B, U+FEFF, ...) without a
    // word and gives a few private-use ones the bytes of other characters;
    // either would change the text unseen, so such text is refused.
    if (decodeCp932(out) != text)
        return std::nullopt;
    return out;
}

// The bytes of one character beyond the BMP, or -1; as encodeWithIcu, only
// bytes that decode back to the character count.
int encodePairWithIcu(u16view pair, char* out)
{
    const int length = encodeShortWithIcu(pair, out, 8);
    if (length <= 0 || decodeCp932(std::string_view(out, static_cast<std::size_t>(length))) != pair)
        return -1;
    return length;
}

// Code page 932 is stateless and has at most two bytes a character, so what
// ICU makes of every byte, every byte pair and every code point alone fixes
// what it makes of any text. Tables of those, filled once from ICU itself,
// give the same results several times faster.

constexpr char16_t kReplacement = 0xFFFD;

// Where the tables follow the Windows system's own code page 932 rather than
// ICU's windows-31j: ICU carries IBM's rotation of three control codes
// (0x1A, 0x1C and 0x7F) and has no 0x80, which Windows maps to U+0080. Data
// files written on either system must be the same bytes.
constexpr unsigned char kWindowsSingles[] = {0x1A, 0x1C, 0x7F, 0x80};
// In a pair row: the lead byte is bad on its own and the next byte starts
// afresh. Never a result of code page 932.
constexpr char16_t kLeadAlone = 0xFFFF;

// Most of a data file is printable ASCII (0x20 to 0x7E), which both tables
// map to itself; it goes eight bytes or four UTF-16 units at a time. Adding
// one turns 0x7F into 0x80, and subtracting 0x20 borrows into the top bit of
// anything smaller.
bool printableBytes(const unsigned char* p)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return ((w | (w + kOnes) | (w - 0x20 * kOnes)) & (0x80 * kOnes)) == 0;
}

bool printableUnits(const char16_t* p)
{
    constexpr std::uint64_t kOnes = 0x0001000100010001ULL;
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return (((w | (w + kOnes)) & (0xFF80 * kOnes)) | ((w - 0x20 * kOnes) & (0x8000 * kOnes))) == 0;
}

struct DecodeTable {
    char16_t single[256];          // a byte alone, or a lead byte at the end
    std::uint8_t row[256];         // 1 + its row in pairs for a lead byte, else 0
    std::vector<char16_t> pairs;   // 256 per lead byte, by the following byte
    bool printableIsItself = true;
};

std::unique_ptr<DecodeTable> buildDecodeTable()
{
    auto table = std::make_unique<DecodeTable>();
    for (int b = 0; b < 256; ++b) {
        const u16 one = decodeWithIcu(std::string(1, static_cast<char>(b)));
        if (one.size() != 1 || one[0] == kLeadAlone)
            return nullptr;
        table->single[b] = one[0];
        table->row[b] = 0;
    }
    std::vector<char16_t> row(256);
    for (int lead = 0; lead < 256; ++lead) {
        if (table->single[lead] != kReplacement)
            continue;
        bool startsPairs = false;
        for (int trail = 0; trail < 256; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const u16 two = decodeWithIcu(std::string_view(pair, 2));
            if (two.size() == 2 && two[0] == kReplacement && two[1] == table->single[trail]) {
                row[trail] = kLeadAlone;
            } else if (two.size() == 1 && two[0] != kLeadAlone) {
                row[trail] = two[0];
                startsPairs = true;
            } else {
                return nullptr;
            }
        }
        // A byte bad with every follower is simply a bad single byte.
        if (!startsPairs)
            continue;
        if (table->pairs.size() / 256 >= 255)
            return nullptr;
        table->pairs.insert(table->pairs.end(), row.begin(), row.end());
        table->row[lead] = static_cast<std::uint8_t>(table->pairs.size() / 256);
    }
    // After the pairs: their rows were checked against ICU's own singles.
    for (unsigned char b : kWindowsSingles) {
        if (table->row[b] != 0)
            return nullptr;
        table->single[b] = b;
    }
    for (int b = 0x20; b < 0x7F; ++b) {
        if (table->single[b] != b || table->row[b] != 0)
            table->printableIsItself = false;
    }
    return table;
}

const DecodeTable* decodeTable()
{
    static const std::unique_ptr<DecodeTable> table = decoder() ? buildDecodeTable() : nullptr;
    return table.get();
}

// Appends the text of the bytes; at most one unit per byte.
void decodeWithTable(const DecodeTable& table, std::string_view bytes, u16& out)
{
    constexpr std::size_t kBlock = 4096;
    char16_t buf[kBlock + 8];
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        // A pair may run one byte past the block.
        const std::size_t blockEnd = std::min(size, i + kBlock);
        std::size_t n = 0;
        while (i < blockEnd) {
            if (i + 8 <= blockEnd && table.printableIsItself && printableBytes(p + i)) {
                for (int k = 0; k < 8; ++k)
                    buf[n + k] = p[i + k];
                n += 8;
                i += 8;
                continue;
            }
            const unsigned char b = p[i];
            const std::uint8_t row = table.row[b];
            if (row != 0 && i + 1 < size) {
                const char16_t c = table.pairs[(row - 1) * 256u + p[i + 1]];
                if (c != kLeadAlone) {
                    buf[n++] = c;
                    i += 2;
                    continue;
                }
            }
            buf[n++] = table.single[b];
            ++i;
        }
        out.append(buf, n);
    }
}

// Per BMP code point: one byte, lead byte * 256 + trail byte, or a marker.
constexpr std::uint16_t kUnmappable = 0xFFFF;

struct EncodeTable {
    std::uint16_t code[0x10000];
    bool printableIsItself = true;
};

bool isSurrogatePairAt(u16view text, std::size_t i)
{
    return text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00
        && text[i + 1] <= 0xDFFF;
}

std::unique_ptr<EncodeTable> buildEncodeTable()
{
    // A mapping of a character sequence would make per-character tables wrong.
    UErrorCode err = U_ZERO_ERROR;
    std::unique_ptr<USet, decltype(&uset_close)> set(uset_openEmpty(), &uset_close);
    ucnv_getUnicodeSet(encoder(), set.get(), UCNV_ROUNDTRIP_AND_FALLBACK_SET, &err);
    if (U_FAILURE(err))
        return nullptr;
    for (int32_t i = uset_getItemCount(set.get()) - 1; i >= 0; --i) {
        UChar32 start = 0, end = 0;
        err = U_ZERO_ERROR;
        if (uset_getItem(set.get(), i, &start, &end, nullptr, 0, &err) != 0)
            return nullptr;
    }

    auto table = std::make_unique<EncodeTable>();
    for (std::uint32_t cp = 0; cp < 0x10000; ++cp) {
        const char16_t unit = static_cast<char16_t>(cp);
        std::uint16_t& code = table->code[cp];
        char bytes[8];
        const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
        const int length = surrogate ? -1 : encodeShortWithIcu(u16view(&unit, 1), bytes, sizeof bytes);
        const auto byte = [&](int k) { return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[k])); };
        // As in encodeWithIcu: no bytes, or bytes of another character, are a refusal.
        if (length <= 0 || decodeCp932(std::string_view(bytes, static_cast<std::size_t>(length))) != u16view(&unit, 1))
            code = kUnmappable;
        else if (length == 1)
            code = byte(0);
        else if (length == 2 && byte(0) != 0 && (byte(0) << 8 | byte(1)) < kUnmappable)
            code = static_cast<std::uint16_t>(byte(0) << 8 | byte(1));
        else
            return nullptr;
    }
    for (unsigned char b : kWindowsSingles)
        table->code[b] = b;
    for (std::uint32_t c = 0x20; c < 0x7F; ++c) {
        if (table->code[c] != c)
            table->printableIsItself = false;
    }
    return table;
}

const EncodeTable* encodeTable()
{
    static const std::unique_ptr<EncodeTable> table = encoder() ? buildEncodeTable() : nullptr;
    return table.get();
}

// The byte count of the text, or nothing when it holds a character the code
// page lacks. Characters beyond the BMP are rare enough to ask ICU each time.
std::optional<std::size_t> encodedSize(const EncodeTable& table, u16view text)
{
    std::size_t size = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i + 4 <= text.size() && table.printableIsItself && printableUnits(text.data() + i)) {
            size += 4;
            i += 3;
            continue;
        }
        const std::uint16_t code = table.code[text[i]];
        if (code < 0x100) {
            ++size;
        } else if (code != kUnmappable) {
            size += 2;
        } else {
            char bytes[8];
            const int length = isSurrogatePairAt(text, i) ? encodePairWithIcu(text.substr(i, 2), bytes) : -1;
            if (length < 0)
                return std::nullopt;
            size += static_cast<std::size_t>(length);
            ++i;
        }
    }
    return size;
}

// Appends the bytes of the text through a small buffer, so the output is
// written once; false with part of the text appended at a character the
// code page lacks.
bool appendWithTable(const EncodeTable& table, u16view text, std::string& out)
{
    constexpr std::size_t kBlock = 4096;
    char buf[kBlock + 8];
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (n >= kBlock) {
            out.append(buf, n);
            n = 0;
        }
        if (i + 4 <= text.size() && table.printableIsItself && printableUnits(text.data() + i)) {
            for (int k = 0; k < 4; ++k)
                buf[n + k] = static_cast<char>(text[i + k]);
            n += 4;
            i += 3;
            continue;
        }
        const std::uint16_t code = table.code[text[i]];
        if (code < 0x100) {
            buf[n++] = static_cast<char>(code);
        } else if (code != kUnmappable) {
            buf[n++] = static_cast<char>(code >> 8);
            buf[n++] = static_cast<char>(code & 0xFF);
        } else {
            const int length = isSurrogatePairAt(text, i) ? encodePairWithIcu(text.substr(i, 2), buf + n) : -1;
            if (length < 0)
                return false;
            n += static_cast<std::size_t>(length);
            ++i;
        }
    }
    out.append(buf, n);
    return true;
}

}

u16 decodeCp932(std::string_view bytes)
{
    u16 out;
    out.reserve(bytes.size());   // never more units than bytes
    decodeCp932(bytes, out);
    return out;
}

void decodeCp932(std::string_view bytes, u16& out)
{
    out.clear();
    if (bytes.empty())
        return;
    if (const DecodeTable* table = decodeTable())
        decodeWithTable(*table, bytes, out);
    else
        out = decodeWithIcu(bytes);
}

std::optional<std::string> encodeCp932(u16view text)
{
    const EncodeTable* table = encodeTable();
    if (!table)
        return encodeWithIcu(text);
    // Sized exactly, and a refusal costs no output at all.
    const std::optional<std::size_t> size = encodedSize(*table, text);
    if (!size)
        return std::nullopt;
    std::string out;
    out.reserve(*size);
    appendWithTable(*table, text, out);
    return out;
}

bool appendCp932(u16view text, std::string& out)
{
    const EncodeTable* table = encodeTable();
    if (!table) {
        auto bytes = encodeWithIcu(text);
        if (bytes)
            out += *bytes;
        return bytes.has_value();
    }
    const std::size_t before = out.size();
    if (appendWithTable(*table, text, out))
        return true;
    out.resize(before);
    return false;
}

bool representableInCp932(u16view text)
{
    if (const EncodeTable* table = encodeTable())
        return encodedSize(*table, text).has_value();
    return encodeWithIcu(text).has_value();
}

bool cp932TablesInUse()
{
    return decodeTable() && encodeTable();
}

}
