// scenes: assets/Scenes/<name>.scn into Scenes/<name>.scene (version 3 with its clip).
//
// A source is one statement a line, `#` comments, seconds and metres. Every number is read
// exactly from its digits and rounded once: file times are ceil(ms * 65536 / 1000) so that
// the player's millisecond conversion gives the written milliseconds back, key positions are
// 32.32 metres rounded to nearest, and orientations come from mat3_look_at, so the bytes do
// not depend on the build machine's floating point.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "core/save.h"
#include "core/trig.h"
#include "scenes/scene.h"
#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

namespace {

using i128 = __int128;

constexpr int64_t RANGE_M = 30000; // positions and steps between keys, metres
constexpr int64_t ONE_M = int64_t(1) << 32;
constexpr int32_t TICK_MS = 20;
constexpr size_t MAX_KEYS = 4096;
constexpr uint32_t MAX_STARS = 256; // the view makes no more
constexpr int MAX_PAINT = 6;
constexpr int LOGO_SAFE_PAINTS = 4; // paints 5 and 6 use the colours the logo animates
constexpr size_t MAX_CLOUD_PAIRS = 2;

// An exact decimal: num / den, den a power of ten.
struct decimal {
    i128 num;
    i128 den;
};

// round(v * scale), halves away from zero.
i128 round_scaled(const decimal& v, i128 scale) {
    i128 p = v.num * scale;
    i128 q = (p < 0 ? -p : p) * 2 + v.den;
    q /= 2 * v.den;
    return p < 0 ? -q : q;
}

struct spec_key {
    int line;
    int32_t ms;
    space_pos pos;
    enum { KEEP, POINT, OBJECT, DIRECTION } look;
    space_pos at;    // POINT: where; DIRECTION: which way (any length)
    uint32_t target; // OBJECT
    vec3 up;
};

struct spec_track {
    uint32_t id;
    int line;
    std::vector<spec_key> keys;
};

class compiler {
  public:
    compiler(const std::string& path) : path_(path) {}

    bool run(std::string_view text, std::vector<uint8_t>* out);
    const std::string& error() const { return error_; }

  private:
    bool statement(const std::string& word);
    bool fail(const std::string& reason) { return fail_at(line_, reason); }
    bool fail_at(int line, const std::string& reason) {
        if (error_.empty()) error_ = path_ + ":" + std::to_string(line) + ": " + reason;
        return false;
    }

    // Token readers: each fails with a message naming what was expected.
    bool next(const char* what, std::string* out);
    bool expect(const char* keyword);
    bool maybe(const char* keyword);
    bool number(const char* what, decimal* out);
    bool integer(const char* what, int64_t lo, int64_t hi, int64_t* out);
    bool fix16_of(const char* what, int64_t lo, int64_t hi, fix16* out);
    bool millis(const char* what, int64_t* out);
    bool seconds(const char* what, fix16* out);
    bool metres(const char* what, int64_t* out);
    bool point(const char* what, space_pos* out);
    bool up_vector(vec3* out);
    bool look(spec_key* k, bool orbit, const space_pos& centre);
    bool object_ref(const char* what, uint32_t* out);
    bool key_time(const char* what, int32_t* ms);
    bool add_key(const spec_key& k);
    bool header_once(const std::string& word);

    bool event_statement();
    bool finish(std::vector<uint8_t>* out);
    bool orient(const spec_track& t, const std::vector<anim_track>& paths, size_t k,
                const mat3& before, mat3* out);

    std::string path_, error_;
    int line_ = 0;
    std::vector<std::string> words_;
    size_t at_ = 0;
    std::string quoted_;
    bool has_quoted_ = false;

