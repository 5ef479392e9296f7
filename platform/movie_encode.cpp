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
    AVCodecContext* changed = nullptr;  // the tone's encoder after its change
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
        avcodec_free_context(&changed);
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

AVCodecContext* OpenToneEncoder(const Encoder& e, u32 rate, i32 channels) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
    if (!codec || channels < 1 || channels > 2) return nullptr;
    AVCodecContext* c = avcodec_alloc_context3(codec);
    if (!c) return nullptr;
    c->sample_fmt = AV_SAMPLE_FMT_S16;
    c->sample_rate = int(rate);
    av_channel_layout_default(&c->ch_layout, channels);
    c->bit_rate = 64000 * channels;
    c->time_base = AVRational{1, c->sample_rate};
    if (e.oc->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) avcodec_free_context(&c);
    return c;
}

bool OpenAudio(Encoder& e, const MovieEncodeOptions& o) {
    e.audio = OpenToneEncoder(e, o.sampleRate, 1);
    if (!e.audio) return false;
    if (o.soundChangeMs) {
        e.changed = OpenToneEncoder(e, o.changedRate ? o.changedRate : o.sampleRate, o.changedChannels);
        if (!e.changed) return false;
    }
    e.audioStream = avformat_new_stream(e.oc, nullptr);
    if (!e.audioStream) return false;
    e.audioStream->time_base = e.audio->time_base;
    return avcodec_parameters_from_context(e.audioStream->codecpar, e.audio) >= 0;
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

// One stretch of the tone with one encoder: samples [next, end) of its rate, from start seconds on.
struct Tone {
    AVCodecContext* c = nullptr;
    double start = 0;
    i64 next = 0;
    i64 end = 0;
    i64 Pts() const { return i64(std::lround(start * c->sample_rate)) + next; }
};

bool WriteAudioFrame(Encoder& e, const MovieEncodeOptions& o, Tone& t) {
    AVCodecContext* c = t.c;
    AVFrame* f = e.frame;
    av_frame_unref(f);
    const int count = int(std::min<i64>(c->frame_size, t.end - t.next));
    f->format = AV_SAMPLE_FMT_S16;
    f->sample_rate = c->sample_rate;
    f->nb_samples = c->frame_size;  // the last frame is padded with silence
    if (av_channel_layout_copy(&f->ch_layout, &c->ch_layout) < 0) return false;
    if (av_frame_get_buffer(f, 0) < 0) return false;
    auto* out = reinterpret_cast<i16*>(f->data[0]);
    const int channels = c->ch_layout.nb_channels;
    const double step = 2.0 * std::numbers::pi * o.toneHz / c->sample_rate;
    const double phase = 2.0 * std::numbers::pi * o.toneHz * t.start;
    for (int i = 0; i < f->nb_samples; ++i) {
        const i16 v = i < count ? i16(std::lround(12000.0 * std::sin(phase + step * double(t.next + i)))) : 0;
        for (int ch = 0; ch < channels; ++ch) out[i * channels + ch] = v;
    }
    f->pts = t.Pts();
    t.next += c->frame_size;
    return Send(e, c, e.audioStream, f);
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
    const double length = double(o.frames) / o.fps;
    Tone tone;
    Tone after;
    if (e.audio) {
        tone = {e.audio, o.soundDelayMs / 1000.0, 0, 0};
        tone.end = std::max<i64>(i64(o.frames) * o.sampleRate / o.fps - i64(o.soundDelayMs) * o.sampleRate / 1000, 0);
        if (e.changed) {
            const i64 frame = e.audio->frame_size;
            const double first = std::max(o.soundChangeMs / 1000.0 - tone.start, 0.0);
            tone.end = std::min(tone.end, (i64(first * o.sampleRate) + frame - 1) / frame * frame);
            after = {e.changed, tone.start + double(tone.end) / o.sampleRate, 0, 0};
            after.end = std::max<i64>(i64((length - after.start) * e.changed->sample_rate), 0);
        }
    }
    i32 nextFrame = 0;
    // Interleave by time so the muxer never has to hold one track back.
    for (;;) {
        if (tone.c && tone.next >= tone.end && after.c) {
            if (!Send(e, tone.c, e.audioStream, nullptr)) return false;
            tone = after;
            after = {};
        }
        const bool sound = tone.c && tone.next < tone.end;
        if (nextFrame >= o.frames && !sound) break;
        const bool videoFirst = !sound || (nextFrame < o.frames && av_compare_ts(nextFrame, e.video->time_base,
                                                                                 tone.Pts(), tone.c->time_base) <= 0);
        if (videoFirst) {
            if (!WriteVideoFrame(e, o, fill, nextFrame++, rgb)) return false;
        } else if (!WriteAudioFrame(e, o, tone)) {
            return false;
        }
    }
    if (!Send(e, e.video, e.videoStream, nullptr)) return false;
    if (tone.c && !Send(e, tone.c, e.audioStream, nullptr)) return false;
    if (av_write_trailer(e.oc) < 0) return false;

    u8* data = nullptr;
    const int size = avio_close_dyn_buf(e.oc->pb, &data);
    e.oc->pb = nullptr;
    const bool ok = size > 0 && WriteFileAtomic(path, data, size_t(size));
    av_free(data);
    return ok;
}

}  // namespace plat
