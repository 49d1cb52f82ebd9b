#pragma once

// The archiver's entry points, called as the classic Windows archiver
// library is: command lines and paths in code page 932, Windows paths with
// drive letters resolved through the program's drive table.

namespace sorvik::platform {
class FileSystem;
class FaultInjector;
}

namespace sorvik::lha {

// The file system whose drive table maps command-line paths to host paths.
// Set once by the program (tests set their temporary drives); nullptr goes
// back to the default, the machine's own drive table.
void setFileSystem(platform::FileSystem* fs);
// Makes chosen file calls of the archiver fail (tests); nullptr for none.
void setFaults(platform::FaultInjector* faults);

}

extern "C" {

// Runs one command: `u -x1 "archive" "basedir\" "file"`, `u "archive"
// "basedir\" "file"`, `x "archive" "destdir\"` or `e "archive" "destdir\"`.
// Returns 0 or an error code of the classic 0x8000 range; the buffer gets a
// short NUL-terminated report in code page 932, cut to `bufferSize` bytes.
// An existing file newer than its member is kept, told in the report, and
// does not make the result non-zero; nor does a member `u` keeps because the
// file is not newer, nor a link member extraction skips. Each of these and
// every failure also goes to the lha::Progress as a lha::Note. C++ callers
// take the same as values from lha::run (lha/Run.h), which this wraps.
int Unlha(void* hwnd, const char* cmdLine, char* outputBuffer, unsigned long bufferSize);

// Non-zero when `path` (code page 932) is an archive Unlha can extract.
// Mode 0 or 1 checks the first headers; mode 2 also decodes every member
// and checks its CRC.
int UnlhaCheckArchive(const char* path, int mode);
}
