// Every format's failure paths through the whole search: each row of the
// format table, unreadable and cut short (and some grown too long). A folder
// holds a good D64 with a BLAST entry (0.d64), the failing file of the format
// (b.*, or the set 1!b.* ...) and a good file of it (c blast.*, a name a
// PRG's entry takes), searched in that order. The failing file must be named
// (by its trapped message or its own report block), show none of the D64's
// entries under its name, count as analysed, and the search must go on to
// the good file. G64 and TAP images are listed by our c1541 and tape64.
#include "ToolSession.h"
#include "common/Error.h"
#include "common/Text.h"
#include "samples/ArchiveBuilders.h"
#include "samples/CrtBuilder.h"
#include "samples/D80Builder.h"
#include "samples/D81Builder.h"
#include "samples/G64Builder.h"
#include "samples/NibBuilder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/TapBuilder.h"
#include "samples/X64Builder.h"
#include "samples/ZipcodeBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace qs;
using namespace qs::test;
using namespace qs::samples;

namespace {

enum class Fault { Unreadable, Cut, Grown };

struct Row {
    const ContainerFormat* format;
    Fault fault;
    std::size_t length;   // bytes kept (Cut) or reached with zeros (Grown)
    int trapped;          // error number of the reader's message; 0 for none
    const char* block;    // what follows the failing file's path in the report; "" for nothing
    std::size_t file = 0; // of a set's files, the one cut or grown
};

const char* const kInvalid = " is an invalid file\r\n-------------------------\r\n";
// The size warning is set before the header is read, and so is still shown.
const char* const kOddSize = "\r\n[0] entries found:\r\n\r\nNON-STANDARD FILE SIZE, MAY BE "
                             "CORRUPTED\r\n\r\n\r\n-------------------------";

// How a file of each format is cut short, and what that shows. A format
// without a line here fails the test: it has no test data. Of a set, the
// part `file` (counted from 0) is cut.
struct CutShort {
    std::size_t length;
    int trapped;
    const char* block;
    std::size_t file = 0;
};
// clang-format off
const std::map<std::string_view, CutShort> kCut{
    {"D64", {1000, 9, kOddSize}}, {"D71", {1000, 9, kOddSize}}, {"D81", {1000, 9, ""}},
    {"G64", {4, 0, kInvalid}}, {"TAP", {8, 0, kInvalid}}, {"T64", {40, 9, ""}},
    {"PC64", {5, 0, kInvalid}}, {"CRT", {20, 9, ""}}, {"SID", {100, 9, ""}},
    {"NIB", {20000, 9, ""}}, // before the slot of track 18
    // The C64's own archives: a Lynx cut in its first entry, the others before their first.
    {"LNX", {80, 9, ""}}, {"ARK", {20, 0, kInvalid}}, {"ARC", {5, 0, kInvalid}},
    {"SFX", {40, 0, kInvalid}},
    // Any length is a PRG: cut to nothing it is an empty program named "b".
    {"PRG", {0, 0, ""}}, {"X64", {1000, 9, kOddSize}}, {"D80", {1000, 9, kOddSize}},
    {"D82", {1000, 9, kOddSize}},
    {"ZIPCODE", {100, 9, "", 2}}, // inside track 18, in the directory's part
};
// clang-format on

// Every format unreadable and cut short, and the formats that refuse a file
// too large to be theirs.
std::vector<Row> rows() {
    std::vector<Row> out;
    for (const ContainerFormat& f : ContainerFormats()) {
        out.push_back({&f, Fault::Unreadable, 0, 70, ""});
        const auto cut = kCut.find(f.tag);
        if (cut != kCut.end())
            out.push_back({&f, Fault::Cut, cut->second.length, cut->second.trapped,
                           cut->second.block, cut->second.file});
        else
            out.push_back({&f, Fault::Cut, 0, -1, ""}); // fails below: no test data
    }
    out.push_back({FormatByTag("PC64"), Fault::Grown, 1000000, 0, kInvalid});
    out.push_back({FormatByTag("SID"), Fault::Grown, 130001, 0,
                   "\r\n[0] entries found:\r\nNOT A VALID FILE\r\n\r\n-------------------------"});
    return out;
}

std::string disk(std::size_t size = DiskBuilder::kD64Size) {
    DiskBuilder d(size);
    d.name(toPetscii("GOOD")).formatBam();
    d.add({toPetscii("BLAST"), 0x82, 4, 17, 0}).add({toPetscii("OTHER"), 0x82, 2, 17, 1});
    return d.bytes();
}

// The files of an archive: BLAST and OTHER.
std::vector<ArchiveFilePlan> archived(const std::string& program) {
    return {{toPetscii("BLAST"), 'P', program}, {toPetscii("OTHER"), 'P', program}};
}

// An 8050 or 8250 disk like disk().
std::string pet(std::size_t size) {
    D80Builder d(size);
    d.name(toPetscii("GOOD")).formatBam();
    d.add({toPetscii("BLAST"), 0x82, 4, 1, 0}).add({toPetscii("OTHER"), 0x82, 2, 1, 4});
    return d.bytes();
}

// A file of the format with exactly one name matching BLAST; a set's files.
std::vector<std::string> goodFiles(std::string_view tag) {
    if (tag == "ZIPCODE")
        return ZipcodeSet(disk());
    const std::string program(600, '\x60');
    const std::map<std::string_view, std::function<std::string()>> files{
        {"D64", [] { return disk(); }},
        {"D71", [] { return disk(DiskBuilder::kD71Size); }},
        {"G64", [] { return D64ToG64(disk()); }},
        {"NIB", [] { return D64ToNib(disk()); }},
        {"D81",
         [] {
             return D81Builder().formatBam().add({toPetscii("BLAST"), 0x82, 3, 1, 0}).bytes();
         }},
        {"TAP", [&] { return TapBuilder().program("BLAST", 0x0801, program).bytes(); }},
        {"T64",
         [&] {
             return T64Builder("TAPE", 4).add({"BLAST", program}).add({"OTHER", program}).bytes();
         }},
        {"PC64", [&] { return makePc64("BLAST", 0x0801, program); }},
        {"CRT", [] { return makeCrt("BLAST", 0); }},
        {"SID",
         [] {
             return makeSid({"Blast Theme", "Someone", "1987 Soft"});
         }},
        {"LNX", [&] { return makeLynx(archived(program)); }},
        {"ARK", [&] { return makeArk(archived(program)); }},
        {"ARC", [&] { return makeArc(archived(program)); }},
        {"SFX",
         [&] {
             return makeSfx({{"BLAST", 'P', program}, {"OTHER", 'P', program}});
         }},
        {"PRG", [&] { return "\x01\x08" + program; }},
        {"X64", [] { return makeX64(disk()); }},
        {"D80", [] { return pet(D80Builder::kD80Size); }},
        {"D82", [] { return pet(D80Builder::kD82Size); }},
    };
    const auto it = files.find(tag);
    return it == files.end() ? std::vector<std::string>() : std::vector{it->second()};
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class ReaderFailure : public testing::TestWithParam<Row> {};

TEST_P(ReaderFailure, IsNamedShowsNothingOfThePreviousFileAndTheSearchGoesOn) {
    const Row& row = GetParam();
    const ContainerFormat& format = *row.format;
    TempDir dir;
    ToolSession t;
    const FakeSink& view = t.view;

    const std::vector<std::string> good = goodFiles(format.tag);
    ASSERT_FALSE(good.empty() || row.trapped < 0) << "no test data for " << format.tag;
    const std::string first = dir.write("root/0.d64", disk());
    std::vector<std::string> failing = good;
    if (row.fault == Fault::Cut)
        failing[row.file].resize(row.length);
    else if (row.fault == Fault::Grown)
        failing[row.file].resize(row.length, '\0');
    // The set's first file names it in the report.
    std::string bad, last;
    for (std::size_t i = good.size(); i-- > 0;) {
        const int part = static_cast<int>(i) + 1;
        bad = dir.write("root/" + fileNameOf(format, "b", part), failing[i]);
        last = dir.write("root/" + fileNameOf(format, "c blast", part), good[i]);
    }
    if (row.fault == Fault::Unreadable)
        t.setup.opener = [bad](const std::string& path) -> std::unique_ptr<ByteSource> {
            if (path == bad)
                raise(err::PermissionDenied, path);
            return std::make_unique<FileByteSource>(path);
        };

    t.request.warnings = true;
    t.search(dir.str() + "/root", "BLAST", {"D64", std::string(format.caption)});

    const std::string& report = view.results;
    SCOPED_TRACE(report);
    const std::string found = "\r\n[1] entries found:\r\n";
    EXPECT_EQ(occurrences(report, first + found), 1u);
    EXPECT_EQ(occurrences(report, last + found), 1u);
    EXPECT_LT(report.find(first + found), report.find(last + found));
    if (*row.block == '\0') {
        EXPECT_EQ(report.find(bad), std::string::npos);
    } else {
        EXPECT_EQ(occurrences(report, bad), 1u);
        const auto at = report.find("\r\n" + bad + row.block);
        EXPECT_GT(at, report.find(first + found));
        EXPECT_LT(at, report.find(last + found));
    }
    EXPECT_NE(report.find("\r\nScan: 3 files analyzed\r\nTotal: 2 matching expressions"),
              std::string::npos);
    EXPECT_EQ(t.lastOutcome.end, SearchEnd::Completed);

    if (row.trapped == 0) {
        EXPECT_TRUE(view.messages.empty());
        return;
    }
    ASSERT_EQ(view.messages.size(), 1u);
    const std::string& text = view.messages[0].text;
    EXPECT_EQ(text.rfind("[" + std::string(format.procedure) + "] - " +
                             std::to_string(row.trapped) + " - ",
                         0),
              0u)
        << text;
    const std::string tail = "\r\nFile: " + bad;
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), tail.size())), tail);
}

std::string rowName(const testing::TestParamInfo<Row>& info) {
    const char* fault[] = {"Unreadable", "Cut", "Grown"};
    return std::string(info.param.format->tag) + fault[static_cast<int>(info.param.fault)];
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, ReaderFailure, testing::ValuesIn(rows()), rowName);

} // namespace
