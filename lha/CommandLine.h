#pragma once

#include "platform/Text.h"

namespace sorvik::lha {

enum class Command {
    Update,        // u: add, or replace a member only with a newer file
    Extract,       // x: extract with the stored directories
    ExtractFlat,   // e: extract into the destination, directories dropped
};

enum class StoredPath { NameOnly, RelativeToBase };

struct CommandLine {
    Command command = Command::Update;
    StoredPath stored = StoredPath::NameOnly;   // "-x1": RelativeToBase
    u16 archive;
    u16 directory;   // the base directory (u) or the destination (x, e), ending in "\"
    u16 file;        // u only: relative to the base directory
};

struct ParsedCommand {
    int error = 0;   // 0, or the command-name error for any other form
    CommandLine line;
};

// Accepts exactly these forms, values in double quotes, single blanks
// between, directories ending in "\":
//   u -x1 "archive" "basedir\" "file"
//   u "archive" "basedir\" "file"
//   x "archive" "destdir\"
//   e "archive" "destdir\"
ParsedCommand parseCommandLine(u16view text);

}
