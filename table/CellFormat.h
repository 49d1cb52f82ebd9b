#pragma once

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cstdint>
#include <optional>

namespace sorvik {

// "yy/mm/dd hh:mm:ss", the date column and the date sort key.
u16 formatDateCell(const platform::DateTime& t);

// "###,###,##0 ": commas every three digits, at least one digit, one trailing blank.
u16 formatSizeCell(std::int64_t size);

// "###,###,###" (no digit at all for 0), right-aligned in exactly 11 characters;
// a longer text keeps its first 11 characters. Blanks order before digits, so
// text order equals numeric order up to 999,999,999 bytes.
u16 sizeSortKey(std::int64_t size);

// "R", "H", "S" in that order; " " for none; empty when unreadable.
u16 AttributeText(std::optional<std::uint32_t> attributes);
// The same for a file by its full path.
u16 AttributeText(const platform::FileSystem& fs, u16view path);

}
