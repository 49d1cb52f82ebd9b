#pragma once

#include "platform/Text.h"

#include <string>
#include <string_view>
#include <vector>

namespace sorvik::lha {

// The components of a member's stored path, checked so that extraction can
// never leave the destination: "\", "/" and 0xFF all separate components;
// "..", drive letters and anything with ":", UNC and other absolute names,
// components of only dots and blanks (Windows would shorten them to ".."),
// control characters and empty names are refused. "." components and
// doubled or trailing separators are dropped. Empty when refused.
std::vector<u16> memberComponents(std::string_view storedPath);
// Why memberComponents() refuses a stored path, as reports say it; empty
// when it does not.
u16view whyRefused(std::string_view storedPath);

// The host file name of a checked component (empty when the host cannot
// hold it). A kept byte (see memberText) is that byte in a Linux name and
// U+F000 + byte in a Windows one.
std::string hostComponent(u16view component);

// The stored path as one Windows-style text with "\" separators, for
// comparing names; no checks. A byte code page 932 cannot decode stays
// itself as U+DC80 + byte, as host names carry bytes that are not UTF-8: the
// member's file gets the name's bytes as they were stored, and names that
// differ only in such bytes stay apart.
u16 memberText(std::string_view storedPath);

// A name as reports and windows show it: control characters and kept bytes
// as "<1F>", "<85>" ("<" is in no Windows name), so a name with a NUL byte
// cannot cut a report short.
u16 shownText(u16view text);
// shownText(memberText(storedPath)).
u16 displayPath(std::string_view storedPath);

}
