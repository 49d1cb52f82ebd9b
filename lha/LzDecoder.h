#pragma once

#include "lha/Stream.h"

#include <cstdint>

namespace sorvik::lha {

enum class DecodeStatus { Ok, BrokenData, ReadError, WriteError };

// Window size in bits of a method ("-lh5-" 13, "-lh6-" 15, "-lh7-" 16), or
// 0 for a method this decoder does not know.
unsigned windowBitsOf(const char* method5);

// Decodes one -lh5-/-lh6-/-lh7- member: reads at most `compressedSize`
// bytes from `in` and writes exactly `originalSize` bytes to `out`, or fails.
// Memory use depends only on the window, never on the sizes.
DecodeStatus decodeLz(
    ByteSource& in, std::uint64_t compressedSize, std::uint64_t originalSize, unsigned windowBits, ByteSink& out);

// Decodes one -lh1- member (LHarc 1.x: a 4 KiB window, an adaptive
// Huffman code), with the same promises as decodeLz().
DecodeStatus decodeLh1(ByteSource& in, std::uint64_t compressedSize, std::uint64_t originalSize, ByteSink& out);

// Whether decodeMember() knows the method: -lh1-, -lh5-, -lh6-, -lh7-.
bool decodableMethod(const char* method5);
// Decodes one member of such a method.
DecodeStatus decodeMember(
    const char* method5, ByteSource& in, std::uint64_t compressedSize, std::uint64_t originalSize, ByteSink& out);

// The largest original size `compressedSize` bytes can decode to: a block of
// 65535 copies of 256 bytes needs a 52-bit header and no code bits.
std::uint64_t maxDecodedSize(std::uint64_t compressedSize);

}
