#include "common/Petscii.h"

#include <gtest/gtest.h>

using namespace qs;

TEST(CharacterMappings, CaseSwapShiftAndDisplay) {
    EXPECT_EQ(SwapPetsciiCase("\xC1\xC2\xC3"), "ABC");
    EXPECT_EQ(SwapPetsciiCase("ABC"), "abc");
    EXPECT_EQ(SwapPetsciiCase("abc"), "ABC");
    EXPECT_EQ(SwapPetsciiCase("\xE1"), "a"); // 225 -> 97
    EXPECT_EQ(SwapPetsciiCase("\xE2 1"), "\xE2 1");
    EXPECT_EQ(ShiftListingLetters("AZaz1"), "\xC1\xDA"
                                            "az1");

    EXPECT_EQ(PetsciiToDisplay("\xD3\xDA\xD8\xC1\xD1"), "\x03\x04\x05\x06\x07");
    EXPECT_EQ(PetsciiToDisplay("_\xCE\xCD"), "\x1B/\\");
    EXPECT_EQ(PetsciiToDisplay("\xC2\xDD\xC9\xCA\xC0\xDB\xCB\xCF\xAB\xB3"),
              "\xB3\xB3\xBF\xC0\xC4\xC5\xD9\xDA\xC3\xB4");
    EXPECT_EQ(PetsciiToDisplay("AB1"), "AB1");
}
