// The desktop hardware model: every register of the emulated display
// controller lives in one of these globals. The setters write them; the
// software compositor reads them and nothing else.
#ifndef ZKT_LOWLEVELWIN_H
#define ZKT_LOWLEVELWIN_H

#include <atomic>
#include <cstddef>

#include "lowlevel/zkt_lowLevel.h"

struct SDL_Surface;
struct SDL_Thread;

struct RGBLayerRegion {
    u32 bEnable;
    u32 bShow;
    u16 usBlendMode; // 0 = region 5's defaults, 1 = colour key then alpha, other = alpha only
    u16 usAlpha;     // 0..15
    u16 usStartX, usEndX;
    u16 usStartY, usEndY;
};
static_assert(sizeof(RGBLayerRegion) == 20, "RGBLayerRegion layout");

struct YUVPlane {
    u32 bEnable;
    u16 usStartX, usStartY, usEndX;
    u16 usBottomEndY;
    u16 usSplitY;
    u16 usLineWidth;
    u32 ulTopOffset, ulBottomOffset;
    u32 bTopMirrorH, bTopMirrorV, bBottomMirrorH, bBottomMirrorV;
};
static_assert(offsetof(YUVPlane, ulTopOffset) == 16, "YUVPlane layout");
static_assert(sizeof(YUVPlane) == 40, "YUVPlane layout");

struct YUVScaler {
    u16 usHScale, usVScale; // source step in 1/1024 per output pixel / line
};
static_assert(sizeof(YUVScaler) == 4, "YUVScaler layout");

struct CursorLayer {
    u16 usX, usY;
    u32 bEnable;
    u32 bLarge; // 64x64 when set, else 32x32
    u32 ulColor1, ulColor0;
    u32 ulBitmapOffset;
};
static_assert(sizeof(CursorLayer) == 24, "CursorLayer layout");

// The command queue header, shared without a lock between the main thread
// and the second-core thread. ulPending is changed from both sides.
struct DualCoreItemHdr {
    u32 ulWriteIndex;
    u32 ulReadIndex;
    std::atomic<u32> ulPending;
    u32 ulCapacity;
    u32 ulSentCount;
    std::atomic<u32> ulProcessedCount;
    u32 *pWriteBuffer;
    u32 *pReadBuffer;
};

#define ZKT_DUALCORE_CAPACITY 1000u
#define ZKT_MAX_OUT_W 720
#define ZKT_MAX_OUT_H 576

extern u8 *g_GP2X_VIDEO_BASE_PTR;
extern u8 *g_pGP2X_DUALCORE_MEM;
extern SDL_Surface *g_Screen;
extern u32 g_ulDISPLAY_MODE;
extern s32 g_nScreenSizeX, g_nScreenSizeY;
extern s32 g_nColorBitDepth;
extern u32 g_ulRGBVideoMemOffset;
extern u32 g_ulRGBColorTable[256];
extern u32 g_ulRegionColorKey;
extern RGBLayerRegion g_RGBLayerRegion[5];
extern YUVPlane g_YUVPlane[2];
extern YUVScaler g_YUVScaler[4];
extern u32 g_bYUVFirstPlanePriority;
extern s8 g_sMLC_HUECb_A[4], g_sMLC_HUECb_B[4], g_sMLC_HUECr_A[4], g_sMLC_HUECr_B[4];
extern s8 g_scYUVBrightness;
extern u8 g_ucYUVContrast;
extern CursorLayer g_cursorLayer;
extern u32 g_bOSDLayerEnable;
extern u32 g_ulOSDHeaderOddField, g_ulOSDHeaderEvenField;
extern u32 g_ulOSDPalette[256];
extern u32 g_bSPULayerEnable;
extern u32 g_bSPUonTopOfOSDLayer;
extern u32 g_bSPUHighlight;
extern u32 g_ulSPUBaseCmdMemOffset;
extern u32 g_ulSPUHighlightInfoMemOffset;
extern u32 g_ulSPUColorPalette[16];
extern u32 g_bEnableGamma;
extern u32 g_ulGammaTable[256];
extern u32 g_bGP2XBatteryLEDState;
extern u32 g_bSaveOnDisk;
extern char g_strSaveFilePath[272];
extern s32 g_nDiskWriteFrameID;
extern u32 g_ulGP2X_FRAME_COUNT;
extern u32 g_ulGP2XInputStateWinGUI;
extern SDL_Thread *g_ThreadId;
extern DualCoreItemHdr g_dualCoreItemHdr;
extern u32 g_ulDualCoreMsg[ZKT_DUALCORE_CAPACITY];

// RGB layer source size per display mode (0..32).
extern const s32 g_nModeSizeX[33];
extern const s32 g_nModeSizeY[33];

