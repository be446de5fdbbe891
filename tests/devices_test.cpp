// Device services on the desktop: the emulated LED, the fixed answers,
// the television field from the clock and the frame dump switch.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lowlevel/desktop/zkt_lowLevelWin.h"

namespace {

TEST(Devices, BatteryLED)
{
    g_bGP2XBatteryLEDState = 0; // as after initialisation
    EXPECT_EQ(ZKT_GetBatteryLEDState(), 5u);
    EXPECT_EQ(ZKT_SetBatteryLEDState(1), 0u);
    EXPECT_EQ(ZKT_GetBatteryLEDState(), 6u);
    EXPECT_EQ(ZKT_SetBatteryLEDState(0), 0u);
    EXPECT_EQ(ZKT_GetBatteryLEDState(), 5u);
}

TEST(Devices, FixedAnswers)
{
    u32 mhz = 0;
    EXPECT_EQ(ZKT_GetCPUClock(&mhz), 0u);
    EXPECT_EQ(mhz, 199u);
    EXPECT_EQ(ZKT_SetCPUClock(200), 2u);
    EXPECT_EQ(ZKT_GetCPUClock(&mhz), 0u);
    EXPECT_EQ(mhz, 199u);
    u16 level = 0;
    EXPECT_EQ(ZKT_GetPowerState(&level), 0u);
    EXPECT_EQ(level, 0x3FF);
    EXPECT_EQ(ZKT_GetSDState(), 2u);
    u32 v = 1234;
    u16 r = 0;
    u8 b = 0;
    EXPECT_EQ(ZKT_GetHardwareModel(&v), 2u);
    EXPECT_EQ(ZKT_GetFirmwareVersion(&v), 2u);
    EXPECT_EQ(v, 1234u);
    EXPECT_EQ(ZKT_ReadMemRegister(0x2800, &r), 2u);
    EXPECT_EQ(ZKT_WriteMemRegister(0x2800, 1), 2u);
    EXPECT_EQ(ZKT_InCX25874(0x20, &b), 2u);
    EXPECT_EQ(ZKT_OutCX25874(0x20, 1), 2u);
    EXPECT_EQ(ZKT_WriteCloseCaption(0x1234), 0u);
    EXPECT_EQ(ZKT_CC_SetChannel(1), 0u);
    EXPECT_EQ(ZKT_CC_SetCommand(0x20), 0u);
    EXPECT_EQ(ZKT_CC_SetPosition(1, 2), 0u);
    EXPECT_EQ(ZKT_CC_SetColor(1, 2), 0u);
    EXPECT_EQ(ZKT_CC_printf("%s %d", "text", 5), 0u);
    EXPECT_EQ(ZKT_CC_OutputToTV(), 0u);
}

TEST(Devices, TelevisionField)
{
    u32 field = 7;
    // LCD: not available, the field is left as it was.
    EXPECT_EQ(ZKT_WinTVFieldAt(0, 16, &field), 2u);
    EXPECT_EQ(field, 7u);
    EXPECT_EQ(ZKT_WinTVFieldAt(4, 16, &field), 2u);
    // NTSC: 33 ms frames, the second field from 16 ms in.
    EXPECT_EQ(ZKT_WinTVFieldAt(5, 15, &field), 0u);
    EXPECT_EQ(field, 0u);
    ZKT_WinTVFieldAt(5, 16, &field);
    EXPECT_EQ(field, 1u);
    ZKT_WinTVFieldAt(5, 33, &field);
    EXPECT_EQ(field, 0u);
    ZKT_WinTVFieldAt(18, 32, &field);
    EXPECT_EQ(field, 1u);
    // PAL: 40 ms frames, the second field from 20 ms in.
    ZKT_WinTVFieldAt(19, 19, &field);
    EXPECT_EQ(field, 0u);
    ZKT_WinTVFieldAt(32, 20, &field);
    EXPECT_EQ(field, 1u);
    ZKT_WinTVFieldAt(26, 0xFFFFFFFFu, &field); // 4294967295 mod 40 = 15
    EXPECT_EQ(field, 0u);

    // The API reads the display mode and the clock.
    u32 saved = g_ulDISPLAY_MODE;
    g_ulDISPLAY_MODE = 0;
    field = 7;
    EXPECT_EQ(ZKT_GetCurrentTVFieldOutput(&field), 2u);
    EXPECT_EQ(field, 7u);
    g_ulDISPLAY_MODE = 12;
    EXPECT_EQ(ZKT_GetCurrentTVFieldOutput(&field), 0u);
    EXPECT_LE(field, 1u);
    g_ulDISPLAY_MODE = saved;
}

TEST(Devices, SaveOnDiskSwitch)
{
    EXPECT_EQ(ZKT_SaveOnDisk(1, "/tmp/frames"), 2u);
    EXPECT_EQ(g_bSaveOnDisk, 1u);
    EXPECT_STREQ(g_strSaveFilePath, "/tmp/frames");
    // Switching off may pass no path; the old one stays.
    EXPECT_EQ(ZKT_SaveOnDisk(0, nullptr), 2u);
    EXPECT_EQ(g_bSaveOnDisk, 0u);
    EXPECT_STREQ(g_strSaveFilePath, "/tmp/frames");
    // A path longer than the buffer is cut, never written past it.
    std::string longPath(1000, 'p');
    ZKT_SaveOnDisk(1, longPath.c_str());
    EXPECT_EQ(std::strlen(g_strSaveFilePath), sizeof(g_strSaveFilePath) - 1);
    EXPECT_EQ(std::string(g_strSaveFilePath), longPath.substr(0, 271));
    ZKT_SaveOnDisk(0, "");
    EXPECT_STREQ(g_strSaveFilePath, "");
}

} // namespace