    scene s_{};
    std::map<std::string, int> header_lines_;
    std::map<uint32_t, int> object_lines_;
    std::vector<spec_track> tracks_;
    std::vector<int> event_lines_;
    std::vector<std::pair<int, int>> cloud_pairs_; // (style, kind)
};

bool compiler::next(const char* what, std::string* out) {
    if (at_ >= words_.size()) return fail(std::string("missing ") + what);
    *out = words_[at_++];
    return true;
}

bool compiler::expect(const char* keyword) {
    std::string w;
    if (!next(keyword, &w)) return false;
    if (w != keyword) return fail("expected '" + std::string(keyword) + "', found '" + w + "'");
    return true;
}

bool compiler::maybe(const char* keyword) {
    if (at_ < words_.size() && words_[at_] == keyword) return ++at_, true;
    return false;
}

bool compiler::number(const char* what, decimal* out) {
    std::string w;
    if (!next(what, &w)) return false;
    size_t i = w[0] == '-' ? 1 : 0, digits = 0, dot = 0;
    i128 num = 0, den = 1;
    for (; i < w.size(); i++) {
        if (w[i] == '.' && !dot && digits) {
            dot = i;
            continue;
        }
        if (w[i] < '0' || w[i] > '9' || ++digits > 18) {
            digits = 0;
            break;
        }
        num = num * 10 + (w[i] - '0');
        if (dot) den *= 10;
    }
    if (!digits || (dot && dot + 1 == w.size()))
        return fail(std::string(what) + ": '" + w + "' is not a decimal number");
    *out = decimal{w[0] == '-' ? -num : num, den};
    return true;
}

bool compiler::integer(const char* what, int64_t lo, int64_t hi, int64_t* out) {
    decimal d;
    if (!number(what, &d)) return false;
    if (d.den != 1) return fail(std::string(what) + ": '" + words_[at_ - 1] + "' is not whole");
    if (d.num < lo || d.num > hi)
        return fail(std::string(what) + ": " + words_[at_ - 1] + " is outside " +
                    std::to_string(lo) + ".." + std::to_string(hi));
    *out = int64_t(d.num);
    return true;
}

// A plain value as fix16, rounded to nearest; lo and hi bound the value itself.
bool compiler::fix16_of(const char* what, int64_t lo, int64_t hi, fix16* out) {
    decimal d;
    if (!number(what, &d)) return false;
    if (d.num < lo * d.den || d.num > hi * d.den)
        return fail(std::string(what) + ": " + words_[at_ - 1] + " is outside " +
                    std::to_string(lo) + ".." + std::to_string(hi));
    *out = fix16(round_scaled(d, 65536));
    return true;
}

// Seconds as whole milliseconds, 0 up to a day.
bool compiler::millis(const char* what, int64_t* out) {
    decimal d;
    if (!number(what, &d)) return false;
    i128 ms = d.num * 1000;
    if (ms % d.den != 0)
        return fail(std::string(what) + ": '" + words_[at_ - 1] +
                    "' is not a whole number of milliseconds");
    if (d.num < 0 || ms / d.den > 86400000)
        return fail(std::string(what) + ": " + words_[at_ - 1] + " is outside 0..86400 s");
    *out = int64_t(ms / d.den);
    return true;
}

// A file time: the smallest 16.16 count that the player turns back into the same ms.
bool compiler::seconds(const char* what, fix16* out) {
    int64_t ms;
    if (!millis(what, &ms)) return false;
    *out = fix16((ms * 65536 + 999) / 1000);
    return true;
}

bool compiler::metres(const char* what, int64_t* out) {
    decimal d;
    if (!number(what, &d)) return false;
    if (d.num < -RANGE_M * d.den || d.num > RANGE_M * d.den)
        return fail(std::string(what) + ": " + words_[at_ - 1] + " m is beyond 30 km");
    *out = int64_t(round_scaled(d, ONE_M));
    return true;
}

bool compiler::point(const char* what, space_pos* out) {
    return metres(what, &out->x) && metres(what, &out->y) && metres(what, &out->z);
}

bool compiler::up_vector(vec3* out) {
    *out = vec3{0, FIX16_ONE, 0};
    if (!maybe("up")) return true;
    return fix16_of("up", -1000, 1000, &out->x) && fix16_of("up", -1000, 1000, &out->y) &&
           fix16_of("up", -1000, 1000, &out->z);
}

bool compiler::object_ref(const char* what, uint32_t* out) {
    int64_t id;
    if (!integer(what, 1, 0xFFFFFFFF, &id)) return false;
    if (!object_lines_.count(uint32_t(id)))
        return fail(std::string(what) + ": no object " + std::to_string(id));
    *out = uint32_t(id);
    return true;
}

// `look X Y Z`, `look @ID` or `face X Y Z`; an orbit also knows `look centre`.
bool compiler::look(spec_key* k, bool orbit, const space_pos& centre) {
    k->look = spec_key::KEEP;
    if (maybe("face")) {
        k->look = spec_key::DIRECTION;
        if (!point("face", &k->at)) return false;
    } else if (maybe("look")) {
        if (orbit && maybe("centre")) {
            k->look = spec_key::POINT;
            k->at = centre;
        } else if (at_ < words_.size() && words_[at_][0] == '@') {
            words_[at_].erase(0, 1);
            k->look = spec_key::OBJECT;
            if (!object_ref("look", &k->target)) return false;
        } else {
            k->look = spec_key::POINT;
            if (!point("look", &k->at)) return false;
        }
    }
    return up_vector(&k->up);
}

bool compiler::key_time(const char* what, int32_t* ms) {
    int64_t v;
    if (!millis(what, &v)) return false;
    if (v % TICK_MS)
        return fail(std::string(what) + ": " + words_[at_ - 1] + " s is off the 20 ms grid");
    *ms = int32_t(v);
    return true;
}

bool compiler::add_key(const spec_key& k) {
    if (tracks_.empty()) return fail("a key before the first track");
    std::vector<spec_key>& keys = tracks_.back().keys;
    if (keys.size() >= MAX_KEYS) return fail("more than 4096 keys in one track");
    if (!keys.empty() && k.ms < keys.back().ms) return fail("key times go backwards");
    if (keys.size() >= 2 && k.ms == keys.back().ms && k.ms == keys[keys.size() - 2].ms)
        return fail("a third key at one time (two make a cut)");
    keys.push_back(k);
    return true;
}

bool compiler::header_once(const std::string& word) {
    auto [it, fresh] = header_lines_.emplace(word, line_);
    if (!fresh)
        return fail("a second '" + word + "' (the first is on line " + std::to_string(it->second) +
                    ")");
    return true;
}

bool compiler::event_statement() {
    if (s_.event_count >= SCENE_MAX_EVENTS) return fail("more than 32 events");
    scene_event e{};
    std::string kind;
    if (!seconds("event time", &e.time) || !next("event kind", &kind)) return false;
    static const std::pair<const char*, uint8_t> KINDS[] = {
        {"show", SCENE_EVENT_SHOW},       {"hide", SCENE_EVENT_HIDE},
        {"arrive", SCENE_EVENT_ARRIVE},   {"leave", SCENE_EVENT_LEAVE},
        {"destroy", SCENE_EVENT_DESTROY}, {"cockpit", SCENE_EVENT_COCKPIT_ON},
        {"flash", SCENE_EVENT_FLASH},     {"beam", SCENE_EVENT_BEAM}};
    for (const auto& [name, code] : KINDS)
        if (kind == name) e.kind = code;
    if (!e.kind) return fail("unknown event '" + kind + "'");
    int64_t v = 0;
    switch (e.kind) {
    case SCENE_EVENT_ARRIVE:
    case SCENE_EVENT_LEAVE:
        if (!object_ref(kind.c_str(), &e.target)) return false;
        if (maybe("style") && !integer("style", 0, 3, &v)) return false;
        e.param = uint8_t(v);
        if (std::find(cloud_pairs_.begin(), cloud_pairs_.end(), std::pair{int(v), int(e.kind)}) ==
            cloud_pairs_.end()) {
            if (cloud_pairs_.size() == MAX_CLOUD_PAIRS)
                return fail("a third hyperspace cloud (style and direction) pair");
            cloud_pairs_.push_back({int(v), int(e.kind)});
        }
        break;
    case SCENE_EVENT_COCKPIT_ON:
        if (maybe("off")) {
            e.kind = SCENE_EVENT_COCKPIT_OFF;
        } else {
            if (!integer("cockpit variant", 0, 255, &v)) return false;
            e.param = uint8_t(v);
        }
        // Two at one moment would leave the overlay to the order of the lines.
        for (int i = 0; i < s_.event_count; i++) {
            const scene_event& o = s_.events[i];
            if ((o.kind == SCENE_EVENT_COCKPIT_ON || o.kind == SCENE_EVENT_COCKPIT_OFF) &&
                o.time == e.time)
                return fail("a cockpit event beside a second (line " +
                            std::to_string(event_lines_[i]) + ")");
        }
        break;
    case SCENE_EVENT_FLASH:
        if (!seconds("flash duration", &e.duration)) return false;
        if (e.duration <= 0) return fail("flash duration: must be above 0");
        break;
    case SCENE_EVENT_BEAM:
        if (!object_ref("beam from", &e.target) || !object_ref("beam to", &e.value) ||
            !seconds("beam duration", &e.duration))
            return false;
        if (e.duration <= 0) return fail("beam duration: must be above 0");
        if (maybe("colour")) {
            if (!integer("colour", 0, 3, &v)) return false;
            e.param = uint8_t(v);
        }
        if (maybe("pulse")) e.param |= 0x10;
        if (maybe("nosparks")) e.param |= 0x20;
        break;
    default:
        if (!object_ref(kind.c_str(), &e.target)) return false;
    }
    event_lines_.push_back(line_);
    s_.events[s_.event_count++] = e;
    return true;
}

bool compiler::statement(const std::string& w) {
    int64_t v = 0;
    static const char* const ONCE[] = {"scene",      "duration", "loop",  "logo", "fade",
                                       "projection", "stars",    "bands", "menu"};
    for (const char* once : ONCE)
        if (w == once && !header_once(w)) return false;
    if (w == "scene") {
        std::string name;
        if (!next("scene name", &name)) return false;
        if (name.size() > 31) return fail("scene name: longer than 31 characters");
        name.copy(s_.name, name.size());
    } else if (w == "duration") {
        if (!seconds("duration", &s_.duration)) return false;
        if (s_.duration <= 0) return fail("duration: must be above 0");
    } else if (w == "loop") {
        s_.flags |= SCENE_LOOP;
    } else if (w == "logo") {
        s_.flags |= SCENE_SHOW_LOGO;
        if (at_ < words_.size()) {
            int64_t x, y;
            if (!integer("logo x", -320, 320, &x) || !integer("logo y", -256, 256, &y) ||
                !expect("depth") || !fix16_of("depth", 0, 1000, &s_.logo_depth_factor) ||
                !expect("bob") || !integer("bob", 0, 255, &v) ||
                !seconds("bob period", &s_.logo_bob_period))
                return false;
            s_.logo_x = int16_t(x);
            s_.logo_y = int16_t(y);
            s_.logo_bob_amplitude = uint8_t(v);
        }
    } else if (w == "fade") {
        if (!seconds("fade in", &s_.fade_in) || !seconds("fade out", &s_.fade_out)) return false;
    } else if (w == "projection") {
        if (!fix16_of("near", 0, 30000, &s_.projection_depth) || !integer("focal", 1, 100000, &v))
            return false;
        if (s_.projection_depth <= 0) return fail("near: must be above 0");
        s_.focal_length = int32_t(v);
    } else if (w == "stars") {
        if (!integer("stars", 0, 100000, &v)) return false;
        if (v > MAX_STARS) return fail("more than 256 stars");
        s_.star_count = uint16_t(v);
        if (!expect("seed") || !integer("seed", 0, 0xFFFFFFFF, &v) || !expect("drift") ||
            !fix16_of("drift x", -10000, 10000, &s_.star_drift_x) ||
            !fix16_of("drift y", -10000, 10000, &s_.star_drift_y))
            return false;
        s_.star_seed = uint32_t(v);
    } else if (w == "bands") {
        if (!seconds("band 1", &s_.band1_period) || !seconds("band 2", &s_.band2_period) ||
            !seconds("glint", &s_.glint_period))
            return false;
        uint8_t* rgb[4] = {s_.band1_rgb, s_.band2_rgb, s_.centre_rgb, s_.glint_rgb};
        for (uint8_t* c : rgb)
            for (int i = 0; i < 3; i++) {
                if (!integer("colour", 0, 255, &v)) return false;
                c[i] = uint8_t(v);
            }
    } else if (w == "menu") {
        if (!integer("menu", 0, 255, &v)) return false;
        s_.menu_y = int16_t(v);
    } else if (w == "object") {
        if (s_.object_count >= SCENE_MAX_OBJECTS) return fail("more than 16 objects");
        scene_object& o = s_.objects[s_.object_count];
        std::string name, model;
        if (!integer("object id", 0, 0xFFFFFFFF, &v) || !next("object name", &name)) return false;
        if (v == 0) return fail("object id 0 is the camera's");
        auto [it, fresh] = object_lines_.emplace(uint32_t(v), line_);
        if (!fresh)
            return fail("object id " + std::to_string(v) + " is already used on line " +
                        std::to_string(it->second));
        o.id = uint32_t(v);
        if (maybe("model") && !next("model", &model)) return false;
        if (name.size() > 15 || model.size() > 15) return fail("a name longer than 15 characters");
        name.copy(o.name, name.size());
        model.copy(o.model_name, model.size());
        v = 0;
        if (maybe("paint") && !integer("paint", 0, MAX_PAINT, &v)) return false;
        o.paint = uint8_t(v);
        s_.object_count++;
    } else if (w == "emitter") {
        uint32_t id;
        if (!object_ref("emitter", &id)) return false;
        scene_object* o = nullptr;
        for (int i = 0; i < s_.object_count; i++)
            if (s_.objects[i].id == id) o = &s_.objects[i];
        if (o->emitter_count >= SCENE_MAX_EMITTERS)
            return fail("more than 4 emitters on one object");
        scene_emitter& e = o->emitters[o->emitter_count];
        int64_t kind, every, life, size;
        if (!expect("at") || !fix16_of("offset", -30000, 30000, &e.offset.x) ||
            !fix16_of("offset", -30000, 30000, &e.offset.y) ||
            !fix16_of("offset", -30000, 30000, &e.offset.z) || !expect("kind") ||
            !integer("kind", 0, 255, &kind) || !expect("every") ||
            !integer("every", 0, 65535, &every) || !expect("life") ||
            !integer("life", 0, 65535, &life) || !expect("speed") ||
            !fix16_of("speed", -30000, 30000, &e.param_a) || !expect("spread") ||
            !fix16_of("spread", -30000, 30000, &e.param_b) || !expect("size") ||
            !integer("size", 0, 255, &size))
            return false;
        e.kind = uint8_t(kind);
        e.interval_ms = uint16_t(every);
        e.param16 = uint16_t(life);
        e.param8 = uint8_t(size);
        o->emitter_count++;
    } else if (w == "caption") {
        if (s_.caption_count >= SCENE_MAX_CAPTIONS) return fail("more than 16 captions");
        scene_caption& c = s_.captions[s_.caption_count];
        if (!seconds("caption start", &c.start) || !seconds("caption end", &c.end) ||
            !integer("caption y", -32768, 32767, &v))
            return false;
        c.y = int16_t(v);
        for (int i = 0; i < 3; i++) {
            if (!integer("colour", 0, 255, &v)) return false;
            c.rgb[i] = uint8_t(v);
        }
        if (!has_quoted_) return fail("missing the caption's \"text\"");
        if (quoted_.size() > 63) return fail("caption: longer than 63 characters");
        for (char ch : quoted_)
            if (ch < 32 || ch > 126) return fail("caption: not printable ASCII");
        quoted_.copy(c.text, quoted_.size());
        has_quoted_ = false;
        s_.caption_count++;
    } else if (w == "event") {
        return event_statement();
    } else if (w == "track") {
        if (!integer("track", 0, 0xFFFFFFFF, &v)) return false;
        if (v != 0 && !object_lines_.count(uint32_t(v)))
            return fail("track: no object " + std::to_string(v));
        for (const spec_track& t : tracks_)
            if (t.id == v)
                return fail("track " + std::to_string(v) + " is already on line " +
                            std::to_string(t.line));
        tracks_.push_back({uint32_t(v), line_, {}});
    } else if (w == "key") {
        spec_key k{};
        k.line = line_;
        return key_time("key time", &k.ms) && expect("at") && point("key", &k.pos) &&
               look(&k, false, k.pos) && add_key(k);
    } else if (w == "orbit") {
        int32_t t0, t1, step;
        int64_t period;
        space_pos centre;
        int64_t radius, height;
        decimal from{0, 1};
        if (!key_time("orbit start", &t0) || !key_time("orbit end", &t1) || !expect("step") ||
            !key_time("step", &step) || !expect("centre") || !point("centre", &centre) ||
            !expect("radius") || !metres("radius", &radius) || !expect("height") ||
            !metres("height", &height) || !expect("period"))
            return false;
        decimal p;
        if (!number("period", &p)) return false;
        i128 pms = p.num * 1000;
        if (pms % p.den || pms == 0)
            return fail("period: not a non-zero whole number of milliseconds");
        period = int64_t(pms / p.den); // negative: clockwise seen from above
        if (maybe("from") && !number("from", &from)) return false;
        if (t1 < t0 || step <= 0) return fail("orbit: the end before the start or no step");
        bool ahead = false;
        spec_key proto{};
        proto.line = line_;
        if (at_ + 1 < words_.size() && words_[at_] == "look" && words_[at_ + 1] == "ahead") {
            at_ += 2;
            ahead = true;
            if (!up_vector(&proto.up)) return false;
        } else if (!look(&proto, true, centre)) {
            return false;
        }
        bangle a0 = bangle(round_scaled(from, (i128(1) << 32)) / 360);
        for (int32_t t = t0;; t += step) {
            if (t > t1) t = t1;
            int64_t turn = ((int64_t(t - t0) << 32) / period);
            bangle a = a0 + bangle(uint64_t(turn));
            fix2_30 c = trig_cos(a), s = trig_sin(a);
            spec_key k = proto;
            k.ms = t;
            k.pos = {centre.x + int64_t((i128(radius) * c) >> 30), centre.y + height,
                     centre.z + int64_t((i128(radius) * s) >> 30)};
            if (ahead) {
                int64_t sign = period > 0 ? 1 : -1;
                k.look = spec_key::DIRECTION;
                k.at = {-sign * int64_t(s), 0, sign * int64_t(c)};
            }
            for (int64_t q : {k.pos.x, k.pos.y, k.pos.z})
                if (q < -RANGE_M * ONE_M || q > RANGE_M * ONE_M)
                    return fail("orbit: a position beyond 30 km");
            if (!add_key(k)) return false;
            if (t == t1) break;
        }
    } else {
        return fail("unknown word '" + w + "'");
    }
    return true;
}

// Splits a line into words, a "quoted" text kept apart; `#` outside quotes ends the line.
bool split(std::string_view line, std::vector<std::string>* words, std::string* quoted,
           bool* has_quoted, std::string* why) {
    words->clear();
    *has_quoted = false;
    for (size_t i = 0; i < line.size();) {
        char c = line[i];
        if (c == '#') break;
        if (c == ' ' || c == '\t' || c == '\r') {
            i++;
        } else if (c == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos) return *why = "a quote without its end", false;
            if (*has_quoted) return *why = "a second quoted text", false;
            *quoted = std::string(line.substr(i + 1, end - i - 1));
            *has_quoted = true;
            i = end + 1;
        } else {
            size_t end = line.find_first_of(" \t\r#\"", i);
            if (end == std::string_view::npos) end = line.size();
            words->emplace_back(line.substr(i, end - i));
            i = end;
        }
    }
    return true;
}

