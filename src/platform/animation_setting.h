#pragma once

// The desktop's window-animation setting, kept in the process: the version
// dialog reads it, switches it on for its own animation and puts it back.
// The calls mirror the system's get and set of an animation record: a record
// whose size field is not 8 is refused with failure 5 and changes nothing.
// iMinAnimate 0 means off, any other value on; the setting starts on.
// Safe to call from any thread.

#include "platform/failure.h"

#include <cstdint>

namespace kestro {

struct AnimationInfo {
    std::uint32_t cbSize = 8;
    std::int32_t iMinAnimate = 0;
};

inline constexpr int InvalidCallFailure = 5;

// Fills `info.iMinAnimate` with the current setting.
Status getAnimationInfo(AnimationInfo& info);

// Makes `info.iMinAnimate` the current setting.
Status setAnimationInfo(const AnimationInfo& info);

// Whether window animations are drawn now.
bool animationsOn();

} // namespace kestro
