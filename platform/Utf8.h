#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One UTF-8 codec for both system layers: text and host names must convert
// the same way on Linux and on Windows.
namespace sorvik::platform {

// Appends one code point as UTF-8.
void appendUtf8(std::string& out, char32_t cp);

// Length of the well-formed UTF-8 sequence at s[i] and its code point; 0 when
// the bytes there do not form one (overlong forms and surrogates included).
std::size_t utf8Sequence(std::string_view s, std::size_t i, char32_t& cp);

// How many bytes at s[i] (at least one) a reader replaces with one U+FFFD
// when they do not form a sequence: the longest start of a well-formed one,
// as Unicode recommends (and ICU does).
std::size_t malformedLength(std::string_view s, std::size_t i);

}
