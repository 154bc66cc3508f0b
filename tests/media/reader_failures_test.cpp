// Every reader's failure paths through the whole search. A folder holds a good
// D64 with a BLAST entry (a.d64), the failing file of the reader's kind (b.*)
// and a good file of that kind (c.*), searched in that order. The failing file
// must be named (by its trapped message or its own report block), show none of
// the D64's entries under its name, count as analysed, and the search must go
// on to c.*. G64 and TAP images are listed by our c1541 and tape64.
#include "ToolSession.h"
#include "common/Error.h"
#include "common/Text.h"
#include "samples/CrtBuilder.h"
#include "samples/D81Builder.h"
#include "samples/G64Builder.h"
#include "samples/Pc64Builder.h"
#include "samples/SidBuilder.h"
#include "samples/T64Builder.h"
#include "samples/TapBuilder.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;
using namespace qs::samples;

namespace {

enum class Fault { Unreadable, Cut, Grown };

struct Row {
    const char* ext;
    Fault fault;
    std::size_t length; // bytes kept (Cut) or reached with zeros (Grown)
    int trapped;        // error number of the reader's message; 0 for none
    const char* block;  // what follows the failing file's path in the report; "" for nothing
};

const char* const kInvalid = " is an invalid file\r\n-------------------------\r\n";
// The size warning is set before the header is read, and so is still shown.
const char* const kOddSize = "\r\n[0] entries found:\r\n\r\nNON-STANDARD FILE SIZE, MAY BE "
                             "CORRUPTED\r\n\r\n\r\n-------------------------";

// clang-format off
const Row kRows[] = {
    {"d64", Fault::Unreadable, 0, 70, ""}, {"d64", Fault::Cut, 1000, 9, kOddSize},
    {"d71", Fault::Unreadable, 0, 70, ""}, {"d71", Fault::Cut, 1000, 9, kOddSize},
    {"d81", Fault::Unreadable, 0, 70, ""}, {"d81", Fault::Cut, 1000, 9, ""},
    {"g64", Fault::Unreadable, 0, 70, ""}, {"g64", Fault::Cut, 4, 0, kInvalid},
    {"tap", Fault::Unreadable, 0, 70, ""}, {"tap", Fault::Cut, 8, 0, kInvalid},
    {"t64", Fault::Unreadable, 0, 70, ""}, {"t64", Fault::Cut, 40, 9, ""},
    {"p00", Fault::Unreadable, 0, 70, ""}, {"p00", Fault::Cut, 5, 0, kInvalid},
    {"p00", Fault::Grown, 1000000, 0, kInvalid},
    {"crt", Fault::Unreadable, 0, 70, ""}, {"crt", Fault::Cut, 20, 9, ""},
    {"sid", Fault::Unreadable, 0, 70, ""}, {"sid", Fault::Cut, 100, 9, ""},
    {"sid", Fault::Grown, 130001, 0,
     "\r\n[0] entries found:\r\nNOT A VALID FILE\r\n\r\n-------------------------"},
};
// clang-format on

std::string disk(std::size_t size = DiskBuilder::kD64Size) {
    DiskBuilder d(size);
    d.name(toPetscii("GOOD")).formatBam();
    d.add({toPetscii("BLAST"), 0x82, 4, 17, 0}).add({toPetscii("OTHER"), 0x82, 2, 17, 1});
    return d.bytes();
}

// A file of the kind with exactly one name matching BLAST.
std::string goodFile(const std::string& ext) {
    const std::string program(600, '\x60');
    if (ext == "d64")
        return disk();
    if (ext == "d71")
        return disk(DiskBuilder::kD71Size);
    if (ext == "g64")
        return D64ToG64(disk());
    if (ext == "d81")
        return D81Builder().formatBam().add({toPetscii("BLAST"), 0x82, 3, 1, 0}).bytes();
    if (ext == "tap")
        return TapBuilder().program("BLAST", 0x0801, program).bytes();
    if (ext == "t64")
        return T64Builder("TAPE", 4).add({"BLAST", program}).add({"OTHER", program}).bytes();
    if (ext == "p00")
        return makePc64("BLAST", 0x0801, program);
    if (ext == "crt")
        return makeCrt("BLAST", 0);
    return makeSid({"Blast Theme", "Someone", "1987 Soft"});
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
    const std::string ext = row.ext;
    TempDir dir;
    ToolSession t;
    const FakeView& view = t.view;

    const std::string good = goodFile(ext);
    const std::string first = dir.write("root/a.d64", disk());
    std::string failing = good;
    if (row.fault == Fault::Cut)
        failing.resize(row.length);
    else if (row.fault == Fault::Grown)
        failing.resize(row.length, '\0');
    const std::string bad = dir.write("root/b." + ext, failing);
    const std::string last = dir.write("root/c." + ext, good);
    if (row.fault == Fault::Unreadable)
        t.session.opener = [bad](const std::string& path) -> std::unique_ptr<ByteSource> {
            if (path == bad)
                raise(err::PermissionDenied, path);
            return std::make_unique<FileByteSource>(path);
        };

    t.view.opts.showMediaWarn = true;
    t.search(dir.str() + "/root", "BLAST", {"D64", ext == "p00" ? "PC64" : upperAscii(ext)});

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
    EXPECT_EQ(t.session.lastOutcome.end, SearchEnd::Completed);

    if (row.trapped == 0) {
        EXPECT_TRUE(view.messages.empty());
        return;
    }
    ASSERT_EQ(view.messages.size(), 1u);
    const std::string procedure = ext == "p00" ? "PC64" : upperAscii(ext);
    const std::string& text = view.messages[0].text;
    EXPECT_EQ(text.rfind("[analizza" + procedure + "] - " + std::to_string(row.trapped) + " - ", 0),
              0u)
        << text;
    const std::string tail = "\r\nFile: " + bad;
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), tail.size())), tail);
}

std::string rowName(const testing::TestParamInfo<Row>& info) {
    const char* fault[] = {"Unreadable", "Cut", "Grown"};
    return std::string(info.param.ext) + fault[static_cast<int>(info.param.fault)];
}

INSTANTIATE_TEST_SUITE_P(EveryReader, ReaderFailure, testing::ValuesIn(kRows), rowName);

} // namespace
