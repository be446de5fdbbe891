// The handheld's platform layer: physical memory through the memory device,
// the input devices, the firmware's version file and menu program. It
// refuses to map anything unless it really is on the handheld, so a build
// started by mistake on another machine never touches that machine's
// physical memory.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

static int s_nMemFd = -1;

// The firmware's version file exists and the main core is an ARM920T.
u32 GP2X_IsHandheld()
{
    if (access("/usr/gp2x/version", R_OK) != 0)
        return 0;
    FILE *f = std::fopen("/proc/cpuinfo", "r");
    if (!f)
        return 0;
    char line[256];
    u32 found = 0;
    while (!found && std::fgets(line, sizeof line, f))
        found = std::strstr(line, "ARM920T") != nullptr;
    std::fclose(f);
    return found;
}

static u32 HandheldOpenMem()
{
    if (!GP2X_IsHandheld()) {
        std::printf("Vorn.gpe: this is not the handheld; refusing to map physical memory "
                    "(set VORN_SIMULATED_CHIP=1 to run on the simulated chip).\n");
        std::fflush(stdout);
        std::exit(3);
    }
    // Uncached: the command queue's lock needs the main core's stores to
    // reach the shared memory in program order.
    s_nMemFd = open("/dev/mem", O_RDWR | O_SYNC);
    return s_nMemFd >= 0 ? 0 : 1;
}

static void HandheldCloseMem()
{
    if (s_nMemFd >= 0)
        close(s_nMemFd);
    s_nMemFd = -1;
}

static void *HandheldMap(u32 phys, u32 len)
{
    if (s_nMemFd < 0)
        return nullptr;
    void *p = mmap(nullptr, len, PROT_READ | PROT_WRITE, MAP_SHARED, s_nMemFd, (off_t)phys);
    return p == MAP_FAILED ? nullptr : p;
}

static void HandheldUnmap(void *p, u32 len)
{
    munmap(p, len);
}

static s32 HandheldOpenDevice(const char *path)
{
    return open(path, O_RDWR | O_NONBLOCK | O_NOCTTY);
}

static s32 HandheldRead(s32 fd, void *buf, u32 len)
{
    return (s32)read(fd, buf, len);
}

static void HandheldClose(s32 fd)
{
    close(fd);
}

static u32 HandheldReadTextFile(const char *path, char *buf, u32 size)
{
    if (size == 0)
        return 0;
    FILE *f = std::fopen(path, "rt");
    if (!f)
        return 0;
    size_t n = std::fread(buf, 1, size - 1, f);
    buf[n] = 0;
    std::fclose(f);
    return (u32)n;
}

static void HandheldExecMenu()
{
    if (chdir("/usr/gp2x") == 0)
        execl("/usr/gp2x/gp2xmenu", "/usr/gp2x/gp2xmenu", (char *)nullptr);
}

const GP2X_PLATFORM g_GP2XHandheldPlatform = {
    "handheld",         HandheldOpenMem, HandheldCloseMem,     HandheldMap,      HandheldUnmap,
    HandheldOpenDevice, HandheldRead,    HandheldClose,        HandheldReadTextFile, HandheldExecMenu,
    nullptr,            nullptr,
};
