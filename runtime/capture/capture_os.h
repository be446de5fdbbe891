// The few POSIX calls the capture tool makes, also on Windows, where they
// are missing or differ.
#ifndef VORN_CAPTURE_OS_H
#define VORN_CAPTURE_OS_H

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// Windows has links (reparse points) but no such file type; they are
// reported as links all the same, so that they are never written through.
#define S_IFLNK 0xA000
#define S_ISLNK(m) (((m) & S_IFMT) == S_IFLNK)
#define S_ISSOCK(m) 0

static inline int lstat(const char *path, struct stat *st)
{
    if (stat(path, st) != 0)
        return -1;
    const DWORD attr = GetFileAttributesA(path);
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_REPARSE_POINT))
        st->st_mode = (st->st_mode & ~S_IFMT) | S_IFLNK;
    return 0;
}

#define mkdir(path, mode) _mkdir(path)

static inline int setenv(const char *name, const char *value, int overwrite)
{
    return !overwrite && std::getenv(name) ? 0 : _putenv_s(name, value);
}

// rename() refuses to replace an existing file here.
static inline int CAPOS_Rename(const char *from, const char *to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return -1;
}
#else
static inline int CAPOS_Rename(const char *from, const char *to) { return std::rename(from, to); }
#endif

#endif
