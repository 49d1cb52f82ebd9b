#pragma once

#include "lha/Header.h"

#include "platform/Faults.h"
#include "tests/support/MemoryStreams.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sorvik::test {

// -lh5- data of `plain` from our encoder.
std::string compressLh5(const std::string& plain);
// Decodes -lh5/6/7- data; empty optional on any error.
std::optional<std::string> decompress(const std::string& packed, std::uint64_t originalSize, unsigned windowBits);

// Deterministic test data.
std::string randomBytes(std::size_t n, std::uint32_t seed);
std::string textLike(std::size_t n, std::uint32_t seed);

// One member, header and data, with freely chosen stored bytes: the tests
// make hostile archives with these.
struct RawMember {
    std::string name;               // stored bytes, separators and all
    std::string directory;          // level 2 only: ext 0x02 bytes
    std::string data;               // original bytes
    std::string method = "-lh5-";   // -lh0- stores; -lhd- for directories
    std::int64_t unixTime = 1700000000;
    std::uint16_t unixMode = 0;   // 0: no 0x50 extension
};
std::string level2Member(const RawMember& m);
// Hand-built level 0 and 1 headers, as other archivers write them.
std::string level0Member(const RawMember& m, std::uint32_t dosTime);
std::string level1Member(const RawMember& m, std::uint32_t dosTime);

std::uint16_t crcOf(const std::string& bytes);
// A level-2 member with a 16-bit field of its header changed and the header
// CRC made to match again, so only the changed field is wrong.
std::string withLevel2Field(std::string member, std::size_t at, std::uint16_t value);

// Temporary drives installed as the archiver's file system, a fault plan as
// its fault seam; both removed again after the test.
class LhaDrives : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs a command line given in UTF-8; the report lands in `report`.
    int unlha(const std::string& commandUtf8);
    // The member headers of C:\arc.lzh, read without a failure.
    std::vector<lha::MemberHeader> members();

    TempDrives drives;
    platform::FaultPlan faults;
    std::string report;   // UTF-8
};

// Whether a program is on PATH.
bool haveTool(const char* name);
// Runs a shell command with its output sent to a log file; the exit status.
int shell(const std::string& command);
std::string shellQuote(const std::string& s);

}
