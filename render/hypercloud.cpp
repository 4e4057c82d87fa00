// hypercloud: the procedural hyperspace cloud, its size envelope, palette block and drawing.
#include "render/hypercloud.h"

#include <cstring>
#include <initializer_list>

#include "core/hash.h"
#include "core/trig.h"

namespace vantrel {

namespace {

// Thousandths to fix16, truncated: the shape constants read as the decimals they are.
constexpr fix16 milli(int32_t m) {
    return static_cast<fix16>(static_cast<int64_t>(m) * FIX16_ONE / 1000);
}

constexpr uint8_t RAMPS[3 * 12] = {8,  20, 70, 150, 210, 255, 70, 22, 4,  255, 200, 90,  // style 0
                                   35, 8,  60, 220, 140, 255, 70, 6,  10, 255, 110, 90,  // style 1
                                   30, 40, 12, 150, 235, 90,  45, 28, 12, 200, 150, 80}; // style 2

constexpr uint8_t HUES[12 * 3] = {60,  120, 255, 40,  200, 255, 40,  240, 200, 60,  230, 90,
                                  170, 240, 50,  250, 230, 50,  255, 170, 40,  255, 90,  50,
                                  250, 50,  120, 220, 60,  220, 150, 70,  255, 100, 90,  255};

// The sparks of a ramp are its bright end moved a half, three quarters and all the way to
// white; the rainbow style's sparks are plain white.
struct spark_table {
    uint8_t c[4 * 18];
};
constexpr spark_table make_sparks() {
    spark_table t = {};
    for (int s = 0; s < 4; s++)
        for (int v = 0; v < 2; v++)
            for (int k = 0; k < 3; k++) {
                int to = s < 3 ? RAMPS[s * 12 + v * 6 + 3 + k] : 255;
                t.c[s * 18 + v * 9 + k] = static_cast<uint8_t>(to + (255 - to) / 2);
                t.c[s * 18 + v * 9 + 3 + k] = static_cast<uint8_t>(to + 3 * (255 - to) / 4);
                t.c[s * 18 + v * 9 + 6 + k] = 255;
            }
    return t;
}
constexpr spark_table SPARKS = make_sparks();

// Element kinds: the first word of every hash key, so no two choices share a hash.
enum : uint64_t {
    KIND_SWIRL = 510,
    KIND_RING0 = 512,
    KIND_RING1 = 514,
    KIND_BAND = 520,
    KIND_FLECK = 530,
    KIND_TENDRIL = 600,
    KIND_SIDE = 601,
    KIND_TENDRIL_COUNT = 602,
    KIND_HOLE_WAVE = 900,
    KIND_HOLE_JITTER = 901,
    KEY_FADE = 77,
};

struct cloud {
    uint64_t seed;
    uint32_t t;
    fix16 size; // the envelope
    fix16 fade; // 0 .. 1.0 over the last 30 % of the life
    cloud_triangle* out;
    int capacity;
    int count;
};

uint64_t hash(const cloud& c, std::initializer_list<uint64_t> words) {
    return hash_fold(c.seed, words.begin(), static_cast<int>(words.size()));
}

// The upper 16 bits as a fraction 0 .. 65535/65536.
fix16 frac(uint64_t h) {
    return static_cast<fix16>(h >> 48);
}

fix16 lerp(fix16 lo, fix16 hi, fix16 f) {
    return wrap_add32(lo, fix16_mul(wrap_sub32(hi, lo), f));
}

uint32_t pick(uint64_t h, uint32_t n) {
    return hash_range_u32(h, n);
}

// An element survives the fade while its own hash stays at or above the fade fraction.
bool kept(const cloud& c, uint64_t kind, uint64_t i, uint64_t j) {
    return frac(hash(c, {kind, i, j, KEY_FADE})) >= c.fade;
}

uint32_t spin(uint32_t t, uint32_t rate, bool backwards) {
    uint32_t a = t * rate;
    return backwards ? 0u - a : a;
}

// r is already scaled by the cloud's size.
cloud_point polar(fix16 r, bangle a) {
    return {fix16_mul(trig_cos(a) >> 14, r), fix16_mul(trig_sin(a) >> 14, r)};
}

void emit(cloud& c, cloud_point a, cloud_point b, cloud_point d, uint8_t colour) {
    if (c.count >= c.capacity) return;
    c.out[c.count++] = {{a, b, d}, colour};
}

void arc_rect(cloud& c, fix16 inner, fix16 outer, bangle start, bangle sweep, int segments,
              uint8_t colour) {
    fix16 ri = fix16_mul(inner, c.size), ro = fix16_mul(outer, c.size);
    bangle step = sweep / static_cast<uint32_t>(segments);
    for (int k = 0; k < segments; k++) {
        bangle a0 = start + static_cast<uint32_t>(k) * step, a1 = a0 + step;
        cloud_point i0 = polar(ri, a0), o0 = polar(ro, a0);
        cloud_point o1 = polar(ro, a1), i1 = polar(ri, a1);
        emit(c, i0, o0, o1, colour);
        emit(c, i0, o1, i1, colour);
    }
}

void hole(cloud& c, fix16 radius, int segments, fix16 jitter) {
    fix16 r = fix16_mul(FIX16_ONE - c.fade, radius);
    bangle unit = 0xFFFFFFFFu / static_cast<uint32_t>(segments);
    cloud_point p_in = {}, p_out = {}, first_in = {}, first_out = {};
    for (int i = 0; i <= segments; i++) {
        uint32_t j = static_cast<uint32_t>(i % segments);
        cloud_point q_in, q_out;
        if (i == segments) {
            q_in = first_in, q_out = first_out; // the ring closes on its first points
        } else {
            bangle a = unit * j;
            uint32_t phase = static_cast<uint32_t>(hash(c, {KIND_HOLE_WAVE, j}) >> 32);
            fix16 w1 = trig_sin(c.t * 1867377u + phase) >> 14;
            fix16 w2 = trig_sin(j * 0x2F000000u - c.t * 1160801u) >> 14;
            int64_t jit = static_cast<int64_t>(hash(c, {KIND_HOLE_JITTER, j}) >> 48) - 32768;
            fix16 e = static_cast<fix16>((jit * jitter) >> 16);
            fix16 f = FIX16_ONE + fix16_mul(14417, w1) + fix16_mul(7864, w2) + e;
            fix16 fr = fix16_mul(f, r);
            fix16 ri = fix16_mul(fr, c.size), ro = fix16_mul(fr + 1966, c.size);
            q_in = polar(ri, a), q_out = polar(ro, a);
            if (i == 0) first_in = q_in, first_out = q_out;
        }
        if (i >= 1) {
            emit(c, p_in, p_out, q_out, 14);
            emit(c, p_in, q_out, q_in, 14);
            emit(c, cloud_point{0, 0}, p_in, q_in, 0);
        }
        p_in = q_in, p_out = q_out;
    }
}

// A tendril: a strip along a curve from r0 to r1 whose angle turns by `curl` on the way
// (with a slow wobble), tapering from half-width w0 to a point.
struct strand {
    fix16 r0, r1, w0;
    bangle a0;
    int32_t curl;
    int segments;
    uint32_t phase;
};

void strand_joint(const cloud& c, const strand& s, int k, fix16* radius, bangle* angle) {
    fix16 f = static_cast<fix16>(k * FIX16_ONE / s.segments);
    *radius = lerp(s.r0, s.r1, f);
    int32_t turn = static_cast<int32_t>(static_cast<int64_t>(s.curl) * k / s.segments);
    // The wobble grows towards the tip, so the root stays on its parent.
    int32_t wobble =
        fix2_30_mul(trig_sin(c.t * 0x30000u + s.phase + static_cast<uint32_t>(k) * 0x18000000u),
                    0x01C71C71 / s.segments * k); // up to 2.5 degrees
    *angle = s.a0 + static_cast<uint32_t>(turn) + static_cast<uint32_t>(wobble);
}

void tendril(cloud& c, const strand& s, uint8_t colour) {
    cloud_point pl = {}, pr = {};
    for (int k = 0; k <= s.segments; k++) {
        fix16 radius;
        bangle angle;
        strand_joint(c, s, k, &radius, &angle);
        fix16 w = static_cast<fix16>(static_cast<int64_t>(s.w0) * (s.segments - k) / s.segments);
        cloud_point m = polar(fix16_mul(radius, c.size), angle);
        cloud_point n = polar(fix16_mul(w, c.size), angle + BANGLE_90);
        cloud_point l = {wrap_add32(m.x, n.x), wrap_add32(m.y, n.y)};
        cloud_point r = {wrap_sub32(m.x, n.x), wrap_sub32(m.y, n.y)};
        if (k >= 1) {
            emit(c, pl, pr, r, colour);
            if (k < s.segments) emit(c, pl, r, l, colour); // the tip is one triangle
        }
        pl = l, pr = r;
    }
}

void rings(cloud& c, int layout) {
    if (layout == 0) {
        for (uint32_t r = 0; r < 5; r++) {
            uint64_t h = hash(c, {KIND_RING0, r});
            fix16 breath =
                fix2_30_mul(trig_sin(c.t * 0x100000u + static_cast<uint32_t>(h)), milli(40));
            fix16 inner = milli(300) + milli(130) * static_cast<int32_t>(r) + breath;
            fix16 outer = inner + lerp(milli(50), milli(80), frac(hash(c, {KIND_RING0, r, 1})));
            int segments = 12 + 4 * static_cast<int>(r);
            bangle step = 0xFFFFFFFFu / static_cast<uint32_t>(segments);
            bangle start = static_cast<uint32_t>(h >> 32) +
                           spin(c.t, (static_cast<uint32_t>(h) & 0x3FFFF) + 0x20000, r & 1);
            for (int k = 0; k < segments; k++)
                if (kept(c, KIND_RING0, r, static_cast<uint64_t>(k)))
                    arc_rect(c, inner, outer, start + static_cast<uint32_t>(k) * step, step, 1,
                             static_cast<uint8_t>(12 - 2 * r));
        }
        for (uint32_t i = 0; i < 12; i++) {
            uint64_t h = hash(c, {KIND_FLECK, i});
            if (!kept(c, KIND_FLECK, i, 0)) continue;
            fix16 inner = lerp(milli(250), milli(1000), frac(h));
            bangle start = static_cast<uint32_t>(h) + spin(c.t, 0x60000, i & 1);
            arc_rect(c, inner, inner + milli(30), start, 0x04444444, 1,
                     static_cast<uint8_t>(13 + pick(h, 3)));
        }
        hole(c, milli(200), 12, milli(300));
        return;
    }
    for (uint32_t r = 0; r < 7; r++) {
        uint64_t h = hash(c, {KIND_RING1, r});
        uint32_t arcs = 3 + pick(h, 3);
        bangle share = 0xFFFFFFFFu / arcs;
        fix16 inner = milli(280) + milli(90) * static_cast<int32_t>(r);
        bangle start = static_cast<uint32_t>(h) +
                       spin(c.t, (static_cast<uint32_t>(h >> 16) & 0x3FFFF) + 0x30000, r & 1);
        for (uint32_t a = 0; a < arcs; a++) {
            if (!kept(c, KIND_RING1, r, a)) continue;
            uint64_t ha = hash(c, {KIND_RING1, r, a});
            fix16 cover = lerp(milli(400), milli(900), frac(ha));
            bangle sweep = static_cast<uint32_t>(
                (static_cast<uint64_t>(share) * static_cast<uint32_t>(cover)) >> 16);
            arc_rect(c, inner, inner + milli(40), start + a * share, sweep,
                     3 + static_cast<int>(sweep >> 28),
                     static_cast<uint8_t>(1 + pick(ha << 16, 12)));
        }
    }
    hole(c, milli(240), 14, milli(400));
}

void swirl(cloud& c) {
    for (uint32_t i = 0; i < 16; i++) {
        if (!kept(c, KIND_SWIRL, i, 0)) continue;
        uint64_t h = hash(c, {KIND_SWIRL, i}), h2 = hash(c, {KIND_SWIRL, i, 1});
        fix16 inner = lerp(milli(300), milli(850), frac(h));
        fix16 width = lerp(milli(40), milli(120), frac(h2));
        bangle sweep = BANGLE_90 / 2 + static_cast<uint32_t>(frac(h2 << 16)) * (BANGLE_90 >> 16);
        bangle start = static_cast<uint32_t>(h) +
                       spin(c.t, (static_cast<uint32_t>(h2) & 0x7FFFF) + 0x40000, false);
        arc_rect(c, inner, inner + width, start, sweep, 4, static_cast<uint8_t>(1 + pick(h2, 12)));
    }
    uint32_t count = 6 + static_cast<uint32_t>((hash(c, {KIND_TENDRIL_COUNT}) >> 32) % 5);
    for (uint32_t i = 0; i < count; i++) {
        uint64_t h = hash(c, {KIND_TENDRIL, i});
        strand main = {};
        main.r0 = milli(200);
        main.r1 = lerp(milli(750), milli(1050), frac(h));
        main.w0 = milli(50);
        main.a0 = (0xFFFFFFFFu / count) * i + (static_cast<uint32_t>(h) >> 4);
        main.curl = static_cast<int32_t>(static_cast<uint32_t>(h >> 16) % 0x55555556u) -
                    0x2AAAAAAB; // +-60 degrees
        main.segments = 6;
        main.phase = static_cast<uint32_t>(h >> 32);
        uint8_t colour = static_cast<uint8_t>(6 + pick(h << 8, 7));
        if (kept(c, KIND_TENDRIL, i, 0)) tendril(c, main, colour);
        for (uint32_t side = 0; side < 2; side++) {
            if (!kept(c, KIND_SIDE, i, side)) continue;
            uint64_t hs = hash(c, {KIND_SIDE, i, side});
            strand s = {};
            strand_joint(c, main, 2 + 2 * static_cast<int>(side), &s.r0, &s.a0);
            s.r1 = s.r0 + lerp(milli(150), milli(300), frac(hs));
            s.w0 = milli(25);
            s.curl = side ? 0x15555555 : -0x15555555; // 30 degrees away from the main curl
            s.segments = 4;
            s.phase = static_cast<uint32_t>(hs >> 32);
            tendril(c, s, static_cast<uint8_t>(13 + pick(hs, 3)));
        }
    }
    hole(c, milli(220), 16, milli(250));
}

void bands(cloud& c) {
    for (uint32_t b = 0; b < 4; b++) {
        uint32_t segments = 20 - 4 * b;
        fix16 outer = milli(950) - milli(170) * static_cast<int32_t>(b);
        bangle step = 0xFFFFFFFFu / segments;
        bangle start = static_cast<uint32_t>(hash(c, {KIND_BAND, b}) >> 32) +
                       spin(c.t, 0x50000 + 0x10000 * b, b & 1);
        for (uint32_t k = 0; k < segments; k++)
            if (kept(c, KIND_BAND, b, k))
                arc_rect(c, outer - milli(140), outer, start + k * step, step - step / 8, 2,
                         static_cast<uint8_t>(1 + (k + 3 * b) % 12));
    }
    hole(c, milli(250), 9, milli(600));
}

// The fill of one triangle clipped to the frame; the same pixels as the renderer's span
// walker gives an unclipped triangle (16.16 edges from the vertex x, truncated steps), but
// rows outside the frame are skipped without walking them, so a large cloud needs no span
// buffer and costs only its visible rows.
struct edge_walk {
    int32_t x0, y0, dx;
    int32_t at(int32_t y) const {
        return static_cast<int32_t>(static_cast<uint32_t>(x0) +
                                    static_cast<uint32_t>(dx) * static_cast<uint32_t>(y - y0));
    }
};

edge_walk edge_from(int32_t xs, int32_t ys, int32_t xe, int32_t ye) {
    int32_t dy = ye - ys;
    int32_t dx = dy == 0 ? 0 : static_cast<int32_t>(static_cast<uint32_t>(xe - xs) << 16) / dy;
    return {static_cast<int32_t>(static_cast<uint32_t>(xs) << 16), ys, dx};
}

bool fill_clipped(uint8_t* frame, int width, int height, const int32_t* xs, const int32_t* ys,
                  uint8_t colour) {
    int i0 = 0, i1 = 1, i2 = 2, tmp;
    if (ys[i1] < ys[i0]) tmp = i0, i0 = i1, i1 = tmp;
    if (ys[i2] < ys[i1]) tmp = i1, i1 = i2, i2 = tmp;
    if (ys[i1] < ys[i0]) tmp = i0, i0 = i1, i1 = tmp;
    int32_t lo = xs[0], hi = xs[0];
    for (int k = 1; k < 3; k++) {
        if (xs[k] < lo) lo = xs[k];
        if (xs[k] > hi) hi = xs[k];
    }
    if (hi < 0 || lo >= width || ys[i2] < 0 || ys[i0] >= height) return false;
    edge_walk long_edge = edge_from(xs[i0], ys[i0], xs[i2], ys[i2]);
    edge_walk top_edge = edge_from(xs[i0], ys[i0], xs[i1], ys[i1]);
    edge_walk bottom_edge = edge_from(xs[i1], ys[i1], xs[i2], ys[i2]);
    int32_t y = ys[i0] < 0 ? 0 : ys[i0];
    int32_t y_last = ys[i2] < height ? ys[i2] : height - 1;
    for (; y <= y_last; y++) {
        int32_t a = long_edge.at(y) >> 16;
        int32_t b = (y < ys[i1] ? top_edge : bottom_edge).at(y) >> 16;
        int32_t l = a < b ? a : b, r = a < b ? b : a;
        if (l < 0) l = 0;
        if (r > width) r = width;
        if (l < r)
            std::memset(frame + static_cast<size_t>(y) * static_cast<size_t>(width) + l, colour,
                        static_cast<size_t>(r - l));
    }
    return true;
}

// Keeps vertex differences inside what a 16.16 edge slope can hold; only vertices far
// beyond any frame are moved, and no triangle reaching a frame has one.
int32_t clamp_screen(int64_t v) {
    return static_cast<int32_t>(v < -16000 ? -16000 : v > 16000 ? 16000 : v);
}

} // namespace

fix16 hypercloud_scale(uint32_t t, uint32_t duration) {
    if (t >= duration) return 0;
    if (t < 700) {
        fix16 u = static_cast<fix16>(t * 65536u / 700u);
        return fix16_mul(85196, fix16_mul(u, 2 * FIX16_ONE - u));
    }
    if (t < 2500) return 85196 - static_cast<fix16>(19661u * (t - 700u) / 1800u);
    uint64_t n = (t - 2500u) / 16u;
    uint64_t d = (duration - 2500u) / 16u;
    if (d == 0) return FIX16_ONE; // under 16 ms of decline: nothing has gone yet
    return FIX16_ONE - static_cast<fix16>((n << 16) / d);
}

void hypercloud_palette(int style, int variant, uint8_t out[HYPERCLOUD_COLOURS * 3]) {
    int s = static_cast<int>(static_cast<unsigned>(style) & 3u);
    int v = variant & 1;
    out[0] = out[1] = out[2] = 0;
    for (int k = 0; k < 12; k++)
        for (int ch = 0; ch < 3; ch++) {
            int value;
            if (s == 3) {
                value = HUES[((k + 6 * v) % 12) * 3 + ch];
            } else {
                int from = RAMPS[s * 12 + v * 6 + ch], to = RAMPS[s * 12 + v * 6 + 3 + ch];
                value = from + (to - from) * k / 11;
            }
            out[(k + 1) * 3 + ch] = static_cast<uint8_t>(value);
        }
    std::memcpy(out + 13 * 3, SPARKS.c + s * 18 + v * 9, 9);
}

int hypercloud_build(int style, int variant, uint32_t seed_high, uint32_t seed, uint32_t t,
                     uint32_t duration, cloud_triangle* out, int capacity) {
    if (t >= duration || capacity < 1) return 0;
    cloud c = {};
    uint64_t high = (static_cast<uint64_t>(static_cast<uint32_t>(variant)) << 31) ^ seed_high;
    c.seed = (high << 32) | seed;
    c.t = t;
    c.size = hypercloud_scale(t, duration);
    uint32_t fade_start = duration - static_cast<uint32_t>(uint64_t{duration} * 3 / 10);
    if (t > fade_start)
        c.fade = static_cast<fix16>((uint64_t{t - fade_start} << 16) / (duration - fade_start));
    c.out = out;
    c.capacity = capacity;
    switch (static_cast<unsigned>(style) & 3u) {
    case 0:
        rings(c, 0);
        break;
    case 1:
        rings(c, 1);
        break;
    case 2:
        swirl(c);
        break;
    default:
        bands(c);
        break;
    }
    return c.count;
}

int hypercloud_draw(uint8_t* frame, int width, int height, const cloud_triangle* triangles,
                    int count, const render_pose* object, fix16 size, const render_pose* camera,
                    const view_projection* projection, uint8_t palette_offset) {
    if (count < 1 || width < 1 || height < 1) return 0;
    vec3 centre = {0, 0, 0};
    projected_vertex p;
    transform_and_project(&p, &centre, object, camera, projection);
    if (!p.valid) return 0;
    int64_t scale = (static_cast<int64_t>(size) * p.scale) >> 16;
    // A cloud filling thousands of screens is not worth its rows; a negative size is no cloud.
    if (scale <= 0 || scale - FIX16_ONE >= int64_t{4000} * FIX16_ONE) return 0;
    int drawn = 0;
    for (int i = 0; i < count; i++) {
        const cloud_triangle& tri = triangles[i];
        int32_t xs[3], ys[3];
        for (int k = 0; k < 3; k++) {
            xs[k] = clamp_screen(p.screen_x + ((int64_t{tri.v[k].x} * scale) >> 32));
            ys[k] = clamp_screen(p.screen_y - ((int64_t{tri.v[k].y} * scale) >> 32));
        }
        int64_t cross =
            int64_t{xs[1] - xs[0]} * (ys[2] - ys[0]) - int64_t{xs[2] - xs[0]} * (ys[1] - ys[0]);
        if (cross == 0) continue;
        if (cross < 0) { // both faces show
            int32_t tx = xs[1], ty = ys[1];
            xs[1] = xs[2], ys[1] = ys[2], xs[2] = tx, ys[2] = ty;
        }
        uint8_t colour = static_cast<uint8_t>(palette_offset + tri.colour);
        if (fill_clipped(frame, width, height, xs, ys, colour)) drawn++;
    }
    return drawn;
}

} // namespace vantrel
