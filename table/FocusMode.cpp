#include "table/FocusMode.h"

namespace sorvik {

FocusPane paneAfterLabel(u16view labelText)
{
    if (labelText == kDirectoryMode.text)
        return FocusPane::Table;
    if (labelText == kDriveMode.text)
        return FocusPane::Tree;
    if (labelText == kTableMode.text)
        return FocusPane::DriveButtons;
    return FocusPane::None;
}

}
