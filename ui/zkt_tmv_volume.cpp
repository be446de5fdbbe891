// Volume control: 21 steps plus mute, shown for two seconds after each
// change by an indicator in the hardware cursor.
#include "assets/assets.h"
#include "tools/zkt_basictools.h"
#include "ui/zkt_tinymenu_vol.h"
#include "ui/zkt_tmv_internal.h"

u32 g_TMV_VOLUME_INDEX = 15;
u32 g_TMV_MUTE_ENABLE = 0;
u32 g_TMV_IS_VOLUME_CHANGE = 1;
u32 g_TMV_IS_VOLUME_SHOW = 0;
u32 g_TMV_VOLCTRL_SHOW_UNTIL_TIME = 0;
u32 g_TMV_VOLCTRL_TILD_TIME = 0;
u16 g_TMV_VOLCTRL_POSX = 240, g_TMV_VOLCTRL_POSY = 195;
u32 g_TMV_Volume_LCD = 1;
u32 g_TMV_VOLUME_TABLE[ZKT_TMV_VOL_STEPS];

static u32 (*s_pfnTMVNow)() = nullptr;

u32 ZKT_TMV_Now()
{
    if (s_pfnTMVNow)
        return s_pfnTMVNow();
    u32 ms = 0;
    ZKT_GetTime(&ms);
    return ms;
}

void ZKT_TMV_SetTimeSource(u32 (*pfnNow)()) { s_pfnTMVNow = pfnNow; }

// Sets one 2-bit pixel of a cursor bitmap given in frame coordinates. In the
// interlaced layout even rows live in the first field, odd rows in the one
// `fieldSize` bytes further on.
void ZKT_TMV_PutPixel(u8 *bitmap, u32 rowBytes, u32 fieldSize, u32 x, u32 y, u32 value)
{
    u8 *row = fieldSize ? bitmap + (y & 1) * fieldSize + (y >> 1) * rowBytes : bitmap + y * rowBytes;
    u32 shift = (x & 3) * 2;
    row[x >> 2] = (u8)((row[x >> 2] & ~(3u << shift)) | ((value & 3u) << shift));
}

u32 ZKT_TMV_GetPixel(const u8 *bitmap, u32 rowBytes, u32 fieldSize, u32 x, u32 y)
{
    const u8 *row = fieldSize ? bitmap + (y & 1) * fieldSize + (y >> 1) * rowBytes : bitmap + y * rowBytes;
    return (row[x >> 2] >> ((x & 3) * 2)) & 3u;
}

// A packed picture (rows padded to whole bytes) placed at pixel (x, y) of a
// cursor bitmap, written straight or into the two fields.
void ZKT_TMV_PlacePicture(u8 *bitmap, u32 rowBytes, u32 fieldSize, u32 x, u32 y, const u8 *picture, u32 width,
                          u32 height)
{
    if (!fieldSize) {
        ZKT_BLKMEMCPY(bitmap + y * rowBytes, x * 2, rowBytes * 8, picture, width * 2, height);
        return;
    }
    // The picture's first row goes to the field that holds frame row y.
    u8 *first = bitmap + (y & 1) * fieldSize + (y >> 1) * rowBytes;
    u8 *second = (y & 1) ? bitmap + ((y >> 1) + 1) * rowBytes : bitmap + fieldSize + (y >> 1) * rowBytes;
    ZKT_BLKMEMCPY_INTERLACE(first, second, x * 2, rowBytes * 8, picture, width * 2, height);
}

static const u8 *VolumeDigit(u32 digit)
{
    static const u8 *const kDigits[10] = {BMP_VOLUME_NUMBER_1, BMP_VOLUME_NUMBER_2, BMP_VOLUME_NUMBER_3,
                                          BMP_VOLUME_NUMBER_4, BMP_VOLUME_NUMBER_5, BMP_VOLUME_NUMBER_6,
                                          BMP_VOLUME_NUMBER_7, BMP_VOLUME_NUMBER_8, BMP_VOLUME_NUMBER_9,
                                          BMP_VOLUME_NUMBER_10};
    return kDigits[digit % 10];
}

