#pragma once

#include <string_view>

namespace sorvik {

// Whether decoding the bytes from code page 932 and encoding the text again
// gives the same bytes: not so for invalid bytes, nor for the characters the
// code page holds twice (the NEC and IBM extensions), which go out in one form.
bool roundTripsCp932(std::string_view bytes);

}
