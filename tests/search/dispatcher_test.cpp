// How a listed file is handled: by the reader its extension names when that
// type is ticked, as an archive, or not at all; each reader starts from
// empty records.
#include "SearchHarness.h"
#include "samples/DiskBuilder.h"
#include "samples/Pc64Builder.h"
#include "search/Dispatcher.h"
#include "search/SearchDriver.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;

TEST(Dispatcher, ReaderByTheLastExtensionWhenItsTypeIsTicked) {
    SearchHarness h;
    qs::samples::DiskBuilder d;
    d.name("DISK").link(1, 0, 255);
    for (const char* name : {"game.d64", "ARCHIVE.OLD.D64", "GAME.PRG", "GAME.TXT"})
        h.write(name, d.bytes());
    for (const char* name : {"GAME.R99", "GAME.RAR"})
        h.write(name, qs::samples::makePc64("GAME", 0x0801, "x"));
    const struct {
        const char* name;
        std::vector<std::string> types;
        const char* mediaType; // null: no reader runs
        const char* fileName = "";
    } cases[] = {
        {"game.d64", {"D64"}, "D64", "GAME"},
        {"ARCHIVE.OLD.D64", {"D64"}, "D64", "ARCHIVE.OLD"},
        {"game.d64", {"T64", "PC64"}, nullptr},
        {"GAME.R99", {"PC64"}, "PC64"},
        {"GAME.RAR", {"PC64"}, nullptr}, // listed by R??, but not of the P00 family
        {"GAME.PRG", {"PC64"}, nullptr},
        {"GAME.TXT", {"D64", "PC64"}, nullptr},
        {"GAME.P00", {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tickOnly(h.view.opts.fileTypes, c.types);
        h.session.records.media.MediaName = "left from before";
        ReaderContext ctx = h.session.readerContext();
        EXPECT_EQ(DispatchFile(ctx, h.view.opts.fileTypes, h.root(), c.name),
                  c.mediaType != nullptr);
        const MediaInfo& m = h.session.records.media;
        EXPECT_NE(m.MediaName, "left from before");
        if (c.mediaType == nullptr) {
            EXPECT_EQ(m.Status, "FALSE EXTENSION");
            continue;
        }
        EXPECT_EQ(m.MediaType, c.mediaType);
        if (*c.fileName != '\0') {
            EXPECT_EQ(m.FileName, c.fileName);
        }
    }
    EXPECT_TRUE(h.view.messages.empty());
}

TEST(Dispatcher, AFileThatFailsEarlyShowsNothingOfThePreviousOne) {
    SearchHarness h;
    qs::samples::DiskBuilder d;
    d.name("DISK").link(1, 0, 255);
    h.write("a.d64", d.bytes());
    h.write("b.d64", "short");
    ReaderContext ctx = h.session.readerContext();
    ASSERT_TRUE(DispatchFile(ctx, h.view.opts.fileTypes, h.root(), "a.d64"));
    EXPECT_EQ(h.session.records.entryCount(), 8u);
    ASSERT_TRUE(DispatchFile(ctx, h.view.opts.fileTypes, h.root(), "b.d64"));
    EXPECT_EQ(h.view.messages.size(), 1u);
    EXPECT_EQ(h.session.records.entryCount(), 0u);
    EXPECT_EQ(h.session.records.media.MediaName, "");
}

TEST(Dispatcher, ArchivesByAnyExtensionFoundInTheArchivePatterns) {
    SearchOptions o;
    EXPECT_FALSE(IsArchiveName(o, "GAME.ZIP")); // the option is off
    o.zip.value = 1;
    for (const char* name : {"game.zip", "GAME.RAR", "a.7z", "GAME.R", "GAME.Z"})
        EXPECT_TRUE(IsArchiveName(o, name)) << name;
    for (const char* name : {"GAME.D64", "GAME.R00", "GAME.ZIPX"})
        EXPECT_FALSE(IsArchiveName(o, name)) << name;
}