bool compiler::run(std::string_view text, std::vector<uint8_t>* out) {
    for (size_t pos = 0; pos < text.size();) {
        size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        line_++;
        std::string why;
        if (!split(line, &words_, &quoted_, &has_quoted_, &why)) return fail(why);
        if (words_.empty()) {
            if (has_quoted_) return fail("a text without a statement");
            continue;
        }
        at_ = 1;
        if (!statement(words_[0])) return false;
        if (at_ < words_.size()) return fail("unknown word '" + words_[at_] + "'");
        if (has_quoted_) return fail("a quoted text where none belongs");
    }
    return finish(out);
}

// A direction given in 32.32 metres as a fix16 vector of a few hundred units: long enough
// for an exact normalisation, short enough for its squares to fit.
vec3 direction(i128 x, i128 y, i128 z) {
    i128 m = std::max({x < 0 ? -x : x, y < 0 ? -y : y, z < 0 ? -z : z});
    if (m == 0) return vec3{0, 0, 0};
    int shift = 0;
    for (; m >= (i128(1) << 41); m >>= 1) shift--;
    for (; m < (i128(1) << 40); m <<= 1) shift++;
    auto scale = [shift](i128 v) { return fix16((shift >= 0 ? v << shift : v >> -shift) >> 16); };
    return vec3{scale(x), scale(y), scale(z)};
}

