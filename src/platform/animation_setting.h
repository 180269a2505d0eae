#pragma once

// The desktop's window-animation setting, kept in the process: the version
// dialog reads it, switches it on for its own animation and puts it back.
// The calls mirror the system's get and set of an animation record: a record
// whose size field is not 8 is refused with failure 5 and changes nothing.
// iMinAnimate 0 means off, any other value on; the setting starts on.
// Safe to call from any thread.

#include "platform/failure.h"

#include <atomic>
#include <cstdint>

namespace kestro {

struct AnimationInfo {
    std::uint32_t cbSize = 8;
    std::int32_t iMinAnimate = 0;
};

inline constexpr int InvalidCallFailure = 5;

// The setting itself; desktops animate windows unless the user turned it
// off.
inline std::atomic<std::int32_t> windowAnimation{1};

inline Failure invalidAnimationRecord() {
    return Failure{InvalidCallFailure, "プロシージャの呼び出し、または引数が不正です。", {}, 0};
}

// Fills `info.iMinAnimate` with the current setting.
inline Status getAnimationInfo(AnimationInfo& info) {
    if (info.cbSize != sizeof(AnimationInfo))
        return invalidAnimationRecord();
    info.iMinAnimate = windowAnimation.load();
    return Ok{};
}

// Makes `info.iMinAnimate` the current setting.
inline Status setAnimationInfo(const AnimationInfo& info) {
    if (info.cbSize != sizeof(AnimationInfo))
        return invalidAnimationRecord();
    windowAnimation.store(info.iMinAnimate);
    return Ok{};
}

// Whether window animations are drawn now.
inline bool animationsOn() {
    return windowAnimation.load() != 0;
}

} // namespace kestro
