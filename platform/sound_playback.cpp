#include "platform/sound_playback.h"

#include <alsa/asoundlib.h>
#include <sndfile.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct SoundFile {
    SNDFILE* file = nullptr;
    ~SoundFile() {
        if (file) sf_close(file);
    }
};

struct Device {
    snd_pcm_t* pcm = nullptr;
    ~Device() {
        if (pcm) {
            snd_pcm_drop(pcm);
            snd_pcm_close(pcm);
        }
    }
};

// The library's own complaints stay off the terminal: the caller reports.
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

void waitAMoment() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

}  // namespace

SoundResult playSoundFile(const char* path, const std::function<bool()>& escape,
                          std::string& detail) {
    SF_INFO info{};
    SoundFile sound;
    sound.file = sf_open(path, SFM_READ, &info);
    if (!sound.file || info.channels < 1 || info.samplerate < 1) {
        detail = sf_strerror(sound.file);
        return SoundResult::unreadable;
    }
    // Non-blocking throughout: a device that takes nothing never holds the
    // caller beyond Escape.
    snd_lib_error_set_handler(quietAlsa);
    Device device;
    int status = snd_pcm_open(&device.pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (status >= 0)
        status = snd_pcm_set_params(device.pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                                    unsigned(info.channels), unsigned(info.samplerate), 1, 200000);
    if (status < 0) {
        detail = snd_strerror(status);
        return SoundResult::noDevice;
    }
    const Clock::time_point start = Clock::now();
    const double duration = double(info.frames) / info.samplerate;
    const sf_count_t chunk = info.samplerate / 20 > 0 ? info.samplerate / 20 : 1;
    std::vector<short> samples(size_t(chunk) * size_t(info.channels));
    sf_count_t frames = 0;
    while ((frames = sf_readf_short(sound.file, samples.data(), chunk)) > 0) {
        const short* next = samples.data();
        while (frames > 0) {
            if (escape()) return SoundResult::interrupted;
            snd_pcm_sframes_t written = snd_pcm_writei(device.pcm, next, snd_pcm_uframes_t(frames));
            if (written == -EAGAIN) {
                waitAMoment();
                continue;
            }
            if (written < 0) written = snd_pcm_recover(device.pcm, int(written), 1);
            if (written < 0) {
                detail = snd_strerror(int(written));
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
        const bool queued = snd_pcm_delay(device.pcm, &delay) == 0 && delay > 0;
        if (elapsed >= duration && (!queued || elapsed >= duration + 2)) break;
        waitAMoment();
    }
    return SoundResult::played;
}
