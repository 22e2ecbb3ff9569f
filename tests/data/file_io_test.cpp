#include "data/file_io.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/data/table_helpers.h"

namespace {

TEST(FileIo, WriteThenReadGivesAllBytes)
{
    ScratchDir dir;
    const std::string path = dir.path() + "/f.bin";
    const std::string bytes("a\0b\r\n\xff", 6);
    ASSERT_TRUE(writeWholeFile(path, bytes));
    EXPECT_EQ(readWholeFile(path), bytes);
    ASSERT_TRUE(writeWholeFile(path, ""));
    EXPECT_TRUE(exists(path));
    EXPECT_EQ(readWholeFile(path), "");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"f.bin"}));
}

TEST(FileIo, PiecesAreWrittenInOrder)
{
    ScratchDir dir;
    const std::string path = dir.path() + "/pieces.txt";
    int calls = 0;
    ASSERT_TRUE(writeWholeFile(path, [&calls](Bytes& out) {
        EXPECT_TRUE(out.empty());
        out = "piece" + std::to_string(calls) + ";";
        return ++calls < 3;
    }));
    EXPECT_EQ(readFile(path), "piece0;piece1;piece2;");
    ASSERT_TRUE(writeWholeFile(path, [](Bytes&) { return false; }));
    EXPECT_EQ(readFile(path), "");
    EXPECT_FALSE(writeWholeFile(path, std::function<bool(Bytes&)>()));
    EXPECT_FALSE(writeWholeFile("", [](Bytes&) { return false; }));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"pieces.txt"}));
}

TEST(FileIo, ReadOfWhatIsNoReadableFileGivesNothing)
{
    ScratchDir dir;
    mkdir((dir.path() + "/sub").c_str(), 0755);
    mkfifo((dir.path() + "/fifo").c_str(), 0644);  // must not block
    writeFile(dir.path() + "/f", "bytes");
    for (const std::string& path : {std::string(), dir.path() + "/missing", dir.path() + "/sub", dir.path() + "/fifo",
                                    dir.path() + "/f" + std::string(1, '\0') + "x"})
        EXPECT_EQ(readWholeFile(path), "") << path;
}

TEST(FileIo, WriteRefusesWhatItCannotDoAndLeavesNoTrace)
{
    ScratchDir dir;
    mkdir((dir.path() + "/sub").c_str(), 0755);
    writeFile(dir.path() + "/plain", "keep");
    const std::vector<std::string> paths = {
        "",                                    // empty path
        dir.path() + "/missing/f.txt",         // directories are never created
        dir.path() + "/plain/f.txt",           // a file where a directory should be
        dir.path() + "/sub",                   // a directory is not replaced
        dir.path() + "/sub/",                  // no file name
        dir.path() + "/" + std::string(256, 'n'),  // name too long
        dir.path() + "/sub" + std::string(1, '\0') + "x",  // a zero byte would cut the path
    };
    for (const std::string& path : paths) EXPECT_FALSE(writeWholeFile(path, "data")) << path;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"plain", "sub"}));
    EXPECT_TRUE(dir.entries("sub").empty());
    EXPECT_EQ(readFile(dir.path() + "/plain"), "keep");
}

TEST(FileIo, FailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    ScratchDir dir;
    const std::string path = dir.path() + "/old.txt";
    writeFile(path, "old content");
    // Files may not grow beyond 4 KiB for a moment: the write of 64 KiB fails half-way.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeWholeFile(path, std::string(64 * 1024, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(path), "old content");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"old.txt"}));
}

TEST(FileIo, NewFilesGetTheUsualModeAndOldFilesKeepTheirs)
{
    ScratchDir dir;
    const mode_t oldMask = umask(022);
    const std::string fresh = dir.path() + "/new.txt";
    ASSERT_TRUE(writeWholeFile(fresh, "x"));
    struct stat st;
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);

    const std::string kept = dir.path() + "/kept.txt";
    writeFile(kept, "y");
    chmod(kept.c_str(), 0600);
    ASSERT_TRUE(writeWholeFile(kept, "z"));
    ASSERT_EQ(stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    umask(oldMask);
}

TEST(FileIo, FileThatMayNotBeWrittenIsKept)
{
    // Someone else's read-only file in a folder anyone may write to: the write fails as opening
    // the file would, rather than renaming a new file over it. Run as an ordinary user (root may
    // write anything).
    ScratchDir dir;
    const std::string path = dir.path() + "/locked.txt";
    writeFile(path, "keep");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    EXPECT_EQ(exitStatusAsOrdinaryUser([&path] { return writeWholeFile(path, "replaced") ? 1 : 0; }), 0);
    EXPECT_EQ(readFile(path), "keep");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"locked.txt"}));
}

TEST(FileIo, WriteThroughASymbolicLinkReplacesItsTarget)
{
    ScratchDir dir;
    writeFile(dir.path() + "/target.txt", "old");
    ASSERT_EQ(symlink("target.txt", (dir.path() + "/link.txt").c_str()), 0);
    ASSERT_TRUE(writeWholeFile(dir.path() + "/link.txt", "new"));
    EXPECT_EQ(readFile(dir.path() + "/target.txt"), "new");
    struct stat st;
    ASSERT_EQ(lstat((dir.path() + "/link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(FileIo, RelativePathsWriteIntoTheCurrentDirectory)
{
    ScratchDir dir;
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    const bool written = writeWholeFile("rel.txt", "r");
    EXPECT_EQ(chdir(cwd), 0);
    EXPECT_TRUE(written);
    EXPECT_EQ(readFile(dir.path() + "/rel.txt"), "r");
}

}  // namespace
