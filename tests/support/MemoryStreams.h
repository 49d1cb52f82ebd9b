#pragma once

#include "lha/Header.h"
#include "lha/Stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace sorvik::test {

// The archiver's streams over bytes in memory, each with a copy of its own.
// Header-only, so the fuzzers can use them without the GoogleTest support
// library.

// An archive read at any offset.
class MemorySource : public lha::ArchiveSource {
public:
    explicit MemorySource(std::string bytes) : m_bytes(std::move(bytes)) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    std::ptrdiff_t readAt(std::uint64_t offset, std::uint8_t* data, std::size_t count) override
    {
        if (offset >= m_bytes.size())
            return 0;
        const std::size_t n = std::min<std::size_t>(count, m_bytes.size() - offset);
        std::memcpy(data, m_bytes.data() + offset, n);
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    std::string m_bytes;
};

// Bytes read from the start to the end.
class StringSource : public lha::ByteSource {
public:
    explicit StringSource(std::string bytes) : m_bytes(std::move(bytes)) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override
    {
        const std::size_t n = std::min(size, m_bytes.size() - m_pos);
        std::memcpy(data, m_bytes.data() + m_pos, n);
        m_pos += n;
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    std::string m_bytes;
    std::size_t m_pos = 0;
};

// Everything written, kept in `out`.
class StringSink : public lha::ByteSink {
public:
    bool write(const std::uint8_t* data, std::size_t size) override
    {
        out.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::string out;
};

}
