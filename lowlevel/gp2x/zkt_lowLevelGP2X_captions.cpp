// Handheld back end: line-21 closed captions, queued and handed to the
// television encoder one pair per field.
#include <cstdarg>
#include <cstdio>

#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

// Line-21 caption pairs, first byte in bits 0 to 7, each byte with odd parity.
static u16 s_usCCRing[256];
static u32 s_ulCCWrite = 0, s_ulCCRead = 0;
static u32 s_bCCHalf = 0; // the slot at the write index holds a first byte only
static u32 s_ulCCChannel = 1;

u8 ZKT_CC_OddParity(u8 c)
{
    c &= 0x7F;
    u32 ones = (u32)__builtin_popcount(c);
    return (u8)(ones & 1 ? c : c | 0x80);
}

static u32 CCUsed()
{
    return (s_ulCCWrite - s_ulCCRead) & 255;
}

static void CCPushPair(u8 a, u8 b)
{
    s_usCCRing[s_ulCCWrite] = (u16)(ZKT_CC_OddParity(a) | ZKT_CC_OddParity(b) << 8);
    s_ulCCWrite = (s_ulCCWrite + 1) & 255;
}

static void CCCompleteHalf()
{
    if (s_bCCHalf) {
        s_usCCRing[s_ulCCWrite] = (u16)(s_usCCRing[s_ulCCWrite] | 0x80 << 8);
        s_ulCCWrite = (s_ulCCWrite + 1) & 255;
        s_bCCHalf = 0;
    }
}

static void CCPushChar(u8 c)
{
    if (s_bCCHalf) {
        s_usCCRing[s_ulCCWrite] = (u16)(s_usCCRing[s_ulCCWrite] | ZKT_CC_OddParity(c) << 8);
        s_ulCCWrite = (s_ulCCWrite + 1) & 255;
        s_bCCHalf = 0;
    } else {
        s_usCCRing[s_ulCCWrite] = ZKT_CC_OddParity(c);
        s_bCCHalf = 1;
    }
}

// Data channel 2 (caption channels 2 and 4) adds 8 to the first byte;
// channels 3 and 4 are on the second field.
static u8 CCDataChannelBit() { return (s_ulCCChannel == 2 || s_ulCCChannel == 4) ? 8 : 0; }

u32 ZKT_CC_SetChannel(u32 channel)
{
    if (channel >= 1 && channel <= 4)
        s_ulCCChannel = channel;
    return ZKT_OK;
}

// Commands 0 to 15 are the miscellaneous control codes (0x20 to 0x2F:
// resume caption loading, backspace, ..., end of caption), 16 to 18 the
// tab offsets 1 to 3. Control codes are sent twice, as receivers expect.
u32 ZKT_CC_SetCommand(u32 command)
{
    if (command > 18)
        return ZKT_ERR_INVALID_ARG;
    if (255 - CCUsed() < 3)
        return 11;
    CCCompleteHalf();
    u8 first, second;
    if (command < 16) {
        first = (u8)((s_ulCCChannel >= 3 ? 0x15 : 0x14) | CCDataChannelBit());
        second = (u8)(0x20 + command);
    } else {
        first = (u8)(0x17 | CCDataChannelBit());
        second = (u8)(0x21 + command - 16);
    }
    CCPushPair(first, second);
    CCPushPair(first, second);
    return ZKT_OK;
}

u32 ZKT_CC_SetPosition(u32, u32)
{
    return ZKT_OK;
}

// Preamble address code: row 1 to 15; attribute bits 0 to 2 the colour
// (white, green, blue, cyan, red, yellow, magenta, italics), bit 3 underline.
u32 ZKT_CC_SetColor(u8 row, u8 attribute)
{
    static const u8 rowFirst[16] = {0, 0x11, 0x11, 0x12, 0x12, 0x15, 0x15, 0x16,
                                    0x16, 0x17, 0x17, 0x10, 0x13, 0x13, 0x14, 0x14};
    static const u8 rowHigh[16] = {0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1};
    if (row < 1 || row > 15)
        return ZKT_ERR_INVALID_ARG;
    if (255 - CCUsed() < 3)
        return 11;
    CCCompleteHalf();
    u8 first = (u8)(rowFirst[row] | CCDataChannelBit());
    u8 second = (u8)(0x40 | rowHigh[row] << 5 | (attribute & 7) << 1 | ((attribute >> 3) & 1));
    CCPushPair(first, second);
    CCPushPair(first, second);
    return ZKT_OK;
}

