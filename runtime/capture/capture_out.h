// Output files of the capture tool. A file is written under a temporary
// name in its final folder and renamed once complete; nothing that is not a
// plain file (device, link, folder) is ever replaced, and a plain file only
// when the user allows it. Results are exit statuses: 0 fine, 1 the system
// failed us, 2 the user's request is refused; *pErr then says why.
#ifndef VORN_CAPTURE_OUT_H
#define VORN_CAPTURE_OUT_H

#include <cstdio>
#include <string>

#include "lowlevel/zkt_lowLevel.h"

#define CAPOUT_OK 0
#define CAPOUT_FAILED 1
#define CAPOUT_REFUSED 2

// Whether path may be written: it does not exist, or it is a regular file
// and bOverwrite is set. Links are judged themselves, never followed.
int CAPOUT_CheckTarget(const std::string &path, u32 bOverwrite, std::string *pErr);

// One file on its way to its final name.
struct CAPOUT_FILE {
    FILE *pFile = nullptr;
    std::string strTemp, strFinal;
    int nSlot = -1; // in the table of names a signal removes
};

// Creates a fresh temporary file beside strFinal, open for writing and
// reading back.
int CAPOUT_Open(CAPOUT_FILE *f, const std::string &strFinal, std::string *pErr);
// Closes it, checking every write, and gives it its final name (checked
// again just before: something may have appeared there meanwhile).
int CAPOUT_Commit(CAPOUT_FILE *f, u32 bOverwrite, std::string *pErr);
// Closes and removes it. Safe on a file never opened or already done.
void CAPOUT_Discard(CAPOUT_FILE *f);

// A folder that receives a series of files: created if missing; one that
// already holds files isOld() recognises is refused unless bOverwrite,
// which removes them first so old and new never mix.
int CAPOUT_PrepareFolder(const std::string &dir, u32 bOverwrite, bool (*isOld)(const char *name),
                         std::string *pErr);

// SIGINT and SIGTERM: the first asks the work to stop (poll
// CAPOUT_Signal() and clean up as on any failure); a second one removes
// every temporary file still open and ends the process at once.
void CAPOUT_InstallSignalHandlers();
// The signal that asked to stop, or 0.
int CAPOUT_Signal();
// Ends the process as that signal would have, once cleaned up.
[[noreturn]] void CAPOUT_DieOfSignal(int sig);

#endif
