// Fixed-point scalars, vectors and matrices: designed values and properties against exact
// integer references over many random inputs.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

#include "core/fixmath.h"
#include "core/hash.h"
#include "core/trig.h"

namespace vantrel {
namespace {

uint64_t magnitude(int64_t v) {
    return v < 0 ? 0ull - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
}

// Quotient of magnitudes, signed and saturated to the fix16 range: the reference for both
// divides, built from unsigned division so it cannot overflow.
fix16 reference_divide(uint64_t num, uint64_t den, bool negative) {
    uint64_t q = num / den;
    if (negative) return q >= (1ull << 31) ? INT32_MIN : -static_cast<int32_t>(q);
    return q >= (1ull << 31) ? INT32_MAX : static_cast<int32_t>(q);
}

uint64_t exact_isqrt(uint64_t x) {
    uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(x)));
    while (r > 0 && (r > 0xFFFFFFFFull || r * r > x)) r--;
    while (r + 1 <= 0xFFFFFFFFull && (r + 1) * (r + 1) <= x) r++;
    return r;
}

// Exact quotients, reciprocals and roots away from these edges are checked against integer
// references below.
TEST(FixmathScalars, DesignedValues) {
    // Division by zero saturates by the dividend's sign; quotients truncate toward zero.
    const fix16 divides[][3] = {{5 * 65536, 0, INT32_MAX},   {-1, 0, INT32_MIN},
                                {0, 0, INT32_MAX},           {INT32_MAX, 1, INT32_MAX},
                                {-65536, 2 * 65536, -32768}, {-7, 2 * 65536, -3}};
    for (const auto& d : divides) EXPECT_EQ(fix16_div(d[0], d[1]), d[2]) << d[0] << " / " << d[1];
    EXPECT_EQ(fix32_div_to_fix16(123456789, 0), 0);
    EXPECT_EQ(fix32_div_to_fix16(INT64_MIN, -1), 0x7FFFFFFF);
    const fix16 recips[][2] = {{0, INT32_MAX},  {1, INT32_MAX},  {2, INT32_MAX},
                               {-1, INT32_MIN}, {-2, INT32_MIN}, {INT32_MIN, -2}};
    for (const auto& r : recips) EXPECT_EQ(fix16_recip(r[0]), r[1]) << r[0];
    EXPECT_EQ(fix16_sqrt(2 * 65536), 92681);
    EXPECT_EQ(fix16_sqrt(0), 0);
    EXPECT_EQ(fix16_sqrt(-5), 0);
    EXPECT_EQ(fix32_narrow(int64_t{1} << 47), 0x7FFFFFFF);
    EXPECT_EQ(fix32_narrow(-(int64_t{1} << 47) - 1), INT32_MIN);
    EXPECT_EQ(fix32_narrow(-1), -1);
    EXPECT_EQ(fix16_mul(-1, 1), -1);                      // rounds toward minus infinity
    EXPECT_EQ(fix16_mul(0x7FFFFFFF, 0x7FFFFFFF), -65536); // low 32 bits of 2^46 - 2^16: wraps
}

TEST(FixmathScalars, ToStrTruncatesFiveDecimals) {
    const std::pair<fix16, const char*> cases[] = {{-1, "-0.00001"},
                                                   {0x8000, "0.50000"},
                                                   {INT32_MIN, "-32768.00000"},
                                                   {0x7FFFFFFF, "32767.99998"}};
    char buf[32];
    for (auto [x, text] : cases) {
        EXPECT_EQ(fix16_to_str(x, buf, sizeof buf), int(std::strlen(text)));
        EXPECT_STREQ(buf, text);
    }
    char small[4];
    EXPECT_EQ(fix16_to_str(65536 * 100, small, sizeof small), 9); // wanted length reported
    EXPECT_STREQ(small, "100");
}

TEST(FixmathScalars, DecayingValueShiftsAreCapped) {
    decaying_value v;
    decaying_value_init(&v);
    decaying_value_add(&v, INT32_MAX);
    decaying_value_add(&v, 1);
    EXPECT_EQ(v.value, INT32_MIN); // wraps
    decaying_value_decay(&v, 40);
    EXPECT_EQ(v.value, -1);
    v.value = 12345;
    decaying_value_decay(&v, 40);
    EXPECT_EQ(v.value, 0);
    v.value = -64;
    decaying_value_decay(&v, 3);
    EXPECT_EQ(v.value, -8);
}

TEST(FixmathProperties, DividesMatchExactQuotients) {
    std::mt19937_64 rng(1);
    for (int i = 0; i < 1000000; i++) {
        int32_t a = static_cast<int32_t>(rng());
        int32_t b = static_cast<int32_t>(rng()) >> (rng() % 32);
        if (b == 0) continue;
        fix16 want =
            reference_divide(magnitude(a) << 16, magnitude(b), (a < 0) != (b < 0) && a != 0);
        ASSERT_EQ(fix16_div(a, b), want) << a << " / " << b;
        int64_t n = static_cast<int64_t>(rng()) >> (rng() % 64);
        fix16 want32 = reference_divide(magnitude(n), magnitude(b), (n < 0) != (b < 0) && n != 0);
        ASSERT_EQ(fix32_div_to_fix16(n, b), want32) << n << " / " << b;
    }
}

