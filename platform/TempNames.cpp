#include "platform/TempNames.h"

#include <atomic>
#include <cstdio>
#include <random>

namespace sorvik::platform {

namespace {

constexpr std::string_view kTempPrefix = ".~sorvik-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kRandomDigits = 12;

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool allHex(std::string_view s)
{
    for (char c : s)
        if (!isHex(c))
            return false;
    return !s.empty();
}

}

std::string temporaryName(std::uint64_t pid)
{
    static std::atomic<std::uint64_t> state{(std::uint64_t(std::random_device{}()) << 32) ^ std::random_device{}()};
    // splitmix64 over a shared counter: distinct names across threads.
    std::uint64_t z = state.fetch_add(0x9E3779B97F4A7C15ull) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    char name[64];
    std::snprintf(name, sizeof name, "%.*s%llu-%012llx%.*s", int(kTempPrefix.size()), kTempPrefix.data(),
        static_cast<unsigned long long>(pid), static_cast<unsigned long long>(z & 0xFFFFFFFFFFFFull),
        int(kTempSuffix.size()), kTempSuffix.data());
    return name;
}

TemporaryOwner temporaryOwner(std::string_view name)
{
    if (name.substr(0, kTempPrefix.size()) != kTempPrefix)
        return {};
    name.remove_prefix(kTempPrefix.size());
    if (name.size() == kRandomDigits && allHex(name))
        return {TemporaryOwner::Kind::Unowned, 0};
    if (name.size() <= kTempSuffix.size() || name.substr(name.size() - kTempSuffix.size()) != kTempSuffix)
        return {};
    name.remove_suffix(kTempSuffix.size());
    std::uint64_t pid = 0;
    std::size_t i = 0;
    for (; i < name.size() && name[i] >= '0' && name[i] <= '9' && i < 10; ++i)
        pid = pid * 10 + static_cast<unsigned>(name[i] - '0');
    if (i == 0 || pid == 0 || pid > 0xFFFFFFFFull || i + 1 >= name.size() || name[i] != '-'
        || !allHex(name.substr(i + 1)))
        return {};
    return {TemporaryOwner::Kind::Process, pid};
}

}
