// The simulated handheld chip (see zkt_gp2xSim.h): its platform hooks,
// the firmware's register values, installation and the test interface.
#include "lowlevel/gp2x/zkt_gp2xSim_chip.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace gp2x_sim;

namespace {

// ------------------------------------------------------------ platform hooks

u32 SimRegRead(u32 phys, u32 width)
{
    Sim &s = *s_pSim;
    s.timeUs++;
    if (InAccel(phys)) {
        u32 off = phys - GP2X_ACCEL_BASE;
        if (off == GP2X_BLT_RUN && s.blitBusy && --s.blitBusy == 0) {
            RunBlit();
            s.accel[GP2X_BLT_RUN / 4] &= ~GP2X_ACCEL_BUSY;
        }
        if (off == GP2X_ROT_CTRL && s.rotBusy && --s.rotBusy == 0) {
            RunRotate();
            s.accel[GP2X_ROT_CTRL / 4] &= ~GP2X_ACCEL_BUSY;
        }
        return s.accel[(off & 0x1FC) >> 2];
    }
    if (!InRegs(phys))
        return 0;
    switch (phys & ~1u) {
    case GP2X_RTC_SECONDS: return (u32)(s.timeUs / 1000000);
    case GP2X_RTC_TICKS: return (u32)((s.timeUs % 1000000) * 1024 / 1000000);
    case GP2X_GPIOB_LEVEL:
        Cell(phys) = (u16)((Cell(phys) & ~(GP2X_PB_SCL | GP2X_PB_SDA | GP2X_PB_VSYNC | GP2X_PB_HSYNC)) |
                            (s.scl ? GP2X_PB_SCL : 0) | (s.sda ? GP2X_PB_SDA : 0) |
                            (VSyncHigh() ? GP2X_PB_VSYNC : 0) | (HSyncHigh() ? GP2X_PB_HSYNC : 0));
        PollSync(phys & ~1u);
        break;
    case GP2X_GPIOC_LEVEL: NextButtonRead(); break;
    case GP2X_DPC_SYNC:
        Cell(phys) = (u16)((Cell(phys) & ~GP2X_DPC_SYNC_TV) | (VSyncHigh() ? GP2X_DPC_SYNC_TV : 0));
        PollSync(phys & ~1u);
        break;
    }
    if (width == 32)
        return (u32)Cell(phys) | (u32)Cell(phys + 2) << 16;
    return Cell(phys);
}

void SimRegWrite(u32 phys, u32 value, u32 width)
{
    Sim &s = *s_pSim;
    s.pollAddr = 0; // a write ends any wait
    if (s.log.size() < kLogCap)
        s.log.push_back({phys, value, width});
    if (InAccel(phys)) {
        u32 off = phys - GP2X_ACCEL_BASE;
        s.accel[(off & 0x1FC) >> 2] = value;
        if (off == GP2X_BLT_RUN && (value & GP2X_ACCEL_BUSY))
            s.blitBusy = kBusyReads;
        if (off == GP2X_ROT_CTRL && (value & GP2X_ACCEL_BUSY))
            s.rotBusy = kBusyReads;
        return;
    }
    if (!InRegs(phys))
        return;
    if (width == 32) {
        Cell(phys) = (u16)value;
        Cell(phys + 2) = (u16)(value >> 16);
        return;
    }
    Cell(phys) = (u16)value;
    switch (phys & ~1u) {
    case GP2X_PLL_SET: Cell(GP2X_PLL_VALUE) = (u16)value; break; // the PLL takes the new value
    case GP2X_GPIOH_OUT: Cell(GP2X_GPIOH_LEVEL) = (u16)value; break; // port H pins follow the output
    case GP2X_GPIOB_FUNC:
    case GP2X_GPIOB_OUT: UpdateBus(); break;
    case GP2X_CLK_ENABLE: s.coreClock.store(value & GP2X_CLK_940); break;
    case GP2X_940_CTRL:
        if (value == GP2X_940_RUN && !s.coreThread.joinable()) {
            s.coreStop.store(0);
            s.coreThread = std::thread(CoreThread);
        } else if (value != GP2X_940_RUN) {
            StopCore();
        }
        break;
    }
}

u32 SimOpenMem()
{
    s_pSim->bMemOpen = 1;
    return 0;
}

void SimCloseMem()
{
    s_pSim->bMemOpen = 0;
}

void *SimMap(u32 phys, u32 len)
{
    Sim &s = *s_pSim;
    if (!s.bMemOpen)
        return nullptr;
    auto inside = [&](u32 base, u32 size) { return phys >= base && len <= size && phys - base <= size - len; };
    if (inside(GP2X_REG_BASE, GP2X_REG_SIZE))
        return (u8 *)s.regs + (phys - GP2X_REG_BASE);
    if (inside(GP2X_ACCEL_BASE, GP2X_ACCEL_SIZE))
        return (u8 *)s.accel + (phys - GP2X_ACCEL_BASE);
    if (inside(GP2X_VIDEO_BASE, GP2X_VIDEO_SIZE))
        return s.video + (phys - GP2X_VIDEO_BASE);
    if (inside(GP2X_940_BASE, GP2X_940_SIZE))
        return s.core + (phys - GP2X_940_BASE);
    return nullptr;
}

void SimUnmap(void *, u32) {}

s32 SimOpenDevice(const char *path)
{
    Sim &s = *s_pSim;
    if (std::strcmp(path, "/dev/touchscreen/wm97xx") == 0)
        return s.cfg.bTouchScreen ? 200 : -1;
    for (u32 i = 0; i < s.cfg.nInputDevices && i < 4; i++) {
        char name[32];
        std::snprintf(name, sizeof name, "/dev/input/event%u", i);
        if (std::strcmp(path, name) == 0)
            return (s32)(100 + i);
    }
    return -1;
}

s32 SimRead(s32 fd, void *buf, u32 len)
{
    Sim &s = *s_pSim;
    std::deque<u8> *q = fd == 200 ? &s.touch : (fd >= 100 && fd < 104 ? &s.input[fd - 100] : nullptr);
    if (!q || q->empty())
        return -1; // nothing waiting on a non-blocking device
    u32 n = (u32)q->size() < len ? (u32)q->size() : len;
    for (u32 i = 0; i < n; i++) {
        ((u8 *)buf)[i] = q->front();
        q->pop_front();
    }
    return (s32)n;
}

void SimClose(s32) {}

u32 SimReadTextFile(const char *path, char *buf, u32 size)
{
    Sim &s = *s_pSim;
    if (std::strcmp(path, "/usr/gp2x/version") != 0 || !s.cfg.strVersion || size == 0)
        return 0;
    std::snprintf(buf, size, "%s", s.cfg.strVersion);
    return (u32)std::strlen(buf);
}

void SimExecMenu()
{
    s_pSim->menuExecs++;
}

const GP2X_PLATFORM s_SimPlatform = {
    "simulated chip", SimOpenMem, SimCloseMem, SimMap,     SimUnmap, SimOpenDevice, SimRead,
    SimClose,         SimReadTextFile, SimExecMenu, SimRegRead, SimRegWrite,
};

// The firmware's register values: a distinct pattern in every saved
// register, then the ones the back end reads for meaning.
void FirmwareState(Sim &s)
{
    for (u32 i = 0; i < GP2X_SAVED_REG_COUNT; i++)
        Cell(GP2X_SAVED_REGS[i]) = (u16)(0x0A00 + 0x31 * i);
    const GP2X_SIM_CONFIG &c = s.cfg;
    Cell(GP2X_CLK_ENABLE) = 0x0400;
    Cell(GP2X_PLL_VALUE) = 0x4904; // 199 MHz
    Cell(GP2X_CPU_DIVIDER) = 0;
    const u32 setup = c.bTvOut ? (c.bPAL ? GP2X_DPC_PAL_SETUP : GP2X_DPC_NTSC_SETUP) : GP2X_DPC_LCD_SETUP;
    Cell(GP2X_DPC_CTRL) = (u16)(GP2X_DPC_ON | setup);
    Cell(GP2X_DPC_LAST_LINE) = c.usLastLine;
    Cell(GP2X_RGB_FIELD2_ADDR) = c.usRGBAddrLow;
    Cell(GP2X_RGB_FIELD2_ADDR + 2) = 0x0310; // frame buffer in the second core's memory
    Cell(GP2X_GPIOC_LEVEL) = 0xFFFF;
    Cell(GP2X_GPIOD_LEVEL) = (u16)(0xFFFF & ~GP2X_PD_SD_SWITCH);
    Cell(GP2X_GPIOM_LEVEL) = 0xFFFF;
    Cell(GP2X_GPIOI_LEVEL) = (u16)(0xFFFF & ~(c.bModel257 ? GP2X_PI_MODEL257 : 0u) & ~(c.bSDCard ? GP2X_PI_NO_SD : 0u));
    Cell(GP2X_GPIOH_LEVEL) = GP2X_PH_LED; // LED off
    Cell(GP2X_BATTERY) = 0x02A5;
}

} // namespace