TEST(FixmathProperties, ReciprocalIsFloorOfTwoTo32) {
    std::mt19937_64 rng(2);
    for (int i = 0; i < 1000000; i++) {
        int32_t x = static_cast<int32_t>(rng()) >> (rng() % 32);
        if (x >= -2 && x <= 2) continue;
        uint64_t q = (1ull << 32) / magnitude(x);
        fix16 want = x < 0 ? -static_cast<int32_t>(q) : static_cast<int32_t>(q);
        ASSERT_EQ(fix16_recip(x), want) << x;
    }
}

TEST(FixmathProperties, SquareRootsAreExactFloors) {
    std::mt19937_64 rng(3);
    auto check16 = [](int32_t x) {
        if (x <= 0) return;
        ASSERT_EQ(static_cast<uint64_t>(fix16_sqrt(x)), exact_isqrt(static_cast<uint64_t>(x) << 16))
            << x;
    };
    auto check32 = [](int64_t x) {
        if (x <= 0) return;
        ASSERT_EQ(static_cast<uint32_t>(fix32_sqrt_narrow(x)),
                  exact_isqrt(static_cast<uint64_t>(x)))
            << x;
    };
    for (int i = 0; i < 1000000; i++) {
        check16(static_cast<int32_t>(rng() >> (33 + rng() % 31)));
        check32(static_cast<int64_t>(rng() >> (1 + rng() % 63)));
    }
    for (int k = 0; k < 63; k++) {
        int64_t p = int64_t{1} << k;
        for (int64_t x : {p - 1, p, p + 1}) {
            if (k < 31) check16(static_cast<int32_t>(x));
            check32(x);
        }
        // Perfect squares and their neighbours, where a root can be off by one.
        uint64_t r = 1ull << (k / 2);
        for (uint64_t s : {r * r - 1, r * r, r * r + 1, (r + 1) * (r + 1) - 1})
            check32(static_cast<int64_t>(s));
    }
    check16(INT32_MAX);
    check32(INT64_MAX);
}

TEST(Trig, TablesFollowTheirRules) {
    if (!VANTREL_LIBM_TRIG) GTEST_SKIP() << "no usable libm sine under this emulator";
    for (int i = 0; i <= 1024; i++)
        ASSERT_EQ(SIN_TABLE[i],
                  static_cast<uint32_t>(std::llround(std::sin(i * M_PI / 2048) * 1073741824.0)))
            << i;
    for (int i = 0; i <= 64; i++)
        ASSERT_EQ(QUARTER_SINE[i],
                  static_cast<fix16>(std::llround(std::sin(i * M_PI / 128) * 65536.0)))
            << i;
    EXPECT_EQ(SIN_TABLE[512], 759250125u);
}

// The same sines on every machine: a digest of the tables and of 2^16 angles across the
// turn, recorded once; the libm comparisons above pin the values themselves.
TEST(Trig, SameResultsOnEveryMachine) {
    uint64_t h = 0;
    for (uint32_t v : SIN_TABLE) h = hash_mix64(h ^ v);
    for (fix16 v : QUARTER_SINE) h = hash_mix64(h ^ static_cast<uint32_t>(v));
    for (uint32_t i = 0; i < 65536; i++) {
        bangle a = i * 65537u + (i >> 3);
        h = hash_mix64(h ^ static_cast<uint32_t>(trig_sin(a)) ^
                       (uint64_t(static_cast<uint32_t>(trig_cos(a))) << 32));
    }
    EXPECT_EQ(h, 0xADA7AD2FA9204C9Dull);
}

TEST(Trig, DesignedValues) {
    EXPECT_EQ(trig_sin(0), 0);
    EXPECT_EQ(trig_sin(0x40000000), 0x40000000);
    EXPECT_EQ(trig_sin(0x80000000), 0);
    EXPECT_EQ(trig_sin(0xC0000000), -0x40000000);
    EXPECT_EQ(trig_cos(0), 0x40000000);
    EXPECT_EQ(trig_sin(0x20000000), 759250125);
    EXPECT_EQ(bangle_from_deg(-90), 0xC0000000u);
    EXPECT_EQ(bangle_from_deg(360), 0u);
    EXPECT_EQ(bangle_from_deg(-721), bangle_from_deg(359));
    for (int d = 0; d < 360; d++)
        ASSERT_EQ(bangle_from_deg(d), static_cast<uint32_t>((static_cast<uint64_t>(d) << 32) / 360))
            << d;
}

