// Each reader starts from empty records. (Which reader a file gets, and which
// files only look like P00 files, shows in the command line's expected output.)
#include "SearchHarness.h"
#include "samples/DiskBuilder.h"
#include "search/Dispatcher.h"

#include <gtest/gtest.h>

using namespace qs;
using namespace qs::test;

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
    tickOnly(h.view.opts.fileTypes, {"T64"});
    h.session.records.media.MediaName = "left from before";
    EXPECT_FALSE(DispatchFile(ctx, h.view.opts.fileTypes, h.root(), "a.d64")); // D64 not ticked
    EXPECT_EQ(h.session.records.media.MediaName, "");
}
