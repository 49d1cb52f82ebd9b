#pragma once

#include "cmd/Commands.h"

#include <cstdint>
#include <optional>

namespace sorvik {

// The four bits the attribute dialog shows, in its frame order.
inline constexpr std::uint32_t kAttributeBits[4] = {1, 2, 4, 32};

// The current entry's full path, `AddBackslash`(listed directory) + name.
u16 attributePath(CommandContext& context);

// The bits of the four that the file has; nothing when they cannot be read.
std::optional<std::uint32_t> presetAttributes(CommandContext& context, u16view path);   // tells why when it cannot

// Writes exactly `value` (of the four bits); failed, with the reason, after
// telling the user why it could not.
CommandOutcome applyAttributes(CommandContext& context, u16view path, std::uint32_t value);

// Rewrites the attribute cell of the cursor row from the file, in place,
// leaving the cursor on column 0.
void rewriteAttributeCell(CommandContext& context, u16view path);

}
