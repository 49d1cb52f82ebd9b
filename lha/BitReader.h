#pragma once

#include "lha/Stream.h"

#include <cstdint>
#include <vector>

namespace sorvik::lha {

// Reads a member's compressed bits most-significant first, never more than
// its compressed size from the source. Past that end it yields zero bits and
// remembers that the stream was over-read, which marks corrupt data.
class BitReader {
public:
    BitReader(ByteSource& source, std::uint64_t limitBytes) : m_source(source), m_left(limitBytes), m_buffer(kChunk)
    {
        refill();
    }

    // At least 48 bits are available after this: a whole literal/length
    // code, position code and extra bits, so one call per symbol suffices.
    void ensure()
    {
        if (m_count < 48)
            refill();
    }
    // Up to 24 bits without consuming them (ensure() first).
    std::uint32_t peek(unsigned count) const { return static_cast<std::uint32_t>(m_bits >> (64 - count)); }
    void skip(unsigned count)
    {
        m_bits <<= count;
        m_count -= count;
    }
    std::uint32_t get(unsigned count)
    {
        if (count == 0)
            return 0;
        ensure();
        const std::uint32_t v = peek(count);
        skip(count);
        return v;
    }

    // More bits were consumed than the data holds, or the source failed.
    bool failed() const { return m_readError || m_padBits > m_count; }
    bool readError() const { return m_readError; }

private:
    static constexpr std::size_t kChunk = 1 << 16;

    void refill()
    {
        while (m_count <= 56) {
            if (m_pos == m_end && !load()) {
                // Zero bits past the end; failed() tells when they are used.
                m_padBits += 8;
                m_count += 8;
                continue;
            }
            m_bits |= std::uint64_t(m_buffer[m_pos++]) << (56 - m_count);
            m_count += 8;
        }
    }

    bool load()
    {
        if (m_left == 0 || m_readError)
            return false;
        const std::size_t want = m_left < kChunk ? static_cast<std::size_t>(m_left) : kChunk;
        const std::ptrdiff_t got = m_source.read(m_buffer.data(), want);
        if (got <= 0) {
            m_readError = true;
            return false;
        }
        m_left -= static_cast<std::uint64_t>(got);
        m_pos = 0;
        m_end = static_cast<std::size_t>(got);
        return true;
    }

    ByteSource& m_source;
    std::uint64_t m_left;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::uint64_t m_bits = 0;
    unsigned m_count = 0;
    unsigned m_padBits = 0;
    bool m_readError = false;
};

}