void GP2X_SimDefaultConfig(GP2X_SIM_CONFIG *cfg)
{
    *cfg = GP2X_SIM_CONFIG{};
    cfg->usLastLine = 240;
    cfg->usRGBAddrLow = 0x1000;
    cfg->strVersion = "2.1.1";
    cfg->nInputDevices = 0;
}

void GP2X_SimInstall(const GP2X_SIM_CONFIG *cfg)
{
    GP2X_SimUninstall();
    Sim *s = new Sim();
    s->cfg = *cfg;
    s->video = (u8 *)std::calloc(GP2X_VIDEO_SIZE, 1);
    s->core = (u8 *)std::calloc(GP2X_940_SIZE, 1);
    s->timeUs = 1000ull * 1000000ull + 123456; // the clock has been running for a while
    s->scl = s->sda = 1;
    s->coreStop.store(0);
    s->coreClock.store(0);
    s_pSim = s;
    FirmwareState(*s);
    s->coreClock.store(Cell(GP2X_CLK_ENABLE) & GP2X_CLK_940);
    g_pGP2XPlatform = &s_SimPlatform;
}

void GP2X_SimUninstall()
{
    if (!s_pSim)
        return;
    StopCore();
    if (g_pGP2XPlatform == &s_SimPlatform)
        g_pGP2XPlatform = &g_GP2XHandheldPlatform;
    std::free(s_pSim->video);
    std::free(s_pSim->core);
    delete s_pSim;
    s_pSim = nullptr;
}

