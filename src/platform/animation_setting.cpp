#include "platform/animation_setting.h"

#include <atomic>

namespace kestro {

namespace {

// Desktops animate windows unless the user turned it off.
std::atomic<std::int32_t> minAnimate{1};

Failure invalidRecord() {
    return Failure{InvalidCallFailure, "プロシージャの呼び出し、または引数が不正です。", {}, 0};
}

} // namespace

Status getAnimationInfo(AnimationInfo& info) {
    if (info.cbSize != sizeof(AnimationInfo))
        return invalidRecord();
    info.iMinAnimate = minAnimate.load();
    return Ok{};
}

Status setAnimationInfo(const AnimationInfo& info) {
    if (info.cbSize != sizeof(AnimationInfo))
        return invalidRecord();
    minAnimate.store(info.iMinAnimate);
    return Ok{};
}

bool animationsOn() {
    return minAnimate.load() != 0;
}

} // namespace kestro
