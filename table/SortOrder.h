#pragma once

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <optional>
#include <vector>

namespace sorvik {

// What a refresh learnt about one listed file; read once per refresh so no
// key or cell asks the file system twice.
struct ListedFile {
    u16 name;
    std::optional<platform::FileInfo> info;   // empty when the file vanished
};

// "n", "d", "v" ascending by name, date, size; "N", "D", "V" descending.
bool isDescending(char16_t sortKind);

// Listing indices in ascending key order for the kind's upper-case letter;
// keys compare in the locale's case-insensitive collation and equal keys keep
// listing order. A kind of another letter gives an empty order.
std::vector<int> BuildSortOrder(char16_t sortKind, const std::vector<ListedFile>& files);

}
