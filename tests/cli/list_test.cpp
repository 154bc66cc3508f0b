// quillsift-cli --list: the directories cc1541 prints of its own images, the
// files cbmconvert reads from our T64 and P00 files, the SID header as
// libsidplayfp reads it; our own kinds whole and as archive members; and
// the messages and exit status for what cannot be listed.
#include "CliRunner.h"
#include "TempDir.h"
#include "common/Text.h"
#include "media/mod_T64.h"
#include "samples/CrtBuilder.h"
#include "samples/D81Builder.h"
#include "samples/DiskBuilder.h"
#include "samples/G64Builder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/TapBuilder.h"
#include "samples/ZipWriter.h"
#include "tools/modShell.h"

#include <sidplayfp/SidTune.h>
#include <sidplayfp/SidTuneInfo.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace qs;
using namespace qs::samples;
using namespace qs::test;

namespace {

// Runs a shell command of an oracle tool in `dir`; its output lands in `dir`/out.txt.
std::string oracle(const TempDir& dir, const std::string& command) {
    EXPECT_EQ(std::system(("cd '" + dir.str() + "' && " + command + " >out.txt 2>&1").c_str()), 0)
        << command;
    return dir.read("out.txt");
}

std::vector<std::string> listed(const std::string& target, bool externalArchiver = false) {
    std::vector<std::string> args{"-q", "--list", target};
    if (externalArchiver)
        args.insert(args.begin(), "--external-archiver");
    const CliRun run = runCli(args);
    EXPECT_EQ(run.status, 0) << target;
    EXPECT_EQ(run.err, "") << target;
    std::vector<std::string> lines = SplitLines(run.out, CrRule::Keep);
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// The directory cc1541 prints after writing an image, without its terminal
// colours and trailing blanks, the free-blocks line in the C64's capitals.
std::vector<std::string> cc1541Directory(std::string text) {
    text = replaceAll(replaceAll(text, "\x1B[7m", ""), "\x1B[m", "");
    std::vector<std::string> lines;
    for (std::string line : SplitLines(text, CrRule::Drop)) {
        line.erase(line.find_last_not_of(' ') + 1);
        if (line.compare(0, 2, "0 ") == 0)
            lines.clear();
        else if (line.ends_with(" blocks free."))
            return lines.push_back(upperAscii(line)), lines;
        lines.push_back(line);
    }
    return {};
}

std::vector<std::string> withoutTrailingBlanks(std::vector<std::string> lines) {
    for (std::string& line : lines)
        line.erase(line.find_last_not_of(' ') + 1);
    return lines;
}

// An entry line of ours: blocks, name between the quotes, type after them.
struct Shown {
    std::int32_t blocks;
    std::string name, type;
};
Shown parseEntry(const std::string& line) {
    const auto open = line.find('"'), close = line.rfind('"');
    return {ParseInteger(line, NumberSyntax::Leading), line.substr(open + 1, close - open - 1),
            trimBlanks(line.substr(close + 1))};
}

// cbmconvert -v2 reports each file it reads as `name,type' and the bytes it writes.
std::vector<Shown> cbmconvertFiles(const std::string& report) {
    std::vector<Shown> files;
    for (const std::string& line : SplitLines(report, CrRule::Drop)) {
        const auto tick = line.find('`'), comma = line.rfind(',');
        if (tick != std::string::npos && line.ends_with("':") && comma != std::string::npos)
            // It shows the zero bytes that pad a PC64 name as "_".
            files.push_back({0, line.substr(tick + 1, line.find_last_not_of('_', comma - 1) - tick),
                             line.substr(comma + 1, line.size() - comma - 3)});
        else if (line.find("Writing ") != std::string::npos && !files.empty())
            files.back().blocks =
                ParseInteger(line.substr(line.find("Writing ") + 8), NumberSyntax::Leading);
    }
    return files;
}

} // namespace

TEST(CliList, DisksAsCc1541ListsThem) {
    TempDir dir;
    dir.write("a.prg", std::string(1000, 'a'));
    dir.write("b.prg", std::string(2541, 'b'));
    dir.write("c.prg", std::string(10, 'c'));
    const std::string files =
        "-n 'Oracle Disk' -i 'od 2a' -f first -w a.prg -f 'Mixed Case' -T SEQ -P -w b.prg "
        "-f open -O -w c.prg -f 'LOCKED open' -O -P -w a.prg -f notes -T USR -w c.prg "
        "-f gone -T DEL -w c.prg ";
    for (const char* image : {"o.d64", "o.d71", "o.d81"}) {
        SCOPED_TRACE(image);
        const bool d64 = std::string(image) == "o.d64";
        std::vector<std::string> expected =
            cc1541Directory(oracle(dir, "cc1541 " + files + (d64 ? "-g o.g64 " : "") + image));
        ASSERT_EQ(expected.size(), 8u);
        EXPECT_EQ(expected[3], "1    \"open\"            *prg");
        std::vector<std::string> ours = withoutTrailingBlanks(listed(dir.str() + "/" + image));
        // cc1541 counts a D71's second side from the 53/0 bitmap and leaves
        // the 18/0 counts that the 1571 DOS (and our reader) add up at zero.
        if (std::string(image) == "o.d71") {
            expected.pop_back();
            ours.pop_back();
        }
        EXPECT_EQ(ours, expected);
        // The G64 that cc1541 wrote alongside, decoded and listed by our c1541.
        if (d64) {
            EXPECT_EQ(withoutTrailingBlanks(listed(dir.str() + "/o.g64")), expected);
        }
    }
}

TEST(CliList, TapesAndPc64FilesAsCbmconvertReadsThem) {
    TempDir dir;
    T64Builder tape(toPetscii("ORACLE TAPE"), 5);
    tape.add({toPetscii("ALPHA"), std::string(300, 'a')})
        .add({toPetscii("beta"), std::string(10, 'b'), 0xC000, 0x81})
        .add({toPetscii("Game 2"), std::string(1000, 'g'), 0x1000, 0xC2});
    dir.write("o.t64", tape.bytes());
    dir.write("blast.p00", makePc64(toPetscii("Blast Off"), 0x0801, std::string(600, 'p')));
    struct Case {
        std::string file, cbmconvertArgs, header;
    };
    for (const Case& c : {Case{"o.t64", "-t", "0 \"ORACLE TAPE             \""},
                          Case{"blast.p00", "-p", "0 \"C64File\" PC64"}}) {
        SCOPED_TRACE(c.file);
        const std::vector<Shown> files =
            cbmconvertFiles(oracle(dir, "cbmconvert -v2 -N " + c.cbmconvertArgs + " " + c.file));
        const std::vector<std::string> lines = listed(dir.str() + "/" + c.file);
        ASSERT_EQ(lines.size(), files.size() + 1);
        EXPECT_EQ(lines[0], c.header);
        for (std::size_t i = 0; i < files.size(); ++i) {
            const Shown ours = parseEntry(lines[i + 1]);
            EXPECT_EQ(ours.name, files[i].name);
            // Tape and PC64 files hold no lock mark: "prg", never "prg<".
            EXPECT_EQ(ours.type, files[i].type);
            // cbmconvert writes the load address and the data; a tape rounds
            // the data's length to blocks, a PC64 file cuts it.
            const std::int32_t data = files[i].blocks - 2;
            EXPECT_EQ(ours.blocks, c.file == "o.t64" ? T64Blocks(0, data) : (data + 2) / 254);
        }
    }
}

TEST(CliList, TuneFieldsAsLibsidplayfpReadsThem) {
    TempDir dir;
    const std::string path =
        dir.write("t.sid", makeSid({"Blast Theme", "J\xF6rg M\xFCller", "1987 Blast Soft", 0x2000,
                                    0x2003, 0x2010, std::string(700, '\x60')}));
    SidTune tune(path.c_str());
    ASSERT_TRUE(tune.getStatus()) << tune.statusString();
    const SidTuneInfo& info = *tune.getInfo();
    const auto hex = [](unsigned value) {
        char text[8];
        std::snprintf(text, sizeof text, "$%04X", value);
        return std::string(text);
    };
    EXPECT_EQ(listed(path), (std::vector<std::string>{
                                "Name:         " + latin1ToUtf8(info.infoString(0)),
                                "Author:       " + latin1ToUtf8(info.infoString(1)),
                                "Copyright:    " + latin1ToUtf8(info.infoString(2)),
                                "Year:         1987",
                                "Load address: " + hex(info.loadAddr()),
                                "End address:  " + hex(info.loadAddr() + info.c64dataLen()),
                                "Init address: " + hex(info.initAddr()),
                                "Play address: " + hex(info.playAddr()),
                            }));
}

// Our kinds with what cc1541 cannot make: 1581 partitions, scratched and odd
// type bytes; the same listings for the files as members of an archive, read
// in process and by the outside archiver (G64 and TAP members through their
// listing programs).
TEST(CliList, OurKindsWholeAndAsArchiveMembers) {
    DiskBuilder disk;
    disk.name(toPetscii("LIST ME"), toPetscii("LM\xA0"
                                              "2A"))
        .formatBam();
    for (const DirEntrySpec& e : std::vector<DirEntrySpec>{{toPetscii("CLOSED"), 0x82, 12},
                                                           {toPetscii("GONE"), 0x00, 5},
                                                           {toPetscii("Half"), 0x01, 3},
                                                           {toPetscii("ODD"), 0x87, 1},
                                                           {"\x5F\xB0", 0xC4, 2}})
        disk.add(e);
    const std::string diskLines = "0 \"LIST ME         \" LM 2A\n"
                                  "12   \"CLOSED\"           prg\n"
                                  "3    \"Half\"            *seq\n"
                                  "1    \"ODD\"              ukw\n"
                                  "2    \"\xE2\x86\x90\xE2\x94\x8C\"               rel<\n"
                                  "664 BLOCKS FREE.\n";
    D81Builder d81;
    d81.name(toPetscii("BIG"), toPetscii("BG\xA0"
                                         "3D"))
        .formatBam();
    d81.add({toPetscii("MENU"), 0x82, 5, 1, 0}).partition(toPetscii("PART"), 60, 2);
    d81.add({toPetscii("INSIDE"), 0xC2, 80, 60, 10}, 60).add({toPetscii("LAST"), 0x81, 1, 2, 0});
    TapBuilder tap;
    tap.program(toPetscii("TAPE GAME"), 0x0801, std::string(600, '*'), 1);
    const std::vector<std::pair<std::string, std::string>> files{
        {"d.d64", disk.bytes()},
        {"g.g64", D64ToG64(disk.bytes())},
        {"b.d81", d81.bytes()},
        {"t.tap", tap.bytes()},
        {"c.crt", makeCrt("Blast Cart", 3, {ChipSpec{}, ChipSpec{1}})},
    };
    const std::string expected[] = {
        diskLines,
        diskLines,
        "0 \"BIG             \" BG 3D\n"
        "5    \"MENU\"             prg\n"
        "80   \"PART\"             cbm\n"
        "  80   \"INSIDE\"           prg<\n"
        "END OF \"PART\"\n"
        "1    \"LAST\"             seq\n"
        "3160 BLOCKS FREE.\n",
        "0 \"T\"\n"
        "2    \"TAPE GAME\"        prg\n",
        "0 \"Final Cartridge III\" type\n"
        "64   \"Blast Cart\"       prg\n",
    };
    TempDir dir;
    const std::string zip = dir.write("all.zip", StoredZip(files));
    const bool archiver = !FindTool("", OutsideTool::Archiver).empty();
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].first);
        const std::vector<std::string> want = SplitLines(expected[i], CrRule::Keep);
        const std::vector<std::string> lines(want.begin(), want.end() - 1);
        EXPECT_EQ(listed(dir.write(files[i].first, files[i].second)), lines);
        EXPECT_EQ(listed(zip + "::" + files[i].first), lines);
        if (archiver) {
            EXPECT_EQ(listed(zip + "::" + files[i].first, true), lines);
        }
    }
}

