#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/movie.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace plat {
namespace {

constexpr AVRational kUnits{1, 10000000};
constexpr i32 kMaxVideoSize = 4096;
// Picture packets read ahead while the sound is being filled; bounds memory for files whose sound
// runs far ahead of (or without) their picture.
constexpr size_t kMaxQueuedPackets = 512;
// Sound buffered ahead of the play cursor, in seconds: longer than any pause between two updates.
constexpr u32 kSoundSeconds = 1;

}  // namespace

struct MovieStream {
    AVFormatContext* fmt = nullptr;
    int videoIndex = -1;
    int audioIndex = -1;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVPacket* packet = nullptr;
    i32 width = 0;
    i32 height = 0;
    i64 duration = 0;
    i64 origin = 0;  // the file's first time-stamp

    // Clock: clockBase while stopped; clockBase + elapsed since clockStart while running.
    bool running = false;
    i64 clockBase = 0;
    u32 clockStart = 0;

    // Picture: packets read ahead, the decoded frame not yet due, the frame last written.
    bool demuxEnded = false;
    std::deque<AVPacket*> videoPackets;
    bool videoFlushed = false;
    bool videoEnded = false;
    AVFrame* next = nullptr;
    bool hasNext = false;
    i64 nextTime = 0;
    i64 lastTime = 0;
    i64 frameDuration = 0;  // for frames that come without a time-stamp
    bool shownAny = false;
    bool unwritten = false;  // the due frame could not be written: the next update tries again
    AVFrame* current = nullptr;
    MovieSample* sample = nullptr;

    // Sound: decoded 16-bit samples (mono or stereo) waiting for room in the ring, and the ring's cursors in bytes.
    AVFrame* audioFrame = nullptr;
    SwrContext* swr = nullptr;
    SoundBuffer* sound = nullptr;
    u32 soundRate = 0;
    u32 soundChannels = 0;
    u32 soundSize = 0;
    std::vector<i16> pcm;
    size_t pcmRead = 0;
    bool pcmStarted = false;
    u64 written = 0;
    u64 played = 0;
    u32 lastPlay = 0;
};

struct MovieSample {
    MovieStream* stream = nullptr;
    Surface* surface = nullptr;
    RECT rect{};
    AVPixelFormat format = AV_PIX_FMT_NONE;
    SwsContext* sws = nullptr;
};

namespace {

i64 Clock(const MovieStream* s) {
    if (!s->running) return s->clockBase;
    return s->clockBase + i64(u32(GetTimeMs() - s->clockStart)) * 10000;
}

i64 StreamTime(const MovieStream* s, int index, i64 ts) {
    return av_rescale_q(ts, s->fmt->streams[index]->time_base, kUnits) - s->origin;
}

AVCodecContext* OpenDecoder(AVFormatContext* fmt, int index) {
    const AVCodecParameters* par = fmt->streams[index]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec) return nullptr;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    if (!ctx) return nullptr;
    if (avcodec_parameters_to_context(ctx, par) < 0 || avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        return nullptr;
    }
    return ctx;
}

i64 ReadDuration(const MovieStream* s) {
    if (s->fmt->duration != AV_NOPTS_VALUE && s->fmt->duration > 0)
        return av_rescale_q(s->fmt->duration, AV_TIME_BASE_Q, kUnits);
    i64 longest = 0;
    for (int index : {s->videoIndex, s->audioIndex}) {
        if (index < 0) continue;
        const AVStream* st = s->fmt->streams[index];
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            longest = std::max(longest, av_rescale_q(st->duration, st->time_base, kUnits));
    }
    return longest;
}