// The caption character set differs from ASCII in a few places; Latin-1
// letters it has are sent as their codes, the rest of its letters as
// special characters (a pair of their own).
static u32 CCTranslate(u8 c, u8 *pSpecial)
{
    *pSpecial = 0;
    switch (c) {
    case 0xE1: return 0x2A; // a acute
    case 0xE9: return 0x5C;
    case 0xED: return 0x5E;
    case 0xF3: return 0x5F;
    case 0xFA: return 0x60;
    case 0xE7: return 0x7B;
    case 0xF7: return 0x7C;
    case 0xD1: return 0x7D;
    case 0xF1: return 0x7E;
    case 0xAE: *pSpecial = 0x30; return 0;
    case 0xB0: *pSpecial = 0x31; return 0;
    case 0xBD: *pSpecial = 0x32; return 0;
    case 0xBF: *pSpecial = 0x33; return 0;
    case 0xA2: *pSpecial = 0x35; return 0;
    case 0xA3: *pSpecial = 0x36; return 0;
    case 0xE0: *pSpecial = 0x38; return 0;
    case 0xE8: *pSpecial = 0x3A; return 0;
    case 0xE2: *pSpecial = 0x3B; return 0;
    case 0xEA: *pSpecial = 0x3C; return 0;
    case 0xEE: *pSpecial = 0x3D; return 0;
    case 0xF4: *pSpecial = 0x3E; return 0;
    case 0xFB: *pSpecial = 0x3F; return 0;
    // ASCII characters whose codes stand for accented letters here.
    case '*': case '\\': case '^': case '_': case '`': case '{': case '|': case '}': case '~':
        return ' ';
    }
    if (c < 0x20 || c > 0x7E)
        return ' ';
    return c;
}

u32 ZKT_CC_printf(const char *format, ...)
{
    char text[256];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    if (n < 0 || n > 255)
        return 11;
    // Count the pairs it needs before queueing anything.
    u32 half = s_bCCHalf, pairs = 0;
    for (int i = 0; i < n; i++) {
        u8 special;
        CCTranslate((u8)text[i], &special);
        if (special) {
            pairs += half; // the half pair is completed first
            half = 0;
            pairs++;
        } else {
            pairs += half;
            half ^= 1;
        }
    }
    pairs += half;
    if (pairs > 255 - CCUsed())
        return 11;
    for (int i = 0; i < n; i++) {
        u8 special;
        u32 c = CCTranslate((u8)text[i], &special);
        if (special) {
            CCCompleteHalf();
            CCPushPair((u8)(0x11 | CCDataChannelBit()), special);
        } else {
            CCPushChar((u8)c);
        }
    }
    return ZKT_OK;
}

static void CCSend(u16 pair)
{
    u8 v = 0;
    do {
        if (ZKT_InCX25874(2, &v) != ZKT_OK)
            break; // no encoder answering: nothing to wait for
    } while (v & 0x08);
    ZKT_OutCX25874(0xC0, (u8)pair);
    ZKT_OutCX25874(0xC2, (u8)(pair >> 8));
}

u32 ZKT_CC_OutputToTV()
{
    if (CCUsed() == 0)
        return ZKT_OK;
    CCSend(s_usCCRing[s_ulCCRead]);
    s_ulCCRead = (s_ulCCRead + 1) & 255;
    return ZKT_OK;
}

u32 ZKT_WriteCloseCaption(u16 pair)
{
    CCSend(pair);
    return ZKT_OK;
}
