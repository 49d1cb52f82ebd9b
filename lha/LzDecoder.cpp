#include "lha/LzDecoder.h"

#include "lha/BitReader.h"
#include "lha/BlockWriter.h"
#include "lha/Huffman.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace sorvik::lha {

namespace {

constexpr std::size_t kOutChunk = 1 << 18;

class Decoder {
public:
    Decoder(BitReader& in, unsigned windowBits)
        : m_in(in), m_window(std::size_t(1) << windowBits), m_np(windowBits + 1), m_pbit(windowBits >= 15 ? 5 : 4)
    {
    }

    // Reads the next block's tables; false on tables no encoder makes.
    bool startBlock()
    {
        m_remaining = m_in.get(16);
        return readLengthTable(kNT, 5, 3, m_pre) && readCodeLengths() && readLengthTable(m_np, m_pbit, -1, m_pos);
    }

    bool run(std::uint64_t size, ByteSink& out, DecodeStatus& status);

private:
    bool readLengthTable(unsigned limit, unsigned bits, int special, HuffmanDecoder& table)
    {
        const unsigned n = m_in.get(bits);
        if (n == 0) {
            const unsigned sym = m_in.get(bits);
            if (sym >= limit)
                return false;
            table.buildSingle(sym);
            return !m_in.failed();
        }
        if (n > limit)
            return false;
        std::array<std::uint8_t, 32> lengths{};
        for (unsigned i = 0; i < n;) {
            m_in.ensure();
            unsigned len = m_in.peek(3);
            m_in.skip(3);
            if (len == 7) {
                while (m_in.get(1) == 1) {
                    if (++len > kMaxCodeLength || m_in.failed())
                        return false;
                }
            }
            lengths[i++] = static_cast<std::uint8_t>(len);
            if (static_cast<int>(i) == special) {
                const unsigned zeros = m_in.get(2);
                i += zeros;   // the skipped lengths stay 0; the array has room
            }
        }
        return table.build(lengths.data(), limit) && !m_in.failed();
    }

    bool readCodeLengths()
    {
        const unsigned n = m_in.get(9);
        if (n == 0) {
            const unsigned sym = m_in.get(9);
            if (sym >= kNC)
                return false;
            m_code.buildSingle(sym);
            return !m_in.failed();
        }
        if (n > kNC)
            return false;
        std::array<std::uint8_t, kNC> lengths{};
        for (unsigned i = 0; i < n;) {
            m_in.ensure();
            const int c = m_pre.decode(m_in);
            if (c < 0 || m_in.failed())
                return false;
            if (c > 2) {
                lengths[i++] = static_cast<std::uint8_t>(c - 2);
                continue;
            }
            const unsigned run = c == 0 ? 1 : c == 1 ? m_in.get(4) + 3 : m_in.get(9) + 20;
            i = std::min(n, i + run);
        }
        return m_code.build(lengths.data(), kNC);
    }

    BitReader& m_in;
    std::size_t m_window;
    unsigned m_np;
    unsigned m_pbit;
    unsigned m_remaining = 0;
    HuffmanDecoder m_pre{8};
    HuffmanDecoder m_code{12};
    HuffmanDecoder m_pos{8};
};

bool Decoder::run(std::uint64_t size, ByteSink& out, DecodeStatus& status)
{
    // History before the first byte reads as spaces, as the classic decoders
    // fill their ring buffers.
    std::vector<std::uint8_t> buf(m_window + kOutChunk + kMaxMatch + 8, ' ');   // 8: slack for word copies
    std::size_t pos = m_window;
    const std::size_t flushAt = m_window + kOutChunk;
    std::uint64_t left = size;
    auto flush = [&]() {
        if (!out.write(buf.data() + m_window, pos - m_window)) {
            status = DecodeStatus::WriteError;
            return false;
        }
        std::memmove(buf.data(), buf.data() + pos - m_window, m_window);
        pos = m_window;
        return true;
    };
    while (left > 0) {
        while (m_remaining == 0) {
            if (!startBlock() || m_in.failed()) {
                status = m_in.readError() ? DecodeStatus::ReadError : DecodeStatus::BrokenData;
                return false;
            }
        }
        --m_remaining;
        m_in.ensure();
        const int c = m_code.decode(m_in);
        if (c < 0) {
            status = DecodeStatus::BrokenData;
            return false;
        }
        if (c < 256) {
            buf[pos++] = static_cast<std::uint8_t>(c);
            --left;
        } else {
            const int p = m_pos.decode(m_in);
            if (p < 0) {
                status = DecodeStatus::BrokenData;
                return false;
            }
            std::size_t dist = p <= 1 ? std::size_t(p) + 1 : (std::size_t(1) << (p - 1)) + m_in.peek(p - 1) + 1;
            if (p > 1)
                m_in.skip(p - 1);
            if (dist > m_window) {
                status = DecodeStatus::BrokenData;
                return false;
            }
            const unsigned len = static_cast<unsigned>(std::min<std::uint64_t>(left, unsigned(c) - 253));
            std::uint8_t* dst = buf.data() + pos;
            const std::uint8_t* src = dst - dist;
            if (dist >= 8) {
                for (unsigned i = 0; i < len; i += 8)
                    std::memcpy(dst + i, src + i, 8);
            } else {
                for (unsigned i = 0; i < len; ++i)
                    dst[i] = src[i];
            }
            pos += len;
            left -= len;
        }
        if (m_in.failed()) {
            status = m_in.readError() ? DecodeStatus::ReadError : DecodeStatus::BrokenData;
            return false;
        }
        if (pos >= flushAt && !flush())
            return false;
    }
    return flush();
}

}

unsigned windowBitsOf(const char* method5)
{
    if (std::memcmp(method5, "-lh5-", 5) == 0)
        return 13;
    if (std::memcmp(method5, "-lh6-", 5) == 0)
        return 15;
    if (std::memcmp(method5, "-lh7-", 5) == 0)
        return 16;
    return 0;
}

std::uint64_t maxDecodedSize(std::uint64_t compressedSize)
{
    return (compressedSize * 8 / 52 + 1) * 65535ull * kMaxMatch;
}

DecodeStatus decodeLz(
    ByteSource& in, std::uint64_t compressedSize, std::uint64_t originalSize, unsigned windowBits, ByteSink& out)
{
    if (originalSize == 0)
        return DecodeStatus::Ok;
    if (originalSize > maxDecodedSize(compressedSize))
        return DecodeStatus::BrokenData;
    BitReader bits(in, compressedSize);
    Decoder decoder(bits, windowBits);
    DecodeStatus status = DecodeStatus::Ok;
    decoder.run(originalSize, out, status);
    return status;
}

}
