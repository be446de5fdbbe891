// Output files of the capture tool: temporary name, checks, rename.
#include "runtime/capture/capture_out.h"
#include "lowlevel/common/zkt_bmpfile.h"
#include "runtime/capture/capture_os.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

// Temporary names a second signal removes. Written only outside the
// handler, and a slot's name is complete before it is marked used.
#define CAPOUT_SLOTS 8
static char s_strSlot[CAPOUT_SLOTS][PATH_MAX];
static volatile sig_atomic_t s_bSlotUsed[CAPOUT_SLOTS];
static volatile sig_atomic_t s_nSignal = 0;

static std::string Describe(const struct stat &st)
{
    if (S_ISLNK(st.st_mode))
        return "a symbolic link";
    if (S_ISDIR(st.st_mode))
        return "a folder";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "a device";
    if (S_ISFIFO(st.st_mode))
        return "a named pipe";
    if (S_ISSOCK(st.st_mode))
        return "a socket";
    return "not a regular file";
}

int CAPOUT_CheckTarget(const std::string &path, u32 bOverwrite, std::string *pErr)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return CAPOUT_OK;
        *pErr = "cannot check " + path + ": " + std::strerror(errno);
        return CAPOUT_FAILED;
    }
    if (!S_ISREG(st.st_mode)) {
        *pErr = path + " exists and is " + Describe(st) + "; it is never replaced";
        return CAPOUT_REFUSED;
    }
    if (!bOverwrite) {
        *pErr = path + " exists (--overwrite replaces it)";
        return CAPOUT_REFUSED;
    }
    return CAPOUT_OK;
}

int CAPOUT_Open(CAPOUT_FILE *f, const std::string &strFinal, std::string *pErr)
{
    CAPOUT_Discard(f);
    const size_t slash = strFinal.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : strFinal.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? strFinal : strFinal.substr(slash + 1);
    std::string tmpl = dir + "." + base + ".XXXXXX";
    int slot = 0;
    while (slot < CAPOUT_SLOTS && s_bSlotUsed[slot])
        slot++;
    if (slot == CAPOUT_SLOTS || tmpl.size() >= PATH_MAX) {
        *pErr = "cannot write " + strFinal + ": name too long";
        return CAPOUT_FAILED;
    }
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back(0);
    // mkstemp creates a new file exclusively: it never opens what a link
    // points to.
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        *pErr = "cannot write " + strFinal + ": " + std::strerror(errno);
        return CAPOUT_FAILED;
    }
    std::memcpy(s_strSlot[slot], name.data(), name.size());
    s_bSlotUsed[slot] = 1;
    f->strTemp = name.data();
    f->strFinal = strFinal;
    f->nSlot = slot;
    f->pFile = ZKT_GiveNewFileMode(fd) == 0 ? fdopen(fd, "w+b") : nullptr;
    if (!f->pFile) {
        *pErr = "cannot write " + strFinal + ": " + std::strerror(errno);
        close(fd);
        CAPOUT_Discard(f);
        return CAPOUT_FAILED;
    }
    return CAPOUT_OK;
}

static void Release(CAPOUT_FILE *f)
{
    if (f->nSlot >= 0)
        s_bSlotUsed[f->nSlot] = 0;
    f->nSlot = -1;
    f->strTemp.clear();
}

