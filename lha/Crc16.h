#pragma once

#include <cstddef>
#include <cstdint>

namespace sorvik::lha {

// CRC-16/ARC (reflected polynomial 0xA001, initial value 0), the checksum of
// member data and of level-1/2 headers.
std::uint16_t crc16(std::uint16_t crc, const void* data, std::size_t size);

}
