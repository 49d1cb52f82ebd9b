#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Core text is UTF-16, as on Windows and in QString, so every length and
// "first n characters" the program relies on counts the same everywhere.
namespace sorvik {

using u16 = std::u16string;
using u16view = std::u16string_view;

// ASCII/UTF-8 literal helpers for code that needs a u16 from a narrow literal.
u16 fromUtf8(std::string_view utf8);
std::string toUtf8(u16view text);

}

namespace sorvik::platform {

// Code page 932 (Windows Shift_JIS). Decoding never fails: an invalid byte
// becomes U+FFFD so one bad byte never makes a whole file unreadable.
u16 decodeCp932(std::string_view bytes);
// The same into an existing string, replacing its text and reusing its memory.
void decodeCp932(std::string_view bytes, u16& out);

// Encoding refuses text that code page 932 cannot hold instead of silently
// writing a substitute character or dropping one, so whatever it encodes
// decodes back to exactly the same text.
std::optional<std::string> encodeCp932(u16view text);
// Appends the bytes of text to out; false, leaving out as it was, when the
// code page cannot hold the text.
bool appendCp932(u16view text, std::string& out);
bool representableInCp932(u16view text);
// Whether conversion runs on the lookup tables filled from ICU at first use
// (false only if those failed their own checks and ICU converts directly).
bool cp932TablesInUse();

// Full Unicode upper-casing (locale independent, like the Windows system call).
u16 toUpper(u16view text);

// Case-insensitive comparison in the user's locale collation.
int compareNoCase(u16view a, u16view b);

// A byte string whose plain byte order equals compareNoCase order, so a sort
// builds each key once and compares bytes afterwards.
std::string collationKey(u16view text);

// Splits CR LF / LF / lone CR text into lines; a missing last line end is
// tolerated and a trailing line end does not add an empty line.
std::vector<u16> splitLines(u16view text);

// Joins lines with CR LF after every line, the on-disk form of all data files.
u16 joinLinesCrLf(const std::vector<u16>& lines);

}
