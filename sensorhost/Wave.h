#pragma once

// A temperature that swings between two values, for demos and tests.
struct WaveSource {
    float minimum;
    float maximum;
    float periodSeconds;
};

// Starts at the minimum, reaches the maximum after half a period and comes back,
// along a cosine so that the value never jumps.
float WaveValue(const WaveSource& wave, double elapsedSeconds);
