// -lh1-, the method of LHarc 1.x: a 4 KiB window, literals and match
// lengths in one adaptive Huffman code that both sides rebuild after every
// symbol, positions in a fixed code for their upper six bits.

#include "lha/LzDecoder.h"

#include "lha/BitReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace sorvik::lha {

namespace {

constexpr unsigned kWindow = 4096;
constexpr unsigned kMaxMatch = 60;
constexpr unsigned kMinMatch = 3;
constexpr int kSymbols = 256 + kMaxMatch - kMinMatch + 1;   // 314: literals, then lengths 3..60
constexpr int kNodes = 2 * kSymbols - 1;
constexpr int kRoot = kNodes - 1;
// Frequencies are halved when the root's reaches this, so they fit 16 bits.
constexpr unsigned kMaxFreq = 0x8000;

// The tree is kept as the classic coder keeps it: nodes sorted by frequency
// (leaves first, root last), a node's children at son and son + 1, a leaf's
// son being its symbol + kNodes. Encoder and decoder must update it the same
// way, so this follows that coder step by step.
class AdaptiveCode {
public:
    AdaptiveCode()
    {
        for (int i = 0; i < kSymbols; ++i) {
            m_freq[i] = 1;
            m_son[i] = i + kNodes;
            m_parent[i + kNodes] = i;
        }
        for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            m_freq[j] = m_freq[i] + m_freq[i + 1];
            m_son[j] = i;
            m_parent[i] = m_parent[i + 1] = j;
        }
        m_freq[kNodes] = 0xFFFF;   // stops the search for a node to swap with
        m_parent[kRoot] = 0;
    }

    int decode(BitReader& in)
    {
        int c = m_son[kRoot];
        while (c < kNodes) {
            c += static_cast<int>(in.get(1));
            c = m_son[c];
            if (in.failed())
                return -1;
        }
        c -= kNodes;
        update(c);
        return c;
    }

private:
    // Leaves again in the first half with halved frequencies, then every
    // inner node inserted where its frequency keeps the order.
    void rebuild()
    {
        int j = 0;
        for (int i = 0; i < kNodes; ++i) {
            if (m_son[i] >= kNodes) {
                m_freq[j] = static_cast<std::uint16_t>((m_freq[i] + 1) / 2);
                m_son[j] = m_son[i];
                ++j;
            }
        }
        for (int i = 0, j2 = kSymbols; j2 < kNodes; i += 2, ++j2) {
            const unsigned f = unsigned(m_freq[i]) + m_freq[i + 1];
            int k = j2 - 1;
            while (f < m_freq[k])
                --k;
            ++k;
            std::copy_backward(m_freq.begin() + k, m_freq.begin() + j2, m_freq.begin() + j2 + 1);
            m_freq[k] = static_cast<std::uint16_t>(f);
            std::copy_backward(m_son.begin() + k, m_son.begin() + j2, m_son.begin() + j2 + 1);
            m_son[k] = i;
        }
        for (int i = 0; i < kNodes; ++i) {
            const int k = m_son[i];
            if (k >= kNodes)
                m_parent[k] = i;
            else
                m_parent[k] = m_parent[k + 1] = i;
        }
    }

    // One more of symbol c: its leaf and every node above count it, and a
    // node that now outweighs the next ones changes place with the last of
    // them, so the order holds.
    void update(int c)
    {
        if (m_freq[kRoot] == kMaxFreq)
            rebuild();
        c = m_parent[c + kNodes];
        do {
            const unsigned k = ++m_freq[c];
            int l = c + 1;
            if (k > m_freq[l]) {
                while (k > m_freq[++l]) {}
                --l;
                m_freq[c] = m_freq[l];
                m_freq[l] = static_cast<std::uint16_t>(k);
                const int i = m_son[c];
                m_parent[i] = l;
                if (i < kNodes)
                    m_parent[i + 1] = l;
                const int j = m_son[l];
                m_son[l] = i;
                m_parent[j] = c;
                if (j < kNodes)
                    m_parent[j + 1] = c;
                m_son[c] = j;
                c = l;
            }
            c = m_parent[c];
        } while (c != 0);
    }

