#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace lumora_usb_encoder {

// The media side of the self test's sound, made by the sound module, which alone links the media
// libraries. The player's controls drive it and follow what it tells them, on the window's
// thread.
class SoundPlayback {
  public:
    struct Listener {
        std::function<void(bool playing)> playingChanged;
        std::function<void(int64_t positionMs, int64_t durationMs)> progressed;
        std::function<void()> ended;
        // The sound cannot play: no sound device, no codec for the file, an unreadable file. May
        // come while the playback is being made.
        std::function<void(const std::string& reason)> unavailable;
    };
    SoundPlayback() = default;
    virtual ~SoundPlayback() = default;
    SoundPlayback(const SoundPlayback&) = delete;
    SoundPlayback& operator=(const SoundPlayback&) = delete;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void seek(int64_t positionMs) = 0;
};

// The module's entry point: a playback of the file at `path` (UTF-8), not started yet.
using MakeSoundPlayback = SoundPlayback* (*)(const char* path,
                                             const SoundPlayback::Listener& listener);
inline constexpr const char* kMakeSoundPlaybackSymbol = "quillonMakeSoundPlayback";

}  // namespace lumora_usb_encoder
