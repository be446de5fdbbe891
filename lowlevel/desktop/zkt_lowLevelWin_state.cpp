// The desktop hardware model's state. Owned by the API from
// ZKT_InitLowLevelAPI to ZKT_FreeLowLevelAPI.
#include "lowlevel/desktop/zkt_lowLevelWin.h"

u8 *g_GP2X_VIDEO_BASE_PTR = nullptr;
u8 *g_pGP2X_DUALCORE_MEM = nullptr;
SDL_Surface *g_Screen = nullptr;
u32 g_ulWinPictureSerial = 0;
u32 g_ulDISPLAY_MODE = 0;
s32 g_nScreenSizeX = 320, g_nScreenSizeY = 240;
s32 g_nColorBitDepth = 16;
u32 g_ulRGBVideoMemOffset = 0;
u32 g_ulRGBColorTable[256];
u32 g_ulRegionColorKey = 0;
RGBLayerRegion g_RGBLayerRegion[5];
YUVPlane g_YUVPlane[2];
YUVScaler g_YUVScaler[4];
u32 g_bYUVFirstPlanePriority = 1;
s8 g_sMLC_HUECb_A[4], g_sMLC_HUECb_B[4], g_sMLC_HUECr_A[4], g_sMLC_HUECr_B[4];
s8 g_scYUVBrightness = 0;
u8 g_ucYUVContrast = 0;
CursorLayer g_cursorLayer;
u32 g_bOSDLayerEnable = 0;
u32 g_ulOSDHeaderOddField = 0, g_ulOSDHeaderEvenField = 0;
u32 g_ulOSDPalette[256];
u32 g_bSPULayerEnable = 0;
u32 g_bSPUonTopOfOSDLayer = 0;
u32 g_bSPUHighlight = 0;
u32 g_ulSPUBaseCmdMemOffset = 0;
u32 g_ulSPUHighlightInfoMemOffset = 0;
u32 g_ulSPUColorPalette[16];
u32 g_bEnableGamma = 0;
u32 g_ulGammaTable[256];
u32 g_bGP2XBatteryLEDState = 0;
u32 g_bSaveOnDisk = 0;
char g_strSaveFilePath[272];
s32 g_nDiskWriteFrameID = 0;
u32 g_ulGP2X_FRAME_COUNT = 0;
u32 g_ulGP2XInputStateWinGUI = 0;
SDL_Thread *g_ThreadId = nullptr;
DualCoreItemHdr g_dualCoreItemHdr;
u32 g_ulDualCoreMsg[ZKT_DUALCORE_CAPACITY];

const s32 g_nModeSizeX[33] = {
    320, 160, 160, 80,  80,                                                  // LCD
    320, 720, 720, 584, 512, 392, 360, 360, 296, 256, 180, 180, 90,  90,    // NTSC
    320, 720, 720, 704, 512, 392, 360, 360, 352, 256, 180, 180, 90,  90};   // PAL
const s32 g_nModeSizeY[33] = {
    240, 240, 120, 120, 60,
    240, 480, 240, 480, 240, 240, 480, 240, 240, 240, 240, 120, 120, 60,
    240, 576, 288, 576, 288, 288, 576, 288, 288, 288, 288, 144, 144, 72};
