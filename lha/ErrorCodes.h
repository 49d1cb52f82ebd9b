#pragma once

// The result codes of the classic archiver interface, which callers compare
// against, so their values are fixed.
namespace sorvik::lha {

enum ErrorCode : int {
    kOk = 0,
    kErrDiskSpace = 0x8005,
    kErrReadOnly = 0x8006,
    kErrMethod = 0x8009,
    kErrFileCrc = 0x800C,
    kErrMoreFresh = 0x800E,
    kErrNotExist = 0x800F,
    kErrMakeDirectory = 0x8012,
    kErrCannotWrite = 0x8013,
    kErrHeaderCrc = 0x8016,
    kErrHeaderBroken = 0x8017,
    kErrArchiveOpen = 0x8018,
    kErrNotArchive = 0x8019,
    kErrCannotRead = 0x801A,
    kErrCommandName = 0x801C,
    kErrUserCancel = 0x8020,
    kErrTempOpen = 0x8025,
    kErrUnexpectedEof = 0x8042,
    kErrNoEndMark = 0x8045,
    kErrHeaderSize = 0x8046,
    kErrUnknownLevel = 0x8047,
    kErrBrokenData = 0x8048,
    kErrInvalidPath = 0x8049,
};

}
