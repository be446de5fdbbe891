// vorn-gp2x-snap <dir> <mode>: runs the comparison scenes on the handheld back end
// over the simulated chip and writes, after each, what the display
// controller would scan out from: <dir>/<n>.snap (see scene.h).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lowlevel/gp2x/zkt_gp2xSim.h"
#include "scene.h"

static bool IsPort(u32 a) { return a >= GP2X_OSD_PAL_INDEX && a <= GP2X_GAMMA_DATA; }

static bool WriteSnap(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::vector<SNAP_PORT_WRITE> ports;
    const GP2X_SIM_WRITE *w = GP2X_SimWrites();
    for (u32 i = 0; i < GP2X_SimWriteCount(); i++)
        if (IsPort(w[i].ulAddr))
            ports.push_back({w[i].ulAddr, w[i].ulValue});
    SNAP_HEADER h = {SNAP_MAGIC, 0, 0, (u32)ports.size()};
    ZKT_GetDisplayMode(&h.ulMode, &h.ulDepth);
    std::vector<u16> regs(SNAP_REG_BYTES / 2);
    for (u32 i = 0; i < regs.size(); i++)
        regs[i] = GP2X_SimPeek16(GP2X_REG_BASE + 2 * i);
    bool ok = std::fwrite(&h, sizeof h, 1, f) == 1 && std::fwrite(regs.data(), 2, regs.size(), f) == regs.size() &&
              (ports.empty() || std::fwrite(ports.data(), sizeof(SNAP_PORT_WRITE), ports.size(), f) == ports.size()) &&
              std::fwrite(GP2X_SimVideoMem(), 1, ZKT_VIDEO_MEM_SIZE, f) == ZKT_VIDEO_MEM_SIZE;
    return std::fclose(f) == 0 && ok;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::printf("usage: vorn-gp2x-snap <dir> <display mode>\n");
        return 2;
    }
    u32 mode = (u32)std::atoi(argv[2]);
    GP2X_SIM_CONFIG cfg;
    GP2X_SimDefaultConfig(&cfg);
    GP2X_SimInstall(&cfg);
    // The back end never sets the colour matrix and keeps what the firmware
    // left; the firmware's menu leaves it neutral (saturation 128, hue 0),
    // which is also what the desktop model starts with.
    for (u32 k = 0; k < 4; k++) {
        GP2X_SimPoke16(GP2X_HUE_CB + 4 * k, 63u << 8);
        GP2X_SimPoke16(GP2X_HUE_CR + 4 * k, 63u);
    }
    if (ZKT_InitLowLevelAPI("snap") != ZKT_OK) {
        std::printf("the back end did not start on the simulated chip\n");
        return 1;
    }
    Scene_Begin(mode);
    for (u32 i = 0; i < g_nScenes; i++) {
        Scene_Frame(i);
        std::string path = std::string(argv[1]) + "/" + std::to_string(i) + ".snap";
        if (!WriteSnap(path)) {
            std::printf("cannot write %s\n", path.c_str());
            return 1;
        }
    }
    ZKT_FreeLowLevelAPI(0);
    GP2X_SimUninstall();
    return 0;
}