    std::array<std::uint16_t, kNodes + 1> m_freq{};
    std::array<int, kNodes + kSymbols> m_parent{};
    std::array<int, kNodes> m_son{};
};

// The fixed code of a position's upper six bits: value 0 takes 3 bits,
// 1-3 four, 4-11 five, 12-23 six, 24-47 seven, 48-63 eight, in canonical
// order. Indexed by the next eight bits: the value and its code's length.
struct PositionTable {
    std::array<std::uint8_t, 256> upper{};
    std::array<std::uint8_t, 256> length{};
    PositionTable()
    {
        static const struct {
            unsigned count, bits;
        } kGroups[] = {{1, 3}, {3, 4}, {8, 5}, {12, 6}, {24, 7}, {16, 8}};
        unsigned at = 0, value = 0;
        for (const auto& g : kGroups) {
            for (unsigned n = 0; n < g.count; ++n, ++value) {
                for (unsigned k = 0; k < (256u >> g.bits); ++k, ++at) {
                    upper[at] = static_cast<std::uint8_t>(value);
                    length[at] = static_cast<std::uint8_t>(g.bits);
                }
            }
        }
    }
};

unsigned decodePosition(BitReader& in)
{
    static const PositionTable table;
    unsigned i = in.get(8);
    const unsigned upper = table.upper[i];
    // Eight bits are read; the code took `length` of them, six low bits follow in all.
    const unsigned more = table.length[i] - 2u;
    i = (i << more) | in.get(more);
    return (upper << 6) | (i & 0x3F);
}

constexpr std::size_t kOutChunk = 1 << 16;

}

DecodeStatus decodeLh1(ByteSource& source, std::uint64_t compressedSize, std::uint64_t originalSize, ByteSink& out)
{
    if (originalSize == 0)
        return DecodeStatus::Ok;
    // At least one bit a literal and ten bits a match of at most 60 bytes.
    if (originalSize > (compressedSize * 8 + 16) * 6)
        return DecodeStatus::BrokenData;
    BitReader in(source, compressedSize);
    AdaptiveCode code;
    // History before the first byte reads as spaces, as LHarc filled its ring.
    std::vector<std::uint8_t> buf(kWindow + kOutChunk + kMaxMatch, ' ');
    std::size_t pos = kWindow;
    std::uint64_t left = originalSize;
    auto failed = [&] { return in.readError() ? DecodeStatus::ReadError : DecodeStatus::BrokenData; };
    while (left > 0) {
        const int c = code.decode(in);
        if (c < 0)
            return failed();
        if (c < 256) {
            buf[pos++] = static_cast<std::uint8_t>(c);
            --left;
        } else {
            const std::size_t dist = decodePosition(in) + 1;
            const unsigned len = static_cast<unsigned>(std::min<std::uint64_t>(left, unsigned(c) - 256 + kMinMatch));
            for (unsigned k = 0; k < len; ++k, ++pos)
                buf[pos] = buf[pos - dist];
            left -= len;
        }
        if (in.failed())
            return failed();
        if (pos >= kWindow + kOutChunk || left == 0) {
            if (!out.write(buf.data() + kWindow, pos - kWindow))
                return DecodeStatus::WriteError;
            std::memmove(buf.data(), buf.data() + pos - kWindow, kWindow);
            pos = kWindow;
        }
    }
    return DecodeStatus::Ok;
}

bool decodableMethod(const char* method5)
{
    return std::memcmp(method5, "-lh1-", 5) == 0 || windowBitsOf(method5) != 0;
}

DecodeStatus decodeMember(
    const char* method5, ByteSource& in, std::uint64_t compressedSize, std::uint64_t originalSize, ByteSink& out)
{
    if (std::memcmp(method5, "-lh1-", 5) == 0)
        return decodeLh1(in, compressedSize, originalSize, out);
    return decodeLz(in, compressedSize, originalSize, windowBitsOf(method5), out);
}

}