u32 GP2X_SimInstallFromEnvironment()
{
    const char *v = std::getenv("VORN_SIMULATED_CHIP");
    if (!v || !*v || std::strcmp(v, "0") == 0)
        return 0;
    GP2X_SIM_CONFIG cfg;
    GP2X_SimDefaultConfig(&cfg);
    // "ntsc" or "pal": the firmware left a television of that kind running.
    if (std::strcmp(v, "ntsc") == 0 || std::strcmp(v, "pal") == 0) {
        cfg.bTvOut = 1;
        cfg.bPAL = v[0] == 'p';
        cfg.usLastLine = cfg.bPAL ? 287 : 239;
    }
    GP2X_SimInstall(&cfg);
    return 1;
}

u16 GP2X_SimPeek16(u32 phys) { return Cell(phys); }
u32 GP2X_SimPeek32(u32 phys)
{
    if (InAccel(phys))
        return s_pSim->accel[((phys - GP2X_ACCEL_BASE) & 0x1FC) >> 2];
    return (u32)Cell(phys) | (u32)Cell(phys + 2) << 16;
}
void GP2X_SimPoke16(u32 phys, u16 value) { Cell(phys) = value; }

u32 GP2X_SimWriteCount() { return (u32)s_pSim->log.size(); }
const GP2X_SIM_WRITE *GP2X_SimWrites() { return s_pSim->log.data(); }
void GP2X_SimClearLog()
{
    s_pSim->log.clear();
    s_pSim->encLog.clear();
}
u32 GP2X_SimLastWrite(u32 phys, u32 *pFound)
{
    for (size_t i = s_pSim->log.size(); i-- > 0;)
        if (s_pSim->log[i].ulAddr == phys) {
            *pFound = 1;
            return s_pSim->log[i].ulValue;
        }
    *pFound = 0;
    return 0;
}

u8 GP2X_SimEncoderReg(u8 reg)
{
    // Register 6 reports the field being sent; register 2's caption-busy
    // bit is always clear.
    if (reg == 6)
        return (u8)(TVField() << 1);
    if (reg == 2)
        return (u8)(s_pSim->enc[2] & ~0x08);
    return s_pSim->enc[reg];
}
u32 GP2X_SimEncoderWriteCount() { return (u32)s_pSim->encLog.size(); }
const u16 *GP2X_SimEncoderWrites() { return s_pSim->encLog.data(); }

void GP2X_SimSetButtons(u32 mask)
{
    s_pSim->script.clear();
    s_pSim->scriptStep = 0;
    ButtonLevels(mask);
}

void GP2X_SimButtonScript(const GP2X_SIM_BUTTON_STEP *steps, u32 count)
{
    Sim &s = *s_pSim;
    s.script.assign(steps, steps + count);
    s.scriptStep = 0;
    s.scriptLeft = count && steps[0].ulPolls ? steps[0].ulPolls : 1;
}

u32 GP2X_SimButtonReads() { return s_pSim->buttonReads; }

uint64_t GP2X_SimTimeUs() { return s_pSim->timeUs; }
void GP2X_SimAdvanceUs(uint64_t us) { s_pSim->timeUs += us; }

void GP2X_SimPushInputEvent(u32 device, u16 type, u16 code, s32 value)
{
    u8 ev[16] = {};
    std::memcpy(ev + 8, &type, 2);
    std::memcpy(ev + 10, &code, 2);
    std::memcpy(ev + 12, &value, 4);
    s_pSim->input[device & 3].insert(s_pSim->input[device & 3].end(), ev, ev + 16);
}

void GP2X_SimPushTouchSample(u16 w0, u16 w1, u16 w2, u16 w3)
{
    u16 w[4] = {w0, w1, w2, w3};
    const u8 *p = (const u8 *)w;
    s_pSim->touch.insert(s_pSim->touch.end(), p, p + 8);
}

void GP2X_SimClockCore(u32 bOn) { s_pSim->coreClock.store(bOn ? 1u : 0u); }
u32 GP2X_SimMenuExecCount() { return s_pSim->menuExecs; }
u32 GP2X_SimMemIsOpen() { return s_pSim->bMemOpen; }
u32 GP2X_SimBlitCount() { return s_pSim->blits; }
u32 GP2X_SimRotateCount() { return s_pSim->rotates; }
u8 *GP2X_SimVideoMem() { return s_pSim ? s_pSim->video : nullptr; }
u8 *GP2X_Sim940Mem() { return s_pSim ? s_pSim->core : nullptr; }
