// The low-level API: one flat set of ZKT_ functions that both back ends
// (desktop hardware model, handheld registers) implement. Everything above
// the back ends (runtime, parts, ui, debug, draw) talks to the hardware
// only through this header.
#ifndef ZKT_LOWLEVEL_H
#define ZKT_LOWLEVEL_H

#include <cstdint>

typedef uint8_t u8;
typedef uint16_t u16;
typedef uint32_t u32;
typedef int8_t s8;
typedef int16_t s16;
typedef int32_t s32;

// Result codes shared by every API function.
enum {
    ZKT_OK = 0,
    ZKT_ERR_INIT = 1,          // memory or SDL could not be obtained
    ZKT_ERR_NOT_AVAILABLE = 2, // not in this build or on this model
    ZKT_ERR_INVALID_ARG = 4,
    ZKT_LED_OFF = 5,
    ZKT_LED_ON = 6,
    ZKT_NO_DEVICE = 7,     // also: no SD card
    ZKT_NO_EVENT = 8,      // also: SD card present
    ZKT_SD_SWITCH = 9,     // SD card present, second switch signal set
    ZKT_EVENT_READY = 10,
    ZKT_OPEN2X_PROCEED = 12,
    ZKT_OPEN2X_QUIT = 13
};

// Video memory is one 8 MiB block; every picture address is an offset in it.
#define ZKT_VIDEO_MEM_SIZE 0x800000u
#define ZKT_DUALCORE_MEM_SIZE 0x500000u

// Button mask bits.
#define ZKT_BTN_UP 0x00001u
#define ZKT_BTN_UPLEFT 0x00002u
#define ZKT_BTN_LEFT 0x00004u
#define ZKT_BTN_DOWNLEFT 0x00008u
#define ZKT_BTN_DOWN 0x00010u
#define ZKT_BTN_DOWNRIGHT 0x00020u
#define ZKT_BTN_RIGHT 0x00040u
#define ZKT_BTN_UPRIGHT 0x00080u
#define ZKT_BTN_START 0x00100u   // right small button
#define ZKT_BTN_SELECT 0x00200u  // left small button
#define ZKT_BTN_L 0x00400u
#define ZKT_BTN_R 0x00800u
#define ZKT_BTN_A 0x01000u       // face button, left
#define ZKT_BTN_B 0x02000u       // face button, right
#define ZKT_BTN_X 0x04000u       // face button, bottom
#define ZKT_BTN_Y 0x08000u       // face button, top
#define ZKT_BTN_VOLDOWN 0x10000u
#define ZKT_BTN_VOLUP 0x20000u
#define ZKT_BTN_PUSH 0x40000u
#define ZKT_BTN_EXIT 0x80000u

// --- API state, video memory and lifecycle ---
u32 ZKT_InitLowLevelAPI(const char *caption);
u32 ZKT_FreeLowLevelAPI(u32 bReturnToMenu);
u32 ZKT_GetDisplayMode(u32 *pMode, u32 *pBitDepth);
u32 ZKT_SetDisplayMode(u32 mode, u32 bitDepth);

// The display modes, in one place: 0..4 the LCD (320 x 240), 5..18 an NTSC
// television (720 x 480), 19..32 a PAL one (720 x 576). Modes past 32 are a
// caller error and count as PAL, so nothing is sized from garbage.
constexpr bool ZKT_ModeIsLCD(u32 mode) { return mode <= 4; }
constexpr bool ZKT_ModeIsTV(u32 mode) { return mode >= 5; }
constexpr bool ZKT_ModeIsPAL(u32 mode) { return mode >= 19; }
constexpr s32 ZKT_ModeWidth(u32 mode) { return ZKT_ModeIsLCD(mode) ? 320 : 720; }
constexpr s32 ZKT_ModeHeight(u32 mode) { return ZKT_ModeIsLCD(mode) ? 240 : ZKT_ModeIsPAL(mode) ? 576 : 480; }
u32 ZKT_ModifyRGBbpp(u32 bitDepth);
u32 ZKT_GetDisplaySize(u32 *pWidth, u32 *pHeight);
u32 ZKT_SetTvInterlace(u32 bInterlace);
u32 ZKT_GetVideoBasePtr(u32 **ppBase);
u8 *ZKT_GetVideoPtrOn920(u32 offset);

// Shows the current layer state now: the desktop composes the emulated
// layers into its window; on the handheld the display controller composes
// by itself, so it does nothing there.
void ZKT_LowLevelAPI_SoftRender();

// --- Timing, frames and input ---
u32 ZKT_GetTime(u32 *pMs);
u32 ZKT_ResetFrameTime();
u32 ZKT_GetFrameTime(u32 *pMs);
u32 ZKT_GetFrameCount(u32 *pCount);
u32 ZKT_DelayMS(u32 ms);
u32 ZKT_WaitVSync();
u32 ZKT_WaitHSync();
u32 ZKT_WaitVSync2();
u32 ZKT_GetGP2XInputState(u32 *pButtons);
u32 ZKT_GetHIDEvent(u16 device, u16 *pType, u16 *pCode, u32 *pValue);
u32 ZKT_HIDDetection(u32 bOpen);
u32 ZKT_GetTouchScreen(u16 *p1, u16 *p2, u16 *p3);

// --- Display layers ---
u32 ZKT_SetYUVVideoPlane(u32 bPlaneA, u32 bEnable, u16 startX, u16 startY, u16 endX, u16 bottomEndY,
                         u16 splitY, u16 lineWidth, u32 topOffset, u32 topMirrorH, u32 topMirrorV,
                         u32 bottomOffset, u32 bottomMirrorH, u32 bottomMirrorV);
