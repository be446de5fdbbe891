// The window side of the compositor: LCD framing in the skin, the mouse hot
// spots and their highlight, presenting into a real (dummy-driver) SDL
// window, and the numbered BMP frame dump read back by an outside reader.
#include <gtest/gtest.h>

#include <SDL/SDL.h>

#include <cstdio>
#include <string>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "assets/assets.h"
#include "compositor_helpers.h"

namespace {

std::vector<u8> s_window(ZKT_WIN_PITCH * ZKT_WIN_H);

const u8 *Win(s32 x, s32 y)
{
    return s_window.data() + y * ZKT_WIN_PITCH + x * 3;
}

const u8 *Skin(s32 x, s32 y)
{
    return BMP_GP2XW32 + y * ZKT_WIN_PITCH + x * 3;
}

std::string TempDir()
{
    char tmpl[] = "/tmp/vorn_dump_XXXXXX";
    const char *d = mkdtemp(tmpl);
    return d ? d : "/tmp";
}

long FileSize(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long)st.st_size : -1;
}

std::string Capture(const std::string &cmd)
{
    std::string out;
    FILE *p = popen(cmd.c_str(), "r");
    if (!p)
        return out;
    char buf[256];
    while (fgets(buf, sizeof buf, p))
        out += buf;
    pclose(p);
    return out;
}

} // namespace

TEST(CompositorWindow, SkinAssetsHaveTheirFormats)
{
    EXPECT_EQ(BMP_GP2XW32_LEN, (u32)ZKT_SKIN_SIZE);
    EXPECT_EQ(DEMOICON_LEN, 32u * 32u * 4u);
    // The icon's corners are transparent (TT = 255 - alpha = 255) and its
    // middle opaque.
    auto word = [](int i) {
        return DEMOICON[i * 4] | (DEMOICON[i * 4 + 1] << 8) | (DEMOICON[i * 4 + 2] << 16) |
               ((u32)DEMOICON[i * 4 + 3] << 24);
    };
    EXPECT_EQ(word(0) >> 24, 255u);
    EXPECT_EQ(word(16 * 32 + 16) >> 24, 0u);
}

TEST(CompositorWindow, BlackScreenFramedByTheSkin)
{
    // Every layer off, region 5 hidden: the screen is the converted
    // background, and gamma, even when on, changes nothing.
    ResetModel(0);
    g_RGBLayerRegion[4].bShow = 0;
    g_bEnableGamma = 1;
    for (u32 i = 0; i < 256; i++)
        g_ulGammaTable[i] = 0xFFFFFF;
    ZKT_LowLevelAPI_SoftRender_Compose();
    ZKT_LowLevelAPI_SoftRender_FrameLCD(s_window.data(), ZKT_WIN_PITCH, -1, -1, 0, 0);
    for (s32 y = 0; y < ZKT_WIN_H; y++)
        for (s32 x = 0; x < ZKT_WIN_W; x++) {
            const bool screen = x >= 169 && x <= 488 && y >= 45 && y <= 284;
            const u8 *w = Win(x, y);
            if (screen) {
                if (w[0] || w[1] || w[2])
                    FAIL() << "screen pixel " << x << "," << y << " not black";
            } else if (std::memcmp(w, Skin(x, y), 3) != 0) {
                FAIL() << "skin pixel " << x << "," << y;
            }
        }
    EXPECT_EQ(g_ulGP2XInputStateWinGUI, 0u);
}

