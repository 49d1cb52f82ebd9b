#include "platform/Win32Files.h"

#include "platform/Text.h"

#include <memory>
#include <vector>

// Code page 932 through the system's own conversion. Decoding runs on tables
// the system fills at first use, because MultiByteToWideChar would turn an
// undecodable pair into the katakana middle dot instead of U+FFFD and would
// not say which bytes were bad.
namespace sorvik::platform {

namespace {

constexpr UINT kCodePage = 932;
constexpr char16_t kReplacement = 0xFFFD;
// In a pair row: the lead byte is bad on its own and the next byte starts afresh.
constexpr char16_t kLeadAlone = 0xFFFF;

struct DecodeTable {
    char16_t single[256];          // a byte alone, or a lead byte at the end
    std::uint8_t row[256];         // 1 + its row in pairs for a lead byte, else 0
    std::vector<char16_t> pairs;   // 256 per lead byte, by the following byte
};

// One character of exactly these bytes, or nothing.
std::optional<char16_t> systemChar(const char* bytes, int count)
{
    wchar_t out[4];
    const int n = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, count, out, 4);
    if (n != 1)
        return std::nullopt;
    return static_cast<char16_t>(out[0]);
}

// A byte that may follow a lead byte. A pair of a lead byte and such a byte
// that names no character is one bad character, as on Linux; any other byte
// after a lead byte begins a character of its own.
bool isTrailByte(int b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

std::unique_ptr<DecodeTable> buildDecodeTable()
{
    auto table = std::make_unique<DecodeTable>();
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        table->single[b] = systemChar(&byte, 1).value_or(kReplacement);
        table->row[b] = 0;
    }
    std::vector<char16_t> row(256);
    for (int lead = 0; lead < 256; ++lead) {
        if (!::IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(lead)))
            continue;
        for (int trail = 0; trail < 256; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            if (std::optional<char16_t> c = systemChar(pair, 2))
                row[trail] = *c;
            else
                row[trail] = isTrailByte(trail) ? kReplacement : kLeadAlone;
        }
        if (table->pairs.size() / 256 >= 255)
            return nullptr;
        table->pairs.insert(table->pairs.end(), row.begin(), row.end());
        table->row[lead] = static_cast<std::uint8_t>(table->pairs.size() / 256);
        table->single[lead] = kReplacement;
    }
    return table;
}

const DecodeTable* decodeTable()
{
    static const std::unique_ptr<DecodeTable> table = buildDecodeTable();
    return table.get();
}

// The system's bytes for the text: no best-fit substitutes ("A" for "Ａ"
// with an accent and the like), and the default character counts as a refusal.
std::optional<std::string> systemBytes(u16view text)
{
    if (text.empty())
        return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    std::string out(text.size() * 2, '\0');
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(
        kCodePage, WC_NO_BEST_FIT_CHARS, wide, size, out.data(), static_cast<int>(out.size()), nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(n));
    // Whatever is written must read back as exactly the same text.
    if (decodeCp932(out) != text)
        return std::nullopt;
    return out;
}

}

u16 decodeCp932(std::string_view bytes)
{
    u16 out;
    out.reserve(bytes.size());
    decodeCp932(bytes, out);
    return out;
}

void decodeCp932(std::string_view bytes, u16& out)
{
    out.clear();
    const DecodeTable* table = decodeTable();
    if (bytes.empty() || !table)
        return;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    for (std::size_t i = 0; i < size;) {
        const unsigned char b = p[i];
        const std::uint8_t row = table->row[b];
        if (row != 0 && i + 1 < size) {
            const char16_t c = table->pairs[(row - 1) * 256u + p[i + 1]];
            if (c != kLeadAlone) {
                out += c;
                i += 2;
                continue;
            }
        }
        out += table->single[b];
        ++i;
    }
}

std::optional<std::string> encodeCp932(u16view text)
{
    return systemBytes(text);
}

bool appendCp932(u16view text, std::string& out)
{
    std::optional<std::string> bytes = systemBytes(text);
    if (!bytes)
        return false;
    out += *bytes;
    return true;
}

bool representableInCp932(u16view text)
{
    return systemBytes(text).has_value();
}

bool cp932TablesInUse()
{
    return decodeTable() != nullptr;
}

}
