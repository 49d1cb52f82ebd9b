#include "platform/FileCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <string>
#include <vector>

// The copy, move and atomic write decisions over a set of system calls that
// only keeps files in memory, so each decision is seen without a disk.
namespace sorvik::platform {
namespace {

struct FakeFile {
    FileType type = FileType::Regular;
    std::string bytes;
    bool readOnly = false;
    std::string linkTo;   // a link, to this path
    std::uint64_t index = 0;
};

class FakePrimitives : public FilePrimitives {
public:
    std::map<std::string, FakeFile> files;
    std::vector<std::string> calls;
    std::map<std::string, Error> failing;   // a call's name and the error it fails with
    bool otherVolume = false;               // renames of entries fail as between two disks
    int cancelAtChunk = 0;                  // the chunk whose report stops the copy

    void add(const std::string& path, std::string bytes, bool readOnly = false)
    {
        files[path] = FakeFile{FileType::Regular, std::move(bytes), readOnly, {}, ++m_nextIndex};
    }
    void addDirectory(const std::string& path)
    {
        files[path] = FakeFile{FileType::Directory, {}, false, {}, ++m_nextIndex};
    }
    void addLink(const std::string& path, const std::string& to)
    {
        files[path] = FakeFile{FileType::Other, {}, false, to, ++m_nextIndex};
    }
    std::vector<std::string> temporaries() const
    {
        std::vector<std::string> names;
        for (const auto& [path, file] : files)
            if (path.find(".tmp") != std::string::npos)
                names.push_back(path);
        return names;
    }
    bool called(const std::string& name) const { return std::count(calls.begin(), calls.end(), name) > 0; }

    std::string directoryOf(const std::string& host) const override { return host.substr(0, host.rfind('/')); }

    Result<FileFacts> lookup(const std::string& host, Follow follow) override
    {
        if (Status s = call("lookup"); s.failed())
            return s.error();
        FileFacts facts;
        auto it = files.find(host);
        if (it != files.end() && follow == Follow::Yes && !it->second.linkTo.empty())
            it = files.find(it->second.linkTo);
        if (it == files.end()) {
            facts.missing = Error{ErrorKind::NotFound, ENOENT};
            return facts;
        }
        facts.type = it->second.type;
        facts.link = !it->second.linkTo.empty();
        facts.readOnly = it->second.readOnly;
        facts.size = static_cast<std::int64_t>(it->second.bytes.size());
        facts.id = FileIdentity{1, it->second.index};
        return facts;
    }
    Status probeWritable(const std::string&) override { return call("probeWritable"); }
    void sweepTemps(const std::string&) override { calls.push_back("sweepTemps"); }

    Status openSource(const std::string& host, Follow follow, FileFacts& facts) override
    {
        Result<FileFacts> found = lookup(host, follow);
        if (Status s = call("openSource"); s.failed())
            return s;
        if (!found || found->type == FileType::Missing)
            return Error{ErrorKind::NotFound, ENOENT};
        facts = *found;
        m_source = host;
        return Status::ok();
    }
    void closeSource() override { calls.push_back("closeSource"); }

    Status createTemp(const std::string& dir, TempUse) override
    {
        if (Status s = call("createTemp"); s.failed())
            return s;
        m_temp = dir + "/.t" + std::to_string(++m_nextIndex) + ".tmp";
        add(m_temp, "");
        return Status::ok();
    }
    Status writeTemp(std::string_view bytes) override
    {
        if (Status s = call("writeTemp"); s.failed())
            return s;
        files[m_temp].bytes = std::string(bytes);
        return Status::ok();
    }
    // Four bytes a chunk, so a cancel can come between them.
    Status copyToTemp(const ChunkDone& chunk) override
    {
        if (Status s = call("copyToTemp"); s.failed())
            return s;
        const std::string bytes = files[m_source].bytes;
        for (std::size_t at = 0, n = 1; at < bytes.size(); at += 4, ++n) {
            files[m_temp].bytes += bytes.substr(at, 4);
            const Status told = chunk(static_cast<std::int64_t>(std::min<std::size_t>(4, bytes.size() - at)));
            if (told.failed())
                return told;
        }
        return Status::ok();
    }
    Status keepSourceAttributes() override { return call("keepSourceAttributes"); }
    Status keepSourceTimes() override { return call("keepSourceTimes"); }
    void rememberReplaced(const std::string&) override { calls.push_back("rememberReplaced"); }
    Status keepReplacedAttributes() override { return call("keepReplacedAttributes"); }
    Status flushTemp() override { return call("flushTemp"); }
    std::optional<FileStamp> stampTemp() override { return FileStamp{1, files[m_temp].index, 0, 0, 0}; }
    Status closeTemp() override { return call("closeTemp"); }
    Status renameTemp(const std::string& to, Replace replace) override
    {
        if (Status s = call("renameTemp"); s.failed())
            return s;
        return move(m_temp, to, replace);
    }
    void removeTemp() override
    {
        calls.push_back("removeTemp");
        files.erase(m_temp);
    }
    void syncDirectory(const std::string&) override { calls.push_back("syncDirectory"); }
    Status renameEntry(const std::string& from, const std::string& to, Replace replace, bool) override
    {
        if (Status s = call("renameEntry"); s.failed())
            return s;
        if (otherVolume)
            return Error{ErrorKind::CrossDevice, EXDEV};
        return move(from, to, replace);
    }
    Status renameCase(const std::string& from, const std::string& to) override
    {
        if (Status s = call("renameCase"); s.failed())
            return s;
        return move(from, to, Replace::Existing);
    }
    Status removeFile(const std::string& host) override
    {
        if (Status s = call("removeFile"); s.failed())
            return s;
        files.erase(host);
        return Status::ok();
    }

private:
    Status call(const std::string& name)
    {
        calls.push_back(name);
        auto it = failing.find(name);
        return it == failing.end() ? Status::ok() : Status(it->second);
    }
    Status move(const std::string& from, const std::string& to, Replace replace)
    {
        if (replace == Replace::Never && files.count(to))
            return Error{ErrorKind::Exists, EEXIST};
        FakeFile file = files.at(from);
        files.erase(from);
        files[to] = file;
        return Status::ok();
    }

