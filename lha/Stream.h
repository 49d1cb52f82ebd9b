#pragma once

#include <cstddef>
#include <cstdint>

namespace sorvik::lha {

// Where encoded or decoded bytes go; false stops the coder (the sink keeps
// the reason).
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};

// Where they come from: the number of bytes read, 0 at the end, -1 on a
// read error.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::ptrdiff_t read(std::uint8_t* data, std::size_t size) = 0;
};

}
