#include "desc/Cp932RoundTrip.h"

#include "platform/Text.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <string>

namespace sorvik {

namespace {

// Which bytes come back the same from decoding and encoding again: single
// bytes, and pairs by lead * 256 + trail. Asked of the code page itself once.
struct RoundTrips {
    std::array<bool, 256> single{};
    std::array<bool, 256> lead{};
    std::bitset<65536> pair;
};

const RoundTrips& table()
{
    static const RoundTrips built = [] {
        RoundTrips t;
        const auto roundTrip = [](const std::string& bytes) {
            const u16 text = platform::decodeCp932(bytes);
            return text.size() == 1 && text[0] != u'\uFFFD' && platform::encodeCp932(text) == bytes;
        };
        for (int b = 0; b < 256; ++b) {
            t.lead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
            t.single[b] = !t.lead[b] && roundTrip(std::string(1, static_cast<char>(b)));
            if (!t.lead[b])
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail)
                t.pair[b * 256 + trail] = roundTrip({static_cast<char>(b), static_cast<char>(trail)});
        }
        return t;
    }();
    return built;
}

}

bool roundTripsCp932(std::string_view bytes)
{
    constexpr std::uint64_t kBytes = 0x0101010101010101ULL;
    const RoundTrips& t = table();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        // Printable ASCII, eight bytes at a time: adding one takes 0x7F to
        // the top bit, subtracting 0x20 borrows into it.
        if (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            if ((((w + kBytes) | (w - 0x20 * kBytes) | w) & (0x80 * kBytes)) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = p[i];
        if (t.lead[c]) {
            if (i + 1 >= n || !t.pair[c * 256 + p[i + 1]])
                return false;
            i += 2;
        } else {
            if (!t.single[c])
                return false;
            ++i;
        }
    }
    return true;
}

}
