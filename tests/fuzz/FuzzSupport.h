#pragma once

#include "platform/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace sorvik::fuzz {

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// The input's bytes taken two at a time as UTF-16 code units (little endian),
// so every code unit, surrogates and all, can be reached.
inline u16 utf16Of(std::string_view bytes)
{
    u16 text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(
            static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

// Printable form of text for a failure message.
inline std::string shown(u16view text)
{
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

// A broken property is a finding like a crash: abort, so libFuzzer keeps the input.
[[noreturn]] inline void checkFailed(const char* what, const char* file, int line, const std::string& detail)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    if (!detail.empty())
        std::fprintf(stderr, "  %s\n", detail.c_str());
    std::abort();
}

}

#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::sorvik::fuzz::checkFailed(#cond, __FILE__, __LINE__, {});                                                \
    } while (0)

#define FUZZ_CHECK_MSG(cond, detail)                                                                                   \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::sorvik::fuzz::checkFailed(#cond, __FILE__, __LINE__, (detail));                                          \
    } while (0)
