#include "plugkit/core/fpcontrol.h"

#include <gtest/gtest.h>

using namespace plugkit;

TEST(NoDenormalsGuard, SetsBothControlWordsAndRestoresThem)
{
    const uint32_t callerSSE = 0x1F80;   // default MXCSR: no FTZ/DAZ
    const uint16_t callerX87 = 0x027F;   // 53-bit precision, as some hosts set it
    setSSEControlState(callerSSE);
    setFPUControlState(callerX87);
    {
        NoDenormalsGuard guard;
        EXPECT_EQ(getSSEControlState() & 0xFFC0, 0x9FFFu & 0xFFC0); // flags bits are sticky
        EXPECT_EQ(getFPUControlState(), 0x037F);

        volatile float tiny = 1e-38f;
        volatile float result = tiny * 0.001f; // would be denormal
        EXPECT_EQ(result, 0.0f);
    }
    EXPECT_EQ(getSSEControlState() & 0xFFC0, callerSSE & 0xFFC0);
    EXPECT_EQ(getFPUControlState(), callerX87);
    setFPUControlState(0x037F);
}
