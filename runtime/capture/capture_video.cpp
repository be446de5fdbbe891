// Video files through libavformat/libavcodec: a muxer on a file descriptor
// the caller owns, one video and one audio encoder, a sample FIFO so the
// audio encoder always gets whole frames whatever the picture rate. The
// encoding runs on the queue's thread (capture_video_queue.cpp).
#include "runtime/capture/capture_video.h"
#include "runtime/capture/capture_video_queue.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

static int s_nFd = -1;
static u32 s_ulKind = CAPVID_NONE;
static u32 s_ulW = 0, s_ulH = 0;
static AVFormatContext *s_pMux = nullptr;
static AVIOContext *s_pIo = nullptr;
static AVCodecContext *s_pVideo = nullptr, *s_pAudio = nullptr;
static AVStream *s_pVideoStream = nullptr, *s_pAudioStream = nullptr;
static AVFrame *s_pPicture = nullptr, *s_pSound = nullptr;
static AVPacket *s_pPacket = nullptr;
static SwsContext *s_pScaler = nullptr;
static SwrContext *s_pResampler = nullptr;
static AVAudioFifo *s_pFifo = nullptr;
static int64_t s_llFrames = 0, s_llSamples = 0;
static int s_nAudioFrameSize = 0;

static std::string AvError(int r)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(r, buf, sizeof buf);
    return buf;
}

static bool Fail(std::string *pErr, const std::string &why)
{
    if (pErr)
        *pErr = why;
    return false;
}

// --- Output on the caller's descriptor -----------------------------------