// Empties the command queue: indices and counts 0, capacity 1000, both
// buffer pointers to g_ulDualCoreMsg. ZKT_InitLowLevelAPI calls it; a
// restart of the second core does not.
void ZKT_DualCoreResetQueue();
// Pause of the emulation thread after each command, in ms (5, as the real
// core's pace). Only tests shorten it.
extern std::atomic<u32> g_ulArm940CmdPauseMs;

// The television field the encoder would be sending at ms in the given
// display mode; ZKT_GetCurrentTVFieldOutput applies it to the clock.
u32 ZKT_WinTVFieldAt(u32 mode, u32 ms, u32 *pField);

// Takes every pending window event; see ZKT_GetGP2XInputState. A button
// pressed and released within one read is reported held by that read. Key
// events of the device mode queue up and are taken one per read with
// bGP2XMode 0. A window close or SIGINT/SIGTERM sets the leave bit for good,
// in either mode.
u32 ZKT_WinReadSDLEvent(u32 bGP2XMode, u32 *pButtons, u16 *pType, u16 *pCode, u32 *pValue);
// The pointer in window coordinates and whether the left button counts as
// pressed: held now, or clicked since the last call (so a click shorter than
// a frame is still seen once).
u32 ZKT_WinReadPointer(s32 *pX, s32 *pY);
// Start-up of the input side (zkt_lowLevelWin_input.cpp): the keyboard back
// to buttons with nothing pressed or queued, before the window opens; SDL's
// quit filter, once video is up; the window title.
void ZKT_WinResetInput();
void ZKT_WinInstallEventHandling();
void ZKT_WinSetCaption(const char *caption);
// 1 while the keyboard acts as the buttons, 0 in the device mode.
u32 ZKT_WinKeyboardIsButtons();
// Text appended to the window title (state of the viewer controls).
void ZKT_WinSetCaptionExtra(const char *extra);
void ZKT_WinSetCaptionLayers(const char *text);

// --- Viewer (zkt_winview.cpp): how the window picture is shown ---
// The window picture stays the compositor's own surface (g_Screen) at its
// size; only its copy to SDL's screen is scaled (nearest neighbour) or
// centred on a black full screen, and the help is drawn on that copy.
#define ZKT_VIEW_MAX_SCALE 4
// Layer views: a set bit leaves that layer out of the composition, whatever
// the model's enable flags say (keys 1 to 6 in this order).
#define ZKT_VIEW_YUV_A 0x01u
#define ZKT_VIEW_YUV_B 0x02u
#define ZKT_VIEW_OSD 0x04u
#define ZKT_VIEW_SPU 0x08u
#define ZKT_VIEW_RGB 0x10u
#define ZKT_VIEW_CURSOR 0x20u
#define ZKT_VIEW_LAYERS 6
extern u32 g_ulViewHiddenLayers;
// Turns the viewer keys on (the desktop program) with the starting scale
// (1..4) and full screen; ZKT_FreeLowLevelAPI turns them off again.
void ZKT_WinViewerStart(u32 scale, u32 bFullscreen);
u32 ZKT_WinViewerScale();
u32 ZKT_WinViewerIsFullscreen();
// Sets SDL's screen for a w x h window picture; returns the surface the
// compositor writes it into (SDL's screen itself at scale 1 in a window).
SDL_Surface *ZKT_WinOpenWindow(s32 w, s32 h);
void ZKT_WinCloseWindow();
// Copies the window picture to SDL's screen when it is not the screen
// itself; returns 1 when it did.
u32 ZKT_WinPresent();
// Screen coordinates to window picture coordinates (-1 outside it).
void ZKT_WinMapPointer(s32 *pX, s32 *pY);
// A key-down in button mode; 1 when it was a viewer key.
u32 ZKT_WinViewerKey(u32 sym, u32 mod);
// The next clock key (see DEMO_PLATFORM), 0 when none.
u32 ZKT_WinTakeViewerKey();
const u8 *ZKT_WinPicture(s32 *pW, s32 *pH, s32 *pPitch);
// F12: the emulated screen, or the whole window picture, as the next free
// vorn-NNNN.png in the working directory; the name is returned in name.
u32 ZKT_WinSaveScreenshot(u32 bWholeWindow, char *name, u32 nameSize);
u32 ZKT_WinSavePNG(const u8 *pixels, s32 w, s32 h, s32 pitch, char *name, u32 nameSize);
// The button bits of an SDL key symbol, and its Linux input key code (0 when
// the key is not in the table).
u32 ZKT_WinButtonMaskForKey(u32 key);
u32 ZKT_WinDeviceCodeForKey(u32 key);

// The model's clock. Normally SDL's tick counter and SDL_Delay; a program
// that drives time itself (frame capture, tests) installs its own pair.
extern u32 (*g_pfnZKTClock)();
extern void (*g_pfnZKTSleep)(u32 ms);
u32 ZKT_Clock();
void ZKT_Sleep(u32 ms);
// Restarts the vertical-sync pacing as at start-up.
void ZKT_ResetVSyncPacing();

