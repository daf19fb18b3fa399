// The OTP re-burn check: a cell only goes from 1 to 0.
#include "production/OtpCheck.h"

#include <gtest/gtest.h>

#include <array>

namespace orvane {
namespace {

TEST(OtpCheck, ListsEveryByteThatNeedsAOneOverAZeroInsideTheArea)
{
    std::array<std::uint8_t, 0x10000> chip, wanted;
    chip.fill(0xFF);
    wanted.fill(0xFF);
    chip[0x100] = 0x0F; wanted[0x100] = 0x05;  // only clears bits: fine
    chip[0x101] = 0x0F; wanted[0x101] = 0x1F;  // needs bit 4 back
    chip[0x102] = 0x00; wanted[0x102] = 0x00;  // equal
    chip[0x7FF] = 0x00; wanted[0x7FF] = 0x80;  // last address of the area
    chip[0x800] = 0x00;                        // outside the area: not looked at
    const auto conflicts = FindOtpConflicts(wanted, chip, 0x100, 0x7FF);
    ASSERT_EQ(conflicts.size(), 2u);
    EXPECT_EQ(OtpConflictText(conflicts), "0101: chip 0F, image 1F\n07FF: chip 00, image 80\n");
    EXPECT_TRUE(FindOtpConflicts(wanted, chip, 0x7FF, 0x100).empty()); // an empty area

    for (std::size_t a = 0x1000; a < 0x1017; ++a)
        chip[a] = 0x00;
    const auto many = FindOtpConflicts(wanted, chip, 0x1000, 0x1FFF);
    ASSERT_EQ(many.size(), 23u);
    const std::string text = OtpConflictText(many);
    EXPECT_EQ(text.substr(0, 24), "1000: chip 00, image FF\n");
    EXPECT_NE(text.find("1013: chip 00, image FF\n... and 3 more\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("1014"), std::string::npos);
}

} // namespace
} // namespace orvane