#if LIBAVFORMAT_VERSION_MAJOR >= 61
static int IoWrite(void *, const uint8_t *buf, int size)
#else
static int IoWrite(void *, uint8_t *buf, int size)
#endif
{
    int done = 0;
    while (done < size) {
        ssize_t n = write(s_nFd, buf + done, (size_t)(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return AVERROR(n < 0 ? errno : ENOSPC);
        done += (int)n;
    }
    return done;
}

static int IoRead(void *, uint8_t *buf, int size)
{
    ssize_t n;
    do
        n = read(s_nFd, buf, (size_t)size);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return AVERROR(errno);
    return n == 0 ? AVERROR_EOF : (int)n;
}

static int64_t IoSeek(void *, int64_t offset, int whence)
{
    if (whence & AVSEEK_SIZE) {
        struct stat st;
        return fstat(s_nFd, &st) == 0 ? (int64_t)st.st_size : AVERROR(errno);
    }
    off_t r = lseek(s_nFd, (off_t)offset, whence & ~AVSEEK_FORCE);
    return r < 0 ? AVERROR(errno) : (int64_t)r;
}

// --- Encoders --------------------------------------------------------------

void CaptureVideo_Abort()
{
    CaptureQueue_Clear();
    sws_freeContext(s_pScaler);
    s_pScaler = nullptr;
    swr_free(&s_pResampler);
    if (s_pFifo)
        av_audio_fifo_free(s_pFifo);
    s_pFifo = nullptr;
    av_frame_free(&s_pPicture);
    av_frame_free(&s_pSound);
    av_packet_free(&s_pPacket);
    avcodec_free_context(&s_pVideo);
    avcodec_free_context(&s_pAudio);
    if (s_pMux) {
        s_pMux->pb = nullptr;
        avformat_free_context(s_pMux);
    }
    s_pMux = nullptr;
    s_pVideoStream = s_pAudioStream = nullptr;
    if (s_pIo) {
        av_freep(&s_pIo->buffer);
        avio_context_free(&s_pIo);
    }
    s_nFd = -1;
    s_ulKind = CAPVID_NONE;
}

// Sends one frame (null: end of stream) and writes whatever packets come out.
static bool Encode(AVCodecContext *c, AVStream *st, AVFrame *f, std::string *pErr)
{
    int r = avcodec_send_frame(c, f);
    if (r < 0)
        return Fail(pErr, std::string("the ") + c->codec->name + " encoder refused a frame: " + AvError(r));
    for (;;) {
        r = avcodec_receive_packet(c, s_pPacket);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return true;
        if (r < 0)
            return Fail(pErr, std::string("the ") + c->codec->name + " encoder failed: " + AvError(r));
        // Every picture lasts exactly one frame period, the last one too.
        if (c->codec_type == AVMEDIA_TYPE_VIDEO)
            s_pPacket->duration = 1;
        av_packet_rescale_ts(s_pPacket, c->time_base, st->time_base);
        s_pPacket->stream_index = st->index;
        r = av_interleaved_write_frame(s_pMux, s_pPacket);
        if (r < 0)
            return Fail(pErr, "could not write the video file (disk full?): " + AvError(r));
    }
}

static bool OpenEncoder(AVCodecContext *c, AVDictionary **opts, std::string *pErr)
{
    if (s_pMux->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int r = avcodec_open2(c, c->codec, opts);
    av_dict_free(opts);
    if (r < 0)
        return Fail(pErr, std::string("cannot start the ") + c->codec->name + " encoder: " + AvError(r));
    return true;
}

static bool OpenVideo(u32 fps, std::string *pErr)
{
    const bool mkv = s_ulKind == CAPVID_MKV;
    const AVCodec *codec = mkv ? avcodec_find_encoder(AV_CODEC_ID_FFV1) : avcodec_find_encoder_by_name("libx264");
    if (!codec)
        return Fail(pErr, mkv ? "this FFmpeg has no FFV1 encoder" : "this FFmpeg has no libx264 encoder");
    s_pVideo = avcodec_alloc_context3(codec);
    s_pVideoStream = avformat_new_stream(s_pMux, nullptr);
    if (!s_pVideo || !s_pVideoStream)
        return Fail(pErr, "out of memory");
    AVCodecContext *c = s_pVideo;
    c->width = (int)s_ulW;
    c->height = (int)s_ulH;
    c->time_base = AVRational{1, (int)fps};
    c->framerate = AVRational{(int)fps, 1};
    c->sample_aspect_ratio = AVRational{1, 1};
    AVDictionary *opts = nullptr;
    if (mkv) {
        // Packed blue, green, red and a spare byte: decodes back to the very
        // same RGB. Version 3 with slices lets both cores work on a frame.
        c->pix_fmt = AV_PIX_FMT_BGR0;
        c->thread_count = 0;
        c->level = 3;
        av_dict_set(&opts, "slices", "4", 0);
        av_dict_set(&opts, "slicecrc", "0", 0);
    } else {
        if (s_ulW % 2 || s_ulH % 2)
            return Fail(pErr, "H.264 in 4:2:0 needs an even picture size");
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->thread_count = 0;
        c->color_range = AVCOL_RANGE_MPEG;
        c->colorspace = AVCOL_SPC_BT709;
        c->color_primaries = AVCOL_PRI_BT709;
        c->color_trc = AVCOL_TRC_BT709;
        // Quality high enough that the one-pixel text stays crisp.
        av_dict_set(&opts, "crf", "18", 0);
        // The fastest preset: the busy backgrounds cost the slower ones
        // twice the time for half the file size.
        av_dict_set(&opts, "preset", "ultrafast", 0);
        s_pScaler = sws_getContext((int)s_ulW, (int)s_ulH, AV_PIX_FMT_BGR24, (int)s_ulW, (int)s_ulH,
                                   AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!s_pScaler)
            return Fail(pErr, "cannot set up the colour conversion");
        const int *bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(s_pScaler, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    }
    if (!OpenEncoder(c, &opts, pErr))
        return false;
    s_pVideoStream->time_base = c->time_base;
    s_pVideoStream->avg_frame_rate = c->framerate;
    s_pVideoStream->r_frame_rate = c->framerate;
    avcodec_parameters_from_context(s_pVideoStream->codecpar, c);

    s_pPicture = av_frame_alloc();
    if (!s_pPicture)
        return Fail(pErr, "out of memory");
    s_pPicture->format = c->pix_fmt;
    s_pPicture->width = c->width;
    s_pPicture->height = c->height;
    if (av_frame_get_buffer(s_pPicture, 0) < 0)
        return Fail(pErr, "out of memory");
    return true;
}

static bool OpenAudio(u32 rate, std::string *pErr)
{
    const bool mkv = s_ulKind == CAPVID_MKV;
    const AVCodec *codec = avcodec_find_encoder(mkv ? AV_CODEC_ID_FLAC : AV_CODEC_ID_AAC);
    if (!codec)
        return Fail(pErr, mkv ? "this FFmpeg has no FLAC encoder" : "this FFmpeg has no AAC encoder");
    s_pAudio = avcodec_alloc_context3(codec);
    s_pAudioStream = avformat_new_stream(s_pMux, nullptr);
    if (!s_pAudio || !s_pAudioStream)
        return Fail(pErr, "out of memory");
    AVCodecContext *c = s_pAudio;
    c->sample_rate = (int)rate;
    c->time_base = AVRational{1, (int)rate};
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&c->ch_layout, &stereo);
    c->sample_fmt = mkv ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
    if (!mkv)
        c->bit_rate = 192000;
    AVDictionary *opts = nullptr;
    // The default search for the best quantisers costs more than the video.
    if (!mkv)
        av_dict_set(&opts, "aac_coder", "fast", 0);
    if (!OpenEncoder(c, &opts, pErr))
        return false;
    s_pAudioStream->time_base = c->time_base;
    avcodec_parameters_from_context(s_pAudioStream->codecpar, c);
    s_nAudioFrameSize = c->frame_size > 0 ? c->frame_size : 4096;

    if (swr_alloc_set_opts2(&s_pResampler, &c->ch_layout, c->sample_fmt, (int)rate, &stereo, AV_SAMPLE_FMT_S16,
                            (int)rate, 0, nullptr) < 0 ||
        swr_init(s_pResampler) < 0)
        return Fail(pErr, "cannot set up the sample conversion");
    s_pFifo = av_audio_fifo_alloc(c->sample_fmt, 2, s_nAudioFrameSize * 2);
    s_pSound = av_frame_alloc();
    if (!s_pFifo || !s_pSound)
        return Fail(pErr, "out of memory");
    return true;
}

bool CaptureVideo_Open(int fd, const std::string &path, u32 kind, u32 w, u32 h, u32 fps, u32 rate,
                       std::string *pErr)
{
    CaptureVideo_Abort();
    if (kind != CAPVID_MKV && kind != CAPVID_MP4)
        return Fail(pErr, "not a video file name: " + path);
    if (!w || !h || w > 8192 || h > 8192 || !fps || fps > 1000 || !rate)
        return Fail(pErr, "unusable picture size, frame or sample rate");
    av_log_set_level(AV_LOG_ERROR);
    s_nFd = fd;
    s_ulKind = kind;
    s_ulW = w;
    s_ulH = h;
    s_llFrames = s_llSamples = 0;
    bool ok = false;
    do {
        if (avformat_alloc_output_context2(&s_pMux, nullptr, kind == CAPVID_MKV ? "matroska" : "mp4",
                                           path.c_str()) < 0 ||
            !s_pMux) {
            Fail(pErr, "cannot set up the video file");
            break;
        }
        const int size = 1 << 16;
        u8 *buf = (u8 *)av_malloc(size);
        s_pIo = buf ? avio_alloc_context(buf, size, 1, nullptr, IoRead, IoWrite, IoSeek) : nullptr;
        s_pPacket = av_packet_alloc();
        if (!s_pIo || !s_pPacket) {
            if (!s_pIo)
                av_free(buf);
            Fail(pErr, "out of memory");
            break;
        }
        s_pMux->pb = s_pIo;
        s_pMux->flags |= AVFMT_FLAG_CUSTOM_IO;
        if (!OpenVideo(fps, pErr) || !OpenAudio(rate, pErr))
            break;
        AVDictionary *opts = nullptr;
        // The index at the front, so players and sites can start before
        // the whole file is there.
        if (kind == CAPVID_MP4)
            av_dict_set(&opts, "movflags", "+faststart", 0);
        int r = avformat_write_header(s_pMux, &opts);
        av_dict_free(&opts);
        if (r < 0) {
            Fail(pErr, "cannot start the video file: " + AvError(r));
            break;
        }
        CaptureQueue_Start();
        ok = true;
    } while (0);
    if (!ok)
        CaptureVideo_Abort();
    return ok;
}

bool CaptureVideo_EncodePicture(const u8 *pBGR, u32 pitch, std::string *pErr)
{
    if (av_frame_make_writable(s_pPicture) < 0)
        return Fail(pErr, "out of memory");
    if (s_ulKind == CAPVID_MKV) {
        for (u32 y = 0; y < s_ulH; y++) {
            const u8 *s = pBGR + (size_t)y * pitch;
            u8 *d = s_pPicture->data[0] + (size_t)y * s_pPicture->linesize[0];
            for (u32 x = 0; x < s_ulW; x++, s += 3, d += 4) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 0;
            }
        }
    } else {
        const uint8_t *src[1] = {pBGR};
        const int stride[1] = {(int)pitch};
        sws_scale(s_pScaler, src, stride, 0, (int)s_ulH, s_pPicture->data, s_pPicture->linesize);
    }
    s_pPicture->pts = s_llFrames++;
    return Encode(s_pVideo, s_pVideoStream, s_pPicture, pErr);
}

// Encodes whole frames from the FIFO; with bLast also the short rest.
static bool DrainSound(bool bLast, std::string *pErr)
{
    for (;;) {
        int have = av_audio_fifo_size(s_pFifo);
        int n = have < s_nAudioFrameSize ? have : s_nAudioFrameSize;
        if (n == 0 || (n < s_nAudioFrameSize && !bLast))
            return true;
        av_frame_unref(s_pSound);
        s_pSound->nb_samples = n;
        s_pSound->format = s_pAudio->sample_fmt;
        s_pSound->sample_rate = s_pAudio->sample_rate;
        av_channel_layout_copy(&s_pSound->ch_layout, &s_pAudio->ch_layout);
        if (av_frame_get_buffer(s_pSound, 0) < 0)
            return Fail(pErr, "out of memory");
        if (av_audio_fifo_read(s_pFifo, (void **)s_pSound->data, n) != n)
            return Fail(pErr, "lost sound samples");
        s_pSound->pts = s_llSamples;
        s_llSamples += n;
        if (!Encode(s_pAudio, s_pAudioStream, s_pSound, pErr))
            return false;
    }
}

bool CaptureVideo_EncodeSound(const u8 *pLR, u32 count, std::string *pErr)
{
    while (count > 0) {
        // Converted a block at a time into a buffer of the encoder's layout.
        enum { BLOCK = 4096 };
        static float s_fBlock[2 * BLOCK]; // big enough for either layout
        const int n = count > BLOCK ? BLOCK : (int)count;
        uint8_t *out[2] = {(uint8_t *)s_fBlock, (uint8_t *)(s_fBlock + BLOCK)};
        const uint8_t *in[1] = {pLR};
        int got = swr_convert(s_pResampler, out, n, in, n);
        if (got != n)
            return Fail(pErr, "sample conversion failed");
        if (av_audio_fifo_write(s_pFifo, (void **)out, n) != n)
            return Fail(pErr, "out of memory");
        pLR += 4 * n;
        count -= (u32)n;
        if (!DrainSound(false, pErr))
            return false;
    }
    return true;
}

bool CaptureVideo_Frame(const u8 *pBGR, u32 pitch, std::string *pErr)
{
    if (!s_pMux)
        return Fail(pErr, "no video file open");
    return CaptureQueue_Submit(1, pBGR, s_ulH, s_ulW * 3, pitch, 0, pErr);
}

bool CaptureVideo_Sound(const u8 *pLR, u32 count, std::string *pErr)
{
    if (!s_pMux)
        return Fail(pErr, "no video file open");
    return CaptureQueue_Submit(0, pLR, 1, count * 4, 0, count, pErr);
}

bool CaptureVideo_Close(std::string *pErr)
{
    if (!s_pMux)
        return Fail(pErr, "no video file open");
    CaptureQueue_Stop(false);
    std::string err;
    if (CaptureQueue_Failed(&err)) {
        Fail(pErr, err);
        CaptureVideo_Abort();
        return false;
    }
    bool ok = DrainSound(true, pErr) && Encode(s_pVideo, s_pVideoStream, nullptr, pErr) &&
              Encode(s_pAudio, s_pAudioStream, nullptr, pErr);
    if (ok) {
        int r = av_write_trailer(s_pMux);
        avio_flush(s_pIo);
        if (r < 0 || s_pIo->error < 0)
            ok = Fail(pErr, "could not finish the video file (disk full?): " + AvError(r < 0 ? r : s_pIo->error));
    }
    CaptureVideo_Abort();
    return ok;
}
