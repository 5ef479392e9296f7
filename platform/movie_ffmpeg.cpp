#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/file.h"
#include "platform/movie.h"
#include "platform/thread.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/avstring.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace plat {
namespace {

constexpr AVRational kUnits{1, 10000000};
constexpr i64 kUnitsPerSecond = 10000000;
constexpr i32 kMaxVideoSize = 4096;
constexpr int kStagingSlack = 64;  // bytes past a row's end the scaler may write
std::atomic<u32> g_liveStreams{0};
// The sound ring is a second long and refilled each time the play cursor passes one of its quarters,
// so the sound thread wakes four times a lap and never loses one.
constexpr u32 kRingQuarters = 4;
// Silence before a sound track that starts after the picture is kept whole, up to the movie's length
// and never more than this: a damaged time-stamp must not ask for hours of it.
constexpr i64 kMaxSoundLead = 600 * kUnitsPerSecond;

}  // namespace

// The sound side has its own reader of the file and runs on its own thread, so it plays on whether or
// not the picture is updated. Only the thread touches these fields once it runs (the main thread only
// starts and stops the ring, and ends the thread before it frees anything).
struct MovieSound {
    std::string path;
    AVFormatContext* fmt = nullptr;
    AVIOContext* io = nullptr;
    int index = -1;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwrContext* swr = nullptr;
    // What the resampler is set up to read, and the last input it could not be set up for (refused
    // frames with it are dropped without another debug line).
    AVChannelLayout inLayout{};
    int inFormat = AV_SAMPLE_FMT_NONE;
    int inRate = 0;
    AVChannelLayout refusedLayout{};
    int refusedFormat = AV_SAMPLE_FMT_NONE;
    int refusedRate = 0;
    bool refusedAny = false;
    i64 origin = 0;   // the file's first time-stamp, shared with the picture
    i64 maxLead = 0;  // in 100-ns units

    SoundBuffer* ring = nullptr;
    u32 ringSize = 0;
    u32 rate = 0;
    u32 frameBytes = 0;
    // Decoded 16-bit samples (mono or stereo) waiting for room in the ring.
    std::vector<i16> pcm;
    size_t pcmRead = 0;
    u64 leadBytes = 0;  // silence still due before the first decoded sound
    bool started = false;
    bool ended = false;
    bool quiet = false;  // the sound is over and the whole ring holds silence
    u64 written = 0;     // bytes of sound (and lead) put into the ring
    u64 played = 0;      // bytes the play cursor has passed
    u32 lastPlay = 0;

    EventRef quit;
    EventRef wake;
    Thread* thread = nullptr;
};

struct MovieStream {
    AVFormatContext* fmt = nullptr;
    AVIOContext* io = nullptr;
    int videoIndex = -1;
    AVCodecContext* video = nullptr;
    AVPacket* packet = nullptr;
    i32 width = 0;
    i32 height = 0;
    i64 duration = 0;
    i64 origin = 0;  // the file's first time-stamp

    // Clock: clockBase while stopped; clockBase + elapsed since clockStart while running.
    bool running = false;
    i64 clockBase = 0;
    u32 clockStart = 0;

    // Picture: the decoded frame not yet due, the frame last written.
    bool demuxEnded = false;
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

    MovieSound* sound = nullptr;
};

struct MovieSample {
    MovieStream* stream = nullptr;
    Surface* surface = nullptr;
    RECT rect{};
    AVPixelFormat format = AV_PIX_FMT_NONE;
    SwsContext* sws = nullptr;
    // The scaler's vector code writes whole blocks past the end of a row, so it draws here, with room to
    // spare, and the rows are copied onto the surface.
    u8* staging = nullptr;
    int stagingPitch = 0;
};

