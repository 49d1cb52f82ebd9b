#pragma once

#include "platform/Text.h"

#include <string>
#include <string_view>
#include <vector>

namespace sorvik::lha {

// The components of a member's stored path, checked so that extraction can
// never leave the destination: "\", "/" and 0xFF all separate components;
// "..", drive letters and anything with ":", UNC and other absolute names,
// components of only dots and blanks (Windows would shorten them to "..")
// and empty names are refused. "." components and doubled or trailing
// separators are dropped. Empty when refused.
std::vector<u16> memberComponents(std::string_view storedPath);

// The host file name of a checked component (empty when the host cannot
// hold it).
std::string hostComponent(u16view component);

// The stored path as one Windows-style text with "\" separators, for
// reports and for comparing names; no checks.
u16 displayPath(std::string_view storedPath);

}