TEST(CliList, WhatCannotBeListedIsSaidWithStatus2) {
    TempDir dir;
    const std::string broken = dir.write("broken.d64", std::string(1000, '\x01'));
    const std::string fake = dir.write("fake.t64", "not a tape archive");
    const std::string text = dir.write("notes.txt", "text");
    const std::string zip = dir.write("z.zip", StoredZip({{"in/broken.d64", "short"}}));
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::string trapped = "Error Detected: [analizzaD64] - 9 - Subscript out of range (no "
                                "byte at offset 91396)\nFile: ";
    const Case cases[] = {
        {{"--list", broken}, trapped + broken + "\n"},
        {{"--list", zip + "::in/broken.d64"}, trapped + "in/broken.d64 in " + zip + "\n"},
        {{"--list", zip + "::in/other.d64"},
         "Error Detected: [SearchC64File] - 53 - File not found (no member in/other.d64 in the "
         "archive)\nFile: " +
             zip + "\n"},
        {{"--list", fake}, "quillsift-cli: " + fake + " is an invalid file\n"},
        {{"--list", text},
         "quillsift-cli: " + text +
             " is no disk, tape, cartridge, PC64 file or SID tune that can be listed\n"},
        {{"--list", zip},
         "quillsift-cli: " + zip + " is an archive: name one of its members as " + zip +
             "::MEMBER\n"},
        {{"--list", broken, dir.str()},
         "quillsift-cli: --list takes no FOLDER\nTry 'quillsift-cli --help'.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.at(1));
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, c.err);
    }
}