TEST(Trig, SineFollowsStdSinWithinInterpolationError) {
    if (!VANTREL_LIBM_TRIG) GTEST_SKIP() << "no usable libm sine under this emulator";
    std::mt19937_64 rng(4);
    // Linear interpolation over steps of pi/2048 errs by at most (pi/2048)^2 / 8 of full
    // scale, about 316 units of 2^-30; table rounding and truncation add a few more.
    for (int i = 0; i < 200000; i++) {
        uint32_t a = static_cast<uint32_t>(rng());
        double angle = a * (2.0 * M_PI / 4294967296.0);
        ASSERT_NEAR(trig_sin(a), std::sin(angle) * 1073741824.0, 330.0) << a;
        ASSERT_NEAR(trig_cos(a), std::cos(angle) * 1073741824.0, 330.0) << a;
    }
    for (uint32_t a = 0; a <= 0x40000000u; a += 0x100000u)
        ASSERT_GE(quarter_sin(a + 1), quarter_sin(a));
}

TEST(VectorMath, DesignedValuesAndAliasing) {
    vec3 v = {3 * 65536, 0, 4 * 65536};
    vec3 n;
    vec3_normalize(&n, &v);
    EXPECT_EQ(n, (vec3{39321, 0, 52428}));
    vec3 zero = {0, 0, 0};
    EXPECT_EQ(*vec3_normalize(&n, &zero), zero);
    EXPECT_EQ(*vec3_normalize_fast(&n, &zero), zero);
    EXPECT_EQ(vec3_length(&v), 5 * 65536);

    vec3 a = {65536, 2 * 65536, 3 * 65536};
    vec3 b = {4 * 65536, 5 * 65536, 6 * 65536};
    EXPECT_EQ(vec3_dot(&a, &b), 32 * 65536);
    vec3 c = a;
    vec3_cross(&c, &c, &b); // output aliases an input
    EXPECT_EQ(c, (vec3{-3 * 65536, 6 * 65536, -3 * 65536}));
    vec3 big = {INT32_MAX, 0, 0};
    vec3 one = {1, 0, 0};
    vec3_add(&big, &big, &one);
    EXPECT_EQ(big.x, INT32_MIN); // sums wrap

    mat3 m = {{1, 2, 3, 4, 5, 6, 7, 8, 9}};
    mat3_transpose(&m, &m);
    EXPECT_EQ(m, (mat3{{1, 4, 7, 2, 5, 8, 3, 6, 9}}));
    mat3 rot = {{0, -65536, 0, 65536, 0, 0, 0, 0, 65536}}; // 90 degrees about z
    mat3 twice = rot;
    mat3_mul(&twice, &twice, &rot);
    EXPECT_EQ(twice, (mat3{{-65536, 0, 0, 0, -65536, 0, 0, 0, 65536}}));
    vec3 x = {65536, 0, 0};
    mat3_apply(&x, &rot, &x);
    EXPECT_EQ(x, (vec3{0, 65536, 0}));
}

TEST(VectorMath, LookAtAndFallbacks) {
    mat3 out;
    vec3 fwd = {0, 0, 5 * 65536};
    vec3 up = {0, 65536, 0};
    EXPECT_EQ(*mat3_look_at(&out, &fwd, &up), IDENTITY);
    vec3 fwd_up = {0, 65536, 0};
    mat3_look_at(&out, &fwd_up, &up);
    EXPECT_EQ(mat3_column(&out, 0), (vec3{-65536, 0, 0}));
    vec3 zero = {0, 0, 0};
    EXPECT_EQ(*mat3_look_at(&out, &zero, &up), IDENTITY);
}

// A random rotation by small angles about the three axes, composed in fix16.
mat3 small_rotation(std::mt19937_64& rng) {
    auto axis_rot = [](int axis, bangle a) {
        fix16 s = trig_sin(a) >> 14, c = trig_cos(a) >> 14;
        mat3 m = IDENTITY;
        int i = (axis + 1) % 3, j = (axis + 2) % 3;
        m.m[3 * i + i] = c;
        m.m[3 * i + j] = -s;
        m.m[3 * j + i] = s;
        m.m[3 * j + j] = c;
        return m;
    };
    mat3 r = IDENTITY;
    for (int axis = 0; axis < 3; axis++) {
        mat3 step = axis_rot(axis, static_cast<bangle>(rng() % 0x02000000u) - 0x01000000u);
        mat3_mul(&r, &r, &step);
    }
    return r;
}

TEST(VectorMath, OrthonormalizeKeepsColumnsUnitAndPerpendicular) {
    std::mt19937_64 rng(5);
    mat3 m = IDENTITY;
    for (int i = 0; i < 100000; i++) {
        mat3 step = small_rotation(rng);
        mat3_mul(&m, &step, &m);
        mat3_orthonormalize(&m, &m);
        vec3 c0 = mat3_column(&m, 0), c1 = mat3_column(&m, 1), c2 = mat3_column(&m, 2);
        ASSERT_NEAR(vec3_length(&c0), 65536, 8) << i;
        ASSERT_NEAR(vec3_length(&c1), 65536, 8) << i;
        ASSERT_NEAR(vec3_length(&c2), 65536, 8) << i;
        ASSERT_NEAR(vec3_dot(&c0, &c1), 0, 8) << i;
        ASSERT_NEAR(vec3_dot(&c0, &c2), 0, 8) << i;
        ASSERT_NEAR(vec3_dot(&c1, &c2), 0, 8) << i;
    }
}

} // namespace
} // namespace vantrel
