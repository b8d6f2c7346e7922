#include "platform/sound_playback.h"

#include <alsa/asoundlib.h>
#include <sndfile.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "numerics/shared_library.h"

namespace kalix {

namespace {

// libsndfile and ALSA, opened on the first sound.
struct SndfileLibrary {
    decltype(&sf_open) open;
    decltype(&sf_close) close;
    decltype(&sf_strerror) strerror;
    decltype(&sf_readf_short) readf_short;
};
struct AlsaLibrary {
    decltype(&snd_pcm_open) pcm_open;
    decltype(&snd_pcm_set_params) pcm_set_params;
    decltype(&snd_pcm_writei) pcm_writei;
    decltype(&snd_pcm_recover) pcm_recover;
    decltype(&snd_pcm_delay) pcm_delay;
    decltype(&snd_pcm_drop) pcm_drop;
    decltype(&snd_pcm_close) pcm_close;
    decltype(&snd_strerror) strerror;
    decltype(&snd_lib_error_set_handler) lib_error_set_handler;
};

// Written once each, under `opened`.
SndfileLibrary sndfile;
AlsaLibrary alsa;
bool sndfileLoaded = false, alsaLoaded = false;
std::string sndfileError, alsaError;
std::once_flag opened;

void openLibraries() {
    sndfileLoaded = openSharedLibrary(
        {"libsndfile.so.1"},
        {librarySymbol("sf_open", sndfile.open), librarySymbol("sf_close", sndfile.close),
         librarySymbol("sf_strerror", sndfile.strerror),
         librarySymbol("sf_readf_short", sndfile.readf_short)},
        sndfileError);
    alsaLoaded =
        openSharedLibrary({"libasound.so.2"},
                          {librarySymbol("snd_pcm_open", alsa.pcm_open),
                           librarySymbol("snd_pcm_set_params", alsa.pcm_set_params),
                           librarySymbol("snd_pcm_writei", alsa.pcm_writei),
                           librarySymbol("snd_pcm_recover", alsa.pcm_recover),
                           librarySymbol("snd_pcm_delay", alsa.pcm_delay),
                           librarySymbol("snd_pcm_drop", alsa.pcm_drop),
                           librarySymbol("snd_pcm_close", alsa.pcm_close),
                           librarySymbol("snd_strerror", alsa.strerror),
                           librarySymbol("snd_lib_error_set_handler", alsa.lib_error_set_handler)},
                          alsaError);
}

using Clock = std::chrono::steady_clock;

struct SoundFile {
    SNDFILE* file = nullptr;
    ~SoundFile() {
        if (file) sndfile.close(file);
    }
};

struct Device {
    snd_pcm_t* pcm = nullptr;
    ~Device() {
        if (pcm) {
            alsa.pcm_drop(pcm);
            alsa.pcm_close(pcm);
        }
    }
};

// The library's own complaints stay off the terminal: the caller reports.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

void waitAMoment() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

}  // namespace

SoundResult playSoundFile(const char* path, const std::function<bool()>& escape,
                          std::string& detail) {
    std::call_once(opened, openLibraries);
    if (!sndfileLoaded) {
        detail = sndfileError;
        return SoundResult::unreadable;
    }
    SF_INFO info{};
    SoundFile sound;
    sound.file = sndfile.open(path, SFM_READ, &info);
    if (!sound.file || info.channels < 1 || info.samplerate < 1) {
        detail = sndfile.strerror(sound.file);
        return SoundResult::unreadable;
    }
    if (!alsaLoaded) {
        detail = alsaError;
        return SoundResult::noDevice;
    }
    // Non-blocking throughout: a device that takes nothing never holds the
    // caller beyond Escape.
    alsa.lib_error_set_handler(quietAlsa);
    Device device;
    int status = alsa.pcm_open(&device.pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (status >= 0)
        status = alsa.pcm_set_params(device.pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                                     unsigned(info.channels), unsigned(info.samplerate), 1, 200000);
    if (status < 0) {
        detail = alsa.strerror(status);
        return SoundResult::noDevice;
    }
    const Clock::time_point start = Clock::now();
    const double duration = double(info.frames) / info.samplerate;
    const sf_count_t chunk = info.samplerate / 20 > 0 ? info.samplerate / 20 : 1;
    std::vector<short> samples(size_t(chunk) * size_t(info.channels));
    sf_count_t frames = 0;
    while ((frames = sndfile.readf_short(sound.file, samples.data(), chunk)) > 0) {
        const short* next = samples.data();
        while (frames > 0) {
            if (escape()) return SoundResult::interrupted;
            snd_pcm_sframes_t written =
                alsa.pcm_writei(device.pcm, next, snd_pcm_uframes_t(frames));
            if (written == -EAGAIN) {
                waitAMoment();
                continue;
            }
            if (written < 0) written = alsa.pcm_recover(device.pcm, int(written), 1);
            if (written < 0) {
                detail = alsa.strerror(int(written));
                return SoundResult::noDevice;
            }
            frames -= written;
            next += written * info.channels;
        }
    }
    // The call lasts the sound's duration, and then as long as the device
    // still holds samples (at most two seconds more).
    for (;;) {
        if (escape()) return SoundResult::interrupted;
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        snd_pcm_sframes_t delay = 0;
        const bool queued = alsa.pcm_delay(device.pcm, &delay) == 0 && delay > 0;
        if (elapsed >= duration && (!queued || elapsed >= duration + 2)) break;
        waitAMoment();
    }
    return SoundResult::played;
}

}  // namespace kalix
