// 24-bit BMP files: the headers, the checked writes and the file's arrival
// under its final name.
#include "lowlevel/common/zkt_bmpfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

static void PutLE(u8 *p, u32 v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        p[i] = (u8)(v >> (8 * i));
}

static u32 PaddedLine(u32 ulWidth)
{
    return (ulWidth * 3 + 3) & ~3u;
}

int ZKT_GiveNewFileMode(int fd)
{
#ifdef _WIN32
    (void)fd; // new files take the folder's permissions
    return 0;
#else
    // Read once: the mask can only be read by setting it.
    static mode_t s_mode = 0;
    static bool s_bKnown = false;
    if (!s_bKnown) {
        const mode_t mask = umask(0);
        umask(mask);
        s_mode = 0666 & ~mask;
        s_bKnown = true;
    }
    return fchmod(fd, s_mode);
#endif
}

void ZKT_MakeBMPHeader(u8 *h, u32 ulWidth, u32 ulHeight)
{
    const u32 bytes = PaddedLine(ulWidth) * ulHeight;
    std::memset(h, 0, ZKT_BMP_HEADER_BYTES);
    h[0] = 'B';
    h[1] = 'M';
    PutLE(h + 2, bytes + ZKT_BMP_HEADER_BYTES, 4);
    PutLE(h + 10, ZKT_BMP_HEADER_BYTES, 4);
    PutLE(h + 14, 40, 4);
    PutLE(h + 18, ulWidth, 4);
    PutLE(h + 22, ulHeight, 4); // positive: bottom line first
    PutLE(h + 26, 1, 2);
    PutLE(h + 28, 24, 2);
    PutLE(h + 34, bytes, 4);
    PutLE(h + 38, 4000, 4); // pixels per metre
    PutLE(h + 42, 3000, 4);
}

u32 ZKT_WriteBMP(FILE *f, const u8 *pPixels, u32 ulWidth, u32 ulHeight, u32 ulPitch)
{
    u8 h[ZKT_BMP_HEADER_BYTES];
    ZKT_MakeBMPHeader(h, ulWidth, ulHeight);
    static const u8 s_ucPad[3] = {0, 0, 0};
    const u32 line = ulWidth * 3, pad = PaddedLine(ulWidth) - line;
    bool ok = std::fwrite(h, 1, sizeof h, f) == sizeof h;
    for (u32 y = ulHeight; ok && y-- > 0;)
        ok = std::fwrite(pPixels + (size_t)y * ulPitch, 1, line, f) == line &&
             (pad == 0 || std::fwrite(s_ucPad, 1, pad, f) == pad);
    return ok ? 1 : 0;
}

#ifdef _WIN32
// Windows has no links of this kind to follow, and rename() refuses to
// replace an existing file.
static bool IsPlainOrMissing(const char *path)
{
    struct stat st;
    const DWORD attr = GetFileAttributesA(path);
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    return stat(path, &st) != 0 ? errno == ENOENT : S_ISREG(st.st_mode);
}

static bool Replace(const char *from, const char *to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
#else
static bool IsPlainOrMissing(const char *path)
{
    struct stat st;
    return lstat(path, &st) != 0 ? errno == ENOENT : S_ISREG(st.st_mode);
}

static bool Replace(const char *from, const char *to)
{
    return std::rename(from, to) == 0;
}
#endif

u32 ZKT_SaveBMPFile(const char *path, const u8 *pPixels, u32 ulWidth, u32 ulHeight, u32 ulPitch)
{
    if (!path || !*path || !IsPlainOrMissing(path))
        return 0;
    // ".name.XXXXXX" beside the final name.
    char tmp[4096];
    const char *slash = std::strrchr(path, '/');
#ifdef _WIN32
    if (const char *back = std::strrchr(path, '\\'))
        slash = !slash || back > slash ? back : slash;
#endif
    const size_t dirLen = slash ? (size_t)(slash - path) + 1 : 0;
    if (std::snprintf(tmp, sizeof tmp, "%.*s.%s.XXXXXX", (int)dirLen, path, path + dirLen) >= (int)sizeof tmp)
        return 0;
    // mkstemp creates a new file exclusively, never through a link.
    const int fd = mkstemp(tmp);
    if (fd < 0)
        return 0;
    if (ZKT_GiveNewFileMode(fd) != 0) {
        close(fd);
        unlink(tmp);
        return 0;
    }
    FILE *f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        unlink(tmp);
        return 0;
    }
    bool ok = ZKT_WriteBMP(f, pPixels, ulWidth, ulHeight, ulPitch) && std::fflush(f) == 0;
    ok = std::fclose(f) == 0 && ok;
    // Checked again: something may have appeared under the name meanwhile.
    ok = ok && IsPlainOrMissing(path) && Replace(tmp, path);
    if (!ok)
        unlink(tmp);
    return ok ? 1 : 0;
}