// Sound is optional: any failure here leaves the movie silent.
void OpenSound(MovieStream* s, AudioDevice* device) {
    if (!device) return;
    s->audioIndex = av_find_best_stream(s->fmt, AVMEDIA_TYPE_AUDIO, -1, s->videoIndex, nullptr, 0);
    if (s->audioIndex < 0) return;
    s->audio = OpenDecoder(s->fmt, s->audioIndex);
    if (!s->audio || s->audio->sample_rate < 8000 || s->audio->sample_rate > 192000) {
        s->audioIndex = -1;
        return;
    }
    AVChannelLayout in{};
    if (s->audio->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || s->audio->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&in, std::max(1, s->audio->ch_layout.nb_channels));
    else if (av_channel_layout_copy(&in, &s->audio->ch_layout) < 0)
        return;
    // Mono stays mono (the mixer puts it on both sides at full level); more channels fold to stereo.
    const int channels = std::min(in.nb_channels, 2);
    AVChannelLayout out{};
    av_channel_layout_default(&out, channels);
    const int rate = s->audio->sample_rate;
    const int r =
        swr_alloc_set_opts2(&s->swr, &out, AV_SAMPLE_FMT_S16, rate, &in, s->audio->sample_fmt, rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (r < 0 || swr_init(s->swr) < 0) {
        swr_free(&s->swr);
        return;
    }
    s->soundRate = u32(rate);
    s->soundChannels = u32(channels);
    s->soundSize = s->soundRate * 2 * s->soundChannels * kSoundSeconds;
    s->sound = SoundCreateBuffer(device, SoundFormat{s->soundRate, u16(channels), 16}, s->soundSize,
                                 kSoundCtrlVolume | kSoundGetCurrentPosition2);
    if (!s->sound || !(s->audioFrame = av_frame_alloc())) {
        swr_free(&s->swr);
        return;
    }
    SoundSetVolume(s->sound, kSoundVolumeMax);
}

void DecodeSound(MovieStream* s, const AVPacket* packet) {
    if (avcodec_send_packet(s->audio, packet) < 0 && packet) return;  // a damaged packet is skipped
    AVFrame* f = s->audioFrame;
    while (avcodec_receive_frame(s->audio, f) == 0) {
        if (!s->pcmStarted) {
            // Sound that starts after the picture begins with silence, so the two stay together.
            s->pcmStarted = true;
            if (f->best_effort_timestamp != AV_NOPTS_VALUE) {
                const i64 lead = StreamTime(s, s->audioIndex, f->best_effort_timestamp);
                if (lead > 0) {
                    const i64 frames = std::min<i64>(lead * s->soundRate / 10000000, s->soundRate);
                    s->pcm.resize(s->pcm.size() + size_t(frames) * s->soundChannels, 0);
                }
            }
        }
        const int room = swr_get_out_samples(s->swr, f->nb_samples);
        if (room > 0) {
            const size_t at = s->pcm.size();
            s->pcm.resize(at + size_t(room) * s->soundChannels);
            u8* out = reinterpret_cast<u8*>(s->pcm.data() + at);
            const int got = swr_convert(s->swr, &out, room, const_cast<const u8**>(f->extended_data), f->nb_samples);
            s->pcm.resize(at + size_t(std::max(got, 0)) * s->soundChannels);
        }
        av_frame_unref(f);
    }
}

void ReadPacket(MovieStream* s) {
    if (av_read_frame(s->fmt, s->packet) < 0) {
        s->demuxEnded = true;
        if (s->sound) DecodeSound(s, nullptr);
        return;
    }
    if (s->packet->stream_index == s->videoIndex) {
        AVPacket* kept = av_packet_alloc();
        if (kept) {
            av_packet_move_ref(kept, s->packet);
            s->videoPackets.push_back(kept);
        }
    } else if (s->packet->stream_index == s->audioIndex && s->sound) {
        DecodeSound(s, s->packet);
    }
    av_packet_unref(s->packet);
}

// Decodes the next picture into s->next; false once the picture has ended.
bool DecodeNext(MovieStream* s) {
    while (!s->videoEnded) {
        const int r = avcodec_receive_frame(s->video, s->next);
        if (r == 0) {
            const i64 ts = s->next->best_effort_timestamp;
            s->lastTime = ts != AV_NOPTS_VALUE ? StreamTime(s, s->videoIndex, ts) : s->lastTime + s->frameDuration;
            s->nextTime = s->lastTime;
            return true;
        }
        if (r != AVERROR(EAGAIN)) break;
        if (!s->videoPackets.empty()) {
            AVPacket* p = s->videoPackets.front();
            s->videoPackets.pop_front();
            avcodec_send_packet(s->video, p);  // a damaged packet is skipped
            av_packet_free(&p);
        } else if (!s->demuxEnded) {
            ReadPacket(s);
        } else if (!s->videoFlushed) {
            avcodec_send_packet(s->video, nullptr);
            s->videoFlushed = true;
        } else {
            break;
        }
    }
    s->videoEnded = true;
    return false;
}

u64 PcmBytes(const MovieStream* s) { return u64(s->pcm.size() - s->pcmRead) * 2; }

// Tops the ring up to kSoundSeconds ahead of the play cursor: decoded sound first, silence after it so
// the ring never repeats old sound when the movie's sound runs out or an update comes late.
void RefillSound(MovieStream* s) {
    if (!s->sound) return;
    u32 play = 0, write = 0;
    if (!SoundGetPosition(s->sound, &play, &write)) return;
    s->played += (u64(play) + s->soundSize - s->lastPlay) % s->soundSize;
    s->lastPlay = play;
    if (s->played > s->written) s->written = s->played;  // the cursor overtook us: late sound is dropped
    const u32 room = u32(s->soundSize - (s->written - s->played));
    if (room == 0) return;
    while (PcmBytes(s) < room && !s->demuxEnded && s->videoPackets.size() < kMaxQueuedPackets) ReadPacket(s);

    void* p1 = nullptr;
    void* p2 = nullptr;
    u32 n1 = 0, n2 = 0;
    if (!SoundLock(s->sound, u32(s->written % s->soundSize), room, &p1, &n1, &p2, &n2)) return;
    u32 take = u32(std::min<u64>(PcmBytes(s), room));
    take -= take % (2 * s->soundChannels);
    const u8* from = reinterpret_cast<const u8*>(s->pcm.data() + s->pcmRead);
    const u32 first = std::min(take, n1);
    std::memcpy(p1, from, first);
    std::memset(static_cast<u8*>(p1) + first, 0, n1 - first);
    if (p2) {
        const u32 second = take - first;
        std::memcpy(p2, from + first, second);
        std::memset(static_cast<u8*>(p2) + second, 0, n2 - second);
    }
    SoundUnlock(s->sound, p1, n1, p2, n2);
    s->written += take;
    s->pcmRead += take / 2;
    if (s->pcmRead > 0 && s->pcmRead * 2 >= s->pcm.size()) {
        s->pcm.erase(s->pcm.begin(), s->pcm.begin() + std::ptrdiff_t(s->pcmRead));
        s->pcmRead = 0;
    }
}

AVPixelFormat TargetFormat(const Surface* surface) {
    if (surface->bitCount == 16 && surface->rMask == 0xF800 && surface->gMask == 0x07E0 && surface->bMask == 0x001F)
        return AV_PIX_FMT_RGB565LE;
    if (surface->bitCount == 16 && surface->rMask == 0x7C00 && surface->gMask == 0x03E0 && surface->bMask == 0x001F)
        return AV_PIX_FMT_RGB555LE;
    if (surface->bitCount == 32 && surface->rMask == 0xFF0000 && surface->gMask == 0xFF00 && surface->bMask == 0xFF)
        return AV_PIX_FMT_BGR0;
    return AV_PIX_FMT_NONE;
}

bool WriteFrame(MovieSample* sample, const AVFrame* frame) {
    const i32 w = sample->rect.right - sample->rect.left;
    const i32 h = sample->rect.bottom - sample->rect.top;
    sample->sws = sws_getCachedContext(sample->sws, frame->width, frame->height, AVPixelFormat(frame->format), w, h,
                                       sample->format, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sample->sws) return false;
    SurfaceDesc desc{};
    if (LockSurface(sample->surface, &desc) != kSurfOk) return false;
    u8* dst[1] = {static_cast<u8*>(desc.pixels) + std::ptrdiff_t(sample->rect.top) * desc.pitch +
                  std::ptrdiff_t(sample->rect.left) * (desc.bitCount / 8)};
    const int stride[1] = {desc.pitch};
    sws_scale(sample->sws, frame->data, frame->linesize, 0, frame->height, dst, stride);
    UnlockSurface(sample->surface);
    return true;
}

void QuietLibraries() {
    static const bool once = [] {
        av_log_set_level(AV_LOG_ERROR);
        return true;
    }();
    (void)once;
}

}  // namespace

