#include "common/ByteView.h"
#include "common/VbError.h"

#include <gtest/gtest.h>

using namespace qs;

TEST(ByteView, SingleReadsPastTheEndRaiseSubscriptErrorNamingTheOffset) {
    const std::string bytes = "\x01\x02\x03";
    const ByteView v(bytes, 1000);
    EXPECT_EQ(v.u8(2), 3);
    EXPECT_EQ(v.u16le(0), 0x0201);
    EXPECT_EQ(v.u16be(1), 0x0203);
    try {
        v.u16le(2);
        FAIL() << "read past the end";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::SubscriptOutOfRange);
        EXPECT_NE(e.description().find("1002"), std::string::npos) << e.description();
    }
    EXPECT_THROW(v.u8(3), VbError);
    EXPECT_THROW(v.u32le(0), VbError);
    EXPECT_THROW(ByteView().u8(0), VbError);
}

TEST(ByteView, TextReadsAreClipped) {
    const std::string bytes = "ABCDEF";
    const ByteView v(bytes);
    EXPECT_EQ(v.text(4, 10), "EF");
    EXPECT_EQ(v.text(6, 2), "");
    EXPECT_EQ(v.text(100, 2), "");
    const ByteView sub = v.sub(2, 100);
    EXPECT_EQ(sub.size(), 4u);
    EXPECT_EQ(sub.base(), 2u);
    EXPECT_EQ(v.sub(50, 3).size(), 0u);
}

TEST(ByteSource, FileRangesAndMissingFiles) {
    const std::string path = ::testing::TempDir() + "/qs-bytesource.bin";
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite("\x00\xA0\xFFxyz", 1, 6, f);
        std::fclose(f);
    }
    FileByteSource src(path);
    EXPECT_EQ(src.size(), 6u);
    EXPECT_EQ(src.read(1, 2), std::string("\xA0\xFF"));
    EXPECT_EQ(src.read(4, 100), "yz");
    EXPECT_EQ(src.read(6, 1), "");
    EXPECT_EQ(src.readAll().size(), 6u);
    std::remove(path.c_str());
    try {
        FileByteSource missing(path);
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::FileNotFound);
    }
    try {
        FileByteSource folder(::testing::TempDir());
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), err::PathFileAccess);
    }
}