TEST(CompositorWindow, PictureLandsAtColumn169Line45)
{
    ResetModel(0, 24);
    for (s32 i = 0; i < 320 * 240; i++) {
        VM(0x200000)[i * 3] = (u8)(i % 320);
        VM(0x200000)[i * 3 + 1] = (u8)(i / 320);
        VM(0x200000)[i * 3 + 2] = 0x5A;
    }
    g_ulRGBVideoMemOffset = 0x200000;
    ZKT_LowLevelAPI_SoftRender_Compose();
    ZKT_LowLevelAPI_SoftRender_FrameLCD(s_window.data(), ZKT_WIN_PITCH, -1, -1, 0, 0);
    for (s32 y : {0, 1, 120, 239})
        for (s32 x : {0, 1, 200, 319}) {
            const u8 *w = Win(169 + x, 45 + y);
            EXPECT_EQ(w[0], (u8)x);
            EXPECT_EQ(w[1], (u8)y);
            EXPECT_EQ(w[2], 0x5A);
        }
    EXPECT_EQ(0, std::memcmp(Win(168, 45), Skin(168, 45), 3));
    EXPECT_EQ(0, std::memcmp(Win(489, 284), Skin(489, 284), 3));
}

TEST(CompositorWindow, HotSpotGroups)
{
    s32 rc[4];
    // Volume rocker: its middle gives both bits, and nothing once released.
    EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(80, 233, 1, rc), 0x30000u);
    EXPECT_EQ(rc[0], 38);
    EXPECT_EQ(rc[1], 122);
    EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(80, 233, 0, rc), 0u);
    EXPECT_EQ(rc[0], 38); // still highlighted under the pointer
    EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(39, 224, 1, rc), 0x10000u);
    EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(121, 243, 1, rc), 0x20000u);
    EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(121, 244, 1, rc), 0u);
    EXPECT_EQ(rc[0], -1);
    // Small buttons, and the gap between them.
    EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(540, 198, 1, rc), 0x200u);
    EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(634, 251, 1, rc), 0x100u);
    EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(587, 220, 1, rc), 0u);
    // Group 3, each control once.
    const struct {
        s32 x, y;
        u32 bits;
    } g3[] = {{80, 90, 0x1},      {80, 160, 0x10},     {40, 127, 0x4},     {110, 127, 0x40},
              {60, 14, 0x400},    {600, 14, 0x800},    {9, 214, 0x80000},  {582, 93, 0x8000},
              {582, 161, 0x4000}, {547, 127, 0x1000},  {618, 127, 0x2000}};
    for (const auto &c : g3)
        EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(c.x, c.y, 1, rc), c.bits) << c.x << "," << c.y;
    EXPECT_EQ(ZKT_LowLevelAPI_SoftRender_HotSpot(300, 150, 1, rc), 0u); // the screen
}

TEST(CompositorWindow, FramingSetsTheMouseStateAndPulsesTheHighlight)
{
    ResetModel(0);
    ZKT_LowLevelAPI_SoftRender_Compose();
    ZKT_LowLevelAPI_SoftRender_FrameLCD(s_window.data(), ZKT_WIN_PITCH, 80, 233, 1, 0);
    EXPECT_EQ(g_ulGP2XInputStateWinGUI, 0x30000u);
    ZKT_LowLevelAPI_SoftRender_FrameLCD(s_window.data(), ZKT_WIN_PITCH, 80, 233, 0, 0);
    EXPECT_EQ(g_ulGP2XInputStateWinGUI, 0u);

    // Over the top face button at tick 0 the darkening is 42; at 300 ms
    // (a quarter period) it is 52. Outside the rectangle the skin is kept.
    for (u32 ticks : {0u, 300u}) {
        const s32 w = ticks ? 52 : 42;
        ZKT_LowLevelAPI_SoftRender_FrameLCD(s_window.data(), ZKT_WIN_PITCH, 582, 93, 0, ticks);
        for (s32 y = 77; y <= 108; y++)
            for (s32 x = 566; x <= 597; x++)
                for (s32 k = 0; k < 3; k++) {
                    const s32 c = Skin(x, y)[k];
                    ASSERT_EQ(Win(x, y)[k], c > w ? c - w : 0) << x << "," << y;
                }
        EXPECT_EQ(0, std::memcmp(Win(598, 93), Skin(598, 93), 3));
        EXPECT_EQ(0, std::memcmp(Win(582, 109), Skin(582, 109), 3));
    }
}

