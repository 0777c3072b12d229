// Joystick scaling and thresholds: unsigned 32-bit, wrapping and truncating.
#include <gtest/gtest.h>
#include "bridge/desktop/joy_rules.h"

TEST(ScaleJoyPosition, DeviceRangeToHostRange)
{
    JoyRange full = { 0, 65535, 0, 65535 };
    uint32_t scaled = 0xDEADBEEF;

    ASSERT_TRUE(ScaleJoyPosition(&full, 280, 32768u | 32768u << 16, &scaled));
    EXPECT_EQ(140u | 140u << 16, scaled) << "32768 * 280 / 65535";
    ASSERT_TRUE(ScaleJoyPosition(&full, 280, 0, &scaled));
    EXPECT_EQ(0u, scaled);
    ASSERT_TRUE(ScaleJoyPosition(&full, 280, 65535u | 65535u << 16, &scaled));
    EXPECT_EQ(280u | 280u << 16, scaled) << "the maximum maps to the scale";
    ASSERT_TRUE(ScaleJoyPosition(&full, 0, 1234u | 4321u << 16, &scaled));
    EXPECT_EQ(0u, scaled) << "scale 0 gives 0,0";
}

TEST(ScaleJoyPosition, WrapsAndTruncatesLike32BitUnsigned)
{
    JoyRange offset = { 100, 1100, 0, 65535 };
    uint32_t scaled;

    // Below the minimum the subtraction wraps; the product wraps too.
    ASSERT_TRUE(ScaleJoyPosition(&offset, 1000, 99, &scaled));
    uint32_t x = (uint32_t)((99u - 100u) * 1000u) / 1000u;
    EXPECT_EQ(x & 0xFFFF, scaled & 0xFFFF);
    // A large scale: the product wraps modulo 2^32 before the division.
    JoyRange full = { 0, 65535, 0, 65535 };
    ASSERT_TRUE(ScaleJoyPosition(&full, 0x10000, 65535, &scaled));
    EXPECT_EQ((uint32_t)(65535u * 0x10000u) / 65535u & 0xFFFF, scaled & 0xFFFF);
}

TEST(ScaleJoyPosition, ZeroWidthRangePostsNothing)
{
    JoyRange flatX = { 5, 5, 0, 100 }, flatY = { 0, 100, 7, 7 }, empty = { 0, 0, 0, 0 };
    uint32_t scaled = 77;

    EXPECT_FALSE(ScaleJoyPosition(&flatX, 280, 1, &scaled));
    EXPECT_FALSE(ScaleJoyPosition(&flatY, 280, 1, &scaled));
    EXPECT_FALSE(ScaleJoyPosition(&empty, 280, 1, &scaled));
    EXPECT_EQ(77u, scaled);
}

TEST(DerivedJoyThreshold, SmallerRangeOver512PlusOne)
{
    JoyRange full = { 0, 65535, 0, 65535 }, mixed = { 0, 1023, 0, 65535 }, tiny = { 0, 511, 0, 511 };
    EXPECT_EQ(128u, DerivedJoyThreshold(&full));
    EXPECT_EQ(2u, DerivedJoyThreshold(&mixed));
    EXPECT_EQ(1u, DerivedJoyThreshold(&tiny));
}