MovieStream* MovieOpen(const char* name, AudioDevice* audio) {
    if (!name) return nullptr;
    QuietLibraries();
    const std::string path = ResolvePath(name);
    auto* s = new MovieStream;
    const auto fail = [s] {
        MovieClose(s);
        return nullptr;
    };
    if (avformat_open_input(&s->fmt, path.c_str(), nullptr, nullptr) < 0) return fail();
    if (avformat_find_stream_info(s->fmt, nullptr) < 0) return fail();
    s->videoIndex = av_find_best_stream(s->fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (s->videoIndex < 0) return fail();
    s->video = OpenDecoder(s->fmt, s->videoIndex);
    if (!s->video) return fail();
    s->width = s->video->width;
    s->height = s->video->height;
    if (s->width <= 0 || s->height <= 0 || s->width > kMaxVideoSize || s->height > kMaxVideoSize) return fail();
    s->packet = av_packet_alloc();
    s->next = av_frame_alloc();
    s->current = av_frame_alloc();
    if (!s->packet || !s->next || !s->current) return fail();
    const AVStream* vs = s->fmt->streams[s->videoIndex];
    const AVRational rate = vs->avg_frame_rate.num > 0 && vs->avg_frame_rate.den > 0 ? vs->avg_frame_rate
                                                                                    : vs->r_frame_rate;
    if (rate.num > 0 && rate.den > 0) s->frameDuration = av_rescale_q(1, av_inv_q(rate), kUnits);
    s->lastTime = -s->frameDuration;
    if (s->fmt->start_time != AV_NOPTS_VALUE) s->origin = av_rescale_q(s->fmt->start_time, AV_TIME_BASE_Q, kUnits);
    OpenSound(s, audio);
    s->duration = ReadDuration(s);
    return s;
}

void MovieClose(MovieStream* s) {
    if (!s) return;
    if (s->sample) MovieReleaseSample(s->sample);
    if (s->sound) SoundRelease(s->sound);
    swr_free(&s->swr);
    for (AVPacket* p : s->videoPackets) av_packet_free(&p);
    av_packet_free(&s->packet);
    av_frame_free(&s->next);
    av_frame_free(&s->current);
    av_frame_free(&s->audioFrame);
    avcodec_free_context(&s->video);
    avcodec_free_context(&s->audio);
    avformat_close_input(&s->fmt);
    delete s;
}

bool MovieGetVideoSize(const MovieStream* s, i32* width, i32* height) {
    if (!s) return false;
    if (width) *width = s->width;
    if (height) *height = s->height;
    return true;
}

i64 MovieGetDuration(const MovieStream* s) { return s ? s->duration : 0; }

i64 MovieGetTime(const MovieStream* s) {
    if (!s) return 0;
    return std::clamp<i64>(Clock(s), 0, s->duration);
}

bool MovieSetRunning(MovieStream* s, bool run) {
    if (!s) return false;
    if (run && !s->running) {
        s->clockStart = GetTimeMs();
        s->running = true;
        RefillSound(s);
        if (s->sound) SoundPlay(s->sound, true);
    } else if (!run && s->running) {
        s->clockBase = Clock(s);
        s->running = false;
        if (s->sound) SoundStop(s->sound);
    }
    return true;
}

bool MovieIsRunning(const MovieStream* s) { return s && s->running; }

MovieSample* MovieCreateSample(MovieStream* s, Surface* surface, const RECT* rect) {
    if (!s || !surface || !rect || s->sample) return nullptr;
    if (rect->left < 0 || rect->top < 0 || rect->right > surface->width || rect->bottom > surface->height ||
        rect->left >= rect->right || rect->top >= rect->bottom)
        return nullptr;
    const AVPixelFormat format = TargetFormat(surface);
    if (format == AV_PIX_FMT_NONE) return nullptr;
    auto* sample = new MovieSample;
    sample->stream = s;
    sample->surface = surface;
    sample->rect = *rect;
    sample->format = format;
    s->sample = sample;
    return sample;
}

void MovieReleaseSample(MovieSample* sample) {
    if (!sample) return;
    if (sample->stream) sample->stream->sample = nullptr;
    sws_freeContext(sample->sws);
    delete sample;
}

MovieUpdateResult MovieUpdate(MovieSample* sample) {
    if (!sample || !sample->stream) return MovieUpdateResult::kError;
    MovieStream* s = sample->stream;
    if (!s->running) return MovieUpdateResult::kNoUpdate;
    const i64 now = Clock(s);
    bool due = false;
    for (;;) {
        if (!s->hasNext) {
            if (!DecodeNext(s)) break;
            s->hasNext = true;
        }
        // The first picture shows as soon as the stream runs, even when the sound starts a little earlier.
        if (s->nextTime > now && s->shownAny) break;
        s->shownAny = true;
        std::swap(s->current, s->next);
        av_frame_unref(s->next);
        s->hasNext = false;
        due = true;
    }
    RefillSound(s);
    if (due || s->unwritten) {
        s->unwritten = !WriteFrame(sample, s->current);
        return s->unwritten ? MovieUpdateResult::kError : MovieUpdateResult::kNewFrame;
    }
    if (!s->hasNext && s->videoEnded) return MovieUpdateResult::kEnd;
    return MovieUpdateResult::kNoUpdate;
}

}  // namespace plat