bool compiler::orient(const spec_track& t, const std::vector<anim_track>& paths, size_t k,
                      const mat3& before, mat3* out) {
    const spec_key& key = t.keys[k];
    vec3 forward;
    if (key.look == spec_key::KEEP) {
        // The first key of a track without a look faces +z; later ones keep the last turn.
        if (k > 0) return *out = before, true;
        forward = vec3{0, 0, FIX16_ONE};
    } else {
        space_pos to = key.at;
        if (key.look == spec_key::OBJECT) {
            const anim_track* p = nullptr;
            for (const anim_track& q : paths)
                if (q.id == key.target) p = &q;
            if (!p)
                return fail_at(key.line,
                               "look: object " + std::to_string(key.target) + " has no track");
            anim_pose pose;
            anim_track_sample(&pose, p, (int64_t(key.ms) / TICK_MS) << 16);
            to = pose.pos;
        }
        if (key.look == spec_key::DIRECTION)
            forward = direction(to.x, to.y, to.z);
        else
            forward =
                direction(i128(to.x) - key.pos.x, i128(to.y) - key.pos.y, i128(to.z) - key.pos.z);
        if (forward == vec3{0, 0, 0}) return fail_at(key.line, "nothing to look along");
    }
    mat3_look_at(out, &forward, &key.up);
    if (t.id != 0) {
        // The clip's models point along +x; the player turns them back with NOSE_X_TO_Z.
        mat3 back;
        mat3_transpose(&back, &NOSE_X_TO_Z);
        mat3_mul(out, out, &back);
    }
    return true;
}

