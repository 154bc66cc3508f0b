#include "SearchHarness.h"
#include "media/Signature.h"
#include "samples/DiskBuilder.h"
#include "search/Dispatcher.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;

namespace {

bool dispatch(SearchHarness& h, const std::string& folder, const std::string& name) {
    ReaderContext ctx = h.session.readerContext();
    return DispatchFile(ctx, h.view.opts.fileTypes, folder, name);
}

} // namespace

TEST(Dispatcher, RoutesByUpperCasedLastExtension) {
    SearchHarness h;
    qs::samples::DiskBuilder d;
    d.name("DISK").link(1, 0, 255);
    h.write("game.d64", d.bytes());
    h.write("ARCHIVE.OLD.D64", d.bytes());
    EXPECT_TRUE(dispatch(h, h.root(), "game.d64"));
    EXPECT_EQ(h.session.records.media.MediaType, "D64");
    EXPECT_EQ(h.session.records.entryCount(), 8u);
    EXPECT_TRUE(dispatch(h, "", h.root() + "/ARCHIVE.OLD.D64"));
    EXPECT_EQ(h.session.records.media.FileName, "ARCHIVE.OLD");
}

TEST(Dispatcher, UntickedOrUnknownTypesEndAsFalseExtension) {
    SearchHarness h;
    h.session.records.media.MediaName = "left from before";
    h.view.opts.fileTypes[0].value = 0; // D64 off
    EXPECT_FALSE(dispatch(h, h.root(), "game.d64"));
    EXPECT_EQ(h.session.records.media.Status, "FALSE EXTENSION");
    EXPECT_EQ(h.session.records.media.MediaName, "");

    for (auto& b : h.view.opts.fileTypes)
        b.value = 0;
    h.view.opts.fileTypes[4].value = 1; // PC64 only
    for (const char* name : {"GAME.PRG", "GAME.SEQ", "GAME.USR", "GAME.REL", "GAME.TXT"}) {
        EXPECT_FALSE(dispatch(h, h.root(), name)) << name;
        EXPECT_EQ(h.session.records.media.Status, "FALSE EXTENSION") << name;
    }
    h.view.opts.fileTypes[4].value = 0;
    EXPECT_FALSE(dispatch(h, h.root(), "GAME.P00"));
}

TEST(Signature, InAnyCaseOrTheInvalidFileRecords) {
    SearchHarness h;
    EXPECT_TRUE(HasSignature(MemoryByteSource("c64 tape image file"), HeaderKind::T64));
    EXPECT_FALSE(HasSignature(MemoryByteSource("C6"), HeaderKind::T64));
    EXPECT_FALSE(HasSignature(MemoryByteSource("C64-TAPE-RAX...."), HeaderKind::TapeRaw));
    EXPECT_TRUE(HasSignature(MemoryByteSource(std::string("C64File\0GAME", 12)), HeaderKind::PC64));
    h.session.records.appendEntry();
    MarkInvalidFile(h.session.records, "/x/X.TAP", HeaderKind::TapeRaw);
    const MediaInfo& m = h.session.records.media;
    EXPECT_EQ(m.MediaName, "NOT A TAPE RAW IMAGE FILE");
    EXPECT_EQ(m.Status, "INVALID FILE");
    EXPECT_EQ(m.FileName, "X");
    EXPECT_EQ(m.MediaType, "");
    EXPECT_EQ(h.session.records.entryCount(), 0u);
}
