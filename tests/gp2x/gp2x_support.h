// Shared by the handheld back end's tests: a fixture that builds a fresh
// simulated chip per test, and the firmware's saved register list.
#ifndef VORN_TESTS_GP2X_SUPPORT_H
#define VORN_TESTS_GP2X_SUPPORT_H

#include <gtest/gtest.h>

#include "lowlevel/gp2x/zkt_gp2xSim.h"
#include "tools/zkt_lowLevelCommon.h"

static constexpr u16 kSavedRegs[51] = {
    0x0904, 0x090A, 0x0912, 0x091C, 0x091E, 0x0924, 0x3010, 0x3014, 0x2800, 0x280A, 0x280C,
    0x280E, 0x2820, 0x2822, 0x2804, 0x2806, 0x2808, 0x2816, 0x281A, 0x281C, 0x281E, 0x2882,
    0x2824, 0x2848, 0x2818, 0x2892, 0x28DA, 0x28DC, 0x2880, 0x2826, 0x2846, 0x28DE, 0x28E0,
    0x2906, 0x2908, 0x290C, 0x290E, 0x183A, 0x181E, 0x1820, 0x291E, 0x2920, 0x2922, 0x2924,
    0x2926, 0x2928, 0x292A, 0x292C, 0x292E, 0x2930, 0x2932};

class SimChip : public ::testing::Test {
protected:
    GP2X_SIM_CONFIG cfg;
    bool bOpen = false;

    void SetUp() override { GP2X_SimDefaultConfig(&cfg); }
    void TearDown() override
    {
        if (bOpen)
            ZKT_FreeLowLevelAPI(0);
        GP2X_SimUninstall();
    }
    // Installs the chip as configured, starts the back end, forgets the
    // start-up's writes.
    void Start()
    {
        GP2X_SimInstall(&cfg);
        ASSERT_EQ(ZKT_InitLowLevelAPI("test"), (u32)ZKT_OK);
        bOpen = true;
        GP2X_SimClearLog();
    }
    static u32 Last(u32 phys)
    {
        u32 found = 0;
        u32 v = GP2X_SimLastWrite(phys, &found);
        EXPECT_TRUE(found) << std::hex << "no write to 0x" << phys;
        return v;
    }
    static bool Written(u32 phys)
    {
        u32 found = 0;
        GP2X_SimLastWrite(phys, &found);
        return found != 0;
    }
    // The last value the encoder received for reg; -1 when none.
    static int LastEncoder(u8 reg)
    {
        int v = -1;
        for (u32 i = 0; i < GP2X_SimEncoderWriteCount(); i++)
            if ((GP2X_SimEncoderWrites()[i] >> 8) == reg)
                v = GP2X_SimEncoderWrites()[i] & 0xFF;
        return v;
    }
};

#endif