    std::uint64_t m_nextIndex = 0;
    std::string m_source;
    std::string m_temp;
};

class Cancelling : public CopyObserver {
public:
    explicit Cancelling(int atChunk) : m_atChunk(atChunk) {}
    bool copied(std::int64_t bytes) override
    {
        chunks.push_back(bytes);
        return static_cast<int>(chunks.size()) < m_atChunk;
    }
    std::vector<std::int64_t> chunks;

private:
    int m_atChunk;
};

const Error kIo{ErrorKind::Other, EIO};

// Copies

TEST(FileCopyCoreTest, ACopyGoesThroughATemporaryRenamedOverTheDestination)
{
    FakePrimitives sys;
    sys.add("/c/src", "0123456789");
    sys.add("/d/dst", "old");
    ASSERT_TRUE(copyFile(sys, "/c/src", "/d/dst", Replace::Existing, nullptr));
    EXPECT_EQ(sys.files.at("/d/dst").bytes, "0123456789");
    EXPECT_EQ(sys.temporaries(), std::vector<std::string>{});
    // Attributes and times before the flush, the flush before the rename.
    const auto at = [&](const std::string& name) { return std::find(sys.calls.begin(), sys.calls.end(), name); };
    EXPECT_LT(at("copyToTemp"), at("keepSourceAttributes"));
    EXPECT_LT(at("keepSourceTimes"), at("flushTemp"));
    EXPECT_LT(at("flushTemp"), at("renameTemp"));
    EXPECT_NE(at("sweepTemps"), sys.calls.end());
}

TEST(FileCopyCoreTest, ANewDestinationIsNotFlushedAReplacedOneIs)
{
    FakePrimitives sys;
    sys.add("/c/src", "new");
    ASSERT_TRUE(copyFile(sys, "/c/src", "/d/dst", Replace::Never, nullptr));
    EXPECT_FALSE(sys.called("flushTemp"));
    ASSERT_TRUE(copyFile(sys, "/c/src", "/d/dst", Replace::Existing, nullptr));
    EXPECT_TRUE(sys.called("flushTemp"));
}

TEST(FileCopyCoreTest, AFailureAtAnyStepAfterTheTemporaryLeavesNoneAndTheDestinationWhole)
{
    for (const char* step :
        {"copyToTemp", "keepSourceAttributes", "keepSourceTimes", "flushTemp", "closeTemp", "renameTemp"}) {
        SCOPED_TRACE(step);
        FakePrimitives sys;
        sys.add("/c/src", "new bytes");
        sys.add("/d/dst", "old");
        sys.failing[step] = kIo;
        const Status copied = copyFile(sys, "/c/src", "/d/dst", Replace::Existing, nullptr);
        ASSERT_TRUE(copied.failed());
        EXPECT_EQ(copied.error(), kIo);
        EXPECT_EQ(sys.files.at("/d/dst").bytes, "old");
        EXPECT_EQ(sys.temporaries(), std::vector<std::string>{});
        EXPECT_TRUE(sys.called("removeTemp"));
    }
}

TEST(FileCopyCoreTest, ACancelStopsAtOnceAndRemovesTheTemporary)
{
    FakePrimitives sys;
    sys.add("/c/src", std::string(20, 'x'));
    sys.add("/d/dst", "old");
    Cancelling observer(2);
    const Status copied = copyFile(sys, "/c/src", "/d/dst", Replace::Existing, &observer);
    ASSERT_TRUE(copied.failed());
    EXPECT_EQ(copied.error(), (Error{ErrorKind::Cancelled, ECANCELED}));
    EXPECT_EQ(observer.chunks, (std::vector<std::int64_t>{4, 4}));
    EXPECT_EQ(sys.files.at("/d/dst").bytes, "old");
    EXPECT_EQ(sys.temporaries(), std::vector<std::string>{});
    EXPECT_FALSE(sys.called("renameTemp"));
}

TEST(FileCopyCoreTest, DestinationsThatAreNotReplacedMakeNoTemporary)
{
    FakePrimitives sys;
    sys.add("/c/src", "new");
    sys.add("/d/old", "old");
    sys.add("/d/ro", "ro", true);
    sys.addDirectory("/d/dir");
    sys.addLink("/d/self", "/c/src");
    EXPECT_EQ(copyFile(sys, "/c/src", "/d/old", Replace::Never, nullptr).error().kind, ErrorKind::Exists);
    EXPECT_EQ(copyFile(sys, "/c/src", "/d/ro", Replace::Existing, nullptr).error().kind, ErrorKind::ReadOnly);
    EXPECT_EQ(copyFile(sys, "/c/src", "/d/dir", Replace::Existing, nullptr).error().kind, ErrorKind::IsDirectory);
    EXPECT_EQ(copyFile(sys, "/c/dir", "/d/x", Replace::Existing, nullptr).error().kind, ErrorKind::NotFound);
    sys.failing["probeWritable"] = Error{ErrorKind::AccessDenied, EACCES};
    EXPECT_EQ(copyFile(sys, "/c/src", "/d/old", Replace::Existing, nullptr).error().kind, ErrorKind::AccessDenied);
    // Onto itself through a link: nothing to do, and done.
    EXPECT_TRUE(copyFile(sys, "/c/src", "/d/self", Replace::Existing, nullptr));
    EXPECT_FALSE(sys.called("createTemp"));
    EXPECT_EQ(sys.files.at("/d/old").bytes, "old");
    EXPECT_EQ(sys.files.at("/c/src").bytes, "new");
}

TEST(FileCopyCoreTest, OnlyARegularFileIsCopied)
{
    FakePrimitives sys;
    sys.addDirectory("/c/dir");
    sys.add("/c/src", "s");
    sys.files["/d/pipe"] = FakeFile{FileType::Other, {}, false, {}, 99};
    EXPECT_EQ(copyFile(sys, "/c/dir", "/d/x", Replace::Never, nullptr).error().kind, ErrorKind::IsDirectory);
    EXPECT_EQ(copyFile(sys, "/c/src", "/d/pipe", Replace::Existing, nullptr).error().kind, ErrorKind::NotRegular);
    EXPECT_EQ(sys.temporaries(), std::vector<std::string>{});
}

// Atomic writes

TEST(FileCopyCoreTest, AnAtomicWriteRefusesALinkAndWritesNothing)
{
    FakePrimitives sys;
    sys.add("/c/real", "real");
    sys.addLink("/c/data", "/c/real");
    std::optional<FileStamp> written;
    EXPECT_EQ(writeFileAtomic(sys, "/c/data", "new", written).error(), (Error{ErrorKind::Link, ELOOP}));
    EXPECT_EQ(sys.files.at("/c/real").bytes, "real");
    EXPECT_FALSE(sys.called("createTemp"));
}

TEST(FileCopyCoreTest, AnAtomicWriteFailingAtTheRenameLeavesTheOldFileAndNoTemporary)
{
    FakePrimitives sys;
    sys.add("/c/data", "old");
    sys.failing["renameTemp"] = kIo;
    std::optional<FileStamp> written;
    EXPECT_EQ(writeFileAtomic(sys, "/c/data", "new", written).error(), kIo);
    EXPECT_EQ(sys.files.at("/c/data").bytes, "old");
    EXPECT_EQ(sys.temporaries(), std::vector<std::string>{});
    EXPECT_FALSE(written);
}

TEST(FileCopyCoreTest, AnAtomicWriteKeepsTheOldAttributesFlushesAndTellsTheStamp)
{
    FakePrimitives sys;
    sys.add("/c/data", "old");
    std::optional<FileStamp> written;
    ASSERT_TRUE(writeFileAtomic(sys, "/c/data", "new", written));
    EXPECT_EQ(sys.files.at("/c/data").bytes, "new");
    EXPECT_TRUE(written);
    EXPECT_TRUE(sys.called("rememberReplaced"));
    EXPECT_TRUE(sys.called("keepReplacedAttributes"));
    EXPECT_TRUE(sys.called("flushTemp"));
    EXPECT_TRUE(sys.called("syncDirectory"));

    sys.add("/c/ro", "ro", true);
    EXPECT_EQ(writeFileAtomic(sys, "/c/ro", "new", written).error().kind, ErrorKind::ReadOnly);
    sys.addDirectory("/c/dir");
    EXPECT_EQ(writeFileAtomic(sys, "/c/dir", "new", written).error().kind, ErrorKind::IsDirectory);
    EXPECT_EQ(sys.files.at("/c/ro").bytes, "ro");
}

// Moves

TEST(FileCopyCoreTest, AMoveToAnotherVolumeCopiesFlushesThenRemovesTheSource)
{
    FakePrimitives sys;
    sys.add("/c/src", "data");
    sys.otherVolume = true;
    ASSERT_TRUE(moveFile(sys, "/c/src", "/d/dst", Replace::Never, nullptr));
    EXPECT_EQ(sys.files.count("/c/src"), 0u);
    EXPECT_EQ(sys.files.at("/d/dst").bytes, "data");
    const auto at = [&](const std::string& name) { return std::find(sys.calls.begin(), sys.calls.end(), name); };
    EXPECT_LT(at("flushTemp"), at("renameTemp"));   // a new file too
    EXPECT_LT(at("renameTemp"), at("removeFile"));
}

TEST(FileCopyCoreTest, AMoveToAnotherVolumeThatFailsKeepsTheSource)
{
    for (const char* step : {"copyToTemp", "flushTemp", "renameTemp"}) {
        SCOPED_TRACE(step);
        FakePrimitives sys;
        sys.add("/c/src", "data");
        sys.otherVolume = true;
        sys.failing[step] = kIo;
        EXPECT_EQ(moveFile(sys, "/c/src", "/d/dst", Replace::Never, nullptr).error(), kIo);
        EXPECT_EQ(sys.files.at("/c/src").bytes, "data");
        EXPECT_EQ(sys.files.count("/d/dst"), 0u);
        EXPECT_EQ(sys.temporaries(), std::vector<std::string>{});
        EXPECT_FALSE(sys.called("removeFile"));
    }
}

TEST(FileCopyCoreTest, AMoveDoesNotCopyALinkOrADirectoryToAnotherVolume)
{
    FakePrimitives sys;
    sys.add("/c/real", "real");
    sys.addLink("/c/link", "/c/real");
    sys.addDirectory("/c/dir");
    sys.otherVolume = true;
    EXPECT_EQ(moveFile(sys, "/c/link", "/d/link", Replace::Never, nullptr).error().kind, ErrorKind::NotRegular);
    EXPECT_EQ(moveFile(sys, "/c/dir", "/d/dir", Replace::Never, nullptr).error().kind, ErrorKind::IsDirectory);
    EXPECT_FALSE(sys.called("createTemp"));
    EXPECT_EQ(sys.files.count("/c/link"), 1u);
}

TEST(FileCopyCoreTest, AMoveOntoItselfRenamesOnlyAnotherSpellingOfTheSameEntry)
{
    FakePrimitives sys;
    sys.add("/c/f", "content");
    sys.addLink("/c/link", "/c/f");
    EXPECT_TRUE(moveFile(sys, "/c/f", "/c/link", Replace::Existing, nullptr));
    EXPECT_TRUE(moveFile(sys, "/c/link", "/c/f", Replace::Existing, nullptr));
    EXPECT_FALSE(sys.called("renameCase"));
    EXPECT_FALSE(sys.called("renameEntry"));
    EXPECT_EQ(sys.files.at("/c/f").bytes, "content");
    EXPECT_EQ(sys.files.at("/c/link").linkTo, "/c/f");

    // One entry under two spellings, as a case-insensitive disk shows it.
    sys.files["/c/F"] = sys.files.at("/c/f");
    EXPECT_TRUE(moveFile(sys, "/c/f", "/c/F", Replace::Never, nullptr));
    EXPECT_TRUE(sys.called("renameCase"));
}

TEST(FileCopyCoreTest, AMoveWithinAVolumeIsOneRenameAndNeverReplacesUnlessAsked)
{
    FakePrimitives sys;
    sys.add("/c/a", "a");
    sys.add("/c/b", "b");
    EXPECT_EQ(moveFile(sys, "/c/a", "/c/b", Replace::Never, nullptr).error().kind, ErrorKind::Exists);
    EXPECT_FALSE(sys.called("renameEntry"));
    ASSERT_TRUE(moveFile(sys, "/c/a", "/c/b", Replace::Existing, nullptr));
    EXPECT_EQ(sys.files.at("/c/b").bytes, "a");
    EXPECT_FALSE(sys.called("createTemp"));
    EXPECT_EQ(moveFile(sys, "/c/gone", "/c/x", Replace::Never, nullptr).error().kind, ErrorKind::NotFound);
}

}
}