u32 ZKT_SetYUVVideoPlaneScaler(u32 bPlaneA, u32 bTop, u16 hScale, u16 vScale);
u32 ZKT_SetYUVVideoPlanePriority(u32 bFirstOnTop);
u32 ZKT_SetYUVSaturationAndHUE(u32 quadrant, u8 saturation, u8 hue);
u32 ZKT_SetYUVBrightness(s8 brightness);
u32 ZKT_SetYUVContrast(u8 contrast);
u32 ZKT_SetRGBStartAddress(u32 offset);
u32 ZKT_SetPalette(u16 first, const u32 *colors, u16 count);
u32 ZKT_SetRGBRegionColorKey(u32 color);
u32 ZKT_SetRGBRegionOperation(u32 region, u32 bEnable, u32 bShow, u16 blendMode, u16 alpha, u16 startX,
                              u16 startY, u16 endX, u16 endY);
u32 ZKT_SetCursorParams(u32 bEnable, u16 size, u32 color1, u32 color0, u32 bitmapOffset);
u32 ZKT_MoveCursor(u16 x, u16 y);
u32 ZKT_EnableGamma(u32 bEnable);
u32 ZKT_SetGamma(u16 first, const u32 *table, u16 count);

// --- OSD and SPU streams ---
u32 ZKT_SetOSDPlane(u32 bEnable, u32 evenFieldHeaderOffset, u32 oddFieldHeaderOffset);
u32 ZKT_SetOSDPalette(u16 first, const u32 *colors, u16 count);
u32 ZKT_WriteOSDHeader(u32 offset, u32 nextHeaderOffset, u16 firstColumn, u16 firstLine, u16 lastColumn,
                       u16 endLine, u16 bitsPerPixel, u32 bRunLength, u32 bAlpha, u32 bColorKey, u16 alpha,
                       u8 keyIndex);
u32 ZKT_SetSPUPlane(u32 bEnable, u32 bOnTopOfOSD, u32 bHighlight, u32 baseCmdOffset, u32 highlightOffset);
u32 ZKT_SetSPUColor(u16 index, u32 color);
u32 ZKT_WriteSPUBaseCmd(u32 offset, u32 bChangeList, u32 changeListOffset, u16 colorWord, u16 contrastWord,
                        u16 firstLine, u16 endLine, u32 topFieldOffset, u32 bottomFieldOffset);
u32 ZKT_WriteSPUChangeCmd(u32 offset, u32 bLast, u16 firstLine, u16 endLine, u16 count, const u16 *firstColumns,
                          const u16 *lastColumns, const u16 *colorWords, const u16 *contrastWords);
u32 ZKT_WriteSPUHighlightInfo(u32 offset, u16 leftColumn, u16 firstLine, u16 rightColumn, u16 endLine,
                              u16 colorWord, u16 contrastWord);

// --- Blitter ---
// flags: bits 0-7 raster operation, 0x100 8-bit pixels, 0x200 one-bit
// source, 0x400 and up transparency.
#define ZKT_BLT_8BIT 0x100u
#define ZKT_BLT_MONO 0x200u
#define ZKT_BLT_TRANSPARENT 0x400u
u32 ZKT_HwBitBlt(u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset, u32 srcPitch, u32 flags,
                 u16 transparentColor, u16 bgColor, u16 fgColor);
u32 ZKT_HwBitBltSemiFix(u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset, u32 srcPitch,
                        u32 flags, u16 transparentColor, u16 bgColor, u16 fgColor);
u32 ZKT_WaitHwBlitter(u32 bRotator);
u32 ZKT_HwBitBltRotate(u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset, u32 srcPitch,
                       u32 mode);

// --- Dual-core command channel ---
u32 ZKT_DualCoreStart();
u32 ZKT_DualCoreStop();
u32 ZKT_DualCorePause(u32 bPause);
u32 ZKT_DualCoreSendCmd(u32 command);
u32 ZKT_WaitArm940T();
u32 ZKT_DualCoreGetSendCmdCount(u32 *pCount);
u32 ZKT_DualCoreGetCmdProcessedCount(u32 *pCount);

// --- Device services ---
u32 ZKT_GetBatteryLEDState();
u32 ZKT_SetBatteryLEDState(u32 bOn);
u32 ZKT_GetPowerState(u16 *pLevel);
u32 ZKT_GetCPUClock(u32 *pMHz);
u32 ZKT_SetCPUClock(u32 mhz);
u32 ZKT_GetCurrentTVFieldOutput(u32 *pField);
u32 ZKT_GetSDState();
u32 ZKT_SaveOnDisk(u32 bEnable, const char *path);
u32 ZKT_GetHardwareModel(u32 *pModel);
u32 ZKT_GetFirmwareVersion(u32 *pVersion);
u32 ZKT_ReadMemRegister(u32 offset, u16 *pValue);
u32 ZKT_WriteMemRegister(u32 offset, u16 value);
u32 ZKT_InCX25874(u8 reg, u8 *pValue);
u32 ZKT_OutCX25874(u8 reg, u8 value);
u32 ZKT_WriteCloseCaption(u16 pair);
u32 ZKT_CC_SetChannel(u32 channel);
u32 ZKT_CC_SetCommand(u32 command);
u32 ZKT_CC_SetPosition(u32 row, u32 column);
u32 ZKT_CC_SetColor(u8 row, u8 attribute);
u32 ZKT_CC_printf(const char *format, ...);
u32 ZKT_CC_OutputToTV();

#endif
