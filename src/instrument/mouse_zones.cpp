#include "instrument/mouse_zones.h"

#include <cmath>

namespace zembera {
namespace {

// The toolkit converts to an integer rounding halves to the even neighbour.
double roundHalfEven(double v) {
    const double low = std::floor(v);
    const double fraction = v - low;
    if (fraction > 0.5) return low + 1;
    if (fraction < 0.5) return low;
    return std::fmod(low, 2.0) == 0 ? low : low + 1;
}

constexpr double kRowsTop = 21;
constexpr double kRowsBottom = 409;
constexpr double kRowPitch = 15;
constexpr double kBridgeSide = 730; // right limit of every plucking zone

} // namespace

int stringAtY(double y) {
    if (!(y >= kRowsTop && y <= kRowsBottom)) return 0;
    // Integer division drops the fraction towards zero, so y = 21 (q = -1 / 15 = 0) is string 1.
    const int q = static_cast<int>(roundHalfEven(y - 22)) / static_cast<int>(kRowPitch);
    return q + 1;
}

int pluckedString(double x, double y, const InstrumentState& state) {
    const int s = stringAtY(y);
    if (s == 0) return 0;
    return state.playStart[s] < x && x < kBridgeSide ? s : 0;
}

std::optional<int> mandalSlotAt(double x, const InstrumentState& state) {
    const int s = state.currentString;
    if (s < 1 || s > 26) return std::nullopt;
    for (int k = state.mandalMin[s]; k <= state.mandalMax[s]; ++k) {
        const int i = k - state.mandalMin[s];
        if (151 + 16 * i < x && x < 167 + 16 * i) return k;
    }
    return std::nullopt;
}

float tuningStep(double x, double y) {
    const float amount = y < 45 ? 2.0f : 0.25f;
    return x < 27 ? amount : -amount;
}

} // namespace zembera
