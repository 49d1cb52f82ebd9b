#pragma once

#include "platform/Text.h"

namespace sorvik {

// The pane that has the attention, which the status label shows.
enum class FocusPane { DriveButtons, Tree, Table, None };

struct FocusModeLook {
    const char16_t* text;
    unsigned labelColor;   // 0x00BBGGRR
};

inline constexpr FocusModeLook kDriveMode{u"ﾄﾞﾗｲﾌﾞ注目", 0xC0C0FF};
inline constexpr FocusModeLook kDirectoryMode{u"ﾃﾞｨﾚｸﾄﾘ注目", 0xC0FFFF};
inline constexpr FocusModeLook kTableMode{u"テーブル注目", 0xFFFFC0};

// Pane colours: with and without the attention.
inline constexpr unsigned kPaneBackColor = 0x808000;
inline constexpr unsigned kPaneForeColor = 0xFFFFFF;
inline constexpr unsigned kAttentionBackColor = 0xFFFFFF;
inline constexpr unsigned kAttentionForeColor = 0x000000;

// The status label's text and colour for the pane with the attention.
const FocusModeLook& lookOf(FocusPane pane);

// Where a double click on the status label sends the focus: repeated double
// clicks cycle drive, directory, table.
FocusPane paneAfter(FocusPane attention);

}
