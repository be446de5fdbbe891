// The simulated chip's state and the hardware behaviour it plays (time and
// sync signals, buttons, accelerator jobs, the two-wire bus, the second
// core), shared by the two halves of the simulated chip. Not for its users:
// they have zkt_gp2xSim.h.
#ifndef ZKT_GP2XSIM_CHIP_H
#define ZKT_GP2XSIM_CHIP_H

#include <atomic>
#include <deque>
#include <thread>
#include <vector>

#include "lowlevel/gp2x/zkt_gp2xSim.h"

namespace gp2x_sim {

constexpr u32 kLogCap = 4u << 20;
constexpr uint64_t kLcdFrameUs = 16667;
constexpr uint64_t kNtscFieldUs = 16683;
constexpr uint64_t kPalFieldUs = 20000;
constexpr uint64_t kSyncPulseUs = 600;
constexpr uint64_t kLinePeriodUs = 64;
constexpr uint64_t kLinePulseUs = 5;
constexpr u32 kBusyReads = 2; // busy-bit reads before a job completes

enum I2CState { I2C_IDLE, I2C_RECV, I2C_ACK, I2C_SEND, I2C_SEND_ACK };

struct Sim {
    GP2X_SIM_CONFIG cfg;
    u16 regs[GP2X_REG_SIZE / 2];
    u32 accel[GP2X_ACCEL_SIZE / 4];
    u8 *video;
    u8 *core;
    uint64_t timeUs;
    // The last read of a sync register, for PollSync.
    u32 pollAddr, pollRun;
    uint64_t pollTimeUs;
    u32 bMemOpen;
    u32 menuExecs;
    std::vector<GP2X_SIM_WRITE> log;
    // Buttons.
    u32 buttons;
    std::vector<GP2X_SIM_BUTTON_STEP> script;
    u32 scriptStep, scriptLeft, buttonReads;
    // Accelerator jobs.
    u32 blitBusy, rotBusy, blits, rotates;
    // Encoder and its bus.
    u8 enc[256];
    std::vector<u16> encLog;
    u32 scl, sda; // line levels as last seen
    I2CState i2c;
    u32 i2cBit, i2cByteNo, i2cRead, i2cMasterAck, i2cDrive;
    u8 i2cByte, i2cPtr;
    // Devices.
    std::deque<u8> input[4];
    std::deque<u8> touch;
    // Second core.
    std::thread coreThread;
    std::atomic<u32> coreStop, coreClock;
};

extern Sim *s_pSim;

// ------------------------------------------------------------ register cells

inline u16 &Cell(u32 phys)
{
    return s_pSim->regs[(phys & 0xFFFEu) >> 1];
}

inline bool InRegs(u32 phys) { return phys >= GP2X_REG_BASE && phys < GP2X_REG_BASE + GP2X_REG_SIZE; }
inline bool InAccel(u32 phys) { return phys >= GP2X_ACCEL_BASE && phys < GP2X_ACCEL_BASE + GP2X_ACCEL_SIZE; }

// Time and sync.
uint64_t FieldUs();
u32 VSyncHigh();
u32 HSyncHigh();
u32 TVField();
// After a read of a sync register (GPIO port B or the display's sync
// register): a long enough run of such reads is a wait for a level to
// change, and time runs on to just before the register changes.
void PollSync(u32 phys);
// Buttons: the port levels for a button word; one read of the button state.
void ButtonLevels(u32 mask);
void NextButtonRead();
// Accelerator jobs, run when their busy bit is polled.
void RunBlit();
void RunRotate();
// The encoder's side of the two-wire bus, after a change of the port.
void UpdateBus();
// The second core's thread: started when the core leaves reset.
void CoreThread();
void StopCore();

} // namespace gp2x_sim

#endif