int CAPOUT_Commit(CAPOUT_FILE *f, u32 bOverwrite, std::string *pErr)
{
    if (!f->pFile) {
        *pErr = "cannot write " + f->strFinal;
        CAPOUT_Discard(f);
        return CAPOUT_FAILED;
    }
    bool ok = std::fflush(f->pFile) == 0 && !std::ferror(f->pFile);
    int err = ok ? 0 : (errno ? errno : EIO);
    if (std::fclose(f->pFile) != 0 && ok) {
        ok = false;
        err = errno;
    }
    f->pFile = nullptr;
    if (!ok) {
        *pErr = "cannot write " + f->strFinal + ": " + std::strerror(err);
        CAPOUT_Discard(f);
        return CAPOUT_FAILED;
    }
    int rc = CAPOUT_CheckTarget(f->strFinal, bOverwrite, pErr);
    if (rc == CAPOUT_OK && CAPOS_Rename(f->strTemp.c_str(), f->strFinal.c_str()) != 0) {
        *pErr = "cannot name " + f->strFinal + ": " + std::strerror(errno);
        rc = CAPOUT_FAILED;
    }
    if (rc != CAPOUT_OK) {
        CAPOUT_Discard(f);
        return rc;
    }
    Release(f);
    return CAPOUT_OK;
}

void CAPOUT_Discard(CAPOUT_FILE *f)
{
    if (f->pFile)
        std::fclose(f->pFile);
    f->pFile = nullptr;
    if (!f->strTemp.empty())
        unlink(f->strTemp.c_str());
    Release(f);
}

int CAPOUT_PrepareFolder(const std::string &dir, u32 bOverwrite, bool (*isOld)(const char *name),
                         std::string *pErr)
{
    struct stat st;
    if (stat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT || mkdir(dir.c_str(), 0777) != 0) {
            *pErr = "cannot create " + dir + ": " + std::strerror(errno);
            return CAPOUT_FAILED;
        }
        return CAPOUT_OK;
    }
    if (!S_ISDIR(st.st_mode) || access(dir.c_str(), W_OK) != 0) {
        *pErr = "cannot write into " + dir + (S_ISDIR(st.st_mode) ? "" : ": not a folder");
        return CAPOUT_FAILED;
    }
    DIR *d = opendir(dir.c_str());
    if (!d) {
        *pErr = "cannot read " + dir + ": " + std::strerror(errno);
        return CAPOUT_FAILED;
    }
    std::vector<std::string> old;
    while (const dirent *e = readdir(d))
        if (isOld(e->d_name))
            old.push_back(e->d_name);
    closedir(d);
    if (old.empty())
        return CAPOUT_OK;
    if (!bOverwrite) {
        *pErr = dir + " already holds an earlier capture (" + old[0] + (old.size() > 1 ? ", ..." : "") +
                "); --overwrite removes it first";
        return CAPOUT_REFUSED;
    }
    for (const std::string &name : old) {
        const std::string path = dir + "/" + name;
        if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            *pErr = path + " is a folder; it is never removed";
            return CAPOUT_REFUSED;
        }
        if (unlink(path.c_str()) != 0 && errno != ENOENT) {
            *pErr = "cannot remove " + path + ": " + std::strerror(errno);
            return CAPOUT_FAILED;
        }
    }
    return CAPOUT_OK;
}

static void OnSignal(int sig)
{
    if (!s_nSignal) {
        s_nSignal = sig;
#ifdef _WIN32
        signal(sig, OnSignal); // the handler is reset on every delivery here
#endif
        return;
    }
    // Asked twice: whatever is stuck, leave no temporary file behind.
    for (int i = 0; i < CAPOUT_SLOTS; i++)
        if (s_bSlotUsed[i])
            unlink(s_strSlot[i]);
    signal(sig, SIG_DFL);
    raise(sig);
}

void CAPOUT_InstallSignalHandlers()
{
#ifdef _WIN32
    // Ctrl+C arrives as SIGINT; there is no sigaction.
    for (int sig : {SIGINT, SIGTERM})
        if (signal(sig, OnSignal) == SIG_IGN)
            signal(sig, SIG_IGN);
#else
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM}) {
        // A signal ignored from the start (a background job, nohup) stays so.
        struct sigaction old;
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        sigaction(sig, &sa, nullptr);
    }
#endif
}

int CAPOUT_Signal()
{
    return s_nSignal;
}

void CAPOUT_DieOfSignal(int sig)
{
    signal(sig, SIG_DFL);
    raise(sig);
    _exit(128 + sig);
}
