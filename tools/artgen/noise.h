#pragma once
// Fixed-seed hashing and value noise. Noise can wrap with a period so that patterns
// continue across neighbouring tiles.

#include <cmath>
#include <cstdint>

namespace art {

inline std::uint32_t hash3(int x, int y, int seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

inline float rnd(int x, int y, int seed) { return (hash3(x, y, seed) & 0xffffffu) / 16777216.0f; }

inline int wrap(int v, int period) { return period > 0 ? ((v % period) + period) % period : v; }

// Smooth value noise in [0, 1]; with period > 0 it repeats every period cells.
inline float noise(float x, float y, int period, int seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    auto v = [&](int dx, int dy) { return rnd(wrap(ix + dx, period), wrap(iy + dy, period), seed); };
    const float top = v(0, 0) + (v(1, 0) - v(0, 0)) * tx;
    const float bottom = v(0, 1) + (v(1, 1) - v(0, 1)) * tx;
    return top + (bottom - top) * ty;
}

// A small deterministic generator for the few places that want a sequence.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state(seed ? seed : 1u) {}
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (state & 0xffffffu) / 16777216.0f;
    }
    float range(float lo, float hi) { return lo + (hi - lo) * next(); }

private:
    std::uint32_t state;
};

} // namespace art
