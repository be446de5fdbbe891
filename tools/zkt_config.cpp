// "config.txt": the one setting is the CPU clock, written anywhere as the
// letters SPEED followed on the same line by its digits.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tools/zkt_basictools.h"

#ifndef O_BINARY
#define O_BINARY 0
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0 // no named pipes there
#endif

typedef uint64_t u64;

static bool IsLineEnd(u8 c)
{
    return c == '\n' || c == '\r';
}

s32 ZKT_ParseConfigBuffer(const u8 *data, u32 length)
{
    u32 value = 0;
    if (!data || length <= 5)
        return 0;
    // Stops five bytes short of the end, so a key needs a byte after it.
    u32 i = 0;
    while (i < length - 5) {
        if (data[i] == '#') {
            while (i < length && !IsLineEnd(data[i]))
                i++;
            i++;
        } else if (std::toupper(data[i]) == 'S' && std::toupper(data[i + 1]) == 'P' &&
                   std::toupper(data[i + 2]) == 'E' && std::toupper(data[i + 3]) == 'E' &&
                   std::toupper(data[i + 4]) == 'D') {
            // Every digit up to the line end counts, whatever stands between;
            // the number wraps like a 32-bit integer.
            value = 0;
            while (i < length && !IsLineEnd(data[i])) {
                if (data[i] >= '0' && data[i] <= '9')
                    value = value * 10u + (u32)(data[i] - '0');
                i++;
            }
            i++;
        } else {
            i++;
        }
    }
    return (s32)value;
}

// The whole of "config.txt", or null when it cannot be read (missing,
// empty, too large, a short read); the caller frees it.
static u8 *ReadConfigFile(u32 *pLength)
{
    // Only a plain file counts: a named pipe would hold start-up until some
    // writer came, a device could stream forever. Opening does not wait for
    // a pipe's writer; reading a plain file ignores the flag.
    const int fd = open("config.txt", O_RDONLY | O_BINARY | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat st;
    FILE *f = nullptr;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(f = fdopen(fd, "rb"))) {
        close(fd);
        return nullptr;
    }
    u8 *buf = nullptr;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0)
        size = std::ftell(f);
    if (size > 0 && (unsigned long)size <= ZKT_CONFIG_MAX_SIZE && std::fseek(f, 0, SEEK_SET) == 0) {
        buf = (u8 *)std::malloc((size_t)size);
        // A short read (a directory, a file that shrank) counts as unreadable.
        if (buf && std::fread(buf, 1, (size_t)size, f) != (size_t)size) {
            std::free(buf);
            buf = nullptr;
        }
    }
    std::fclose(f);
    *pLength = buf ? (u32)size : 0;
    return buf;
}

s32 ZKT_ParseConfig(const char *)
{
    u32 length = 0;
    u8 *buf = ReadConfigFile(&length);
    const s32 value = buf ? ZKT_ParseConfigBuffer(buf, length) : 0;
    std::free(buf);
    return value;
}

u32 ZKT_ParseConfigKeyBuffer(const u8 *data, u32 length, const char *key, u32 *pValue)
{
    const u32 n = (u32)std::strlen(key);
    u32 found = 0;
    *pValue = 0;
    if (!data || n == 0 || length <= n)
        return 0;
    // The same scan as SPEED's: a key needs a byte after it.
    u32 i = 0;
    while (i < length - n) {
        if (data[i] == '#') {
            while (i < length && !IsLineEnd(data[i]))
                i++;
            i++;
            continue;
        }
        u32 k = 0;
        while (k < n && std::toupper(data[i + k]) == std::toupper((u8)key[k]))
            k++;
        if (k < n) {
            i++;
            continue;
        }
        // Numbers too long for 32 bits read as "not a number" rather than
        // wrapping onto a small valid value.
        u64 value = 0;
        u32 digits = 0;
        while (i < length && !IsLineEnd(data[i])) {
            if (data[i] >= '0' && data[i] <= '9') {
                value = value * 10u + (u32)(data[i] - '0');
                if (value > 0xFFFFFFFFu)
                    value = 0x100000000ull;
                digits++;
            }
            i++;
        }
        i++;
        found = digits && value <= 0xFFFFFFFFu ? ZKT_CONFIG_NUMBER : ZKT_CONFIG_NOT_A_NUMBER;
        *pValue = found == ZKT_CONFIG_NUMBER ? (u32)value : 0;
    }
    return found;
}

u32 ZKT_ParseConfigKey(const char *key, u32 *pValue)
{
    u32 length = 0;
    u8 *buf = ReadConfigFile(&length);
    const u32 found = buf ? ZKT_ParseConfigKeyBuffer(buf, length, key, pValue) : (*pValue = 0, 0);
    std::free(buf);
    return found;
}

u32 ZKT_ClampCPUClock(u32 mhz)
{
    if (mhz <= 174)
        return 175;
    if (mhz > 266)
        return 266;
    return mhz;
}
