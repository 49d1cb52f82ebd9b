// Code page 932 conversion. The input is decoded as bytes, and also taken as
// UTF-16 code units and as UTF-8 text to encode. Beyond not crashing:
// - whenever encoding succeeds, decoding its bytes gives the text back
//   exactly, and the three encoding calls agree on what the code page holds;
// - decoding into a used string gives what a fresh decode gives;
// - roundTripsCp932 says yes exactly when decoding and encoding again gives
//   the same bytes.

#include "tests/fuzz/FuzzSupport.h"

#include "desc/Cp932RoundTrip.h"

using namespace sorvik;

namespace {

void checkEncode(const u16& text)
{
    const std::optional<std::string> encoded = platform::encodeCp932(text);
    FUZZ_CHECK(platform::representableInCp932(text) == encoded.has_value());
    std::string appended = "prefix";
    const bool ok = platform::appendCp932(text, appended);
    FUZZ_CHECK(ok == encoded.has_value());
    if (!encoded) {
        FUZZ_CHECK(appended == "prefix");
        return;
    }
    FUZZ_CHECK(appended == "prefix" + *encoded);
    const u16 back = platform::decodeCp932(*encoded);
    FUZZ_CHECK_MSG(back == text, fuzz::shown(text) + " came back as " + fuzz::shown(back));
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::bytesOf(data, size);

    const u16 decoded = platform::decodeCp932(bytes);
    u16 reused = u"some earlier text that is longer than most inputs";
    platform::decodeCp932(bytes, reused);
    FUZZ_CHECK(reused == decoded);

    const std::optional<std::string> again = platform::encodeCp932(decoded);
    const bool same = again && *again == bytes;
    FUZZ_CHECK_MSG(roundTripsCp932(bytes) == same, same ? "round trip missed" : "round trip claimed");

    checkEncode(decoded);
    checkEncode(fuzz::utf16Of(bytes));
    checkEncode(fromUtf8(bytes));
    return 0;
}
