#pragma once

#include "lha/Note.h"
#include "platform/Text.h"

#include <vector>

namespace sorvik {

// The archive name the pack dialog proposes: the name up to its first ".",
// then ".LZH" (report.txt -> report.LZH, a.b.c -> a.LZH, .profile -> .LZH).
// A name without "." keeps the whole name: Makefile -> Makefile.LZH.
u16 proposedArchiveName(u16view fileName);

// `u -x1 "archive" "sourceDir" "name"`, or `u "archive" ...` without stored directories.
u16 compressCommandLine(u16view archivePath, u16view sourceDir, u16view fileName, bool storeDirectories);
// `x "archive" "destinationDir"`, or `e ...` without stored directories.
u16 extractCommandLine(u16view archivePath, u16view destinationDir, bool storeDirectories);

// The archiver's result as the messages show it: its low 16 bits, signed.
int signed16(int result);

// The one message after a pack or an unpack, empty for none. A failure shows
// `failedHeading` with the code (as failures always did) and below it every
// failure the archiver told, name and reason; the members it left alone on
// purpose follow under `leftAloneHeading`, each with its reason. A stop the
// user asked for shows nothing.
u16 archiverMessage(u16view failedHeading, u16view leftAloneHeading, int result, const std::vector<lha::Note>& notes);

}
