#pragma once

#include "table/FileListing.h"

#include <cstdint>

namespace sorvik {

// Which attribute kinds the file listing includes: 1 (on) or 0 (off), the
// values of the display-kinds dialog's check boxes. Owned by the main window;
// the settings file reads and writes them.
struct DisplayKinds {
    std::int16_t ShowReadOnly = 1;
    std::int16_t ShowHidden = 0;
    std::int16_t ShowSystem = 0;
    std::int16_t ShowArchive = 1;

    bool operator==(const DisplayKinds&) const = default;
};

// Hands the kinds to the listing's attribute switches; any non-zero value is on.
// Archive counts like the other three: off keeps archive files out.
void ApplyDisplayKinds(const DisplayKinds& kinds, FileListing& listing);

}
