// A simulated handheld chip behind the back end's platform interface: its
// register block, 2D accelerator, video memory and second-core memory are
// memory blocks here, and it plays the part of the hardware the back end
// waits on: the real-time clock and the sync signals advance with simulated
// time (one microsecond per register read, plus whatever a test adds), the
// blitter and rotator really perform their jobs on the video memory before
// their busy bits clear, the television encoder answers on the two-wire
// bus, buttons follow a script, and a thread serves the second core's
// command queue while the core is out of reset and clocked. Every register
// write is logged in order.
#ifndef ZKT_GP2XSIM_H
#define ZKT_GP2XSIM_H

#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

// What the firmware left behind when the program starts.
struct GP2X_SIM_CONFIG {
    u32 bTvOut;             // a television is being driven
    u32 bPAL;               // ... a PAL one
    u16 usLastLine;         // GP2X_DPC_LAST_LINE
    u16 usRGBAddrLow;       // GP2X_RGB_FIELD2_ADDR: 0x1000 on the expected firmware
    u32 bTouchScreen;       // the touch-screen device exists (model 256)
    u32 bModel257;          // ... and GP2X_GPIOI_LEVEL bit 12 reads 0
    const char *strVersion; // text of the firmware version file; null when missing
    u32 nInputDevices;      // input event devices present, 0 to 4
    u32 bSDCard;            // a card is in the slot
};

struct GP2X_SIM_WRITE {
    u32 ulAddr; // physical address
    u32 ulValue;
    u32 ulWidth; // 16 or 32
};

struct GP2X_SIM_BUTTON_STEP {
    u32 ulMask;  // button word held
    u32 ulPolls; // for this many reads of the button state
};

// The expected firmware on the LCD model without touch screen.
void GP2X_SimDefaultConfig(GP2X_SIM_CONFIG *cfg);
// Builds a fresh chip from cfg and makes it the back end's platform.
void GP2X_SimInstall(const GP2X_SIM_CONFIG *cfg);
// Stops the second core's thread, frees the chip and restores the
// handheld's platform.
void GP2X_SimUninstall();
// Installs the simulated chip when VORN_SIMULATED_CHIP is set to a non-empty
// value other than "0" ("ntsc" or "pal": with a television attached);
// returns 1 when it did.
u32 GP2X_SimInstallFromEnvironment();

// Register state without side effects (no log, no time).
u16 GP2X_SimPeek16(u32 phys);
u32 GP2X_SimPeek32(u32 phys);
void GP2X_SimPoke16(u32 phys, u16 value);

// The ordered log of register and accelerator writes.
u32 GP2X_SimWriteCount();
const GP2X_SIM_WRITE *GP2X_SimWrites();
void GP2X_SimClearLog();
// The last value written to phys since the log was cleared; 0 with
// *pFound = 0 when there was none.
u32 GP2X_SimLastWrite(u32 phys, u32 *pFound);

// Television encoder registers and the ordered log of bytes written to
// them over the bus (register << 8 | value).
u8 GP2X_SimEncoderReg(u8 reg);
u32 GP2X_SimEncoderWriteCount();
const u16 *GP2X_SimEncoderWrites();

// Buttons: held now, or a script played one step per button read; the
// last step's mask stays.
void GP2X_SimSetButtons(u32 mask);
void GP2X_SimButtonScript(const GP2X_SIM_BUTTON_STEP *steps, u32 count);
u32 GP2X_SimButtonReads();

// Simulated time in microseconds.
uint64_t GP2X_SimTimeUs();
void GP2X_SimAdvanceUs(uint64_t us);

// Devices.
void GP2X_SimPushInputEvent(u32 device, u16 type, u16 code, s32 value);
void GP2X_SimPushTouchSample(u16 w0, u16 w1, u16 w2, u16 w3);
// Starts or stops the second core's clock from outside the main thread (as
// a debugger would); the register keeps what the back end wrote.
void GP2X_SimClockCore(u32 bOn);
u32 GP2X_SimMenuExecCount();
u32 GP2X_SimMemIsOpen();
u32 GP2X_SimBlitCount();
u32 GP2X_SimRotateCount();

// Memory blocks (null while not installed).
u8 *GP2X_SimVideoMem();
u8 *GP2X_Sim940Mem();

#endif