namespace {

void Log(const std::string& text) { DebugOutput("movie: " + text + "\r\n"); }

i64 Clock(const MovieStream* s) {
    if (!s->running) return s->clockBase;
    return s->clockBase + i64(u32(GetTimeMs() - s->clockStart)) * 10000;
}

i64 StreamTime(const AVFormatContext* fmt, int index, i64 origin, i64 ts) {
    return av_rescale_q(ts, fmt->streams[index]->time_base, kUnits) - origin;
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

// FFmpeg reads the descriptor that was checked, never the name again: a pipe or another file put at
// the name afterwards is not what it reads. Each reader has its own position (pread), so the picture
// and the sound can share one open file.
struct Source {
    int fd = -1;
    i64 pos = 0;
    std::string name;  // for the debug lines of what it names
};

int ReadSource(void* opaque, u8* buffer, int size) {
    auto* source = static_cast<Source*>(opaque);
    ssize_t n;
    do n = pread(source->fd, buffer, size_t(size), off_t(source->pos));
    while (n < 0 && errno == EINTR);
    if (n < 0) return AVERROR(errno);
    if (n == 0) return AVERROR_EOF;
    source->pos += n;
    return int(n);
}

i64 SeekSource(void* opaque, i64 offset, int whence) {
    auto* source = static_cast<Source*>(opaque);
    struct stat st{};
    const int how = whence & ~AVSEEK_FORCE;
    if ((how == AVSEEK_SIZE || how == SEEK_END) && fstat(source->fd, &st) != 0) return AVERROR(errno);
    if (how == AVSEEK_SIZE) return i64(st.st_size);
    const i64 base = how == SEEK_SET ? 0 : how == SEEK_CUR ? source->pos : how == SEEK_END ? i64(st.st_size) : -1;
    if (base < 0 || offset < -base || offset > INT64_MAX - base) return AVERROR(EINVAL);
    source->pos = base + offset;
    return source->pos;
}

// The reader's descriptor, for a second reader of the same open file.
int SourceDescriptor(const AVIOContext* io) { return io ? static_cast<const Source*>(io->opaque)->fd : -1; }

void CloseReader(AVFormatContext** fmt, AVIOContext** io) {
    avformat_close_input(fmt);
    if (!*io) return;
    auto* source = static_cast<Source*>((*io)->opaque);
    close(source->fd);
    delete source;
    av_freep(&(*io)->buffer);
    avio_context_free(io);
}

// The containers a movie comes in: MPEG system streams, plain MPEG video and AVI. Others (playlists,
// concatenation lists, image sequences) name further files and addresses, which a data folder copied
// from someone else must not make the game open.
constexpr const char* kMovieFormats = "mpeg,mpegvideo,avi";

// Every open a demuxer asks for beyond the file it was given is refused.
int RefuseNestedOpen(AVFormatContext* fmt, AVIOContext**, const char* url, int, AVDictionary**) {
    const auto* source = fmt->pb ? static_cast<const Source*>(fmt->pb->opaque) : nullptr;
    Log((source ? source->name : std::string("a movie")) + " names " + (url ? url : "another file") +
        "; not opened");
    return AVERROR(EPERM);
}

// Reads the open file fd (taken over, closed on failure) and finds its streams; the name only helps
// tell the format and is never opened.
AVFormatContext* OpenReader(int fd, const std::string& name, AVIOContext** io) {
    constexpr int kBufferSize = 32768;
    *io = nullptr;
    if (fd < 0) return nullptr;
    auto* source = new Source{fd, 0, name};
    auto* buffer = static_cast<u8*>(av_malloc(kBufferSize));
    *io = buffer ? avio_alloc_context(buffer, kBufferSize, 0, source, ReadSource, nullptr, SeekSource) : nullptr;
    if (!*io) {
        av_free(buffer);
        close(fd);
        delete source;
        return nullptr;
    }
    // The format is told here, among all, so that a refusal can say what the file is; only the movie
    // formats are then opened, with no protocol and no open of anything else.
    const AVInputFormat* format = nullptr;
    AVFormatContext* fmt = nullptr;
    if (av_probe_input_buffer2(*io, &format, name.c_str(), nullptr, 0, 0) >= 0 && format &&
        av_match_list(format->name, kMovieFormats, ',') <= 0) {
        Log(name + " is " + (format->long_name ? format->long_name : format->name) + " (" + format->name +
            "), not a movie; refused");
        format = nullptr;
    } else if (format) {
        fmt = avformat_alloc_context();
    }
    if (fmt) {
        fmt->pb = *io;
        fmt->flags |= AVFMT_FLAG_CUSTOM_IO;  // the reader is ours to close, opened or not
        fmt->io_open = RefuseNestedOpen;
        fmt->format_whitelist = av_strdup(kMovieFormats);
        fmt->protocol_whitelist = av_strdup("none");
    }
    // On failure the context is freed and fmt set to null; the I/O context stays ours.
    if (!fmt || !fmt->format_whitelist || !fmt->protocol_whitelist ||
        avformat_open_input(&fmt, name.c_str(), format, nullptr) < 0 || avformat_find_stream_info(fmt, nullptr) < 0) {
        CloseReader(&fmt, io);
        return nullptr;
    }
    return fmt;
}

// FFmpeg would wait on a pipe or read a device without end: only a regular file is a movie, and the
// descriptor that passed the check is the one read. -1 when the file is refused.
int OpenMovieFile(const std::string& path) {
    File* file = FileOpenRead(path.c_str());
    if (!file) return -1;
    const int fd = fcntl(FileDescriptor(file), F_DUPFD_CLOEXEC, 0);
    FileClose(file);
    return fd;
}

// The reader then passes over every stream but keep.
void KeepOnly(AVFormatContext* fmt, int keep) {
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
        fmt->streams[i]->discard = int(i) == keep ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
}

i64 ReadDuration(const AVFormatContext* fmt, int videoIndex, int audioIndex) {
    if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
        return av_rescale_q(fmt->duration, AV_TIME_BASE_Q, kUnits);
    i64 longest = 0;
    for (int index : {videoIndex, audioIndex}) {
        if (index < 0) continue;
        const AVStream* st = fmt->streams[index];
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            longest = std::max(longest, av_rescale_q(st->duration, st->time_base, kUnits));
    }
    return longest;
}

// ---- sound (the sound thread's, once it runs) ----

u64 PcmBytes(const MovieSound* s) { return u64(s->pcm.size() - s->pcmRead) * 2; }

bool SoundRateOk(int rate) { return rate >= 8000 && rate <= 192000; }

// A layout the resampler can read: one without a channel order gets the usual one for its count.
bool InputLayout(const AVChannelLayout& from, AVChannelLayout* in) {
    if (from.nb_channels <= 0 || from.nb_channels > 64) return false;
    if (from.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_default(in, from.nb_channels);
        return true;
    }
    return av_channel_layout_copy(in, &from) >= 0;
}

std::string Describe(const AVChannelLayout& layout, int format, int rate) {
    const char* name = av_get_sample_fmt_name(AVSampleFormat(format));
    return std::to_string(layout.nb_channels) + " channel(s), " + (name ? name : "no sample format") + ", " +
           std::to_string(rate) + " Hz";
}

// Converts count samples (none: what the resampler still holds) onto the sound waiting for the ring.
void Convert(MovieSound* s, SwrContext* swr, const u8* const* in, int count) {
    const int room = swr_get_out_samples(swr, count);
    if (room <= 0) return;
    const size_t channels = s->frameBytes / 2;
    const size_t at = s->pcm.size();
    s->pcm.resize(at + size_t(room) * channels);
    u8* out = reinterpret_cast<u8*>(s->pcm.data() + at);
    const int got = swr_convert(swr, &out, room, const_cast<const u8**>(in), count);
    s->pcm.resize(at + size_t(std::max(got, 0)) * channels);
}

// Sets a resampler up to read this input into the ring's layout and rate; what the old one still holds
// is converted first. False (the old one kept) when the input cannot be read.
bool SetUpResampler(MovieSound* s, const AVChannelLayout& in, int format, int rate) {
    if (!SoundRateOk(rate) || format < 0 || format >= AV_SAMPLE_FMT_NB) return false;
    AVChannelLayout kept{};
    if (av_channel_layout_copy(&kept, &in) < 0) return false;
    AVChannelLayout out{};
    av_channel_layout_default(&out, int(s->frameBytes / 2));
    SwrContext* swr = nullptr;
    const int r = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_S16, int(s->rate), &kept, AVSampleFormat(format),
                                      rate, 0, nullptr);
    av_channel_layout_uninit(&out);
    if (r < 0 || swr_init(swr) < 0) {
        swr_free(&swr);
        av_channel_layout_uninit(&kept);
        return false;
    }
    if (s->swr) Convert(s, s->swr, nullptr, 0);
    swr_free(&s->swr);
    s->swr = swr;
    av_channel_layout_uninit(&s->inLayout);
    s->inLayout = kept;
    s->inFormat = format;
    s->inRate = rate;
    return true;
}

// True when the resampler reads this frame, set up again when the frame's sound differs from what it
// was set up for; false (the frame dropped) when the frame cannot be read.
bool ReadyFor(MovieSound* s, const AVFrame* f) {
    AVChannelLayout in{};
    const bool readable = InputLayout(f->ch_layout, &in);
    const auto same = [&](const AVChannelLayout& layout, int format, int rate) {
        return av_channel_layout_compare(&in, &layout) == 0 && f->format == format && f->sample_rate == rate;
    };
    bool ok = readable && same(s->inLayout, s->inFormat, s->inRate);
    if (!ok && !(s->refusedAny && same(s->refusedLayout, s->refusedFormat, s->refusedRate))) {
        const std::string to = Describe(f->ch_layout, f->format, f->sample_rate);
        ok = readable && SetUpResampler(s, in, f->format, f->sample_rate);
        if (ok) {
            Log(s->path + ": sound changes to " + to);
        } else {
            Log(s->path + ": sound frames of " + to + " cannot be converted; skipped");
            av_channel_layout_uninit(&s->refusedLayout);
            std::swap(s->refusedLayout, in);
            s->refusedFormat = f->format;
            s->refusedRate = f->sample_rate;
            s->refusedAny = true;
        }
    }
    av_channel_layout_uninit(&in);
    if (!ok || !f->extended_data || f->nb_samples <= 0) return false;
    // Every plane the layout and format call for must be there.
    const int planes = av_sample_fmt_is_planar(AVSampleFormat(f->format)) ? f->ch_layout.nb_channels : 1;
    for (int i = 0; i < planes; ++i)
        if (!f->extended_data[i]) return false;
    return true;
}

void DecodeSound(MovieSound* s, const AVPacket* packet) {
    if (avcodec_send_packet(s->codec, packet) < 0 && packet) return;  // a damaged packet is skipped
    AVFrame* f = s->frame;
    while (avcodec_receive_frame(s->codec, f) == 0) {
        if (!s->started) {
            // Sound that starts after the picture begins with silence, so the two stay together.
            s->started = true;
            if (f->best_effort_timestamp != AV_NOPTS_VALUE) {
                i64 lead = StreamTime(s->fmt, s->index, s->origin, f->best_effort_timestamp);
                if (lead > s->maxLead) {
                    Log(s->path + ": sound starts " + std::to_string(lead / 10000) + " ms after the picture; " +
                        std::to_string(s->maxLead / 10000) + " ms of silence kept");
                    lead = s->maxLead;
                }
                if (lead > 0) s->leadBytes = u64(lead) * s->rate / kUnitsPerSecond * s->frameBytes;
            }
        }
        if (ReadyFor(s, f)) Convert(s, s->swr, f->extended_data, f->nb_samples);
        av_frame_unref(f);
    }
}

void ReadSoundPacket(MovieSound* s) {
    if (av_read_frame(s->fmt, s->packet) < 0) {
        s->ended = true;
        DecodeSound(s, nullptr);
        return;
    }
    if (s->packet->stream_index == s->index) DecodeSound(s, s->packet);
    av_packet_unref(s->packet);
}

// Tops the ring up to a second ahead of the play cursor: the lead's silence, decoded sound, and
// silence after it, so the ring never repeats old sound once the movie's sound has run out.
void RefillSound(MovieSound* s) {
    if (s->quiet) return;
    u32 play = 0;
    if (!SoundGetPosition(s->ring, &play, nullptr)) return;
    s->played += (u64(play) + s->ringSize - s->lastPlay) % s->ringSize;
    s->lastPlay = play;
    if (s->played > s->written) s->written = s->played;  // the cursor overtook us: late sound is dropped
    const u32 room = u32(s->ringSize - (s->written - s->played));
    if (room == 0) return;
    while (s->leadBytes + PcmBytes(s) < room && !s->ended) ReadSoundPacket(s);

    void* p1 = nullptr;
    void* p2 = nullptr;
    u32 n1 = 0, n2 = 0;
    if (!SoundLock(s->ring, u32(s->written % s->ringSize), room, &p1, &n1, &p2, &n2)) return;
    const u32 lead = u32(std::min<u64>(s->leadBytes, room));
    u32 take = u32(std::min<u64>(PcmBytes(s), room - lead));
    take -= take % s->frameBytes;
    // The two locked regions as one run: the lead's silence, the sound, then silence to the end.
    const u8* from = reinterpret_cast<const u8*>(s->pcm.data() + s->pcmRead);
    u32 at = 0;
    const auto put = [&](u8* part, u32 size) {
        for (u8* const end = part + size; part < end;) {
            const u32 left = u32(end - part);
            u32 n;
            if (at < lead) {
                n = std::min(left, lead - at);
                std::memset(part, 0, n);
            } else if (at < lead + take) {
                n = std::min(left, lead + take - at);
                std::memcpy(part, from + (at - lead), n);
            } else {
                n = left;
                std::memset(part, 0, n);
            }
            part += n;
            at += n;
        }
    };
    put(static_cast<u8*>(p1), n1);
    if (p2) put(static_cast<u8*>(p2), n2);
    SoundUnlock(s->ring, p1, n1, p2, n2);
    s->leadBytes -= lead;
    s->written += lead + take;
    s->pcmRead += take / 2;
    if (s->pcmRead > 0 && s->pcmRead * 2 >= s->pcm.size()) {
        s->pcm.erase(s->pcm.begin(), s->pcm.begin() + std::ptrdiff_t(s->pcmRead));
        s->pcmRead = 0;
    }
    // Once the sound is over and a whole ring of silence is in, nothing is left to write.
    s->quiet = s->ended && s->leadBytes == 0 && PcmBytes(s) == 0 && room == s->ringSize;
}

void SoundThread(MovieSound* s) {
    const EventRef events[2] = {s->quit, s->wake};
    while (WaitForEvents(events, 2) == 1) RefillSound(s);
}

void CloseSound(MovieSound* s) {
    if (!s) return;
    if (s->thread) {
        SignalEvent(s->quit);
        JoinThread(s->thread);
    }
    if (s->ring) SoundRelease(s->ring);
    if (s->quit) CloseEvent(s->quit);
    if (s->wake) CloseEvent(s->wake);
    swr_free(&s->swr);
    av_channel_layout_uninit(&s->inLayout);
    av_channel_layout_uninit(&s->refusedLayout);
    av_packet_free(&s->packet);
    av_frame_free(&s->frame);
    avcodec_free_context(&s->codec);
    CloseReader(&s->fmt, &s->io);
    delete s;
}

// Sound is optional: any failure here leaves the movie silent. The ring is filled before the sound
// thread starts, so the first run plays sound at once.
MovieSound* OpenSound(const MovieStream* stream, const std::string& path, int index, AudioDevice* device) {
    auto* s = new MovieSound;
    const auto fail = [s] {
        CloseSound(s);
        return nullptr;
    };
    s->path = path;
    s->index = index;
    s->origin = stream->origin;
    s->maxLead = stream->duration > 0 ? std::min(stream->duration, kMaxSoundLead) : kMaxSoundLead;
    s->fmt = OpenReader(fcntl(SourceDescriptor(stream->io), F_DUPFD_CLOEXEC, 0), path, &s->io);
    if (!s->fmt || index >= int(s->fmt->nb_streams) ||
        s->fmt->streams[index]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
        return fail();
    KeepOnly(s->fmt, index);
    s->codec = OpenDecoder(s->fmt, index);
    if (!s->codec || s->codec->sample_rate < 8000 || s->codec->sample_rate > 192000) return fail();
    // A stream that does not tell its channels is taken as mono until its first frame tells.
    AVChannelLayout in{};
    if (s->codec->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&in, 1);
    else if (!InputLayout(s->codec->ch_layout, &in))
        return fail();
    // Mono stays mono (the mixer puts it on both sides at full level); more channels fold to stereo.
    const int channels = std::min(in.nb_channels, 2);
    const int rate = s->codec->sample_rate;
    s->rate = u32(rate);
    s->frameBytes = 2 * u32(channels);
    const bool ready = SetUpResampler(s, in, s->codec->sample_fmt, rate);
    av_channel_layout_uninit(&in);
    if (!ready) return fail();
    // Whole quarters of whole frames.
    s->ringSize = s->rate / kRingQuarters * kRingQuarters * s->frameBytes;
    s->packet = av_packet_alloc();
    s->frame = av_frame_alloc();
    s->ring = SoundCreateBuffer(device, SoundFormat{s->rate, u16(channels), 16}, s->ringSize,
                                kSoundCtrlVolume | kSoundCtrlPositionNotify | kSoundGetCurrentPosition2);
    s->quit = CreateAutoEvent();
    s->wake = CreateAutoEvent();
    if (!s->packet || !s->frame || !s->ring || !s->quit || !s->wake) return fail();
    SoundSetVolume(s->ring, kSoundVolumeMax);
    const u32 quarter = s->ringSize / kRingQuarters;
    SoundNotifyPosition marks[kRingQuarters];
    for (u32 i = 0; i < kRingQuarters; ++i)
        marks[i] = {i + 1 < kRingQuarters ? (i + 1) * quarter : s->ringSize - 1, s->wake};
    if (!SoundSetNotifications(s->ring, marks, kRingQuarters)) return fail();
    RefillSound(s);
    s->thread = StartThread([s] { SoundThread(s); });
    if (!s->thread) return fail();
    return s;
}

// ---- picture ----

// Decodes the next picture into s->next; false once the picture has ended.
bool DecodeNext(MovieStream* s) {
    while (!s->videoEnded) {
        const int r = avcodec_receive_frame(s->video, s->next);
        if (r == 0) {
            const i64 ts = s->next->best_effort_timestamp;
            s->lastTime = ts != AV_NOPTS_VALUE ? StreamTime(s->fmt, s->videoIndex, s->origin, ts)
                                               : s->lastTime + s->frameDuration;
            s->nextTime = s->lastTime;
            return true;
        }
        if (r != AVERROR(EAGAIN)) break;
        if (!s->demuxEnded) {
            if (av_read_frame(s->fmt, s->packet) < 0) {
                s->demuxEnded = true;
                continue;
            }
            // A damaged packet is skipped.
            if (s->packet->stream_index == s->videoIndex) avcodec_send_packet(s->video, s->packet);
            av_packet_unref(s->packet);
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
    const int bytes = sample->surface->bitCount / 8;
    if (!sample->staging) {
        sample->stagingPitch = (w * bytes + kStagingSlack + 63) / 64 * 64;
        sample->staging = static_cast<u8*>(av_mallocz(size_t(sample->stagingPitch) * size_t(h + 1)));
        if (!sample->staging) return false;
    }
    u8* dst[1] = {sample->staging};
    const int stride[1] = {sample->stagingPitch};
    sws_scale(sample->sws, frame->data, frame->linesize, 0, frame->height, dst, stride);
    SurfaceDesc desc{};
    if (LockSurface(sample->surface, &desc) != kSurfOk) return false;
    u8* const to = static_cast<u8*>(desc.pixels) + std::ptrdiff_t(sample->rect.top) * desc.pitch +
                   std::ptrdiff_t(sample->rect.left) * bytes;
    for (i32 y = 0; y < h; ++y)
        std::memcpy(to + std::ptrdiff_t(y) * desc.pitch, sample->staging + std::ptrdiff_t(y) * sample->stagingPitch,
                    size_t(w) * size_t(bytes));
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
    g_liveStreams++;
    const auto fail = [s] {
        MovieClose(s);
        return nullptr;
    };
    s->fmt = OpenReader(OpenMovieFile(path), path, &s->io);
    if (!s->fmt) return fail();
    s->videoIndex = av_find_best_stream(s->fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (s->videoIndex < 0) return fail();
    KeepOnly(s->fmt, s->videoIndex);
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
    const int audioIndex =
        audio ? av_find_best_stream(s->fmt, AVMEDIA_TYPE_AUDIO, -1, s->videoIndex, nullptr, 0) : -1;
    s->duration = ReadDuration(s->fmt, s->videoIndex, audioIndex);
    if (audioIndex >= 0) s->sound = OpenSound(s, path, audioIndex, audio);
    return s;
}

void MovieClose(MovieStream* s) {
    if (!s) return;
    if (s->sample) MovieReleaseSample(s->sample);
    CloseSound(s->sound);
    av_packet_free(&s->packet);
    av_frame_free(&s->next);
    av_frame_free(&s->current);
    avcodec_free_context(&s->video);
    CloseReader(&s->fmt, &s->io);
    delete s;
    g_liveStreams--;
}

u32 MovieLiveStreams() { return g_liveStreams.load(); }

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
        if (s->sound) SoundPlay(s->sound->ring, true);
    } else if (!run && s->running) {
        s->clockBase = Clock(s);
        s->running = false;
        if (s->sound) SoundStop(s->sound->ring);
    }
    return true;
}

bool MovieIsRunning(const MovieStream* s) { return s && s->running; }

bool MovieWaitSoundIdle(const MovieStream* s, u32 timeoutMs) {
    return !s || !s->sound || WaitThreadIdle(s->sound->thread, timeoutMs);
}

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
    av_freep(&sample->staging);
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
    if (due || s->unwritten) {
        s->unwritten = !WriteFrame(sample, s->current);
        return s->unwritten ? MovieUpdateResult::kError : MovieUpdateResult::kNewFrame;
    }
    if (!s->hasNext && s->videoEnded) return MovieUpdateResult::kEnd;
    return MovieUpdateResult::kNoUpdate;
}

}  // namespace plat
