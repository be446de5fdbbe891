// vorn-gp2x-snap <dir> <mode>: runs the comparison scenes on the handheld back end
// over the simulated chip and writes, after each, what the display
// controller would scan out from: <dir>/<n>.snap (see scene.h).
//
// vorn-gp2x-snap --show <lcd|ntsc|pal> <ms>...: the whole presentation as
// Vorn.gpe runs it on a firmware that left that output running, on a clock
// of its own at 60 frames a second (the frame oracle's rounds) with the
// oracle's button presses; after each frame at one of the given times, its
// snapshot on standard output, in time order.
#include <mikmod.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lowlevel/gp2x/zkt_gp2xSim.h"
#include "runtime/demo.h"
#include "scene.h"
#include "ui/zkt_tinymenu_vol.h"

static bool IsPort(u32 a) { return a >= GP2X_OSD_PAL_INDEX && a <= GP2X_GAMMA_DATA; }

static bool WriteSnap(FILE *f, const std::vector<SNAP_PORT_WRITE> &ports)
{
    SNAP_HEADER h = {SNAP_MAGIC, 0, 0, (u32)ports.size()};
    ZKT_GetDisplayMode(&h.ulMode, &h.ulDepth);
    std::vector<u16> regs(SNAP_REG_BYTES / 2);
    for (u32 i = 0; i < regs.size(); i++)
        regs[i] = GP2X_SimPeek16(GP2X_REG_BASE + 2 * i);
    return std::fwrite(&h, sizeof h, 1, f) == 1 && std::fwrite(regs.data(), 2, regs.size(), f) == regs.size() &&
           (ports.empty() || std::fwrite(ports.data(), sizeof(SNAP_PORT_WRITE), ports.size(), f) == ports.size()) &&
           std::fwrite(GP2X_SimVideoMem(), 1, ZKT_VIDEO_MEM_SIZE, f) == ZKT_VIDEO_MEM_SIZE;
}

static bool WriteSnapFile(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::vector<SNAP_PORT_WRITE> ports;
    const GP2X_SIM_WRITE *w = GP2X_SimWrites();
    for (u32 i = 0; i < GP2X_SimWriteCount(); i++)
        if (IsPort(w[i].ulAddr))
            ports.push_back({w[i].ulAddr, w[i].ulValue});
    bool ok = WriteSnap(f, ports);
    return std::fclose(f) == 0 && ok;
}

// The back end never sets the colour matrix and keeps what the firmware
// left; the firmware's menu leaves it neutral (saturation 128, hue 0),
// which is also what the desktop model starts with.
static void NeutralColourMatrix()
{
    for (u32 k = 0; k < 4; k++) {
        GP2X_SimPoke16(GP2X_HUE_CB + 4 * k, 63u << 8);
        GP2X_SimPoke16(GP2X_HUE_CR + 4 * k, 63u);
    }
}

// ---------------------------------------------------------------- the whole show

