// Archives: the listing parser, the member-name check, and searches through
// archives made by 7za, arj and lha, end to end (the archiver's words go
// through the oddly named folder unharmed).
#include "ToolSession.h"
#include "common/Text.h"
#include "samples/DiskBuilder.h"
#include "samples/ZipWriter.h"
#include "search/Search.h"
#include "tools/OutsideArchiver.h"
#include "tools/ToolRunner.h"

#include <fstream>
#include <gtest/gtest.h>

namespace qs::test {

namespace {

// The archive's own block of a technical listing, and the line after which
// its members follow.
const std::string kHead = "Listing archive: a.zip\n\n--\nPath = a.zip\nType = zip\n\n----------\n";

// A member's block: its path, then the other lines, then the empty line.
std::string block(const std::string& path, const std::string& more = "Size = 4\n") {
    return "Path = " + path + "\n" + more + "\n";
}

// "name|size|flags" for each member, e for encrypted, f folder, l link; or
// "cut" for a listing that is not whole.
std::string parsed(const std::string& listing) {
    const auto members = ParseArchiveListing(listing);
    if (!members)
        return "cut";
    std::string out;
    for (const ListedMember& m : *members)
        out += m.name + "|" + (m.size ? std::to_string(*m.size) : "?") + "|" +
               (m.encrypted ? "e" : "") + (m.folder ? "f" : "") + (m.special ? "l" : "") + ";";
    return out;
}

std::string disk(const std::string& entry) {
    samples::DiskBuilder d;
    d.name(samples::toPetscii("ARCHIVED")).formatBam();
    d.add({samples::toPetscii(entry), 0x82, 7, 17, 0});
    return d.bytes();
}

} // namespace

TEST(ParseArchiveListing, TakesEachMembersBlockAfterTheSeparator) {
    const struct {
        std::string listing, want;
    } cases[] = {
        {kHead + block("a.d64") + block("sub/b c.d64"), "a.d64|4|;sub/b c.d64|4|;"},
        {kHead + block(" lead.d64 "), " lead.d64 |4|;"}, // exactly, blanks included
        {kHead + block("x.d64", "Size = \nEncrypted = +\n"), "x.d64|?|e;"},
        {kHead + block("x.d64", "Attributes = D drwxr-xr-x\n"), "x.d64|?|f;"},
        {kHead + block("x.d64", "Attributes = A lrwxrwxrwx\n"), "x.d64|?|l;"},
        {kHead + block("x.d64", "Attributes = A prw-------\n"), "x.d64|?|l;"},
        // Lines after the last block (the archiver's warnings) are no member.
        {kHead + block("x.d64") + "Warnings: 1\n", "x.d64|4|;"},
        {kHead, ""},
        // Not whole: a block cut short, or no separator.
        {kHead + "Path = x.d64\nSize = 4\n", "cut"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parsed(c.listing), c.want) << c.listing;
}

TEST(ArchiveMembers, NamesThatLeaveTheExtractionFolderAreUnsafe) {
    for (const char* bad : {"", "/etc/passwd", "../x.d64", "a/../../x.d64", "a/.."})
        EXPECT_FALSE(IsSafeMemberName(bad)) << bad;
    for (const char* good : {"x.d64", "a/b/x.d64", "..x.d64", "a/...d64"})
        EXPECT_TRUE(IsSafeMemberName(good)) << good;
}

TEST(ArchiveSearch, FindsMembersOfZip7zArjAndLzhArchivesAndCleansUp) {
    if (shell("(command -v 7za && command -v arj && command -v lha) >/dev/null") != 0)
        GTEST_SKIP() << "needs 7za, arj and lha";
    TempDir dir;
    dir.write("src/game.d64", disk("ZIPPED GAME"));
    dir.write("src/Disks/More/deep.d64", disk("DEEP GAME"));
    dir.write("src/notes.txt", "not an image");
    const std::string folder = dir.str() + "/we ird \"&;$ folder";
    const std::pair<std::string, std::string> archives[] = {{"a \"z\"&;$.zip", "7za a -tzip"},
                                                            {"b.7z", "7za a -t7z"},
                                                            {"c.arj", "arj a -r"},
                                                            {"d.lzh", "lha a"}};
    for (const auto& [name, command] : archives)
        ASSERT_EQ(shell("mkdir -p " + quoted(folder) + " && cd " + quoted(dir.str() + "/src") +
                        " && " + command + " " + quoted(folder + "/" + name) +
                        " game.d64 Disks/More/deep.d64 notes.txt >/dev/null 2>&1"),
                  0)
            << command;
    ToolSession t;
    t.search(folder, "GAME", {"D64"});
    for (const auto& [name, command] : archives)
        for (const char* member : {"GAME.D64 in ", "DEEP.D64 in "})
            EXPECT_NE(t.view.results.find(member + folder + "/" + name + "\r\n"), std::string::npos)
                << member << name;
    EXPECT_EQ(t.lastOutcome.filesAnalysed, 8);
    EXPECT_EQ(t.lastOutcome.end, SearchEnd::Completed);
    EXPECT_TRUE(t.view.messages.empty());
    EXPECT_TRUE(t.leftovers().empty());
}

// Members named to leave the extraction folder (by ".." or an absolute name)
// are never extracted there, analysed or deleted; an archive named with a
// wildcard reaches no other archive.
TEST(ArchiveSearch, NamesThatCouldReachOtherFilesReachNone) {
    if (!haveArchiver())
        GTEST_SKIP() << "no 7z archiver installed";
    TempDir dir;
    ToolSession t;
    // What "../victim.d64" would reach from the extraction folder.
    const std::string victim = t.temp.path() + "victim.d64";
    { std::ofstream(victim) << "keep me"; }
    dir.write("evil.zip", samples::StoredZip({{"../victim.d64", disk("EVIL")},
                                              {"/abs.d64", disk("EVIL")},
                                              {"ok/fine.d64", disk("FINE")}}));
    dir.write("x?.zip", samples::StoredZip({{"one.d64", disk("FIRST")}}));
    dir.write("xy.zip",
              samples::StoredZip({{"one.d64", disk("SECOND")}, {"two.d64", disk("THIRD")}}));
    t.search(dir.str(), "*", {"D64"});
    const std::string& r = t.view.results;
    EXPECT_EQ(readFile(victim), "keep me");
    EXPECT_NE(r.find("FINE.D64 in "), std::string::npos);
    EXPECT_EQ(r.find("EVIL"), std::string::npos);
    const auto first = r.find("ONE.D64 in " + dir.str() + "/x?.zip\r\n");
    const auto second = r.find("ONE.D64 in " + dir.str() + "/xy.zip\r\n");
    ASSERT_TRUE(first != std::string::npos && second != std::string::npos) << r;
    EXPECT_NE(r.substr(first, second - first).find("FIRST"), std::string::npos) << r;
    EXPECT_EQ(r.substr(first, second - first).find("SECOND"), std::string::npos) << r;
    EXPECT_EQ(t.lastOutcome.filesAnalysed, 4);
    EXPECT_EQ(t.leftovers(), std::vector<std::string>{"victim.d64"});
}

TEST(ArchiveSearch, TheExtractionFolderGoesAlsoAfterAStop) {
    if (!haveArchiver())
        GTEST_SKIP() << "no 7z archiver installed";
    TempDir dir;
    dir.write("a.zip", samples::StoredZip({{"one.d64", disk("ONE")}, {"two.d64", disk("TWO")}}));
    ToolSession t;
    t.view.onPump = [&] {
        if (t.view.lastStatus().rfind("Analyzing file one.d64", 0) == 0)
            t.stop = true;
    };
    t.search(dir.str(), "*", {"D64"});
    EXPECT_EQ(t.lastOutcome.end, SearchEnd::Stopped);
    EXPECT_EQ(t.lastOutcome.filesAnalysed, 1);
    EXPECT_TRUE(t.leftovers().empty());
}

// Members the outside archiver once lost: a name with a byte above 127, a
// leading blank or a line feed, a name used twice, an encrypted member before
// a plain one (only the encrypted one fails, said so), a member too large
// (never unpacked). ARJ always goes to the archiver.
TEST(ArchiveSearch, EveryMemberIsSearchedOrSaidWhyNot) {
    if (shell("(command -v 7z && command -v arj) >/dev/null") != 0)
        GTEST_SKIP() << "needs 7z and arj";
    TempDir src, dir;
    const std::string out = dir.str() + "/a/";
    // Each holds the entry "IN <its place here>".
    const char* const files[] = {"GOOD.D64", "M\x84RTA.D64", " LEAD.D64", "ENC.D64", "PLAIN.D64"};
    for (int i = 0; i < 5; ++i)
        src.write(files[i], disk("IN " + std::to_string(i)));
    const std::string commands[] = {
        "mkdir -p " + out + " && arj a " + out + "names.arj GOOD.D64 'M\x84RTA.D64' ' LEAD.D64'",
        "7z a -tzip -pSECRET " + out + "enc.zip ENC.D64 && 7z a -tzip " + out + "enc.zip PLAIN.D64",
        "head -c 70000000 /dev/zero >BIG.D64 && 7z a -mx1 " + out + "big.7z BIG.D64 GOOD.D64"};
    for (const std::string& command : commands)
        ASSERT_EQ(shell("cd " + src.str() + " && (" + command + ") >/dev/null"), 0) << command;
    dir.write("a/odd.zip", samples::StoredZip({{"TWICE.D64", disk("IN TWICE 1")},
                                               {"TWICE.D64", disk("IN TWICE 2")},
                                               {"LINE\nFEED.D64", disk("IN FEED")}}));
    ToolSession t;
    t.search(out, "IN *", {"D64"});
    for (const char* entry :
         {"IN 0", "IN 1", "IN 2", "IN 4", "IN TWICE 1", "IN TWICE 2", "IN FEED"})
        EXPECT_NE(t.view.results.find("\"" + std::string(entry) + "\""), std::string::npos)
            << entry;
    EXPECT_EQ(t.view.results.find("\"IN 3\""), std::string::npos);
    EXPECT_EQ(t.said(),
              (std::vector<std::string>{
                  "[SearchC64File] - 7 - Out of memory (larger than 64 MiB, not read)\r\n"
                  "File: BIG.D64 in " +
                      out + "big.7z",
                  "[SearchC64File] - 70 - Permission denied (encrypted, not read)\r\nFile: "
                  "ENC.D64 in " +
                      out + "enc.zip"}));
    EXPECT_EQ(t.lastOutcome.filesAnalysed, 8);
    EXPECT_EQ(t.lastOutcome.filesFailed, 2);
    EXPECT_TRUE(t.leftovers().empty());
}

// What the archiver says is checked member by member, and the search goes
// on after the archive: a listing that is not whole, an archiver that never
// ends, links it unpacks (pointing out of its folder, or as an empty file),
// a member it cut short or left out, a member that unpacks far larger than
// listed (stopped at once). None reaches what lies outside its folder. @
// stands for the archive.
TEST(ArchiveSearch, TheArchiversWordsAreCheckedMemberByMember) {
    const std::string access = "[SearchC64File] - 75 - Path/File access error (";
    const std::string a = "----------\nPath = A.D64\nSize = 174848\n\n";
    const struct {
        std::string listing, unpack;
        std::vector<std::string> said;
    } cases[] = {
        {"Path = a.d64\n", "", {access + "7z gave no complete listing)\r\nFile: @"}},
        {a, "while :; do sleep 1; done", {access + "7z timed out after 2 s)\r\nFile: @"}},
        {"----------\nPath = up.d64\n\nPath = abs.d64\n\n",
         "ln -s ../victim.d64 \"$o/up.d64\"; ln -s \"$(cd \"$o/..\"; pwd)/victim.d64\" "
         "\"$o/abs.d64\"",
         {}},
        {"----------\nPath = LINK.D64\nAttributes = A lrwxrwxrwx\n\n", ": > \"$o/LINK.D64\"", {}},
        {a + "Path = B.D64\nSize = 174848\n\n",
         "head -c 1000 real.d64 > \"$o/A.D64\"; echo 'ERROR: Data Error : A.D64' >&2; exit 2",
         {access + "not unpacked whole: 7z ended with exit status 2: ERROR: Data Error : "
                   "A.D64)\r\nFile: A.D64 in @",
          access + "not unpacked: 7z ended with exit status 2: ERROR: Data Error : A.D64)\r\n"
                   "File: B.D64 in @"}},
        {a,
         "head -c 70000000 /dev/zero > \"$o/A.D64\"; sleep 30",
         {"[SearchC64File] - 7 - Out of memory (7z stopped: it unpacked more than the listed "
          "sizes, or over 64 MiB of one member)\r\nFile: @",
          access + "not unpacked whole: 7z was stopped)\r\nFile: A.D64 in @"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listing);
        TempDir tools, dir;
        tools.write("real.d64", disk("REAL"));
        writeScript(tools, "7za",
                    "cd " + quoted(tools.str()) + "\ncase $1 in\nl) printf '%s' " +
                        quoted(c.listing) + ";;\nx) for a; do case $a in -o*) o=${a#-o};; " +
                        "esac; done\n" + c.unpack + ";;\nesac");
        const std::string archive = dir.write("a.zip", "stands for an archive");
        dir.write("b.d64", disk("AFTER"));
        ToolSession t(tools.str(), 2);
        const std::string victim = t.temp.path() + "victim.d64";
        { std::ofstream(victim) << disk("EVIL"); }
        t.search(dir.str(), "*", {"D64"});
        EXPECT_EQ(t.said(archive), c.said);
        EXPECT_EQ(t.view.results.find("EVIL"), std::string::npos);
        EXPECT_NE(t.view.results.find("AFTER"), std::string::npos);
        EXPECT_EQ(t.lastOutcome.filesFailed, static_cast<int>(c.said.size()));
        EXPECT_EQ(t.leftovers(), std::vector<std::string>{"victim.d64"});
    }
}

} // namespace qs::test