// --- Software compositor (desktop only) ---
// The layers are composed into a working picture of 32-bit pixels
// (zkt_softrender_px.h); a composed frame ends packed into
// g_ucSoftRenderPicture, blue, green, red with a line pitch of W x 3 bytes.
// Presenting copies it into g_Screen.
#define ZKT_WIN_W 660
#define ZKT_WIN_H 380
#define ZKT_WIN_PITCH (ZKT_WIN_W * 3)
#define ZKT_LCD_X 169
#define ZKT_LCD_Y 45
#define ZKT_SKIN_SIZE (ZKT_WIN_W * ZKT_WIN_H * 3)
// An OSD list that never ends or links back on itself would hang the
// compositor; the walk stops at a repeated area or after this many.
#define ZKT_OSD_MAX_AREAS 1024
// Same for an SPU change list without its end word.
#define ZKT_SPU_MAX_CHANGE_ENTRIES 4096

extern u8 g_ucSoftRenderPicture[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H * 3];

// Output picture size of the current display mode.
void ZKT_LowLevelAPI_SoftRender_GetOutputSize(s32 *pW, s32 *pH);
// Steps 1 to 8 of a frame: layers, colour pass, RGB, cursor and gamma
// into g_ucSoftRenderPicture; with pCopy, each of its lines also goes to
// pCopy + y x copyPitch (the window), which is touched nowhere else.
void ZKT_LowLevelAPI_SoftRender_Compose(u8 *pCopy = nullptr, s32 copyPitch = 0);
void ZKT_LowLevelAPI_SoftRender_YUV_Layer(u32 bPlaneA, u32 bTopRegion);
void ZKT_LowLevelAPI_SoftRender_ColorPass();
void ZKT_LowLevelAPI_SoftRender_RGB_Layer();
void ZKT_LowLevelAPI_GammaCorrection();
void ZKT_LowLevelAPI_SoftRender_OSD_Layer();
void ZKT_LowLevelAPI_SoftRender_OSD_Layer_Area(const u32 *header, u32 bOddField);
void ZKT_LowLevelAPI_SoftRender_SPU_Layer();
void ZKT_LowLevelAPI_SoftRender_SPU_Layer_SubProc(u32 bTopField, s32 firstColumn, s32 firstLine, s32 lastColumn,
                                                   s32 endLine, u16 colourWord, u16 contrastWord, s32 changeCount,
                                                   const u16 *changeFirstColumn, const u16 *changeLastColumn,
                                                   const u16 *changeColourWord, const u16 *changeContrastWord,
                                                   u8 **ppData);
void ZKT_LowLevelAPI_SoftRender_Cursor_Layer();
// The mouse hot spots of the pictured handheld: returns the button bits for
// a pointer at window position (x, y), and in pRect (left, right exclusive,
// top, bottom exclusive) the rectangle to highlight, or all -1 when none.
u32 ZKT_LowLevelAPI_SoftRender_HotSpot(s32 x, s32 y, u32 bPressed, s32 *pRect);
// What a window holds around the screen after FrameLCD: the skin, with the
// highlight of that frame (lit: left, right exclusive, top, bottom
// exclusive; lit[0] < 0 when none). pWindow null: nothing known.
struct ZKT_WinSkinKept {
    const u8 *pWindow = nullptr;
    s32 pitch = 0;
    s32 lit[4] = {-1, -1, -1, -1};
};
// Step 9: frames the composed LCD picture with the skin into a 660x380
// 24-bit window at pWindow, sets g_ulGP2XInputStateWinGUI from the pointer
// and darkens the control under it (ticks drives the pulse). With pKept,
// a window that pKept says holds the last frame's skin only has that
// frame's highlight undone instead of the whole skin copied; the caller
// clears pKept->pWindow when anything else may have written into it.
// bScreenThere: the composition already copied the screen into the
// window (ZKT_LowLevelAPI_SoftRender_Compose's pCopy).
void ZKT_LowLevelAPI_SoftRender_FrameLCD(u8 *pWindow, s32 pitch, s32 mouseX, s32 mouseY, u32 bPressed, u32 ticks,
                                         ZKT_WinSkinKept *pKept = nullptr, u32 bScreenThere = 0);
// Where the screen lies in an LCD window of the given pitch.
inline u8 *ZKT_WinScreenOf(u8 *pWindow, s32 pitch)
{
    return pWindow + (int64_t)ZKT_LCD_Y * pitch + ZKT_LCD_X * 3;
}
// Counts the times g_Screen was (re)opened or given another surface: the
// skin a frame left in it is known only while this stays the same. Whatever
// sets g_Screen or draws into it, but for the frame itself, increments it.
extern u32 g_ulWinPictureSerial;
// Writes the composed picture as the next numbered BMP file; 1 when written.
u32 ZKT_LowLevelAPI_SaveBMP(const char *path);

#endif
