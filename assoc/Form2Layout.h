#pragma once

#include "platform/Text.h"

#include <optional>

namespace sorvik {

// A control's place in twips.
struct TwipRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipRect&) const = default;
};

// The geometry of the association editor in twips, with its resize rule.
struct Form2Layout {
    static constexpr int kInnerWidth = 9480;
    static constexpr int kInnerHeight = 5400;
    static constexpr int kMinResizeWidth = 5000;

    TwipRect Drive1{120, 60, 2400, 315};
    TwipRect Label1{2640, 90, 2160, 255};
    TwipRect Text1{4920, 60, 4440, 315};
    TwipRect Dir1{120, 420, 2400, kInnerHeight - 900};
    TwipRect File1{2640, 420, 2160, kInnerHeight - 900};
    TwipRect List1{4920, 420, 4440, kInnerHeight - 900};
    TwipRect Command2{4920, kInnerHeight - 60 - 375, 1215, 375};
    TwipRect Command3{6255, kInnerHeight - 60 - 375, 1215, 375};
    TwipRect cmdExit{8145, kInnerHeight - 60 - 375, 1215, 375};
    int lastInnerWidth = kInnerWidth;

    // While the inner width is at least 5000 twips, `List1` and `Text1`
    // follow the change of width since the last layout, the three lists
    // take the height less 900 twips and the buttons keep 60 twips below
    // them; narrower, nothing moves.
    void resize(int innerWidth, int innerHeight);
};

// What `SetFocusColor` gives the four lists, colours as 0x00BBGGRR: the
// focused one of `Drive1`, `Dir1`, `File1` pale yellow, the others white;
// `List1`'s text blue while it has the focus, else the system's window-text
// colour (no value).
struct Form2Colors {
    unsigned drive1Back, dir1Back, file1Back;
    std::optional<unsigned> list1Fore;
};
Form2Colors SetFocusColor(u16view name);

inline constexpr unsigned kListBackColor = 0xFFFFFF;
inline constexpr unsigned kListFocusBackColor = 0xC0FFFF;    // RGB 255,255,192
inline constexpr unsigned kList1FocusForeColor = 0xFF0000;   // RGB 0,0,255

}
