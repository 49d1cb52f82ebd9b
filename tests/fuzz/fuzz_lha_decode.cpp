// The member decoders on arbitrary data. The first byte picks the method
// (bits 0-1: -lh0-, -lh5-, -lh6-, -lh7-; bit 5: -lh1- instead) and whether
// our encoder is tried on the rest as well (bit 2; bit 3 lazy instead of
// optimal parsing, bit 4 also with the second match-finding thread); the
// next three bytes are the
// original size, little endian, capped at 1 MiB so no input can make the
// decoder run long. The rest is the member's data. Beyond not crashing:
// - the decoder never writes more than the original size, and exactly that
//   much when it reports success;
// - the stored path copies exactly the bytes there are, with their CRC, and
//   fails only when the data is shorter than the size;
// - data our encoder made decodes to what it was given, and the encoder's
//   output does not depend on its second thread.

#include "tests/fuzz/FuzzSupport.h"
#include "tests/support/MemoryStreams.h"

#include "lha/Crc16.h"
#include "lha/LzDecoder.h"
#include "lha/LzEncoder.h"
#include "lha/Session.h"

#include <cstring>

using namespace sorvik;
using test::MemorySource;
using test::StringSink;
using test::StringSource;

namespace {

constexpr std::uint64_t kMaxOriginal = std::uint64_t(1) << 20;

class CountingSink : public lha::ByteSink {
public:
    explicit CountingSink(std::uint64_t limit) : m_limit(limit) {}
    bool write(const std::uint8_t* data, std::size_t size) override
    {
        count += size;
        FUZZ_CHECK_MSG(count <= m_limit, "wrote " + std::to_string(count) + " of " + std::to_string(m_limit));
        crc = lha::crc16(crc, data, size);
        return true;
    }
    std::uint64_t count = 0;
    std::uint16_t crc = 0;

private:
    std::uint64_t m_limit;
};

void checkStored(std::string_view packed, std::uint64_t originalSize)
{
    MemorySource archive{std::string(packed)};
    lha::RangeSource range(archive, 0, originalSize);
    CountingSink sink(originalSize);
    std::uint8_t buf[4096];
    for (std::ptrdiff_t got; (got = range.read(buf, sizeof buf)) > 0;)
        sink.write(buf, static_cast<std::size_t>(got));
    const std::uint64_t there = std::min<std::uint64_t>(originalSize, packed.size());
    FUZZ_CHECK(sink.count == there);
    FUZZ_CHECK(sink.crc == lha::crc16(0, packed.data(), static_cast<std::size_t>(there)));
    FUZZ_CHECK(range.failed() == (packed.size() < originalSize));
}

void checkDecode(std::string_view packed, std::uint64_t originalSize, const char* method)
{
    StringSource in{std::string(packed)};
    CountingSink sink(originalSize);
    const lha::DecodeStatus status = lha::decodeMember(method, in, packed.size(), originalSize, sink);
    FUZZ_CHECK(status == lha::DecodeStatus::Ok || status == lha::DecodeStatus::BrokenData);
    if (status == lha::DecodeStatus::Ok)
        FUZZ_CHECK(sink.count == originalSize);
}

std::string encode(std::string_view plain, lha::EncoderTuning tuning)
{
    StringSink sink;
    lha::LzEncoder encoder(sink, tuning);
    encoder.write(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size());
    FUZZ_CHECK(encoder.finish());
    return sink.out;
}

void checkRoundTrip(std::string_view plain, unsigned windowBits, std::uint8_t flags)
{
    lha::EncoderTuning tuning;
    tuning.windowBits = windowBits;
    tuning.parse = (flags & 8) ? lha::Parse::Lazy : lha::Parse::Optimal;
    tuning.secondThread = false;
    const std::string packed = encode(plain, tuning);
    if (flags & 16) {
        tuning.secondThread = true;
        FUZZ_CHECK(encode(plain, tuning) == packed);
    }
    StringSource in{std::string(packed)};
    StringSink out;
    FUZZ_CHECK(lha::decodeLz(in, packed.size(), plain.size(), windowBits, out) == lha::DecodeStatus::Ok);
    FUZZ_CHECK(out.out == plain);
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint8_t flags = data[0];
    const std::uint64_t declared = data[1] | (data[2] << 8) | (std::uint64_t(data[3]) << 16);
    const std::uint64_t originalSize = std::min(declared, kMaxOriginal);
    const std::string_view rest = fuzz::bytesOf(data + 4, size - 4);
    static const unsigned kWindow[] = {13, 13, 15, 16};
    static const char* const kMethod[] = {"-lh0-", "-lh5-", "-lh6-", "-lh7-"};
    const unsigned method = flags & 3;
    if (flags & 32)
        checkDecode(rest, originalSize, "-lh1-");
    else if (method == 0)
        checkStored(rest, originalSize);
    else
        checkDecode(rest, originalSize, kMethod[method]);
    if (flags & 4)
        checkRoundTrip(rest, kWindow[method], flags);
    return 0;
}
