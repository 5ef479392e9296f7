#include "platform/movie_encode.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/file.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace plat {
namespace {

constexpr unsigned kPacketSize = 64;

struct Encoder {
    AVFormatContext* oc = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* sws = nullptr;
    bool headerWritten = false;

    ~Encoder() {
        sws_freeContext(sws);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        if (oc) {
            if (oc->pb) {
                u8* data = nullptr;
                avio_close_dyn_buf(oc->pb, &data);
                av_free(data);
                oc->pb = nullptr;
            }
            avformat_free_context(oc);
        }
    }
};

bool OpenVideo(Encoder& e, const MovieEncodeOptions& o) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG1VIDEO);
    if (!codec) return false;
    e.video = avcodec_alloc_context3(codec);
    if (!e.video) return false;
    AVCodecContext* c = e.video;
    c->width = o.width;
    c->height = o.height;
    c->time_base = AVRational{1, o.fps};
    c->framerate = AVRational{o.fps, 1};
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->gop_size = 12;
    c->max_b_frames = 0;  // presentation order = coding order keeps the frame times plain
    c->bit_rate = 1000000;
    // A fine fixed quantiser keeps solid colours within a few levels of what was asked.
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * 2;
    if (e.oc->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) return false;
    e.videoStream = avformat_new_stream(e.oc, nullptr);
    if (!e.videoStream) return false;
    e.videoStream->time_base = c->time_base;
    return avcodec_parameters_from_context(e.videoStream->codecpar, c) >= 0;
}

bool OpenAudio(Encoder& e, const MovieEncodeOptions& o) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
    if (!codec) return false;
    e.audio = avcodec_alloc_context3(codec);
    if (!e.audio) return false;
    AVCodecContext* c = e.audio;
    c->sample_fmt = AV_SAMPLE_FMT_S16;
    c->sample_rate = int(o.sampleRate);
    av_channel_layout_default(&c->ch_layout, 1);
    c->bit_rate = 64000;
    c->time_base = AVRational{1, c->sample_rate};
    if (e.oc->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) return false;
    e.audioStream = avformat_new_stream(e.oc, nullptr);
    if (!e.audioStream) return false;
    e.audioStream->time_base = c->time_base;
    return avcodec_parameters_from_context(e.audioStream->codecpar, c) >= 0;
}

// Sends a frame (null flushes) and writes every packet the encoder gives back.
bool Send(Encoder& e, AVCodecContext* c, AVStream* st, AVFrame* frame) {
    if (avcodec_send_frame(c, frame) < 0) return false;
    for (;;) {
        int r = avcodec_receive_packet(c, e.packet);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
        if (r < 0) return false;
        av_packet_rescale_ts(e.packet, c->time_base, st->time_base);
        e.packet->stream_index = st->index;
        if (av_interleaved_write_frame(e.oc, e.packet) < 0) return false;
    }
}

bool WriteVideoFrame(Encoder& e, const MovieEncodeOptions& o, const MovieFrameFill& fill, i32 index,
                     std::vector<u8>& rgb) {
    AVFrame* f = e.frame;
    av_frame_unref(f);
    f->format = AV_PIX_FMT_YUV420P;
    f->width = o.width;
    f->height = o.height;
    if (av_frame_get_buffer(f, 0) < 0) return false;
    fill(index, rgb.data());
    const u8* src[1] = {rgb.data()};
    const int srcStride[1] = {o.width * 3};
    sws_scale(e.sws, src, srcStride, 0, o.height, f->data, f->linesize);
    f->pts = index;
    return Send(e, e.video, e.videoStream, f);
}

bool WriteAudioFrame(Encoder& e, const MovieEncodeOptions& o, i64 first, i64 total, i64 delay) {
    AVFrame* f = e.frame;
    av_frame_unref(f);
    const int count = int(std::min<i64>(e.audio->frame_size, total - first));
    f->format = AV_SAMPLE_FMT_S16;
    f->sample_rate = e.audio->sample_rate;
    f->nb_samples = e.audio->frame_size;  // the last frame is padded with silence
    if (av_channel_layout_copy(&f->ch_layout, &e.audio->ch_layout) < 0) return false;
    if (av_frame_get_buffer(f, 0) < 0) return false;
    auto* out = reinterpret_cast<i16*>(f->data[0]);
    const double step = 2.0 * std::numbers::pi * o.toneHz / o.sampleRate;
    for (int i = 0; i < f->nb_samples; ++i)
        out[i] = i < count ? i16(std::lround(12000.0 * std::sin(step * double(first + i)))) : 0;
    f->pts = delay + first;
    return Send(e, e.audio, e.audioStream, f);
}

}  // namespace

bool EncodeMovie(const char* path, const MovieEncodeOptions& o, const MovieFrameFill& fill) {
    if (!path || !fill || o.width <= 0 || o.height <= 0 || o.width > 4096 || o.height > 4096 || o.fps <= 0 ||
        o.frames <= 0)
        return false;
    av_log_set_level(AV_LOG_ERROR);  // the muxer's advice on buffer sizes is for disc formats
    Encoder e;
    if (avformat_alloc_output_context2(&e.oc, nullptr, "mpeg", nullptr) < 0 || !e.oc) return false;
    // Small packs put every frame at the start of a packet of its own, so each carries its time-stamp and
    // readers see the true duration (a small solid frame is only some 70 bytes).
    e.oc->packet_size = kPacketSize;
    if (!OpenVideo(e, o)) return false;
    if (o.sampleRate && !OpenAudio(e, o)) return false;
    e.frame = av_frame_alloc();
    e.packet = av_packet_alloc();
    e.sws = sws_getContext(o.width, o.height, AV_PIX_FMT_RGB24, o.width, o.height, AV_PIX_FMT_YUV420P, SWS_POINT,
                           nullptr, nullptr, nullptr);
    if (!e.frame || !e.packet || !e.sws) return false;
    if (avio_open_dyn_buf(&e.oc->pb) < 0) return false;
    if (avformat_write_header(e.oc, nullptr) < 0) return false;

    std::vector<u8> rgb(size_t(o.width) * o.height * 3);
    const i64 delay = e.audio ? i64(o.soundDelayMs) * o.sampleRate / 1000 : 0;
    const i64 totalSamples = e.audio ? std::max<i64>(i64(o.frames) * o.sampleRate / o.fps - delay, 0) : 0;
    i32 nextFrame = 0;
    i64 nextSample = 0;
    // Interleave by time so the muxer never has to hold one track back.
    while (nextFrame < o.frames || nextSample < totalSamples) {
        const bool videoFirst =
            nextSample >= totalSamples ||
            (nextFrame < o.frames &&
             av_compare_ts(nextFrame, e.video->time_base, delay + nextSample, AVRational{1, int(o.sampleRate)}) <= 0);
        if (videoFirst) {
            if (!WriteVideoFrame(e, o, fill, nextFrame++, rgb)) return false;
        } else {
            if (!WriteAudioFrame(e, o, nextSample, totalSamples, delay)) return false;
            nextSample += e.audio->frame_size;
        }
    }
    if (!Send(e, e.video, e.videoStream, nullptr)) return false;
    if (e.audio && !Send(e, e.audio, e.audioStream, nullptr)) return false;
    if (av_write_trailer(e.oc) < 0) return false;

    u8* data = nullptr;
    const int size = avio_close_dyn_buf(e.oc->pb, &data);
    e.oc->pb = nullptr;
    const bool ok = size > 0 && WriteFileAtomic(path, data, size_t(size));
    av_free(data);
    return ok;
}

}  // namespace plat