// Every indicator bitmap: the muted one and one per step. The LCD layout is a
// 32x32 cursor (8 bytes a row); the television layout a 64x64 cursor (16
// bytes a row) whose two fields hold the even and the odd frame rows.
static void BuildVolumeBitmaps(u8 *vram)
{
    const bool lcd = g_TMV_Volume_LCD != 0;
    const u32 rowBytes = lcd ? 8 : 16;
    const u32 field = lcd ? 0 : 0x400;
    const u32 slotBytes = lcd ? 1024 : 2048;
    u8 *muted = vram + ZKT_TMV_VOL_MUTED_BITMAP;
    u8 *step[ZKT_TMV_VOL_STEPS];
    for (u32 i = 0; i < ZKT_TMV_VOL_STEPS; i++)
        step[i] = vram + ZKT_TMV_VOL_STEP_BITMAP(i);

    if (lcd) {
        // Backgrounds are 32x19 and fill whole rows, so they are copied as bytes.
        ZKT_MEMCPY(muted, BMP_VOLUMEBKG_MUTED_SMALL, 152);
        ZKT_MEMSET(muted + 152, 0xAA, 360);
        ZKT_MEMCPY(step[0], BMP_VOLUMEBKG_SMALL, 152);
        ZKT_MEMSET(step[0] + 152, 0xAA, 872);
    } else {
        ZKT_MEMSET(muted, 0xAA, 2048);
        ZKT_TMV_PlacePicture(muted, rowBytes, field, 0, 0, BMP_VOLUMEBKG_MUTED_BIG, 64, 30);
        ZKT_MEMSET(step[0], 0xAA, 2048);
        ZKT_TMV_PlacePicture(step[0], rowBytes, field, 0, 0, BMP_VOLUMEBKG_BIG, 64, 30);
    }

    const u32 digitY = lcd ? 19 : 32;
    const u32 tensX = lcd ? 10 : 42;
    const u32 unitsX = lcd ? 21 : 53;
    ZKT_MEMCPY(step[10], step[0], slotBytes);
    ZKT_TMV_PlacePicture(step[10], rowBytes, field, tensX, digitY, VolumeDigit(1), 11, 13);
    ZKT_MEMCPY(step[20], step[0], slotBytes);
    ZKT_TMV_PlacePicture(step[20], rowBytes, field, tensX, digitY, VolumeDigit(2), 11, 13);
    // In ascending order, so 11 to 19 inherit the tens digit of 10.
    for (u32 i = 1; i < 20; i++)
        if (i != 10)
            ZKT_MEMCPY(step[i], step[i - 1], slotBytes);
    for (u32 i = 0; i < ZKT_TMV_VOL_STEPS; i++)
        ZKT_TMV_PlacePicture(step[i], rowBytes, field, unitsX, digitY, VolumeDigit(i), 11, 13);

    // Darken the part of the bar above the level.
    const u32 barY0 = lcd ? 13 : 20, barY1 = lcd ? 15 : 24;
    const u32 barX0 = lcd ? 3 : 4, barX1 = lcd ? 28 : 59, barLen = lcd ? 26 : 56;
    for (u32 i = 0; i < 20; i++)
        for (u32 y = barY0; y <= barY1; y++)
            for (u32 x = barX0 + (barLen * i) / 20; x <= barX1; x++)
                ZKT_TMV_PutPixel(step[i], rowBytes, field, x, y, 0);
}

u32 ZKT_TMV_Vol_Initialize(u32 bLCD, u32 bPAL)
{
    g_TMV_Volume_LCD = bLCD ? 1 : 0;
    if (bLCD) {
        g_TMV_VOLCTRL_POSX = 240;
        g_TMV_VOLCTRL_POSY = 195;
    } else {
        g_TMV_VOLCTRL_POSX = 540;
        g_TMV_VOLCTRL_POSY = bPAL ? 219 : 179;
    }
    g_TMV_VOLUME_INDEX = 15;
    g_TMV_MUTE_ENABLE = 0;
    g_TMV_IS_VOLUME_SHOW = 0;
    g_TMV_VOLCTRL_SHOW_UNTIL_TIME = 0;
    g_TMV_VOLCTRL_TILD_TIME = 0;
    g_TMV_IS_VOLUME_CHANGE = 1; // the first read applies the level
    for (u32 i = 0; i < ZKT_TMV_VOL_STEPS; i++)
        g_TMV_VOLUME_TABLE[i] = (128 * i) / 20;

    u32 *base = nullptr;
    ZKT_GetVideoBasePtr(&base);
    if (!base)
        return ZKT_ERR_INIT;
    BuildVolumeBitmaps(reinterpret_cast<u8 *>(base));
    return ZKT_OK;
}

void ZKT_TMV_VolMute(u32 now)
{
    g_TMV_VOLCTRL_SHOW_UNTIL_TIME = now + ZKT_TMV_VOL_SHOW_MS;
    if (!g_TMV_MUTE_ENABLE) {
        g_TMV_MUTE_ENABLE = 1;
        g_TMV_IS_VOLUME_CHANGE = 1;
    }
}