TEST(CompositorWindow, PresentsIntoTheSDLWindow)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ResetModel(0, 24);
    g_Screen = SDL_SetVideoMode(660, 380, 24, SDL_SWSURFACE);
    ASSERT_NE(g_Screen, nullptr);
    std::memset(VM(0x200000), 0, 320 * 240 * 3);
    VM(0x200000)[(10 * 320 + 20) * 3 + 2] = 0xEE; // red at (20, 10)
    g_ulRGBVideoMemOffset = 0x200000;
    ZKT_LowLevelAPI_SoftRender();
    const u8 *px = (const u8 *)g_Screen->pixels;
    EXPECT_EQ(px[(45 + 10) * g_Screen->pitch + (169 + 20) * 3 + 2], 0xEE);
    EXPECT_EQ(0, std::memcmp(px + 5 * g_Screen->pitch, BMP_GP2XW32 + 5 * ZKT_WIN_PITCH, ZKT_WIN_PITCH));

    // A window picture written over by someone else, who says so, gets its
    // skin back at the next frame (the frame keeps it otherwise).
    SDL_Surface own = *g_Screen;
    own.pixels = s_window.data();
    own.pitch = ZKT_WIN_PITCH;
    g_Screen = &own;
    ZKT_LowLevelAPI_SoftRender();
    std::memset(s_window.data(), 0x11, s_window.size());
    g_ulWinPictureSerial++;
    ZKT_LowLevelAPI_SoftRender();
    EXPECT_EQ(0, std::memcmp(Win(0, 5), Skin(0, 5), ZKT_WIN_PITCH));
    EXPECT_EQ(Win(169 + 20, 45 + 10)[2], 0xEE);

    // Television: no skin, the picture is the window.
    ResetModel(12, 24);
    g_Screen = SDL_SetVideoMode(720, 480, 24, SDL_SWSURFACE);
    ASSERT_NE(g_Screen, nullptr);
    std::memset(VM(0x200000), 0, 360 * 240 * 3);
    VM(0x200000)[(10 * 360 + 20) * 3 + 1] = 0x77; // green at source (20, 10)
    g_ulRGBVideoMemOffset = 0x200000;
    g_ulGP2XInputStateWinGUI = 0x1234;
    ZKT_LowLevelAPI_SoftRender();
    px = (const u8 *)g_Screen->pixels;
    EXPECT_EQ(px[20 * g_Screen->pitch + 40 * 3 + 1], 0x77);
    EXPECT_EQ(px[21 * g_Screen->pitch + 41 * 3 + 1], 0x77);
    EXPECT_EQ(g_ulGP2XInputStateWinGUI, 0x1234u); // not read on a television

    // A window of the wrong shape is left alone.
    ResetModel(19, 24);
    ZKT_LowLevelAPI_SoftRender();
    g_Screen = nullptr;
    SDL_Quit();
}

