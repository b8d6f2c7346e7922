// Playing sound files through ALSA with test configurations: the null
// device (which takes every sample), and a device that does not exist.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/sound_playback.h"

namespace kalix {

namespace {

using Clock = std::chrono::steady_clock;

class SoundPlaybackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kalix-sound-XXXXXX";
        folder = mkdtemp(pattern);
        write("null.conf", "pcm.!default { type null }\n");
        write("none.conf", "pcm.!default { type hw card 42 }\n");
    }
    void TearDown() override {
        unsetenv("ALSA_CONFIG_PATH");
        std::system(("rm -rf " + folder).c_str());
    }
    void write(const std::string& name, const std::string& data) {
        std::ofstream(folder + "/" + name, std::ios::binary) << data;
    }
    void useConfig(const char* name) {
        setenv("ALSA_CONFIG_PATH", (folder + "/" + name).c_str(), 1);
    }
    // A 16-bit PCM WAV file of `frames` silent frames.
    std::string wav(const char* name, int rate, int channels, int frames) {
        auto word = [](uint32_t v, int bytes) {
            std::string s;
            for (int i = 0; i < bytes; i++) s += char(v >> (8 * i));
            return s;
        };
        uint32_t data = uint32_t(frames) * channels * 2;
        std::string file = "RIFF" + word(36 + data, 4) + "WAVEfmt " + word(16, 4) + word(1, 2) +
                           word(channels, 2) + word(rate, 4) + word(rate * channels * 2, 4) +
                           word(channels * 2, 2) + word(16, 2) + "data" + word(data, 4) +
                           std::string(data, '\0');
        write(name, file);
        return folder + "/" + name;
    }
    static double since(Clock::time_point start) {
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    std::string folder;
};

}  // namespace

TEST_F(SoundPlaybackTest, TheCallLastsTheSoundsDurationOrUntilEscape) {
    useConfig("null.conf");
    struct Case {
        int rate, channels;
        double seconds;
    } cases[] = {{8000, 1, 0.5}, {44100, 2, 0.7}, {22050, 1, 0.05}};
    for (const Case& c : cases) {
        std::string path = wav("tone.wav", c.rate, c.channels, int(c.rate * c.seconds));
        std::string detail;
        Clock::time_point start = Clock::now();
        EXPECT_EQ(playSoundFile(
                      path.c_str(), [] { return false; }, detail),
                  SoundResult::played)
            << detail;
        EXPECT_GE(since(start), c.seconds - 0.01) << c.rate;
    }
    // Escape, seen at the third look while it plays, ends a sound of ten
    // minutes long before its end.
    std::string path = wav("long.wav", 8000, 1, 8000 * 600);
    std::string detail;
    Clock::time_point start = Clock::now();
    int looks = 0;
    EXPECT_EQ(playSoundFile(
                  path.c_str(), [&looks] { return ++looks >= 3; }, detail),
              SoundResult::interrupted);
    EXPECT_LT(since(start), 60.0);
}

TEST_F(SoundPlaybackTest, NoDeviceOrNoSoundFileFailsSayingWhy) {
    std::string path = wav("tone.wav", 8000, 1, 80000);
    write("noise.wav", "not a sound at all");
    useConfig("none.conf");
    std::string detail;
    EXPECT_EQ(playSoundFile(
                  path.c_str(), [] { return false; }, detail),
              SoundResult::noDevice);
    EXPECT_FALSE(detail.empty());
    useConfig("null.conf");
    for (std::string bad : {folder + "/noise.wav", folder + "/missing.wav", folder}) {
        detail.clear();
        EXPECT_EQ(playSoundFile(
                      bad.c_str(), [] { return false; }, detail),
                  SoundResult::unreadable)
            << bad;
        EXPECT_FALSE(detail.empty()) << bad;
    }
}

}  // namespace kalix
