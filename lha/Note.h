#pragma once

#include "platform/Text.h"

namespace sorvik::lha {

// What a command did not do that the user should hear of: a failure, or a
// member it left alone on purpose. Leaving one alone does not change the
// command's result code.
enum class NoteKind {
    Failed,
    KeptNewerFile,     // extraction: the destination's file is newer
    SkippedLink,       // extraction: links are never made
    KeptNewerMember,   // update: the archive's member is as new or newer
};

struct Note {
    NoteKind kind = NoteKind::Failed;
    // The member's stored path, the file or the archive, as reports show it
    // (no control characters).
    u16 name;
    u16 reason;
    // The classic code of a failure; for a kept newer file 0x800E, which the
    // classic archivers report there; 0 otherwise.
    int code = 0;
};

// A note as one line of the archiver's text report: "name: reason" (the name
// alone without a reason), and " (0x800C)" after it when it has a code.
inline u16 noteLine(const Note& note)
{
    u16 line = note.name;
    if (!note.reason.empty())
        line += u": " + note.reason;
    if (note.code != 0) {
        static const char16_t digits[] = u"0123456789ABCDEF";
        line += u" (0x";
        for (int shift = 12; shift >= 0; shift -= 4)
            line.push_back(digits[(note.code >> shift) & 15]);
        line += u")";
    }
    return line;
}

}
