// quillsift-cli --list against independent readers: the directories cc1541
// prints of its own images (also behind an X64 header, of the PRG files it
// writes there, of its G64's tracks taken into NIB files, and of the Zipcode
// sets disk2zip packs them into), the files cbmconvert reads from our T64
// and P00 files and from the P00 files it writes itself, the SID header as
// libsidplayfp reads it. (Our own kinds, and what cannot be listed, are
// among the expected outputs.)
#include "CliRunner.h"
#include "ToolSession.h"
#include "common/Text.h"
#include "media/ArchiveEntries.h"
#include "media/T64Reader.h"
#include "samples/ArchiveBuilders.h"
#include "samples/ArchiveWriter.h"
#include "samples/DiskBuilder.h"
#include "samples/NibBuilder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/X64Builder.h"
#include "samples/ZipWriter.h"
#include "samples/ZipcodeBuilder.h"

#include <sidplayfp/SidTune.h>
#include <sidplayfp/SidTuneInfo.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace qs;
using namespace qs::samples;
using namespace qs::test;

namespace {

// Runs an oracle tool's command line in `dir`, answering what it printed.
std::string oracle(const TempDir& dir, const std::string& command) {
    EXPECT_EQ(shell("cd " + quoted(dir.str()) + " && " + command + " >out.txt 2>&1"), 0) << command;
    return dir.read("out.txt");
}

// Our listing's lines without trailing blanks.
std::vector<std::string> listed(const std::string& target) {
    const CliRun run = runCli({"-q", "--list", target});
    EXPECT_EQ(run.status, 0) << target;
    EXPECT_EQ(run.err, "") << target;
    std::vector<std::string> lines = SplitLines(run.out, CrRule::Keep);
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    for (std::string& line : lines)
        line.erase(line.find_last_not_of(' ') + 1);
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
        std::vector<std::string> ours = listed(dir.str() + "/" + image);
        // cc1541 counts a D71's second side from the 53/0 bitmap and leaves
        // the 18/0 counts that the 1571 DOS (and our reader) add up at zero.
        if (std::string(image) == "o.d71") {
            expected.pop_back();
            ours.pop_back();
        }
        EXPECT_EQ(ours, expected);
        // The image behind an X64 header lists as the image.
        std::vector<std::string> wrapped =
            listed(dir.write(std::string(image) + ".x64", makeX64(dir.read(image))));
        if (std::string(image) == "o.d71")
            wrapped.pop_back();
        EXPECT_EQ(wrapped, expected);
        if (!d64)
            continue;
        // The G64 that cc1541 wrote alongside, decoded and listed by our c1541.
        EXPECT_EQ(listed(dir.str() + "/o.g64"), expected);
        // Its tracks as nibtools would have captured them, plain and packed.
        const std::string g64 = dir.read("o.g64");
        const std::string nib = G64ToNib(g64, {.halftracks = true, .start = 2000});
        const std::vector<std::pair<std::string, std::string>> nibs{
            {"halftracks.nib", nib}, {"plain.nib", G64ToNib(g64)}, {"packed.nbz", PackNbz(nib)}};
        for (const auto& [name, bytes] : nibs) {
            SCOPED_TRACE(name);
            dir.write(name, bytes);
            EXPECT_EQ(listed(dir.str() + "/" + name), expected);
        }
    }
}

// A PRG file's entry line as cc1541 lists the same host file written to a disk.
TEST(CliList, PrgFilesAsCc1541ListsThem) {
    TempDir dir;
    const std::size_t sizes[] = {1, 2, 254, 255, 508, 509, 3000};
    std::string files;
    for (const std::size_t size : sizes) {
        const std::string name = "p" + std::to_string(size);
        dir.write(name + ".prg", std::string(size, 'p'));
        files += " -f " + name + " -w " + name + ".prg";
    }
    const std::vector<std::string> disk = cc1541Directory(oracle(dir, "cc1541" + files + " o.d64"));
    ASSERT_EQ(disk.size(), std::size(sizes) + 2); // the header, the entries, blocks free
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const std::string name = "p" + std::to_string(sizes[i]);
        EXPECT_EQ(listed(dir.str() + "/" + name + ".prg"),
                  (std::vector<std::string>{"0 \"" + name + "\"", disk[i + 1]}));
    }
}

