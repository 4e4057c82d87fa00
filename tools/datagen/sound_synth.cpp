// sound_synth: the recipes rendered with integer arithmetic only. Phases are 32-bit turns
// (2^32 = one cycle) kept in 64-bit accumulators, signal values are 16.16 (1.0 = 65536),
// sines come from the game's own table, and pitch curves from the exact powers of two below.
#include <algorithm>
#include <array>

#include "core/trig.h"
#include "tools/datagen/sounds.h"

namespace vantrel::datagen {

namespace {

constexpr int64_t ONE = 65536;              // 1.0 in 16.16
constexpr uint64_t Q30 = uint64_t(1) << 30; // 1.0 in the power table's format
constexpr uint64_t TURN = uint64_t(1) << 32;

constexpr uint64_t isqrt(uint64_t v) {
    uint64_t r = 0;
    for (uint64_t bit = uint64_t(1) << 62; bit; bit >>= 2)
        if (v >= r + bit) {
            v -= r + bit;
            r = (r >> 1) + bit;
        } else {
            r >>= 1;
        }
    return r;
}

// ROOTS[i] = 2^(2^-i) in 2.30 for i = 1..30, each the integer square root of the one before
// (scaled), so the table is the same on every compiler.
constexpr std::array<uint64_t, 31> make_roots() {
    std::array<uint64_t, 31> t{};
    t[0] = 2 * Q30;
    for (int i = 1; i <= 30; i++) t[i] = isqrt(t[i - 1] << 30);
    return t;
}
constexpr std::array<uint64_t, 31> ROOTS = make_roots();
static_assert(ROOTS[1] == 1518500249);  // sqrt(2) x 2^30, truncated
static_assert(ROOTS[12] == 1073923543); // 2^(1/4096) x 2^30, truncated

// 2^(num / den) in 2.30 for den > 0: the whole part is a shift, and each binary place of the
// fraction (found by exact long division) multiplies in its root.
uint64_t pow2_q30(int64_t num, int64_t den) {
    int64_t whole = num >= 0 ? num / den : -((-num + den - 1) / den);
    int64_t rest = num - whole * den; // 0 <= rest < den
    uint64_t x = Q30;
    for (int i = 1; i <= 30; i++) {
        rest *= 2;
        if (rest >= den) {
            rest -= den;
            x = (x * ROOTS[size_t(i)]) >> 30;
        }
    }
    if (whole >= 0) return x << std::min<int64_t>(whole, 30);
    return whole <= -62 ? 0 : x >> -whole;
}

// log2(a / b) in 32.32 for a, b in 1 .. 2^31, bit by bit: squaring a value in [1, 2) moves
// the next binary place of its logarithm into the whole part.
int64_t log2_q32(uint64_t a, uint64_t b) {
    int64_t whole = 0;
    while (a >= 2 * b) b *= 2, whole++;
    while (a < b) a *= 2, whole--;
    uint64_t x = ((a - b) << 30) / b + Q30; // a / b in [1, 2), 2.30; a - b < 2^32
    int64_t frac = 0;
    for (int i = 31; i >= 0; i--) {
        x = (x * x) >> 30;
        if (x >= 2 * Q30) {
            x >>= 1;
            frac |= int64_t(1) << i;
        }
    }
    return whole * int64_t(TURN) + frac;
}

int64_t us_to_samples(int64_t us, uint32_t rate) {
    return us * rate / 1000000;
}

// Phase step of a frequency in mHz. In a loop of period samples the frequency moves to the
// nearest whole number of cycles per period, so that every periodic part meets itself at
// the seam.
uint64_t phase_step(int64_t mhz, uint32_t rate, uint32_t period) {
    if (period == 0) return (uint64_t(mhz) * TURN + rate * 500) / (uint64_t(rate) * 1000);
    uint64_t cycles = (uint64_t(mhz) * period + rate * 500) / (uint64_t(rate) * 1000);
    return (std::max<uint64_t>(cycles, 1) * TURN + period / 2) / period;
}

int64_t sin16(uint64_t phase) {
    return trig_sin(bangle(phase)) >> 14;
}

// The correction of a step in a wave at phase t (turns in 32 bits) for a step dt: the
// polynomial band-limited step, which keeps saws and squares from aliasing into a buzz.
int64_t poly_blep(uint32_t t, uint64_t dt) {
    if (dt == 0 || dt >= TURN / 2) return 0;
    if (t < dt) {
        int64_t x = int64_t((uint64_t(t) << 16) / dt);
        return 2 * x - x * x / ONE - ONE;
    }
    if (uint64_t(t) > TURN - dt) {
        int64_t x = -int64_t(((TURN - t) << 16) / dt);
        return x * x / ONE + 2 * x + ONE;
    }
    return 0;
}

uint32_t xorshift32(uint32_t* s) {
    uint32_t x = *s;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return *s = x;
}

uint32_t name_seed(const std::string& name, size_t layer) {
    uint32_t h = 2166136261u; // FNV-1a
    for (unsigned char c : name) h = (h ^ c) * 16777619u;
    h ^= uint32_t(layer) * 0x9E3779B9u;
    return h ? h : 1;
}

// One layer's constants in samples and steps, worked out before its sample loop.
struct layer_plan {
    sound_wave wave;
    uint64_t step0, step1; // frequency at the start and the end of the sweep
    sound_sweep sweep;
    int64_t sweep_log = 0; // log2(step1 / step0), 32.32
    int64_t sweep_len;     // samples
    uint64_t trill_step = 0;
    int64_t trill_len = 0;
    uint64_t duty; // phase of the falling edge
    int64_t dc;    // the square's mean, taken off
    uint64_t vibrato_step, tremolo_step;
    int64_t vibrato_depth, tremolo_depth; // 16.16
    int64_t attack, hold, decay, release, curve, sustain;
    bool has_filter;
    int64_t cut0, cut1; // mHz
    sound_sweep cut_sweep;
    int64_t cut_log = 0;
    int64_t level;
    uint32_t seed;
    uint32_t rate;
};

int64_t to_16(int64_t thousandths_of_percent) {
    return thousandths_of_percent * ONE / 100000;
}

// Frequency steps, sweeps, trill and vibrato. base: the layer's frequency in mHz (a note's,
// for an instrument); period: the loop length in samples or 0.
void plan_pitch(const sound_layer& l, int64_t base, uint32_t rate, uint32_t period, layer_plan* p) {
    uint64_t detune = l.detune ? pow2_q30(l.detune, 1200000) : Q30;
    auto step = [&](int64_t mhz) {
        return mhz ? (phase_step(mhz, rate, period) * detune) >> 30 : 0;
    };
    p->step0 = step(base);
    p->step1 = l.sweep_to && l.freq ? step(l.sweep_to) : p->step0;
    p->sweep = l.sweep;
    if (p->sweep == sound_sweep::exponential) p->sweep_log = log2_q32(p->step1, p->step0);
    if (l.trill_freq) {
        p->trill_step = step(l.trill_freq);
        p->trill_len = std::max<int64_t>(us_to_samples(l.trill_time, rate), 1);
    }
    p->duty = uint64_t(l.duty) * TURN / 100000;
    p->dc = (2 * l.duty - 100000) * ONE / 100000;
    p->vibrato_step = l.vibrato_rate ? phase_step(l.vibrato_rate, rate, period) : 0;
    p->vibrato_depth = to_16(l.vibrato_depth);
}

void plan_level(const sound_layer& l, uint32_t rate, uint32_t period, layer_plan* p) {
    // At least a millisecond of attack: a wave that starts away from zero would click. A
    // loop has no start to click at, and its envelope comes round again every period.
    p->attack = std::max<int64_t>(us_to_samples(l.attack, rate), period ? 0 : rate / 1000);
    p->hold = us_to_samples(l.hold, rate);
    p->decay = us_to_samples(l.decay, rate);
    p->release = us_to_samples(l.release, rate);
    p->curve = l.curve;
    p->sustain = to_16(l.sustain);
    p->tremolo_step = l.tremolo_rate ? phase_step(l.tremolo_rate, rate, period) : 0;
    p->tremolo_depth = to_16(l.tremolo_depth);
    p->level = to_16(l.level);
}

void plan_filter(const sound_layer& l, layer_plan* p) {
    p->has_filter = l.cutoff != 0;
    p->cut0 = l.cutoff;
    p->cut1 = l.cutoff_to;
    p->cut_sweep = l.cutoff_sweep;
    if (p->has_filter && p->cut_sweep == sound_sweep::exponential)
        p->cut_log = log2_q32(uint64_t(p->cut1), uint64_t(p->cut0));
}

// sweep_len: the samples the layer's sweeps take.
layer_plan plan_layer(const sound_layer& l, int64_t base, uint32_t rate, uint32_t period,
                      int64_t sweep_len, uint32_t seed) {
    layer_plan p{};
    p.wave = l.wave;
    p.rate = rate;
    p.seed = seed;
    p.sweep_len = std::max<int64_t>(sweep_len, 1);
    plan_pitch(l, base, rate, period, &p);
    plan_level(l, rate, period, &p);
    plan_filter(l, &p);
    return p;
}

// A value swept from a to b over len samples, at sample t (held at b after the end).
int64_t swept(int64_t a, int64_t b, sound_sweep shape, int64_t log, int64_t t, int64_t len) {
    t = std::min(t, len);
    if (shape == sound_sweep::linear) return a + (b - a) * t / len;
    if (shape == sound_sweep::exponential)
        return int64_t((uint64_t(a) * pow2_q30(log * t, len * int64_t(TURN))) >> 30);
    return a;
}

uint64_t frequency_step(const layer_plan& p, int64_t t) {
    if (p.trill_len && (t / p.trill_len) % 2) return p.trill_step;
    return uint64_t(
        swept(int64_t(p.step0), int64_t(p.step1), p.sweep, p.sweep_log, t, p.sweep_len));
}

// The one-pole low-pass y += a (x - y) with a = w / (1 + w), w = 2 pi fc / rate, and
// 2 pi taken as 710 / 113.
int64_t lowpass_coefficient(const layer_plan& p, int64_t t) {
    int64_t fc = swept(p.cut0, p.cut1, p.cut_sweep, p.cut_log, t, p.sweep_len);
    int64_t w = 710 * fc;
    return w * ONE / (113000 * int64_t(p.rate) + w);
}

// left^curve, 16.16: the decay's shape, from a straight line (1) to a fast fall (4 and up).
int64_t curve_of(int64_t left, int64_t curve) {
    int64_t v = ONE;
    for (int64_t i = 0; i < curve; i++) v = v * left / ONE;
    return v;
}

// Attack, hold, decay to the sustain level, and from the gate on the release to silence.
int64_t envelope(const layer_plan& p, int64_t n, int64_t gate) {
    auto level_at = [&](int64_t t) {
        if (t < p.attack) return t * ONE / p.attack;
        t -= p.attack;
        if (t < p.hold || p.decay == 0) return ONE;
        t -= p.hold;
        if (t >= p.decay) return p.sustain;
        return p.sustain + (ONE - p.sustain) * curve_of(ONE - t * ONE / p.decay, p.curve) / ONE;
    };
    if (n < gate) return level_at(n);
    if (n >= gate + p.release) return 0;
    return level_at(gate) * (p.release - (n - gate)) / p.release;
}

struct oscillator {
    uint64_t phase = 0, vibrato = 0, tremolo = 0;
    uint32_t noise_state = 1;
    int64_t noise = 0, filtered = 0;
};

int64_t wave_value(const layer_plan& p, oscillator* o, uint64_t step) {
    uint32_t t = uint32_t(o->phase);
    switch (p.wave) {
    case sound_wave::sine:
        return sin16(t);
    case sound_wave::triangle: {
        int64_t v = int64_t(uint32_t(t + 0x40000000u) >> 15); // 0 .. 2 turns of 16.16
        return v < ONE ? 2 * v - ONE : 3 * ONE - 2 * v;
    }
    case sound_wave::saw: {
        uint32_t s = t + 0x80000000u; // the step sits where s wraps
        return int64_t(s >> 15) - ONE - poly_blep(s, step);
    }
    case sound_wave::square: {
        int64_t v = t < p.duty ? ONE : -ONE;
        return v + poly_blep(t, step) - poly_blep(uint32_t(t - p.duty), step) - p.dc;
    }
    case sound_wave::noise:
        if (step == 0 || t < step) o->noise = int64_t(int32_t(xorshift32(&o->noise_state))) >> 15;
        return o->noise;
    }
    return 0;
}

// Adds count samples of a layer into mix. gate: where the release begins; period: a loop's
// length, after which envelope, sweeps and noise start again, or 0.
void render_layer(const layer_plan& p, int64_t gate, int64_t count, int64_t period, int64_t* mix) {
    oscillator o;
    o.noise_state = p.seed;
    for (int64_t n = 0; n < count; n++) {
        int64_t t = period ? n % period : n;
        if (period && t == 0) o.noise_state = p.seed;
        uint64_t step = frequency_step(p, t);
        if (p.vibrato_step) {
            step += ((int64_t(step) * p.vibrato_depth / ONE) * sin16(o.vibrato)) / ONE;
            o.vibrato += p.vibrato_step;
        }
        int64_t x = wave_value(p, &o, step);
        o.phase = (o.phase + step) & (TURN - 1);
        if (p.has_filter) {
            o.filtered += (x - o.filtered) * lowpass_coefficient(p, t) / ONE;
            x = o.filtered;
        }
        int64_t gain = envelope(p, t, gate);
        if (p.tremolo_step) {
            gain = gain * (ONE - p.tremolo_depth * (ONE - sin16(o.tremolo)) / (2 * ONE)) / ONE;
            o.tremolo += p.tremolo_step;
        }
        mix[n] += x * gain / ONE * p.level / ONE;
    }
}

// The mix scaled so that its largest magnitude becomes peak, rounded to the nearest.
std::vector<int8_t> scaled(const int64_t* mix, size_t count, uint32_t peak) {
    int64_t top = 1;
    for (size_t i = 0; i < count; i++) top = std::max(top, mix[i] < 0 ? -mix[i] : mix[i]);
    std::vector<int8_t> out(count);
    for (size_t i = 0; i < count; i++) {
        int64_t v = mix[i] * int64_t(peak) * 2;
        v = v >= 0 ? (v + top) / (2 * top) : -((-v + top) / (2 * top));
        out[i] = int8_t(v);
    }
    return out;
}

constexpr int64_t NEVER = int64_t(1) << 62;

} // namespace

std::vector<int8_t> sound_render(const sound_recipe& r) {
    int64_t length = us_to_samples(r.length, r.rate) & ~int64_t(1);
    int64_t total = r.loop ? 2 * length : length; // a loop keeps its second pass
    std::vector<int64_t> mix(size_t(total), 0);
    for (size_t i = 0; i < r.layers.size(); i++) {
        const sound_layer& l = r.layers[i];
        // A start in the last odd sample lies past the even length.
        int64_t start = r.loop ? 0 : std::min(us_to_samples(l.start, r.rate), total);
        layer_plan p = plan_layer(l, l.freq, r.rate, r.loop ? uint32_t(length) : 0,
                                  r.loop ? length : length - start, name_seed(r.name, i));
        render_layer(p, NEVER, total - start, r.loop ? length : 0, mix.data() + start);
    }
    if (!r.loop) {
        // The last 4 ms fade to silence, so that a one-shot never stops on a step.
        int64_t fade = std::max<int64_t>(r.rate / 250, 1);
        for (int64_t n = std::max<int64_t>(length - fade, 0); n < length; n++)
            mix[size_t(n)] = mix[size_t(n)] * (length - 1 - n) / fade;
    }
    return scaled(mix.data() + (total - length), size_t(length), r.peak);
}

namespace {

// A note's frequency in mHz: 440 Hz x 2^((note - 69) / 12), equal temperament from A-4.
int64_t note_mhz(int note) {
    return int64_t((440000 * pow2_q30(int64_t(note - 69), 12) + Q30 / 2) >> 30);
}

struct note_event {
    int note;
    int64_t begin, end; // rows, over both passes
};

// The notes of one track over the order played twice: a note lasts until the next note or
// "===" on its track.
std::vector<note_event> track_notes(const music_recipe& m, size_t track) {
    std::vector<note_event> notes;
    int64_t row = 0;
    for (int pass = 0; pass < 2; pass++)
        for (int p : m.order)
            for (const std::vector<int>& cells : m.patterns[size_t(p)].rows) {
                int cell = cells[track];
                if (cell != CELL_HOLD && !notes.empty() && notes.back().end < 0)
                    notes.back().end = row;
                if (cell >= 0) notes.push_back({cell, row, -1});
                row++;
            }
    if (!notes.empty() && notes.back().end < 0) notes.back().end = row;
    return notes;
}

} // namespace

std::vector<int8_t> music_render(const music_recipe& m) {
    int64_t pass = music_length(m), rows = 0;
    for (int p : m.order) rows += int64_t(m.patterns[size_t(p)].rows.size());
    // Row r starts at sample r x pass / rows: the second pass lies exactly one pass later.
    auto row_start = [&](int64_t r) { return r * pass / rows; };
    std::vector<int64_t> mix(size_t(2 * pass), 0);
    for (size_t track = 0; track < m.tracks.size(); track++) {
        const auto& inst = m.instruments[size_t(m.tracks[track])];
        for (const note_event& e : track_notes(m, track)) {
            int64_t begin = row_start(e.begin), gate = row_start(e.end) - begin;
            for (size_t i = 0; i < inst.layers.size(); i++) {
                layer_plan p = plan_layer(inst.layers[i], note_mhz(e.note), m.rate, 0, gate,
                                          name_seed(inst.name, i));
                // Never cut a note dead: a few milliseconds of release at the least.
                p.release = std::max<int64_t>(p.release, m.rate * 3 / 1000);
                int64_t count = std::min(gate + p.release, 2 * pass - begin);
                render_layer(p, gate, count, 0, mix.data() + begin);
            }
        }
    }
    return scaled(mix.data() + pass, size_t(pass), m.peak);
}

} // namespace vantrel::datagen
