// "config.txt": the one setting is the CPU clock, written anywhere as the
// letters SPEED followed on the same line by its digits.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "tools/zkt_basictools.h"

#ifndef O_BINARY
#define O_BINARY 0
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0 // no named pipes there
#endif

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

s32 ZKT_ParseConfig(const char *)
{
    // Only a plain file counts: a named pipe would hold start-up until some
    // writer came, a device could stream forever. Opening does not wait for
    // a pipe's writer; reading a plain file ignores the flag.
    const int fd = open("config.txt", O_RDONLY | O_BINARY | O_NONBLOCK);
    if (fd < 0)
        return 0;
    struct stat st;
    FILE *f = nullptr;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(f = fdopen(fd, "rb"))) {
        close(fd);
        return 0;
    }
    s32 value = 0;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0)
        size = std::ftell(f);
    if (size > 0 && (unsigned long)size <= ZKT_CONFIG_MAX_SIZE && std::fseek(f, 0, SEEK_SET) == 0) {
        u8 *buf = (u8 *)std::malloc((size_t)size);
        // A short read (a directory, a file that shrank) counts as unreadable.
        if (buf && std::fread(buf, 1, (size_t)size, f) == (size_t)size)
            value = ZKT_ParseConfigBuffer(buf, (u32)size);
        std::free(buf);
    }
    std::fclose(f);
    return value;
}

u32 ZKT_ClampCPUClock(u32 mhz)
{
    if (mhz <= 174)
        return 175;
    if (mhz > 266)
        return 266;
    return mhz;
}