// disk2zip's sets of cc1541 images list as the images, whether their parts
// lie in a folder, in a ZIP of their own or in a TAR; and our own packer
// writes the parts disk2zip writes.
TEST(CliList, ZipcodeSetsAsTheirImages) {
    TempDir dir;
    dir.write("a.prg", std::string(3000, 'a'));
    std::string mixed;
    for (int i = 0; i < 2000; ++i)
        mixed += std::string(static_cast<std::size_t>(i % 6 + 1), static_cast<char>(i % 7));
    dir.write("b.prg", mixed);
    // Sectors that hold every byte value are stored as they are.
    std::string noise;
    for (unsigned x = 1; noise.size() < 1500;)
        noise += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    dir.write("c.prg", noise);
    const struct {
        const char* name;
        std::string files;
    } disks[] = {
        {"plain", "-n 'Packed Disk' -i 'pd' -f first -w a.prg -f runs -T SEQ -w b.prg -f noise "
                  "-w c.prg"},
        {"crowded", "-n 'Crowded' -i 'cr' -f one -w a.prg -f two -O -P -w b.prg -f three -w a.prg "
                    "-f four -T USR -w b.prg -f five -w a.prg -f six -w b.prg -f seven -w a.prg "
                    "-f eight -w b.prg -f nine -T REL -w a.prg"},
    };
    for (const auto& d : disks) {
        SCOPED_TRACE(d.name);
        const std::string image = d.name + std::string(".d64");
        const std::vector<std::string> expected =
            cc1541Directory(oracle(dir, "cc1541 " + d.files + " " + image));
        ASSERT_FALSE(expected.empty());
        oracle(dir, "disk2zip " + image + " " + d.name);
        Members parts;
        for (int part = 1; part <= 4; ++part) {
            const std::string name = std::to_string(part) + "!" + d.name;
            parts.push_back({name + ".z64", dir.read(name)});
            EXPECT_EQ(ZipcodePart(dir.read(image), part), dir.read(name)) << part;
        }
        const std::string set = dir.str() + "/" + d.name;
        dir.write(d.name + std::string(".zip"), WriteArchive("zip", parts));
        std::reverse(parts.begin(), parts.end());
        dir.write(d.name + std::string(".tar"), WriteArchive("tar", parts));
        EXPECT_EQ(listed(dir.str() + "/1!" + d.name), expected);
        EXPECT_EQ(listed(set + ".zip::1!" + d.name + ".z64"), expected);
        EXPECT_EQ(listed(set + ".tar::2!" + d.name + ".z64"), expected);
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
    // cbmconvert's own P00 files pad their names with $A0, not with bytes 0.
    dir.write("blast off.prg", std::string("\x01\x08", 2) + std::string(600, 'p'));
    dir.write("notes.seq", "some text");
    oracle(dir, "cbmconvert -P -n 'blast off.prg' notes.seq");
    struct Case {
        std::string file, cbmconvertArgs, header;
    };
    const std::string pc64 = "0 \"C64File\" PC64";
    for (const Case& c :
         {Case{"o.t64", "-t", "0 \"ORACLE TAPE             \""}, Case{"blast.p00", "-p", pc64},
          Case{"blastoff.p00", "-p", pc64}, Case{"notes.s00", "-p", pc64}}) {
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
    // What it took from the tape is what the builder meant to store there.
    EXPECT_EQ(dir.read("ALPHA.prg"), std::string("\x01\x08", 2) + std::string(300, 'a'));
    EXPECT_EQ(dir.read("beta.seq"), std::string("\x00\xC0", 2) + std::string(10, 'b'));
}

TEST(CliList, TuneFieldsAsLibsidplayfpReadsThem) {
    TempDir dir;
    const std::pair<SidPlan, std::string> tunes[] = {
        {{"Title", "Someone", "1985 Publisher", 0x1000, 0x1000, 0x1003, std::string(4096, '\x60')},
         "1985"},
        {{"Blast Theme", "J\xF6rg M\xFCller", "1987 Blast Soft", 0x2000, 0x2003, 0x2010,
          std::string(700, '\x60')},
         "1987"},
        {{"Space", "Anna", "198? Unknown"}, "198?"},
        {{"A Very Long Title Of 32 Chars..", "Composer", "Unknown", 0xC000, 0xC000, 0xC003},
         "0???"},
    };
    const auto hex = [](unsigned value) {
        char text[8];
        std::snprintf(text, sizeof text, "$%04X", value);
        return std::string(text);
    };
    for (const auto& [fields, year] : tunes) {
        SCOPED_TRACE(fields.name);
        const std::string path = dir.write("t.sid", makeSid(fields));
        SidTune tune(path.c_str());
        ASSERT_TRUE(tune.getStatus()) << tune.statusString();
        const SidTuneInfo& info = *tune.getInfo();
        EXPECT_EQ(listed(path), (std::vector<std::string>{
                                    "Name:         " + latin1ToUtf8(info.infoString(0)),
                                    "Author:       " + latin1ToUtf8(info.infoString(1)),
                                    "Copyright:    " + latin1ToUtf8(info.infoString(2)),
                                    "Year:         " + year,
                                    "Load address: " + hex(info.loadAddr()),
                                    "End address:  " + hex(info.loadAddr() + info.c64dataLen()),
                                    "Init address: " + hex(info.initAddr()),
                                    "Play address: " + hex(info.playAddr()),
                                }));
    }
}

// --- The C64's own archives: Lynx archives that cbmconvert writes; ours read
// back by cbmconvert (Lynx, ARK, ARC, SDA) and by 7-Zip (SFX). ---

namespace {

// Our listing's entry lines, without the header.
std::vector<std::string> listedEntries(const std::string& target) {
    std::vector<std::string> lines = listed(target);
    if (!lines.empty())
        lines.erase(lines.begin());
    return lines;
}

// 7-Zip's technical listing: each member's path, and its size in bytes as blocks.
std::vector<Shown> sevenZipFiles(const std::string& report) {
    std::vector<Shown> files;
    bool members = false;
    for (const std::string& line : SplitLines(report, CrRule::Drop)) {
        members = members || line == "----------";
        if (members && line.starts_with("Path = "))
            files.push_back({0, line.substr(7), ""});
        else if (members && line.starts_with("Size = ") && !files.empty())
            files.back().blocks = ParseInteger(line.substr(7), NumberSyntax::Whole);
    }
    return files;
}

// What a search for every entry of the archives below `root`, plain and
// zipped, reports of `heading`: the block's entry lines.
std::vector<std::string> reportedEntries(const std::string& report, const std::string& heading) {
    const auto at = report.find(heading + "\n[");
    if (at == std::string::npos)
        return {};
    std::vector<std::string> lines;
    const auto from = report.find("\n\n", at) + 2;
    for (const std::string& line :
         SplitLines(report.substr(from, report.find("\n\n", from) - from), CrRule::Drop))
        lines.push_back(line);
    return lines;
}

std::vector<std::string> searchedArchives(const std::string& root) {
    return {"-q", "-r", "-z", "-t", "LNX,ARK,ARC,SFX", "-c", "PRG,SEQ,USR,REL,DEL", root};
}

} // namespace

TEST(CliList, LynxArchivesAsCbmconvertWritesThem) {
    TempDir dir;
    // Sizes about the block boundaries, as the C64 holds them.
    for (const auto& [file, size] : std::vector<std::pair<std::string, std::size_t>>{
             {"a", 1}, {"b", 254}, {"c", 255}, {"d", 508}, {"e", 509}, {"f", 3000}})
        dir.write(file + ".bin", std::string(size, file[0]));
    const std::string files = "-n 'lynx disk' -i 'ld 2a' -f first -w a.bin -f 'Mixed Case' -T SEQ "
                              "-w b.bin -f 'two blocks' -w c.bin -f notes -T USR -w d.bin "
                              "-f three -w e.bin -f 'LONG NAME HERE!!' -w f.bin ";
    const std::vector<std::string> disk = cc1541Directory(oracle(dir, "cc1541 " + files + "o.d64"));
    ASSERT_EQ(disk.size(), 8u);
    const std::vector<std::string> entries(disk.begin() + 1, disk.end() - 1);
    oracle(dir, "cbmconvert -L o.lnx -d o.d64");
    EXPECT_EQ(listedEntries(dir.str() + "/o.lnx"), entries);
    // The same archive in a ZIP, listed and searched.
    const std::string zip = dir.write("zip/o.zip", StoredZip({{"in/o.lnx", dir.read("o.lnx")}}));
    EXPECT_EQ(listedEntries(zip + "::in/o.lnx"), entries);
    const CliRun search = runCli(searchedArchives(dir.str()));
    EXPECT_EQ(reportedEntries(search.out, dir.str() + "/o.lnx"), entries) << search.out;
    EXPECT_EQ(reportedEntries(search.out, "O.LNX in " + zip), entries) << search.out;
    // cbmconvert reads its own archive as it wrote it.
    const std::vector<Shown> read = cbmconvertFiles(oracle(dir, "cbmconvert -v2 -N -l o.lnx"));
    ASSERT_EQ(read.size(), entries.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        const Shown ours = parseEntry(entries[i]);
        EXPECT_EQ(ours.name, read[i].name);
        EXPECT_EQ(ours.type, read[i].type);
        EXPECT_EQ(ours.blocks, (read[i].blocks + 253) / 254);
    }
}

// Our builders' archives, read by the oracle: every file it unpacks (with the
// bytes the builder stored) is listed and found by a search with its name,
// type and blocks.
TEST(CliList, OurArchivesAsCbmconvertAnd7ZipReadThem) {
    const std::string program = "\x01\x08" + std::string(600, '\xEA');
    // cbmconvert calls an ARK's USR files of unknown type: ARKs hold none here.
    const std::vector<ArchiveFilePlan> cbm{{toPetscii("BLAST"), 'P', program},
                                           {toPetscii("Notes"), 'S', "SOME TEXT"},
                                           {toPetscii("full block"), 'P', std::string(254, 'f')}};
    std::vector<ArchiveFilePlan> withUsr = cbm;
    withUsr.push_back({toPetscii("user"), 'U', std::string(255, 'u')});
    const std::vector<ArchiveFilePlan> ascii{{"BLAST SFX", 'P', program},
                                             {"notes", 'S', "SOME TEXT"},
                                             {"Full Block", 'U', std::string(509, 'f')}};
    struct Case {
        std::string file, bytes, command;
        const std::vector<ArchiveFilePlan>* files;
    };
    const Case cases[] = {
        {"o.lnx", makeLynx(withUsr), "cbmconvert -v2 -N -l", &withUsr},
        {"o.ark", makeArk(cbm), "cbmconvert -v2 -N -k", &cbm},
        {"o.arc", makeArc(withUsr, {.padding = 100}), "cbmconvert -v2 -N -a", &withUsr},
        {"v1.arc", makeArc(withUsr, {.version = 1}), "cbmconvert -v2 -N -a", &withUsr},
        {"o.sda", makeArc(withUsr, {.sdaLine = 9}), "cbmconvert -v2 -N -a", &withUsr},
        {"o.sfx", makeSfx(ascii), "7z l -slt", &ascii},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        const std::string path = dir.write(c.file, c.bytes);
        const std::string zip = dir.write("z.zip", StoredZip({{c.file, c.bytes}}));
        const bool sevenZip = c.command.starts_with("7z");
        const std::string report = oracle(dir, c.command + " " + c.file);
        const std::vector<Shown> read = sevenZip ? sevenZipFiles(report) : cbmconvertFiles(report);
        ASSERT_EQ(read.size(), c.files->size()) << report;
        const std::vector<std::string> entries = listedEntries(path);
        const std::vector<std::string> found =
            reportedEntries(runCli(searchedArchives(dir.str())).out, path);
        EXPECT_EQ(listedEntries(zip + "::" + c.file), entries);
        EXPECT_EQ(found, entries);
        ASSERT_EQ(entries.size(), read.size());
        if (sevenZip)
            oracle(dir, "7z e -y " + c.file);
        for (std::size_t i = 0; i < read.size(); ++i) {
            const Shown ours = parseEntry(entries[i]);
            // 7-Zip knows no C64 types: the one the builder stored.
            const std::string type = sevenZip ? TypeOfLetter((*c.files)[i].type) : read[i].type;
            EXPECT_EQ(ours.name, read[i].name);
            EXPECT_EQ(ours.type, type);
            EXPECT_EQ(ours.blocks, (read[i].blocks + 253) / 254);
            EXPECT_EQ(dir.read(read[i].name + (sevenZip ? "" : "." + type)), (*c.files)[i].data);
        }
    }
}

// A folder made by the oracles (cc1541's D64 and G64, disk2zip's Zipcode set
// of the disk, cbmconvert's Lynx archive of its files, NIB and NBZ captures
// of the G64's tracks, the disk behind an X64 header), and each again in a
// ZIP of its own (the set's parts in one): a search of every format for every
// entry reports each file's entries as cc1541 lists the disk.
TEST(CliList, EveryFileTheOraclesMadeIsFoundPlainAndZipped) {
    TempDir dir;
    dir.write("a.prg", std::string(1000, 'a'));
    dir.write("b.prg", std::string(2541, 'b'));
    const std::vector<std::string> disk =
        cc1541Directory(oracle(dir, "cc1541 -n 'oracle set' -i 'os 2a' -f 'first file' -w a.prg "
                                    "-f notes -T SEQ -w b.prg -f 'last one' -T USR -w a.prg "
                                    "-g o.g64 o.d64"));
    ASSERT_EQ(disk.size(), 5u);
    const std::vector<std::string> entries(disk.begin() + 1, disk.end() - 1);
    oracle(dir, "disk2zip o.d64 set && cbmconvert -L o.lnx -d o.d64");
    const std::string g64 = dir.read("o.g64");
    // Each file of the collection, and the members of its ZIP.
    const std::vector<std::pair<std::string, Members>> made{
        {"disk.d64", {{"disk.d64", dir.read("o.d64")}}},
        {"disk.g64", {{"disk.g64", g64}}},
        {"disk.nib", {{"disk.nib", G64ToNib(g64)}}},
        {"disk.nbz", {{"disk.nbz", PackNbz(G64ToNib(g64))}}},
        {"disk.x64", {{"disk.x64", makeX64(dir.read("o.d64"))}}},
        {"disk.lnx", {{"disk.lnx", dir.read("o.lnx")}}},
        {"1!set",
         {{"1!set", dir.read("1!set")},
          {"2!set", dir.read("2!set")},
          {"3!set", dir.read("3!set")},
          {"4!set", dir.read("4!set")}}},
    };
    const std::string root = dir.str() + "/c";
    for (const auto& [file, members] : made) {
        for (const auto& [name, bytes] : members)
            dir.write("c/" + name, bytes);
        dir.write("c/zips/" + file + ".zip", WriteArchive("zip", members));
    }
    const CliRun search =
        runCli({"-q", "-r", "-z", "-t", "all", "-c", "PRG,SEQ,USR,REL,DEL", "-s", "*", root});
    for (const auto& [file, members] : made) {
        SCOPED_TRACE(file);
        EXPECT_EQ(reportedEntries(search.out, root + "/" + file), entries) << search.out;
        const std::string inZip = upperAscii(file) + " in " + root + "/zips/" + file + ".zip";
        EXPECT_EQ(reportedEntries(search.out, inZip), entries) << search.out;
    }
    EXPECT_EQ(search.status, 0) << search.err;
    EXPECT_EQ(search.err, "");
}
