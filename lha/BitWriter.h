#pragma once

#include "lha/Stream.h"

#include <cstdint>
#include <vector>

namespace sorvik::lha {

// Bits most-significant first, as -lh5- streams store them, collected in a
// small buffer that is handed to the sink whenever it fills.
class BitWriter {
public:
    explicit BitWriter(ByteSink& sink) : m_sink(sink) { m_buffer.reserve(kFlushAt + 16); }

    // Up to 32 bits of `value`, the low `count` ones.
    void put(unsigned count, std::uint32_t value)
    {
        if (count == 0)
            return;
        m_acc = (m_acc << count) | (value & (0xFFFFFFFFu >> (32 - count)));
        m_count += count;
        if (m_count >= 32) {
            m_count -= 32;
            const auto word = static_cast<std::uint32_t>(m_acc >> m_count);
            m_buffer.push_back(static_cast<std::uint8_t>(word >> 24));
            m_buffer.push_back(static_cast<std::uint8_t>(word >> 16));
            m_buffer.push_back(static_cast<std::uint8_t>(word >> 8));
            m_buffer.push_back(static_cast<std::uint8_t>(word));
            if (m_buffer.size() >= kFlushAt)
                drain();
        }
    }

    // Pads the last byte with zero bits and hands everything to the sink.
    bool finish()
    {
        while (m_count >= 8) {
            m_count -= 8;
            m_buffer.push_back(static_cast<std::uint8_t>(m_acc >> m_count));
        }
        if (m_count > 0) {
            m_buffer.push_back(static_cast<std::uint8_t>(m_acc << (8 - m_count)));
            m_count = 0;
        }
        drain();
        return m_ok;
    }

    bool ok() const { return m_ok; }
    // Bytes handed to the sink so far plus those still buffered.
    std::uint64_t bytes() const { return m_written + m_buffer.size() + (m_count + 7) / 8; }

private:
    static constexpr std::size_t kFlushAt = 1 << 16;

    void drain()
    {
        if (m_ok && !m_buffer.empty())
            m_ok = m_sink.write(m_buffer.data(), m_buffer.size());
        m_written += m_buffer.size();
        m_buffer.clear();
    }

    ByteSink& m_sink;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_acc = 0;
    unsigned m_count = 0;
    std::uint64_t m_written = 0;
    bool m_ok = true;
};

}
