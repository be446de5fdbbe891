// The encoding thread of the video files and its queue.
#include "runtime/capture/capture_video_queue.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// Work handed to the encoding thread: a picture (lines ulPitch bytes long)
// or ulCount sample frames.
struct VIDEO_JOB {
    u32 bPicture;
    u32 ulPitch;
    u32 ulCount;
    std::vector<u8> data;
};
#define CAPVID_QUEUE 8
static std::thread s_worker;
static std::mutex s_mutex;
static std::condition_variable s_cvWork, s_cvRoom;
static std::deque<VIDEO_JOB> s_jobs;
static std::vector<std::vector<u8>> s_spare; // buffers for reuse
static bool s_bNoMoreJobs = false, s_bDropJobs = false, s_bWorkerFailed = false;
static std::string s_strWorkerError;

static void Worker()
{
    for (;;) {
        VIDEO_JOB job;
        {
            std::unique_lock<std::mutex> lock(s_mutex);
            s_cvWork.wait(lock, [] { return !s_jobs.empty() || s_bNoMoreJobs; });
            if (s_jobs.empty() || s_bDropJobs)
                return;
            job = std::move(s_jobs.front());
            s_jobs.pop_front();
        }
        s_cvRoom.notify_one();
        std::string err;
        bool ok = s_bWorkerFailed ||
                  (job.bPicture ? CaptureVideo_EncodePicture(job.data.data(), job.ulPitch, &err)
                                : CaptureVideo_EncodeSound(job.data.data(), job.ulCount, &err));
        std::lock_guard<std::mutex> lock(s_mutex);
        if (!ok) {
            s_bWorkerFailed = true;
            s_strWorkerError = err;
        }
        s_spare.push_back(std::move(job.data));
    }
}

bool CaptureQueue_Submit(u32 bPicture, const u8 *src, u32 rows, u32 bytes, u32 pitch, u32 count,
                         std::string *pErr)
{
    std::vector<u8> buf;
    {
        std::unique_lock<std::mutex> lock(s_mutex);
        s_cvRoom.wait(lock, [] { return s_jobs.size() < CAPVID_QUEUE || s_bWorkerFailed; });
        if (s_bWorkerFailed) {
            *pErr = s_strWorkerError;
            return false;
        }
        if (!s_spare.empty()) {
            buf = std::move(s_spare.back());
            s_spare.pop_back();
        }
    }
    buf.resize((size_t)rows * bytes);
    for (u32 y = 0; y < rows; y++)
        std::memcpy(buf.data() + (size_t)y * bytes, src + (size_t)y * pitch, bytes);
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_jobs.push_back(VIDEO_JOB{bPicture, bytes, count, std::move(buf)});
    }
    s_cvWork.notify_one();
    return true;
}

void CaptureQueue_Start()
{
    s_bNoMoreJobs = s_bDropJobs = s_bWorkerFailed = false;
    s_worker = std::thread(Worker);
}

void CaptureQueue_Stop(bool bDrop)
{
    if (!s_worker.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_bNoMoreJobs = true;
        s_bDropJobs = s_bDropJobs || bDrop;
    }
    s_cvWork.notify_all();
    s_worker.join();
}

void CaptureQueue_Clear()
{
    CaptureQueue_Stop(true);
    s_jobs.clear();
    s_spare.clear();
}

bool CaptureQueue_Failed(std::string *pErr)
{
    if (s_bWorkerFailed)
        *pErr = s_strWorkerError;
    return s_bWorkerFailed;
}
