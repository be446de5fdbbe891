// The whole presentation on the simulated chip, as Vorn.gpe runs it: start
// to end without a display or sound device, then the shut-down hands the
// firmware its registers back and starts its menu. Each run happens in a
// child process: libmikmod and SDL keep process-wide state between runs.
#include <mikmod.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gp2x_support.h"
#include "runtime/demo.h"

namespace {

u32 s_ulFrames = 0, s_ulLastT = 0;
std::vector<std::string> s_steps;
u32 s_ulLoopMode = 0, s_ulLoop2820 = 0, s_ulEnd2820 = 0;

void FrameDone(u32 t)
{
    s_ulFrames++;
    s_ulLastT = t;
}

void Trace(const char *step)
{
    std::string name = step;
    s_steps.push_back(name);
    if (name == "loop") {
        u32 depth = 0;
        ZKT_GetDisplayMode(&s_ulLoopMode, &depth);
        s_ulLoop2820 = GP2X_SimPeek16(GP2X_DPC_TIMING_20);
    } else if (name == "ZKT_DualCoreStop") {
        s_ulEnd2820 = GP2X_SimPeek16(GP2X_DPC_TIMING_20);
    } else if (name == "ZKT_FreeLowLevelAPI") {
        GP2X_SimClearLog(); // only the shut-down's own writes are checked
    }
}

u32 RunPresentation(const GP2X_SIM_CONFIG &cfg, u16 firmware[51], u32 cells[2], u32 buttons = 0)
{
    GP2X_SimInstall(&cfg);
    GP2X_SimSetButtons(buttons);
    for (int i = 0; i < 51; i++)
        firmware[i] = GP2X_SimPeek16(GP2X_REG_BASE + kSavedRegs[i]);
    cells[0] = GP2X_SimPeek32(GP2X_RGB_LINE_WIDTH);
    cells[1] = GP2X_SimPeek32(GP2X_RGB_FIELD1_ADDR + 2);
    s_ulFrames = s_ulLastT = 0;
    s_steps.clear();
    g_pfnDemoTrace = Trace;
    char name[] = "Vorn.gpe";
    char *argv[] = {name, nullptr};
    DEMO_PLATFORM platform = {"Vorn.gpe [/?] [/music]", 0, &drv_nos, 22050, -1, FrameDone};
    u32 rc = (u32)DEMO_Main(1, argv, g_DemoParts, &platform);
    g_pfnDemoTrace = nullptr;
    return rc;
}

void ExpectRestored(const u16 firmware[51], const u32 cells[2])
{
    u32 n = GP2X_SimWriteCount();
    ASSERT_GE(n, 53u);
    const GP2X_SIM_WRITE *w = GP2X_SimWrites() + (n - 53);
    EXPECT_EQ(w[0].ulAddr, GP2X_RGB_LINE_WIDTH);
    EXPECT_EQ(w[0].ulValue, cells[0]);
    EXPECT_EQ(w[1].ulAddr, GP2X_RGB_FIELD1_ADDR + 2);
    EXPECT_EQ(w[1].ulValue, cells[1]);
    for (int i = 0; i < 51; i++) {
        u16 mask = kSavedRegs[i] == 0x2846 ? 0xFEFF : 0xFFFF; // live sync status bit
        EXPECT_EQ(w[2 + i].ulAddr, GP2X_REG_BASE + kSavedRegs[i]) << i;
        EXPECT_EQ(w[2 + i].ulValue & mask, firmware[i] & mask) << i;
    }
}

void RunsFromStartToEndOnTheLcd()
{
    GP2X_SIM_CONFIG cfg;
    GP2X_SimDefaultConfig(&cfg);
    u16 firmware[51];
    u32 cells[2];
    ASSERT_EQ(RunPresentation(cfg, firmware, cells), 0u);

    // One frame per 60 Hz vertical sync for 126 simulated seconds.
    EXPECT_GE(s_ulLastT, 126000u);
    EXPECT_LT(s_ulLastT, 126100u);
    EXPECT_NEAR((double)s_ulFrames, 126000.0 / 16.667, 60.0);
    ExpectRestored(firmware, cells);
    EXPECT_EQ(GP2X_SimMenuExecCount(), 1u);
    EXPECT_FALSE(GP2X_SimMemIsOpen());
    // The shut-down cleared the start of video memory with the blitter.
    const u8 *v = GP2X_SimVideoMem();
    bool clear = true;
    for (u32 i = 0; i < 720 * 576 * 2 && clear; i += 7)
        clear = v[i] == 0;
    EXPECT_TRUE(clear);
    EXPECT_GE(GP2X_SimBlitCount(), 1u);
    GP2X_SimUninstall();
}

void PalTelevisionRunsProgressiveAndGoesBackToInterlaced()
{
    GP2X_SIM_CONFIG cfg;
    GP2X_SimDefaultConfig(&cfg);
    cfg.bTvOut = 1;
    cfg.bPAL = 1;
    cfg.usLastLine = 287;
    u16 firmware[51];
    u32 cells[2];
    ASSERT_EQ(RunPresentation(cfg, firmware, cells), 0u);
    EXPECT_EQ(s_ulLoopMode, 26u);
    EXPECT_EQ(s_ulLoop2820, 0x1C1u); // progressive while running
    EXPECT_EQ(s_ulEnd2820, 385u);    // interlaced again before the mode is restored
    EXPECT_GE(s_ulLastT, 126000u);
    EXPECT_NEAR((double)s_ulFrames, 126000.0 / 20.0, 60.0); // one frame per PAL field
    ExpectRestored(firmware, cells);
    EXPECT_EQ(GP2X_SimMenuExecCount(), 1u);
    GP2X_SimUninstall();
}

void BothShouldersLeaveAtOnceAndStillRestore()
{
    GP2X_SIM_CONFIG cfg;
    GP2X_SimDefaultConfig(&cfg);
    u16 firmware[51];
    u32 cells[2];
    ASSERT_EQ(RunPresentation(cfg, firmware, cells, ZKT_BTN_L | ZKT_BTN_R), 0u);
    EXPECT_EQ(s_ulFrames, 0u);
    ExpectRestored(firmware, cells);
    EXPECT_EQ(GP2X_SimMenuExecCount(), 1u);
    GP2X_SimUninstall();
}

// Runs body in a child; its failures show in the child's output.
#define IN_CHILD(body)                                                                                      \
    EXPECT_EXIT(                                                                                            \
        {                                                                                                   \
            body();                                                                                         \
            std::exit(::testing::Test::HasFailure() ? 1 : 0);                                               \
        },                                                                                                  \
        ::testing::ExitedWithCode(0), "")

TEST(Presentation, RunsFromStartToEndOnTheLcd) { IN_CHILD(RunsFromStartToEndOnTheLcd); }
TEST(Presentation, PalTelevisionRunsProgressiveAndGoesBackToInterlaced)
{
    IN_CHILD(PalTelevisionRunsProgressiveAndGoesBackToInterlaced);
}
TEST(Presentation, BothShouldersLeaveAtOnceAndStillRestore) { IN_CHILD(BothShouldersLeaveAtOnceAndStillRestore); }

} // namespace
