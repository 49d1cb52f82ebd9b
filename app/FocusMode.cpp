#include "app/FocusMode.h"

namespace sorvik {

const FocusModeLook& lookOf(FocusPane pane)
{
    static constexpr FocusModeLook kNone{u"", 0xFFFFFF};
    switch (pane) {
    case FocusPane::DriveButtons:
        return kDriveMode;
    case FocusPane::Tree:
        return kDirectoryMode;
    case FocusPane::Table:
        return kTableMode;
    case FocusPane::None:
        break;
    }
    return kNone;
}

FocusPane paneAfter(FocusPane attention)
{
    switch (attention) {
    case FocusPane::Tree:
        return FocusPane::Table;
    case FocusPane::DriveButtons:
        return FocusPane::Tree;
    case FocusPane::Table:
        return FocusPane::DriveButtons;
    case FocusPane::None:
        break;
    }
    return FocusPane::None;
}

}
