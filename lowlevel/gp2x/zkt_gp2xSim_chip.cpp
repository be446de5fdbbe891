// The simulated chip's hardware behaviour (see zkt_gp2xSim_chip.h).
#include "lowlevel/gp2x/zkt_gp2xSim_chip.h"

#include <chrono>

#include "lowlevel/common/zkt_blitcore.h"

namespace gp2x_sim {

Sim *s_pSim = nullptr;

// ------------------------------------------------------------ time and sync

uint64_t FieldUs()
{
    if (!(Cell(GP2X_DPC_CTRL) & GP2X_DPC_TV))
        return kLcdFrameUs;
    return (Cell(GP2X_DPC_CTRL) & GP2X_DPC_PAL) ? kPalFieldUs : kNtscFieldUs;
}

u32 VSyncHigh() { return s_pSim->timeUs % FieldUs() < kSyncPulseUs; }
u32 HSyncHigh() { return s_pSim->timeUs % kLinePeriodUs < kLinePulseUs; }
u32 TVField() { return (u32)(s_pSim->timeUs / FieldUs()) & 1; }

// Reads take a microsecond each, so a wait for the vertical sync would be
// some 16000 reads a frame. A run of reads of the same register at
// consecutive microseconds, longer than any counted delay (the two-wire
// bus waits 8 reads), is such a wait: time moves on to the microsecond
// before the register next changes. Every read still returns what it
// would have at its time; only the number of reads in the wait shrinks.
constexpr u32 kPollRunBeforeSkip = 12;

void PollSync(u32 phys)
{
    Sim &s = *s_pSim;
    if (phys != s.pollAddr || s.timeUs != s.pollTimeUs + 1) {
        s.pollAddr = phys;
        s.pollRun = 0;
    } else if (s.pollRun < kPollRunBeforeSkip) {
        s.pollRun++;
    } else {
        const uint64_t t = s.timeUs, field = FieldUs(), phase = t % field;
        uint64_t next = t - phase + (phase < kSyncPulseUs ? kSyncPulseUs : field);
        if (phys == GP2X_GPIOB_LEVEL) {
            const uint64_t line = t % kLinePeriodUs;
            const uint64_t hsync = t - line + (line < kLinePulseUs ? kLinePulseUs : kLinePeriodUs);
            next = hsync < next ? hsync : next;
        }
        s.timeUs = next - 1;
    }
    s.pollTimeUs = s.timeUs;
}

// ------------------------------------------------------------ buttons

void ButtonLevels(u32 mask)
{
    if (mask & ZKT_BTN_EXIT)
        mask |= ZKT_BTN_L | ZKT_BTN_R;
    // Inputs read low while pressed.
    Cell(GP2X_GPIOM_LEVEL) = (u16)((Cell(GP2X_GPIOM_LEVEL) & ~GP2X_PM_STICK) | (~mask & GP2X_PM_STICK));
    Cell(GP2X_GPIOC_LEVEL) = (u16)((Cell(GP2X_GPIOC_LEVEL) & ~GP2X_PC_BUTTONS) | (~mask & GP2X_PC_BUTTONS));
    const u32 dBits = 3u << GP2X_PD_VOLUME_SHIFT | 1u << GP2X_PD_STICK_SHIFT;
    u16 d = (u16)(Cell(GP2X_GPIOD_LEVEL) & ~dBits);
    d |= (u16)((~mask >> 16 & 3) << GP2X_PD_VOLUME_SHIFT | (~mask >> 18 & 1) << GP2X_PD_STICK_SHIFT);
    Cell(GP2X_GPIOD_LEVEL) = d;
}

void NextButtonRead()
{
    Sim &s = *s_pSim;
    s.buttonReads++;
    if (s.scriptStep >= s.script.size())
        return;
    ButtonLevels(s.script[s.scriptStep].ulMask);
    if (--s.scriptLeft == 0 && s.scriptStep + 1 < s.script.size()) {
        s.scriptStep++;
        s.scriptLeft = s.script[s.scriptStep].ulPolls ? s.script[s.scriptStep].ulPolls : 1;
    }
}

// ------------------------------------------------------------ accelerator jobs

void RunBlit()
{
    Sim &s = *s_pSim;
    u32 *a = s.accel;
    u32 b16 = a[GP2X_BLT_DST_CTRL / 4] & 0x20;     // 16-bit destination
    u32 bMono = a[GP2X_BLT_SRC_CTRL / 4] & 0x40;   // one-bit source
    u32 bSrc8 = !(a[GP2X_BLT_SRC_CTRL / 4] & 0x20); // 8-bit colour source
    u32 rop = a[GP2X_BLT_CTRL / 4] & 0xFF;
    u32 flags = rop | (b16 ? 0u : 0x100u) | (bMono ? 0x200u : 0u) | ((a[GP2X_BLT_CTRL / 4] & 0x800) ? 0x400u : 0u);
    u32 dst = a[GP2X_BLT_DST_ADDR / 4] - GP2X_VIDEO_BASE;
    u32 src = a[GP2X_BLT_SRC_ADDR / 4] - GP2X_VIDEO_BASE;
    u32 dstPitch = b16 ? a[GP2X_BLT_DST_PITCH / 4] / 2 : a[GP2X_BLT_DST_PITCH / 4];
    const u32 srcReg = a[GP2X_BLT_SRC_PITCH / 4];
    u32 srcPitch = bMono ? srcReg * 8 : (bSrc8 ? srcReg : srcReg / 2);
    u32 size = a[GP2X_BLT_SIZE / 4];
    // Jobs outside video memory are cut to it by the raster engine; a
    // source the operation never reads may point anywhere.
    if (rop == 0 || rop == 5 || rop == 10 || rop == 15)
        src = dst;
    ZKT_BlitRun(s.video, GP2X_VIDEO_SIZE, dst, dstPitch, (u16)size, (u16)(size >> 16), src, srcPitch, flags,
                (u16)a[GP2X_BLT_KEY / 4], (u16)a[GP2X_BLT_BG / 4], (u16)a[GP2X_BLT_FG / 4]);
    s.blits++;
}

void RunRotate()
{
    Sim &s = *s_pSim;
    u32 *a = s.accel;
    u32 ctrl = a[GP2X_ROT_CTRL / 4];
    u32 angle = (ctrl >> 3) & 3, bpp = ((ctrl >> 1) & 3) + 1;
    u32 g = a[GP2X_ROT_SRC_PITCH / 4], size = a[GP2X_ROT_SIZE / 4];
    u32 width = size & 0xFFFF, height = size >> 16;
    u32 l = 0;
    if (angle == 1)
        l = g * (height - 1);
    else if (angle == 2)
        l = g * (height - 1) + bpp * (width - 1);
    else if (angle == 3)
        l = bpp * (width - 1);
    u32 src = a[GP2X_ROT_SRC_ADDR / 4] - l - GP2X_VIDEO_BASE;
    u32 dst = a[GP2X_ROT_DST_ADDR / 4] - GP2X_VIDEO_BASE;
    ZKT_BlitRotateRun(s.video, GP2X_VIDEO_SIZE, dst, a[GP2X_ROT_DST_PITCH / 4] / bpp, (u16)width, (u16)height, src, g / bpp,
                      (bpp - 1) * 4 + angle);
    s.rotates++;
}

// ------------------------------------------------------------ two-wire bus

void UpdateBus()
{
    Sim &s = *s_pSim;
    u32 func = Cell(GP2X_GPIOB_FUNC), out = Cell(GP2X_GPIOB_OUT);
    u32 scl = (func & 1) ? (out & 1) : 1;
    u32 masterSda = (func & 2) ? (out >> 1 & 1) : 1;
    u32 sda = masterSda & (s.i2cDrive ? 0u : 1u);
    u32 oldScl = s.scl, oldSda = s.sda;
    s.scl = scl;
    s.sda = sda;
    if (oldScl && scl && oldSda && !sda) { // start
        s.i2c = I2C_RECV;
        s.i2cBit = 0;
        s.i2cByte = 0;
        s.i2cByteNo = 0;
        s.i2cDrive = 0;
        return;
    }
    if (oldScl && scl && !oldSda && sda) { // stop
        s.i2c = I2C_IDLE;
        s.i2cDrive = 0;
        return;
    }
    if (!oldScl && scl) { // rising clock: sample
        if (s.i2c == I2C_RECV) {
            s.i2cByte = (u8)(s.i2cByte << 1 | sda);
            s.i2cBit++;
        } else if (s.i2c == I2C_SEND_ACK) {
            s.i2cMasterAck = !sda;
        }
        return;
    }
    if (oldScl && !scl) { // falling clock: the slave changes its output
        switch (s.i2c) {
        case I2C_RECV:
            if (s.i2cBit < 8)
                break;
            if (s.i2cByteNo == 0) {
                if ((s.i2cByte & 0xFE) != GP2X_CX25874_ADDR) {
                    s.i2c = I2C_IDLE; // not ours: no acknowledge
                    break;
                }
                s.i2cRead = s.i2cByte & 1;
            } else if (s.i2cByteNo == 1) {
                s.i2cPtr = s.i2cByte;
            } else {
                s.enc[s.i2cPtr] = s.i2cByte;
                s.encLog.push_back((u16)(s.i2cPtr << 8 | s.i2cByte));
                s.i2cPtr++;
            }
            s.i2cByteNo++;
            s.i2cDrive = 1;
            s.i2c = I2C_ACK;
            break;
        case I2C_ACK:
            s.i2cDrive = 0;
            s.i2cBit = 0;
            s.i2cByte = 0;
            if (s.i2cRead) {
                s.i2cByte = GP2X_SimEncoderReg(s.i2cPtr++);
                s.i2cDrive = !(s.i2cByte & 0x80);
                s.i2c = I2C_SEND;
            } else {
                s.i2c = I2C_RECV;
            }
            break;
        case I2C_SEND:
            s.i2cBit++;
            if (s.i2cBit == 8) {
                s.i2cDrive = 0;
                s.i2c = I2C_SEND_ACK;
            } else {
                s.i2cDrive = !((s.i2cByte >> (7 - s.i2cBit)) & 1);
            }
            break;
        case I2C_SEND_ACK:
            if (s.i2cMasterAck) {
                s.i2cByte = GP2X_SimEncoderReg(s.i2cPtr++);
                s.i2cBit = 0;
                s.i2cDrive = !(s.i2cByte & 0x80);
                s.i2c = I2C_SEND;
            } else {
                s.i2c = I2C_IDLE;
            }
            break;
        case I2C_IDLE: break;
        }
        s.sda = masterSda & (s.i2cDrive ? 0u : 1u);
    }
}

// ------------------------------------------------------------ second core

// What the second core's program does, on a thread: serve the queue while
// the core is out of reset and clocked.
void CoreThread()
{
    Sim &s = *s_pSim;
    u8 *data = s.core + GP2X_940_DATA;
    u32 *h = ARM940_Word(data, ARM940_HEADER);
    u32 *slots = ARM940_Word(data, ARM940_SLOTS);
    while (!s.coreStop.load()) {
        if (!s.coreClock.load() || __atomic_load_n(&h[ARM940_HDR_PENDING], __ATOMIC_SEQ_CST) == 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        u32 r = h[ARM940_HDR_READ];
        (void)__atomic_load_n(&slots[r], __ATOMIC_SEQ_CST); // read before it is counted done
        u32 cap = h[ARM940_HDR_CAPACITY] ? h[ARM940_HDR_CAPACITY] : ARM940_CAPACITY;
        h[ARM940_HDR_READ] = r + 1 >= cap ? 0 : r + 1;
        __atomic_store_n(ARM940_Word(data, ARM940_FLAG), 1u, __ATOMIC_SEQ_CST);
        ARM940_ChangePending(data, 1, 0xFFFFFFFFu);
        __atomic_fetch_add(&h[ARM940_HDR_PROCESSED], 1u, __ATOMIC_SEQ_CST);
    }
}

void StopCore()
{
    Sim &s = *s_pSim;
    if (s.coreThread.joinable()) {
        s.coreStop.store(1);
        s.coreThread.join();
    }
}

} // namespace gp2x_sim
