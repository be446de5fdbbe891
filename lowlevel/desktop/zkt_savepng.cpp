// Screenshots as numbered PNG files in the working directory. A picture is
// written under a temporary name and given its final name only when
// complete, by a step that refuses a name already taken, so nothing is ever
// overwritten or left half-written under a final name.
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef VORN_HAVE_PNG
#include <png.h>
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif

#include "lowlevel/desktop/zkt_lowLevelWin.h"

#ifdef VORN_HAVE_PNG
static u32 s_ulNextShot = 1;

// libpng's own messages stay quiet: the caller says in one line what failed.
static void PNGError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

static void PNGWarning(png_structp, png_const_charp) {}

// Writes w x h pixels stored blue, green, red as an RGB PNG; false on any
// failure (the caller removes the file).
static bool WritePNG(FILE *f, const u8 *pixels, s32 w, s32 h, s32 pitch)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PNGError, PNGWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    // volatile: read after longjmp.
    u8 *volatile row = (u8 *)std::malloc((size_t)w * 3);
    if (!row || setjmp(png_jmpbuf(png))) {
        std::free(row);
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (s32 y = 0; y < h; y++) {
        const u8 *s = pixels + (size_t)y * pitch;
        for (s32 x = 0; x < w; x++) {
            row[3 * x] = s[3 * x + 2];
            row[3 * x + 1] = s[3 * x + 1];
            row[3 * x + 2] = s[3 * x];
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::free(row);
    return std::fflush(f) == 0 && !std::ferror(f);
}

// Gives the finished temporary file the name; false with errno when taken.
static bool TakeName(const char *tmp, const char *name)
{
#ifdef _WIN32
    return rename(tmp, name) == 0; // never replaces a file there
#else
    if (link(tmp, name) == 0)
        return true;
    // A file system without hard links (a memory card's): the name is taken
    // only while free, checked just before.
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    struct stat st;
    if (lstat(name, &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return rename(tmp, name) == 0;
#endif
}

u32 ZKT_WinSavePNG(const u8 *pixels, s32 w, s32 h, s32 pitch, char *name, u32 nameSize)
{
    char tmp[48];
    int fd = -1;
    for (u32 i = 0; fd < 0 && i < 1000; i++) {
        std::snprintf(tmp, sizeof tmp, ".vorn-shot-%u.tmp", i);
        fd = open(tmp, O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        std::fprintf(stderr, "Vorn: could not save a screenshot: %s\n", std::strerror(errno));
        return 0;
    }
    FILE *f = fdopen(fd, "wb");
    bool ok = f && WritePNG(f, pixels, w, h, pitch);
    int err = ok ? 0 : (errno ? errno : EIO);
    if (f) {
        if (std::fclose(f) != 0 && ok) {
            ok = false;
            err = errno;
        }
    } else {
        close(fd);
    }
    bool named = false;
    for (u32 tries = 0; ok && !named && tries < 10000; tries++, s_ulNextShot++) {
        std::snprintf(name, nameSize, "vorn-%04u.png", s_ulNextShot);
        if (TakeName(tmp, name))
            named = true;
        else if (errno != EEXIST && errno != EACCES) {
            err = errno;
            break;
        }
    }
    std::remove(tmp);
    if (!named) {
        std::fprintf(stderr, "Vorn: could not save a screenshot: %s\n", std::strerror(err ? err : EEXIST));
        return 0;
    }
    return 1;
}
#else
u32 ZKT_WinSavePNG(const u8 *, s32, s32, s32, char *, u32)
{
    std::fprintf(stderr, "Vorn: this build saves no screenshots (built without libpng)\n");
    return 0;
}
#endif

u32 ZKT_WinSaveScreenshot(u32 bWholeWindow, char *name, u32 nameSize)
{
    if (bWholeWindow) {
        s32 w, h, pitch;
        const u8 *p = ZKT_WinPicture(&w, &h, &pitch);
        return p ? ZKT_WinSavePNG(p, w, h, pitch, name, nameSize) : 0;
    }
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    return ZKT_WinSavePNG(g_ucSoftRenderPicture, W, H, W * 3, name, nameSize);
}