// One step up (dir > 0) or down; a press beyond the range blinks instead.
void ZKT_TMV_VolStep(u32 now, int dir)
{
    g_TMV_VOLCTRL_SHOW_UNTIL_TIME = now + ZKT_TMV_VOL_SHOW_MS;
    if (g_TMV_MUTE_ENABLE) {
        g_TMV_MUTE_ENABLE = 0;
        g_TMV_IS_VOLUME_CHANGE = 1;
    } else if ((dir > 0 && g_TMV_VOLUME_INDEX >= 20) || (dir < 0 && g_TMV_VOLUME_INDEX == 0)) {
        g_TMV_VOLCTRL_TILD_TIME = now + ZKT_TMV_VOL_BLINK_MS;
    } else {
        g_TMV_VOLUME_INDEX += dir > 0 ? 1 : (u32)-1;
        g_TMV_IS_VOLUME_CHANGE = 1;
    }
}

u32 ZKT_TMV_Vol_Mute()
{
    if (!g_TMV_TINYMENU_SHOW)
        ZKT_TMV_VolMute(ZKT_TMV_Now());
    return ZKT_OK;
}

u32 ZKT_TMV_Vol_IncVolume()
{
    if (!g_TMV_TINYMENU_SHOW)
        ZKT_TMV_VolStep(ZKT_TMV_Now(), 1);
    return ZKT_OK;
}

u32 ZKT_TMV_Vol_DecVolume()
{
    if (!g_TMV_TINYMENU_SHOW)
        ZKT_TMV_VolStep(ZKT_TMV_Now(), -1);
    return ZKT_OK;
}

u32 ZKT_TMV_Vol_Update()
{
    if (g_TMV_TINYMENU_SHOW) {
        // The menu owns the cursor; the indicator does not come back after it.
        g_TMV_VOLCTRL_SHOW_UNTIL_TIME = 0;
        return g_TMV_IS_VOLUME_CHANGE;
    }
    const u16 size = g_TMV_Volume_LCD ? 32 : 64;
    const u32 now = ZKT_TMV_Now();
    if (now < g_TMV_VOLCTRL_SHOW_UNTIL_TIME) {
        u32 color1 = 0xFFFFFFFF, color0 = 0x80000000;
        const u32 blinkLeft = g_TMV_VOLCTRL_TILD_TIME - now;
        const u32 showLeft = g_TMV_VOLCTRL_SHOW_UNTIL_TIME - now;
        if (now < g_TMV_VOLCTRL_TILD_TIME && blinkLeft < ZKT_TMV_VOL_BLINK_MS) {
            const u32 f = (blinkLeft * 65536) / ZKT_TMV_VOL_BLINK_MS;
            color1 = (blinkLeft >= 100 ? f : 65536 - f) * 0xFF00 | 0xFFFFFF;
        } else if (showLeft < ZKT_TMV_VOL_FADE_MS) {
            const u32 f = (showLeft * 65536) / ZKT_TMV_VOL_FADE_MS;
            color1 = f * 0xFF00 | 0xFFFFFF;
            color0 = (f * 0x8000) & 0xFF000000;
        }
        const u32 bitmap =
            g_TMV_MUTE_ENABLE ? ZKT_TMV_VOL_MUTED_BITMAP : ZKT_TMV_VOL_STEP_BITMAP(g_TMV_VOLUME_INDEX);
        ZKT_MoveCursor(g_TMV_VOLCTRL_POSX, g_TMV_VOLCTRL_POSY);
        ZKT_SetCursorParams(1, size, color1, color0, bitmap);
        g_TMV_IS_VOLUME_SHOW = 1;
    } else if (g_TMV_IS_VOLUME_SHOW) {
        ZKT_SetCursorParams(0, size, 0xFFFFFFFF, 0x80000000, ZKT_TMV_VOL_MUTED_BITMAP);
        g_TMV_IS_VOLUME_SHOW = 0;
    }
    return g_TMV_IS_VOLUME_CHANGE;
}

u32 ZKT_TMV_Vol_GetVolume()
{
    g_TMV_IS_VOLUME_CHANGE = 0;
    if (g_TMV_MUTE_ENABLE)
        return 0;
    return g_TMV_VOLUME_TABLE[g_TMV_VOLUME_INDEX > 20 ? 20 : g_TMV_VOLUME_INDEX];
}
