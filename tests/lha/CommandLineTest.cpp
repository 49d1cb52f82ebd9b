#include "lha/CommandLine.h"
#include "lha/ErrorCodes.h"

#include <gtest/gtest.h>

namespace sorvik::test {
namespace {

using lha::Command;
using lha::StoredPath;

struct Accepted {
    const char16_t* text;
    Command command;
    StoredPath stored;
    const char16_t* archive;
    const char16_t* directory;
    const char16_t* file;
};

const Accepted kAccepted[] = {
    {u"u -x1 \"C:\\work\\a.lzh\" \"C:\\work\\\" \"sub\\f.txt\"", Command::Update, StoredPath::RelativeToBase,
        u"C:\\work\\a.lzh", u"C:\\work\\", u"sub\\f.txt"},
    {u"u \"C:\\a b\\x.lzh\" \"D:\\src dir\\\" \"表.txt\"", Command::Update, StoredPath::NameOnly, u"C:\\a b\\x.lzh",
        u"D:\\src dir\\", u"表.txt"},
    {u"x \"C:\\work\\a.lzh\" \"C:\\out\\\"", Command::Extract, StoredPath::NameOnly, u"C:\\work\\a.lzh", u"C:\\out\\",
        u""},
    {u"e \"C:\\work\\a.lzh\" \"C:\\\"", Command::ExtractFlat, StoredPath::NameOnly, u"C:\\work\\a.lzh", u"C:\\", u""},
};

TEST(CommandLine, acceptsEachFixedForm)
{
    for (const Accepted& a : kAccepted) {
        const auto p = lha::parseCommandLine(a.text);
        ASSERT_EQ(p.error, 0) << toUtf8(a.text);
        EXPECT_EQ(p.line.command, a.command);
        EXPECT_EQ(p.line.stored, a.stored);
        EXPECT_EQ(p.line.archive, a.archive);
        EXPECT_EQ(p.line.directory, a.directory);
        EXPECT_EQ(p.line.file, a.file);
    }
}

const char16_t* const kRefused[] = {
    u"",
    u"u",
    u"a \"C:\\a.lzh\" \"C:\\\" \"f\"",   // another command letter
    u"U \"C:\\a.lzh\" \"C:\\\" \"f\"",   // upper case is not a form we take
    u"d \"C:\\a.lzh\" \"f\"",
    u"u \"C:\\a.lzh\" \"C:\\\"",   // missing file
    u"u -x1 \"C:\\a.lzh\" \"C:\\\"",
    u"u \"C:\\a.lzh\" \"C:\\\" \"f\" \"g\"",   // more than one file
    u"x \"C:\\a.lzh\"",                        // missing destination
    u"x \"C:\\a.lzh\" \"C:\\out\"",            // destination without "\"
    u"u \"C:\\a.lzh\" \"C:\\base\" \"f\"",     // base directory without "\"
    u"x \"C:\\dir\\\" \"C:\\out\\\"",          // archive ending in "\"
    u"u \"C:\\a.lzh\" \"C:\\\" \"sub\\\"",     // file argument ending in "\"
    u"x  \"C:\\a.lzh\" \"C:\\out\\\"",         // two blanks
    u"x \"C:\\a.lzh\" \"C:\\out\\\" ",         // trailing blank
    u" x \"C:\\a.lzh\" \"C:\\out\\\"",         // leading blank
    u"x C:\\a.lzh \"C:\\out\\\"",              // unquoted value
    u"x \"C:\\a.lzh \"C:\\out\\\"",            // unbalanced quotes
    u"x \"\" \"C:\\out\\\"",                   // empty value
    u"u -x2 \"C:\\a.lzh\" \"C:\\\" \"f\"",     // other switch
    u"x -x1 \"C:\\a.lzh\" \"C:\\out\\\"",      // -x1 belongs to u only
    u"u -x1\"C:\\a.lzh\" \"C:\\\" \"f\"",
    u"x\t\"C:\\a.lzh\" \"C:\\out\\\"",
};

TEST(CommandLine, refusesEveryOtherFormWithTheCommandNameError)
{
    for (const char16_t* text : kRefused)
        EXPECT_EQ(lha::parseCommandLine(text).error, lha::kErrCommandName) << toUtf8(text);
}

}
}
