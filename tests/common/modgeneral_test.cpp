#include "TempDir.h"
#include "common/ErrorTrap.h"
#include "common/VbError.h"
#include "common/modGeneral.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qs;
using namespace qs::test;
namespace fs = std::filesystem;

TEST(ModGeneral, WholeFileReadAndWriteKeepEveryByte) {
    TempDir dir;
    const std::string path = dir.write("bytes.bin", std::string("\x00\xA0\xFF", 3));
    const std::string text = ReadWholeFile(path);
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(text[1]), 160);
    const std::string copy = dir.str() + "/copy.bin";
    EXPECT_TRUE(WriteWholeFile(copy, text));
    EXPECT_EQ(readFile(copy), text);

    // An older, longer file leaves nothing behind.
    dir.write("long.bin", std::string(100, 'x'));
    EXPECT_TRUE(WriteWholeFile(dir.str() + "/long.bin", "0123456789"));
    EXPECT_EQ(fs::file_size(dir.path() / "long.bin"), 10u);

    EXPECT_EQ(ReadWholeFile(dir.write("empty", "")), "");
    EXPECT_THROW(ReadWholeFile(dir.str() + "/missing"), VbError);
    EXPECT_FALSE(WriteWholeFile(dir.str() + "/no/such/folder/x", "x"));
}

TEST(ModGeneral, WriteFileAppendsLinesAndTrapsFailures) {
    struct Sink : MessageSink {
        std::vector<std::string> texts;
        MsgAnswer messageBox(MsgIcon, MsgButtons, const std::string&,
                             const std::string& t) override {
            texts.push_back(t);
            return MsgAnswer::Ok;
        }
    } sink;
    TempDir dir;
    const ErrorLog log(dir.str() + "/ErrorLog.txt");
    const ErrorTrap trap(sink, log);
    const std::string path = dir.str() + "/out.txt";
    WriteFile(trap, "header\r\n", path);
    WriteFile(trap, "", path);
    WriteFile(trap, "line", path);
    EXPECT_EQ(readFile(path), "header\r\n\r\n\r\nline\r\n");
    EXPECT_TRUE(sink.texts.empty());

    const std::string bad = dir.str() + "/missing-folder/out.txt";
    WriteFile(trap, "lost", bad);
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0].rfind("[WriteFile] - ", 0), 0u);
    EXPECT_NE(sink.texts[0].find("\r\nFile: " + bad), std::string::npos);
}

TEST(ModGeneral, FileExistsAndKillFileIgnoreFoldersAndHiddenFiles) {
    TempDir dir;
    const std::string plain = dir.write("a.d64", "x");
    const std::string hidden = dir.write(".hidden.d64", "x");
    EXPECT_TRUE(FileExists(plain));
    EXPECT_FALSE(FileExists(dir.str()));
    EXPECT_FALSE(FileExists(hidden));
    EXPECT_FALSE(FileExists(""));
    KillFile(hidden);
    EXPECT_TRUE(fs::exists(hidden));
    KillFile(plain);
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_NO_THROW(KillFile(plain)); // a missing file is no error
}

TEST(ModGeneral, TrailingSlashAndFolderCreation) {
    EXPECT_EQ(TrailingSlash("/games"), "/games/");
    EXPECT_EQ(TrailingSlash("/games/"), "/games/");
    EXPECT_EQ(TrailingSlash("/"), "/");
    EXPECT_EQ(TrailingSlash(""), "/");

    TempDir dir;
    const std::string deep = dir.str() + "/X/Y/Z";
    CreateFolderPath(deep);
    EXPECT_TRUE(fs::is_directory(deep));
    CreateFolderPath(deep); // existing: nothing happens
    dir.write("file", "x");
    CreateFolderPath(dir.str() + "/file/sub"); // a file in the way: ignored
    EXPECT_FALSE(fs::exists(dir.str() + "/file/sub"));

    EXPECT_EQ(FileNameOf("/a/b/game.d64"), "game.d64");
    EXPECT_EQ(FileNameOf("game.d64"), "game.d64");
}

TEST(ModGeneral, PrivateTempFolderIsOwnerOnlyAndRemoved) {
    std::string path;
    {
        PrivateTempFolder temp;
        path = temp.path();
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(path.back(), '/');
        const auto perms = fs::status(path).permissions();
        EXPECT_EQ(perms & fs::perms::all, fs::perms::owner_all);
        std::FILE* f = std::fopen((path + "left-over.txt").c_str(), "w");
        std::fclose(f);
    }
    EXPECT_FALSE(fs::exists(path));
}
