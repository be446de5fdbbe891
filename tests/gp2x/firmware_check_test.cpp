// The start-up firmware check on the simulated chip: silent on the expected
// firmware, otherwise a warning screen that only a fresh press of B alone
// passes, and both shoulder buttons leave.
#include <string>

#include "gp2x_support.h"

#include "debug/zkt_lowLevelDbg.h"
#include "runtime/firmware.h"

namespace {

class FirmwareCheck : public SimChip {
protected:
    void StartOnOtherFirmware()
    {
        cfg.usRGBAddrLow = 0x0000;
        Start();
        ZKT_SetDisplayMode(0, 16);
        GP2X_SimClearLog();
    }
    void Script(std::initializer_list<GP2X_SIM_BUTTON_STEP> steps)
    {
        GP2X_SimButtonScript(steps.begin(), (u32)steps.size());
    }
};

std::string Row(int y)
{
    std::string s;
    for (int x = 0; x < ZKT_DBG_COLS; x++) {
        u8 c = g_ucZKT_DBG_CHAR_SCREEN[x + ZKT_DBG_COLS * y];
        s += c ? (char)c : ' ';
    }
    return s;
}

TEST_F(FirmwareCheck, ExpectedFirmwareShowsNothing)
{
    Start();
    EXPECT_EQ(ZKT_CheckOpen2X(1, 1), (u32)ZKT_OK);
    EXPECT_EQ(GP2X_SimWriteCount(), 0u);
    EXPECT_EQ(GP2X_SimButtonReads(), 0u);
}

TEST_F(FirmwareCheck, WithoutWarningItCarriesOn)
{
    StartOnOtherFirmware();
    EXPECT_EQ(ZKT_CheckOpen2X(0, 1), (u32)ZKT_OPEN2X_PROCEED);
    EXPECT_EQ(GP2X_SimButtonReads(), 0u);
}

TEST_F(FirmwareCheck, BHeldFromTheStartMustBeReleasedAndPressedAgain)
{
    StartOnOtherFirmware();
    Script({{ZKT_BTN_B, 6}, {0, 2}, {ZKT_BTN_B, 1}, {0, 1}});
    EXPECT_EQ(ZKT_CheckOpen2X(1, 1), (u32)ZKT_OPEN2X_PROCEED);
    EXPECT_EQ(GP2X_SimButtonReads(), 9u);
}

TEST_F(FirmwareCheck, BTogetherWithAnotherButtonDoesNotCount)
{
    StartOnOtherFirmware();
    Script({{0, 1}, {ZKT_BTN_B | ZKT_BTN_A, 2}, {ZKT_BTN_B, 2}, {0, 1}, {ZKT_BTN_B, 1}});
    EXPECT_EQ(ZKT_CheckOpen2X(1, 0), (u32)ZKT_OPEN2X_PROCEED);
    EXPECT_EQ(GP2X_SimButtonReads(), 7u);
}

TEST_F(FirmwareCheck, BothShouldersLeave)
{
    StartOnOtherFirmware();
    Script({{0, 2}, {ZKT_BTN_L, 1}, {ZKT_BTN_L | ZKT_BTN_R, 1}});
    EXPECT_EQ(ZKT_CheckOpen2X(1, 1), (u32)ZKT_OPEN2X_QUIT);
    EXPECT_EQ(GP2X_SimButtonReads(), 4u);
}

TEST_F(FirmwareCheck, WarningTextAndColours)
{
    StartOnOtherFirmware();
    Script({{ZKT_BTN_L | ZKT_BTN_R, 1}});
    EXPECT_EQ(ZKT_CheckOpen2X(1, 1), (u32)ZKT_OPEN2X_QUIT);
    u32 found = 0;
    EXPECT_EQ(GP2X_SimLastWrite(GP2X_RGB_FIELD2_ADDR, &found), 0x0000u); // RGB layer at offset 0
    EXPECT_TRUE(found);
    EXPECT_EQ(Row(0), "            *** WARNING ***             ");
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[12], 0x70); // yellow on black
    EXPECT_EQ(Row(4), "    WE HAVE DETECT A NO-GPH FIRMWARE    ");
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[4 + 40 * 4], 0x10); // white
    EXPECT_EQ(Row(5).substr(0, 32), "       ENVIRONMENT (e.g.: Open2X");
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[26 + 40 * 5], 0x80); // orange
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[32 + 40 * 5], 0x10);
    EXPECT_EQ(Row(8), " WE RECOMMEND TO GO IN COMPATIBLE MODE  ");
    EXPECT_EQ(Row(9), "      FIRST, THEN LAUNCH THIS FILE!     ");
    EXPECT_EQ(Row(15), "       HOLD BOTH TRIGGERS TO EXIT.      ");
    EXPECT_EQ(Row(24), "At your risk: press B to proceed anyway.");
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[40 * 24], 0xC0); // grey

    // The console was drawn into video memory: the first line is no
    // longer the blank that the simulated chip started with.
    const u8 *v = GP2X_SimVideoMem();
    bool drawn = false;
    for (u32 i = 0; i < 320 * 240 * 2 && !drawn; i++)
        drawn = v[i] != 0;
    EXPECT_TRUE(drawn);
}

TEST_F(FirmwareCheck, WithoutPermissionTheOfferIsNotShownButBStillPasses)
{
    StartOnOtherFirmware();
    Script({{0, 1}, {ZKT_BTN_B, 1}, {0, 1}});
    EXPECT_EQ(ZKT_CheckOpen2X(1, 0), (u32)ZKT_OPEN2X_PROCEED);
    EXPECT_EQ(Row(24), std::string(40, ' '));
    EXPECT_EQ(Row(0), std::string(40, ' ')); // cleared after B
}

} // namespace