TEST(CompositorDump, FilesAreNumberedSizedAndBottomUp)
{
    const std::string dir = TempDir();
    ResetModel(0, 24);
    for (s32 i = 0; i < 320 * 240; i++) {
        VM(0x200000)[i * 3] = 0x10;
        VM(0x200000)[i * 3 + 1] = (u8)(i / 320); // green = line
        VM(0x200000)[i * 3 + 2] = 0xC0;
    }
    g_ulRGBVideoMemOffset = 0x200000;
    ZKT_LowLevelAPI_SoftRender_Compose();
    g_nDiskWriteFrameID = 41;
    const std::string base = dir + "/frame";
    EXPECT_EQ(ZKT_LowLevelAPI_SaveBMP(base.c_str()), 1u);
    EXPECT_EQ(g_nDiskWriteFrameID, 42);
    const std::string f0 = base + "_000041.bmp";
    EXPECT_EQ(FileSize(f0), 230454);
    FILE *f = fopen(f0.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    u8 hdr[54 + 3];
    ASSERT_EQ(fread(hdr, 1, sizeof hdr, f), sizeof hdr);
    fclose(f);
    EXPECT_EQ(hdr[0], 'B');
    EXPECT_EQ(hdr[1], 'M');
    EXPECT_EQ(hdr[10], 54);
    EXPECT_EQ(hdr[18] | hdr[19] << 8, 320);
    EXPECT_EQ(hdr[22] | hdr[23] << 8, 240);
    EXPECT_EQ(hdr[28], 24);
    EXPECT_EQ(hdr[38] | hdr[39] << 8, 4000);
    EXPECT_EQ(hdr[42] | hdr[43] << 8, 3000);
    EXPECT_EQ(hdr[54 + 1], 239); // first stored line is the bottom one

    // An independent reader agrees on size and pixels.
    const bool pil = system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
    if (pil) {
        const std::string out = Capture("/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + f0 +
                                    "'); print(im.size, im.mode, im.getpixel((0, 0)), im.getpixel((5, 239)))\"");
        EXPECT_EQ(out, "(320, 240) RGB (192, 0, 16) (192, 239, 16)\n");
    }
    const std::string id = Capture("identify -format '%w %h %z' " + f0 + " 2>/dev/null");
    if (!id.empty()) {
        EXPECT_EQ(id, "320 240 8");
    }
    EXPECT_TRUE(pil || !id.empty()) << "no BMP reader (python3 PIL or ImageMagick) to check the file";

    // Mode 19, through the frame sequence with the dump switched on.
    ResetModel(19, 16);
    g_bSaveOnDisk = 1;
    snprintf(g_strSaveFilePath, sizeof g_strSaveFilePath, "%s/pal", dir.c_str());
    g_nDiskWriteFrameID = 0;
    ZKT_LowLevelAPI_SoftRender();
    g_bSaveOnDisk = 0;
    const std::string f1 = dir + "/pal_000000.bmp";
    EXPECT_EQ(FileSize(f1), 1244214);
    if (pil) {
        EXPECT_EQ(Capture("/usr/bin/python3 -c \"from PIL import Image; print(Image.open('" + f1 + "').size)\""),
                  "(720, 576)\n");
    }

    // A file that cannot be created still uses up its number.
    EXPECT_EQ(ZKT_LowLevelAPI_SaveBMP("/nonexistent_vorn_dir/x"), 0u);
    EXPECT_EQ(g_nDiskWriteFrameID, 2);
    unlink(f0.c_str());
    unlink(f1.c_str());
    rmdir(dir.c_str());
}

// A frame that cannot be written whole is reported and leaves no file (the
// disk filling up is a file size limit here); a link of the frame's name is
// neither followed nor replaced.
TEST(CompositorDump, AFailedWriteLeavesNothingAndALinkIsKept)
{
    const std::string dir = TempDir();
    ResetModel(0, 24);
    ZKT_LowLevelAPI_SoftRender_Compose();
    const std::string base = dir + "/frame";

    rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 100000;
    void (*oldXfsz)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    g_nDiskWriteFrameID = 0;
    const u32 written = ZKT_LowLevelAPI_SaveBMP(base.c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldXfsz);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(g_nDiskWriteFrameID, 1);

    const std::string target = dir + "/target", link = base + "_000001.bmp";
    FILE *t = fopen(target.c_str(), "w");
    ASSERT_NE(t, nullptr);
    fputs("keep", t);
    fclose(t);
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    EXPECT_EQ(ZKT_LowLevelAPI_SaveBMP(base.c_str()), 0u);
    EXPECT_EQ(FileSize(target), 4);
    struct stat st;
    EXPECT_TRUE(lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode));

    unlink(link.c_str());
    unlink(target.c_str());
    // Nothing else is left: no truncated frame, no temporary file.
    EXPECT_EQ(rmdir(dir.c_str()), 0);
}