bool compiler::finish(std::vector<uint8_t>* out) {
    const char* required[] = {"scene", "duration", "projection"};
    for (const char* r : required)
        if (!header_lines_.count(r)) return fail_at(1, std::string("no '") + r + "' statement");
    if (s_.flags & SCENE_SHOW_LOGO) {
        // The logo animates colours 96-198, which beams, clouds, the cockpit and the globe
        // ramps and paints 5-6 would share.
        for (int i = 0; i < s_.event_count; i++) {
            uint8_t k = s_.events[i].kind;
            if (k == SCENE_EVENT_BEAM || k == SCENE_EVENT_ARRIVE || k == SCENE_EVENT_LEAVE ||
                k == SCENE_EVENT_COCKPIT_ON || k == SCENE_EVENT_COCKPIT_OFF)
                return fail_at(event_lines_[i], "no beams, clouds or cockpit in a logo scene");
        }
        for (int i = 0; i < s_.object_count; i++) {
            const scene_object& o = s_.objects[i];
            int line = object_lines_[o.id];
            if (!std::strcmp(o.name, "zeme") || !std::strcmp(o.name, "mesic"))
                return fail_at(line, "no globe in a logo scene");
            if (o.paint > LOGO_SAFE_PAINTS) return fail_at(line, "no paint 5-6 in a logo scene");
        }
    }
    // The cockpit's colours sit on the second cloud ramp's last entries.
    for (int i = 0; i < s_.event_count; i++)
        if (s_.events[i].kind == SCENE_EVENT_COCKPIT_ON && cloud_pairs_.size() > 1)
            return fail_at(event_lines_[i],
                           "the cockpit leaves room for one hyperspace cloud pair");
    for (int i = 0; i < s_.object_count; i++) {
        bool tracked = false;
        for (const spec_track& t : tracks_) tracked |= t.id == s_.objects[i].id;
        if (!tracked)
            return fail_at(object_lines_[s_.objects[i].id],
                           "object " + std::to_string(s_.objects[i].id) + " has no track");
    }

    // Positions first, so that a key can look at where another object is at its time.
    std::vector<std::vector<anim_key>> keys(tracks_.size());
    std::vector<anim_track> paths(tracks_.size());
    for (size_t t = 0; t < tracks_.size(); t++) {
        if (tracks_[t].keys.empty()) return fail_at(tracks_[t].line, "a track without keys");
        for (const spec_key& k : tracks_[t].keys)
            keys[t].push_back(anim_key{(k.ms / TICK_MS) << 16, k.pos, IDENTITY});
        paths[t] = anim_track{tracks_[t].id, uint32_t(keys[t].size()), keys[t].data()};
    }
    for (size_t t = 0; t < tracks_.size(); t++) {
        for (size_t k = 0; k < keys[t].size(); k++) {
            const mat3& before = k > 0 ? keys[t][k - 1].orient : IDENTITY;
            if (!orient(tracks_[t], paths, k, before, &keys[t][k].orient)) return false;
            if (k == 0 || keys[t][k].time == keys[t][k - 1].time) continue;
            const anim_key &a = keys[t][k - 1], &b = keys[t][k];
            i128 dx = i128(b.pos.x) - a.pos.x, dy = i128(b.pos.y) - a.pos.y,
                 dz = i128(b.pos.z) - a.pos.z;
            i128 range = i128(RANGE_M) * ONE_M;
            int line = tracks_[t].keys[k].line;
            if (dx * dx + dy * dy + dz * dz > range * range)
                return fail_at(line, "more than 30 km from the key before");
            // trace(A^T B) = 1 + 2 cos(angle): below 1 the turn passes 90 degrees.
            int64_t trace = 0;
            for (int i = 0; i < 9; i++) trace += int64_t(a.orient.m[i]) * b.orient.m[i];
            if (trace < (int64_t(FIX16_ONE) << 16))
                return fail_at(line, "turns more than 90 degrees from the key before");
        }
    }

    anim_clip clip{paths.data(), uint32_t(paths.size())};
    for (size_t t = 0; t < tracks_.size(); t++) paths[t].keys = keys[t].data();
    out->assign(8192 + anim_clip_save_size(&clip), 0);
    save_writer w;
    save_writer_init(&w, out->data(), uint32_t(out->size()));
    save_write_header(&w, SCENE_MAGIC, 3);
    uint8_t name_length = uint8_t(std::strlen(s_.name));
    save_write_u8(&w, name_length);
    save_write_bytes(&w, s_.name, name_length);
    save_write_i32(&w, s_.duration);
    save_write_u8(&w, s_.flags);
    for (int32_t v : {s_.fade_in, s_.fade_out, s_.projection_depth, s_.focal_length})
        save_write_i32(&w, v);
    save_write_u16(&w, s_.star_count);
    save_write_u32(&w, s_.star_seed);
    save_write_i32(&w, s_.star_drift_x);
    save_write_i32(&w, s_.star_drift_y);
    save_write_u16(&w, uint16_t(s_.logo_x));
    save_write_u16(&w, uint16_t(s_.logo_y));
    save_write_i32(&w, s_.logo_depth_factor);
    save_write_u8(&w, s_.logo_bob_amplitude);
    for (int32_t v : {s_.logo_bob_period, s_.band1_period, s_.band2_period, s_.glint_period})
        save_write_i32(&w, v);
    save_write_bytes(&w, s_.band1_rgb, 3);
    save_write_bytes(&w, s_.band2_rgb, 3);
    save_write_bytes(&w, s_.centre_rgb, 3);
    save_write_bytes(&w, s_.glint_rgb, 3);
    save_write_u16(&w, uint16_t(s_.menu_y));
    save_write_u16(&w, s_.object_count);
    for (int i = 0; i < s_.object_count; i++) {
        const scene_object& o = s_.objects[i];
        save_write_u32(&w, o.id);
        save_write_bytes(&w, o.name, 16);
        save_write_bytes(&w, o.model_name, 16);
        save_write_u8(&w, o.paint);
        save_write_u8(&w, o.emitter_count);
        for (int j = 0; j < o.emitter_count; j++) {
            const scene_emitter& e = o.emitters[j];
            for (fix16 v : {e.offset.x, e.offset.y, e.offset.z}) save_write_i32(&w, v);
            save_write_u8(&w, e.kind);
            save_write_u16(&w, e.interval_ms);
            save_write_u16(&w, e.param16);
            save_write_i32(&w, e.param_a);
            save_write_i32(&w, e.param_b);
            save_write_u8(&w, e.param8);
        }
    }
    save_write_u16(&w, s_.caption_count);
    for (int i = 0; i < s_.caption_count; i++) {
        const scene_caption& c = s_.captions[i];
        save_write_i32(&w, c.start);
        save_write_i32(&w, c.end);
        save_write_u16(&w, uint16_t(c.y));
        save_write_bytes(&w, c.rgb, 3);
        uint8_t length = uint8_t(std::strlen(c.text));
        save_write_u8(&w, length);
        save_write_bytes(&w, c.text, length);
    }
    save_write_u16(&w, s_.event_count);
    for (int i = 0; i < s_.event_count; i++) {
        const scene_event& e = s_.events[i];
        save_write_i32(&w, e.time);
        save_write_u8(&w, e.kind);
        save_write_u8(&w, e.param);
        save_write_u32(&w, e.target);
        save_write_u32(&w, e.value);
        save_write_i32(&w, e.duration);
    }
    if (!anim_clip_save(&clip, &w)) return fail_at(line_, "the scene does not fit its buffer");
    out->resize(w.pos);
    return true;
}

} // namespace

bool scene_compile(std::string_view text, const std::string& path, std::vector<uint8_t>* out,
                   std::string* error) {
    compiler c(path);
    if (c.run(text, out)) return true;
    *error = c.error();
    return false;
}

bool generate_scenes(const asset_context& c) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> sources;
    for (const fs::directory_entry& e : fs::directory_iterator(c.assets_dir + "/Scenes", ec))
        if (e.path().extension() == ".scn") sources.push_back(e.path());
    if (ec) {
        std::fprintf(stderr, "%s/Scenes: %s\n", c.assets_dir.c_str(), ec.message().c_str());
        return false;
    }
    std::sort(sources.begin(), sources.end());
    fs::create_directories(c.out_dir + "/Scenes", ec);
    for (const fs::path& p : sources) {
        std::string text, error;
        std::vector<uint8_t> bytes;
        if (!read_text(p.string(), &text)) return false;
        if (!scene_compile(text, p.string(), &bytes, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
        if (!write_file(c.out_dir + "/Scenes/" + p.stem().string() + ".scene", bytes)) return false;
    }
    return true;
}

} // namespace vantrel::datagen
