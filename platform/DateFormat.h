#pragma once

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace sorvik::platform {

// A local date and time in the system's default date-and-time format (the
// user's locale, medium length, seconds included: "2024/05/01 12:34:56" in Japanese).
u16 formatDateTime(const DateTime& t);

}