namespace {

const u32 FPS = 60;
// As the frame oracle's keys press them: volume up, then the menu.
struct PRESS {
    u32 ulTime, ulButton, bDown;
};
const PRESS s_presses[] = {
    {123000, ZKT_BTN_VOLUP, 1}, {123100, ZKT_BTN_VOLUP, 0}, {124000, ZKT_BTN_START, 1}, {124100, ZKT_BTN_START, 0}};

std::vector<u32> s_wanted; // frame numbers, ascending
u32 s_ulRound = 0, s_ulNow = 0, s_ulHeld = 0, s_ulNextPress = 0, s_ulNextWanted = 0;
FILE *s_pOut = nullptr;
bool s_bFailed = false;

// The tables behind the three index/data port pairs, as far as written:
// a snapshot carries each whole instead of every write since the start.
const u32 s_ulIndexPorts[3] = {GP2X_OSD_PAL_INDEX, GP2X_RGB_PAL_INDEX, GP2X_GAMMA_INDEX};
u16 s_usHalves[3][512];
u32 s_ulHalf[3];

void TakePortWrites()
{
    const GP2X_SIM_WRITE *w = GP2X_SimWrites();
    for (u32 i = 0; i < GP2X_SimWriteCount(); i++)
        for (u32 k = 0; k < 3; k++) {
            if (w[i].ulAddr == s_ulIndexPorts[k]) {
                s_ulHalf[k] = w[i].ulValue;
            } else if (w[i].ulAddr == s_ulIndexPorts[k] + 2) {
                if (s_ulHalf[k] < 512)
                    s_usHalves[k][s_ulHalf[k]] = (u16)w[i].ulValue;
                s_ulHalf[k]++;
            }
        }
    GP2X_SimClearLog();
}

u32 ShowNow() { return s_ulNow; }

void OnFrameDone(u32)
{
    // The frame is whole once the accelerator's last jobs are done.
    ZKT_WaitHwBlitter(0);
    ZKT_WaitHwBlitter(1);
    TakePortWrites();
    if (s_ulNextWanted < s_wanted.size() && s_wanted[s_ulNextWanted] == s_ulRound) {
        std::vector<SNAP_PORT_WRITE> ports;
        for (u32 k = 0; k < 3; k++) {
            ports.push_back({s_ulIndexPorts[k], 0});
            for (u32 j = 0; j < 512; j++)
                ports.push_back({s_ulIndexPorts[k] + 2, s_usHalves[k][j]});
        }
        if (!WriteSnap(s_pOut, ports))
            s_bFailed = true;
        s_ulNextWanted++;
    }
    s_ulRound++;
    if (s_bFailed || s_ulNextWanted >= s_wanted.size()) {
        DEMO_RequestLeave();
        return;
    }
    s_ulNow = s_ulRound * 1000 / FPS;
    while (s_ulNextPress < sizeof s_presses / sizeof s_presses[0] && s_presses[s_ulNextPress].ulTime <= s_ulNow) {
        const PRESS &p = s_presses[s_ulNextPress++];
        s_ulHeld = p.bDown ? s_ulHeld | p.ulButton : s_ulHeld & ~p.ulButton;
    }
    GP2X_SimSetButtons(s_ulHeld);
}

int Show(int argc, char **argv)
{
    GP2X_SIM_CONFIG cfg;
    GP2X_SimDefaultConfig(&cfg);
    const std::string output = argv[2];
    if (output == "ntsc" || output == "pal") {
        cfg.bTvOut = 1;
        cfg.bPAL = output == "pal";
        cfg.usLastLine = cfg.bPAL ? 287 : 239;
    } else if (output != "lcd") {
        std::fprintf(stderr, "vorn-gp2x-snap: unknown output %s\n", argv[2]);
        return 2;
    }
    for (int i = 3; i < argc; i++)
        s_wanted.push_back((u32)std::strtoul(argv[i], nullptr, 10) * FPS / 1000);
    std::sort(s_wanted.begin(), s_wanted.end());
    if (s_wanted.empty())
        return 0;
    // Standard output carries the snapshots; what the presentation prints
    // goes to standard error.
    std::fflush(stdout);
    s_pOut = fdopen(dup(1), "wb");
    if (!s_pOut || dup2(2, 1) < 0)
        return 1;

    GP2X_SimInstall(&cfg);
    NeutralColourMatrix();
    ZKT_TMV_SetTimeSource(ShowNow);
    char name[] = "Vorn.gpe";
    char *args[] = {name, nullptr};
    DEMO_PLATFORM platform = {"Vorn.gpe [/?] [/music]", 0, &drv_nos, 22050, -1, OnFrameDone};
    const int rc = DEMO_Main(1, args, g_DemoParts, &platform);
    GP2X_SimUninstall();
    if (std::fclose(s_pOut) != 0 || s_bFailed || rc != 0 || s_ulNextWanted < s_wanted.size()) {
        std::fprintf(stderr, "vorn-gp2x-snap: %u of %u frames shown and written\n", s_ulNextWanted,
                     (u32)s_wanted.size());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--show") == 0)
        return Show(argc, argv);
    if (argc != 3) {
        std::printf("usage: vorn-gp2x-snap <dir> <display mode>\n"
                    "       vorn-gp2x-snap --show <lcd|ntsc|pal> <ms>...\n");
        return 2;
    }
    u32 mode = (u32)std::atoi(argv[2]);
    GP2X_SIM_CONFIG cfg;
    GP2X_SimDefaultConfig(&cfg);
    GP2X_SimInstall(&cfg);
    NeutralColourMatrix();
    if (ZKT_InitLowLevelAPI("snap") != ZKT_OK) {
        std::printf("the back end did not start on the simulated chip\n");
        return 1;
    }
    Scene_Begin(mode);
    for (u32 i = 0; i < g_nScenes; i++) {
        Scene_Frame(i);
        std::string path = std::string(argv[1]) + "/" + std::to_string(i) + ".snap";
        if (!WriteSnapFile(path)) {
            std::printf("cannot write %s\n", path.c_str());
            return 1;
        }
    }
    ZKT_FreeLowLevelAPI(0);
    GP2X_SimUninstall();
    return 0;
}
