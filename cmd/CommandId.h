#pragma once

namespace sorvik {

// The commands that keys and buttons share.
enum class CommandId {
    Attribute,
    Copy,
    Move,
    Delete,
    Rename,
    Compress,
    Extract,
    OpenFile,         // the table's double-click action in column 0
    FilterSettings,   // "ﾌｨﾙﾀ設定(&F)"
    DisplayKinds,     // "SysFile(&G)"
    Associations,     // "関連付(&R)"
    Help,
    OpenJumpFolder,
    RegisterJumpFolder,
};

}
