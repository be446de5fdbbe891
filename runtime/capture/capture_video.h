// Video files from the capture tool: the composed pictures and the mixed
// sound of a range, encoded as they come.
//   .mkv  FFV1 (the RGB pixels exactly) + FLAC   -- lossless
//   .mp4  H.264 yuv420p + AAC                    -- for players and sites
// One file at a time; the state is process-wide.
#ifndef VORN_CAPTURE_VIDEO_H
#define VORN_CAPTURE_VIDEO_H

#include <string>

#include "lowlevel/zkt_lowLevel.h"

#define CAPVID_NONE 0u
#define CAPVID_MKV 1u
#define CAPVID_MP4 2u

// The kind of video file a name asks for, by its ending (CAPVID_NONE when
// it is not a video name). Known also to a build without the encoders.
inline u32 CaptureVideo_KindOfName(const std::string &path)
{
    auto ends = [&](const char *ext) {
        const size_t n = 4;
        if (path.size() <= n || path[path.size() - n - 1] == '/')
            return false;
        for (size_t i = 0; i < n; i++) {
            char c = path[path.size() - n + i];
            if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != ext[i])
                return false;
        }
        return true;
    };
    return ends(".mkv") ? CAPVID_MKV : ends(".mp4") ? CAPVID_MP4 : CAPVID_NONE;
}

// Starts a file of the given kind on fd (open for reading and writing,
// empty, seekable); path names the same file (the MP4 writer reopens it to
// move its index to the front). w x h is the picture size, fps the frame
// rate, rate the sample rate of 16-bit stereo sound. On failure returns
// false with the reason in *pErr and nothing left open.
bool CaptureVideo_Open(int fd, const std::string &path, u32 kind, u32 w, u32 h, u32 fps, u32 rate,
                       std::string *pErr);

// One picture, w x h bytes blue, green, red per pixel, lines pitch bytes apart.
bool CaptureVideo_Frame(const u8 *pBGR, u32 pitch, std::string *pErr);

// count sample frames of 16-bit little-endian stereo (left, right).
bool CaptureVideo_Sound(const u8 *pLR, u32 count, std::string *pErr);

// Ends the file: flushes the encoders and writes the index. Closes
// everything whether or not it succeeds; fd stays open for the caller.
bool CaptureVideo_Close(std::string *pErr);

// Drops a file being written (after a failure elsewhere); fd stays open.
void CaptureVideo_Abort();

#endif
