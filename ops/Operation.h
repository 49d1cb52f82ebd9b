#pragma once

#include "platform/Text.h"

namespace sorvik {

// The four operations of the operation dialog.
enum class Operation { Copy, Move, Compress, Extract };

// Captions the dialog shows for an operation; `markedLabel7` is empty where
// the operation refuses marked files.
struct OperationCaptions {
    const char16_t* caption;
    const char16_t* label5;
    const char16_t* label4;
    const char16_t* label6;
    const char16_t* command1;
    const char16_t* frame1;
    const char16_t* option1;
    const char16_t* option2;
    const char16_t* markedLabel7;
};

const OperationCaptions& captionsOf(Operation operation);

// The word of the protection message: "コピー" or "移動".
const char16_t* protectionWord(Operation operation);

}
