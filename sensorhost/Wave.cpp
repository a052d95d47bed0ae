#include "Wave.h"

#include <cmath>
#include <numbers>

float WaveValue(const WaveSource& wave, double elapsedSeconds) {
    const double phase = std::fmod(elapsedSeconds, wave.periodSeconds) / wave.periodSeconds;
    const double rise = (1.0 - std::cos(2.0 * std::numbers::pi * phase)) / 2.0;
    // lerp stays within its ends for a fraction in [0, 1], where a + (b - a) * t may not.
    return static_cast<float>(
        std::lerp(static_cast<double>(wave.minimum), static_cast<double>(wave.maximum), rise));
}
