#include "TempDir.h"
#include "common/FileLister.h"
#include "common/VbError.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qs;
using namespace qs::test;

TEST(FileLister, ListsFittingFilesInCaseBlindOrderWithoutHiddenOnesOrFolders) {
    TempDir dir;
    for (const char* n :
         {"b.d64", "A.D64", "c.T64", "game.prg", "GAME.P00", ".hidden.d64", "notes.txt"})
        dir.write(n, "x");
    std::filesystem::create_directory(dir.path() / "folder.d64");
    EXPECT_EQ(listFiles(dir.str(), "*.D64;*.t64"),
              (std::vector<std::string>{"A.D64", "b.d64", "c.T64"}));
    EXPECT_EQ(listFiles(dir.str(), "*.P??"), (std::vector<std::string>{"GAME.P00", "game.prg"}));
    EXPECT_TRUE(listFiles(dir.str(), "abcdefghilmno").empty());
}

TEST(FileLister, SubfoldersAndErrors) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "b");
    std::filesystem::create_directories(dir.path() / "A");
    std::filesystem::create_directories(dir.path() / ".git");
    dir.write("file", "x");
    EXPECT_EQ(listSubfolders(dir.str()), (std::vector<std::string>{"A", "b"}));
    try {
        listFiles(dir.str() + "/vanished", "*");
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::PathNotFound);
    }
}
