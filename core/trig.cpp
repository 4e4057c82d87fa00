// trig: sine tables built at compile time from their rules, and the interpolated sine.
#include "core/trig.h"

namespace vantrel {

namespace {

constexpr double PI = 3.14159265358979323846;

// Taylor series on [0, pi/2]: 30 terms leave an error far below the last bit of a double,
// and compile-time evaluation follows IEEE double the same way for every target.
constexpr double sin_series(double x) {
    double term = x;
    double sum = x;
    for (int n = 1; n < 30; n++) {
        term *= -x * x / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}

constexpr int64_t round_nonneg(double v) {
    return static_cast<int64_t>(v + 0.5);
}

constexpr std::array<uint32_t, 1025> make_sin_table() {
    std::array<uint32_t, 1025> t{};
    for (int i = 0; i <= 1024; i++)
        t[i] = static_cast<uint32_t>(round_nonneg(sin_series(i * PI / 2048.0) * 1073741824.0));
    return t;
}

constexpr std::array<fix16, 65> make_quarter_sine() {
    std::array<fix16, 65> t{};
    for (int i = 0; i <= 64; i++)
        t[i] = static_cast<fix16>(round_nonneg(sin_series(i * PI / 128.0) * 65536.0));
    return t;
}

constexpr std::array<uint32_t, 1025> SIN_TABLE_BUILT = make_sin_table();
constexpr std::array<fix16, 65> QUARTER_SINE_BUILT = make_quarter_sine();

static_assert(SIN_TABLE_BUILT[0] == 0);
static_assert(SIN_TABLE_BUILT[512] == 759250125);
static_assert(SIN_TABLE_BUILT[1024] == 0x40000000);
static_assert(QUARTER_SINE_BUILT[64] == 65536);

} // namespace

const std::array<uint32_t, 1025> SIN_TABLE = SIN_TABLE_BUILT;
const std::array<fix16, 65> QUARTER_SINE = QUARTER_SINE_BUILT;

uint32_t quarter_sin(uint32_t a) {
    uint32_t i = a >> 20;
    if (i > 1023) return 0x40000000u;
    uint32_t t0 = SIN_TABLE_BUILT[i];
    uint32_t d = SIN_TABLE_BUILT[i + 1] - t0;
    // The 20 fraction bits of the index go in as two 10-bit halves so that no product
    // needs more than 32 bits.
    return t0 + ((((a >> 10) & 0x3FFu) * d) >> 10) + (((a & 0x3FFu) * d) >> 20);
}

fix2_30 trig_sin(bangle a) {
    uint32_t r = a & 0x3FFFFFFFu;
    switch (a >> 30) {
    case 0:
        return static_cast<fix2_30>(quarter_sin(r));
    case 1:
        return static_cast<fix2_30>(quarter_sin(0x40000000u - r));
    case 2:
        return -static_cast<fix2_30>(quarter_sin(r));
    default:
        return -static_cast<fix2_30>(quarter_sin(0x40000000u - r));
    }
}

fix2_30 trig_cos(bangle a) {
    return trig_sin(a + BANGLE_90);
}

bangle bangle_from_deg(int32_t degrees) {
    int32_t d = degrees % 360;
    if (d < 0) d += 360;
    uint32_t ud = static_cast<uint32_t>(d);
    // 11930464 + 32/45 = 2^32 / 360, so this is floor(d * 2^32 / 360).
    return ud * 11930464u + (ud * 32u) / 45u;
}

} // namespace vantrel
