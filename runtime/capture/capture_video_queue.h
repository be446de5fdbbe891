// The encoding thread of the video files: pictures and sound are copied
// into a short queue and encoded on a thread of their own, in the order
// they were given, so the next frame is composed meanwhile.
#ifndef VORN_CAPTURE_VIDEO_QUEUE_H
#define VORN_CAPTURE_VIDEO_QUEUE_H

#include <string>

#include "lowlevel/zkt_lowLevel.h"

// The encoders the thread runs (capture_video.cpp).
bool CaptureVideo_EncodePicture(const u8 *pBGR, u32 pitch, std::string *pErr);
bool CaptureVideo_EncodeSound(const u8 *pLR, u32 count, std::string *pErr);

void CaptureQueue_Start();
// Ends the thread once it has encoded everything queued, or at once with
// bDrop. Does nothing when it is not running.
void CaptureQueue_Stop(bool bDrop);
// Ends the thread at once and drops what is queued.
void CaptureQueue_Clear();
// Whether an encoder failed on the thread, and why.
bool CaptureQueue_Failed(std::string *pErr);
// Queues a copy of rows lines of bytes bytes each, pitch apart: a picture,
// or (bPicture 0) count sample frames. Waits while the queue is full;
// false once the thread has failed.
bool CaptureQueue_Submit(u32 bPicture, const u8 *src, u32 rows, u32 bytes, u32 pitch, u32 count,
                         std::string *pErr);

#endif
