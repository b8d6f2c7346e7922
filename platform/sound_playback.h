// Playing a sound file to its end: decoded with libsndfile, played through
// ALSA's "default" device (the sound server where one is configured).
#pragma once

#include <functional>
#include <string>

namespace kalix {

enum class SoundResult { played, interrupted, unreadable, noDevice };

// Plays `path` synchronously: returns when the sound has ended (at the
// earliest after its duration) or when `escape` answers true (polled about
// every 10 ms). On failure `detail` says why, in the library's words.
SoundResult playSoundFile(const char* path, const std::function<bool()>& escape,
                          std::string& detail);

}  // namespace kalix
