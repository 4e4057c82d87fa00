// map_screen: the map state, its keys and continuous input, its texts, and the stand-alone
// loop of the SYSTEM MAP entry.
#include "maps/map_screen.h"

#include <cstdio>
#include <cstring>

#include "flight/flight_loop.h"
#include "flight/scenery.h"
#include "platform/clock.h"
#include "render/palette.h"
#include "render/text.h"
#include "shell/game_mode.h"
#include "shell/graphics.h"
#include "shell/loc.h"
#include "shell/services.h"
#include "universe/body.h"

namespace vantrel {

uint32_t g_jump_target_id = 0xFFFFFFFFu;

namespace {

constexpr fix16 STAR_ZOOM = 0x90000;  // 9.0 pixels a light year
constexpr fix16 JUMP_RANGE = 0x70000; // 7.0 ly
constexpr fix16 FULL_TANK = 0xA0000;  // 10.0 ly
constexpr fix16 HOME_REACH = 655;     // 0.01 ly
constexpr int32_t HINT_MS = 6000;
constexpr int64_t MILLIDEGREE = 11930; // a thousandth of a degree as a bangle
constexpr int PICK_RADIUS = 8;

// Raw keys of the map.
constexpr int KEY_L = 0x28, KEY_F = 0x23, KEY_KP_ENTER = 0x43, KEY_PLUS = 0x0C;

int32_t pitch_limit() {
    return static_cast<int32_t>(bangle_from_deg(89));
}

// --- the state ---------------------------------------------------------------------------

void load_defaults(map_state* m) {
    m->sys.pitch = bangle_from_deg(35);
    m->star.pitch = bangle_from_deg(30);
    m->star.zoom = STAR_ZOOM;
    m->star.jump_range = JUMP_RANGE;
    m->star.full_range = FULL_TANK;
    m->sys.label_mode = 1;
    m->star.label_mode = 1;
    m->sys.selected = -1;
    m->star.selected = -1;
    m->star.target = -1;
    for (int32_t g = 0; g < m->group_count; g++)
        if (star_map_distance(&m->groups[g]) <= HOME_REACH) m->star.focus = g;
}

int32_t home_group(const map_state* m) {
    int32_t home = 0;
    for (int32_t g = 0; g < m->group_count; g++)
        if (star_map_distance(&m->groups[g]) <= HOME_REACH) home = g;
    return home;
}

void relayout(map_state* m, int view_size) {
    system_map_layout(&m->system, m->sys.positions, m->sys.scale_mode, m->sys.layout);
    m->sys.fit_zoom = system_map_fit_zoom(&m->system, m->sys.layout, view_size / 2 - 6);
}

fix16 clamp_zoom(int64_t zoom, fix16 minimum) {
    if (zoom > MAP_MAX_ZOOM) zoom = MAP_MAX_ZOOM;
    if (zoom < minimum) zoom = minimum;
    return static_cast<fix16>(zoom);
}

// F on the system map: the selected body in view with its moons filling it.
bool focus_body(map_state* m, int view_size) {
    int32_t b = m->sys.selected;
    if (b < 0 || b >= m->system.body_count) return false;
    m->sys.focus = b;
    int64_t largest = 0;
    for (int32_t i = 1; i < m->system.body_count; i++) {
        if (m->system.bodies[i].parent != b || m->system.bodies[i].kind != SYSTEM_MOON) continue;
        vec3 d;
        vec3_sub(&d, &m->sys.layout[i], &m->sys.layout[b]);
        fix16 len = vec3_length(&d);
        if (len > largest) largest = len;
    }
    // Moons all at the centre would divide by nothing: they count as no moons.
    int64_t zoom =
        largest > 0 ? (int64_t{view_size / 2 - 30} << 32) / largest : int64_t{m->sys.fit_zoom} * 4;
    m->sys.zoom = clamp_zoom(zoom, m->sys.fit_zoom / 8);
    return true;
}

bool next_body(map_state* m) {
    int32_t count = m->system.body_count;
    if (count < 1) return false;
    int32_t start = m->sys.selected < 0 ? 0 : m->sys.selected;
    int32_t i = start;
    do {
        i = (i + 1) % count;
        if (m->system.bodies[i].kind != SYSTEM_MOON) {
            m->sys.selected = i;
            return true;
        }
    } while (i != start);
    return true;
}

bool system_key(map_state* m, int key, int view_size) {
    switch (key) {
    case RAWKEY_S:
        m->sys.scale_mode = !m->sys.scale_mode;
        relayout(m, view_size);
        m->sys.zoom = m->sys.fit_zoom;
        m->sys.focus = 0;
        return true;
    case RAWKEY_R:
        m->sys.focus = 0;
        m->sys.zoom = m->sys.fit_zoom;
        return true;
    case KEY_F:
        return focus_body(m, view_size);
    case RAWKEY_TAB:
        return next_body(m);
    default:
        return false;
    }
}

bool star_key(map_state* m, int key) {
    star_view_state& s = m->star;
    switch (key) {
    case RAWKEY_RETURN:
    case KEY_KP_ENTER:
        if (s.selected < 0 || s.selected >= m->group_count) return false;
        s.target = s.selected;
        g_jump_target_id = m->groups[s.selected].star_id;
        return true;
    case KEY_F:
        if (s.selected < 0) return false;
        s.focus = s.selected;
        return true;
    case RAWKEY_R:
        s.focus = home_group(m);
        s.zoom = STAR_ZOOM;
        return true;
    case RAWKEY_TAB:
        if (m->group_count < 1) return false;
        s.selected = (s.selected + 1) % m->group_count;
        return true;
    default:
        return false;
    }
}

// --- continuous input -----------------------------------------------------------------------

void turn(bangle* yaw, bangle* pitch, int64_t yaw_input, int64_t pitch_input, int32_t dt) {
    *yaw = static_cast<bangle>(static_cast<uint64_t>(*yaw) +
                               static_cast<uint64_t>(yaw_input * dt * MILLIDEGREE));
    int64_t p = static_cast<int32_t>(*pitch) + pitch_input * dt * MILLIDEGREE;
    int64_t limit = pitch_limit();
    p = p > limit ? limit : p < -limit ? -limit : p;
    *pitch = static_cast<bangle>(static_cast<int32_t>(p));
}

void zoom_step(fix16* zoom, fix16 minimum, int in, int out, int32_t dt) {
    int64_t z = *zoom;
    if (in && z < MAP_MAX_ZOOM) z += (z * dt * 100) >> 16;
    if (out && z > minimum) z -= (z * dt * 90) >> 16;
    if (in || out) *zoom = clamp_zoom(z, minimum);
}

// --- texts ----------------------------------------------------------------------------------

// The texts of one frame in drawing order, for drawing and for the trace.
struct map_texts {
    static constexpr int MAX = 12;
    char text[MAX][96];
    int x[MAX], y[MAX];
    uint8_t colour[MAX];
    bool right[MAX];
    int count = 0;
    void add(int row_y, bool right_aligned, uint8_t c, const char* s) {
        if (count >= MAX) return;
        std::snprintf(text[count], sizeof text[count], "%s", s);
        y[count] = row_y;
        right[count] = right_aligned;
        colour[count] = c;
        count++;
    }
};

void period_text(uint32_t period, char* out, size_t size) {
    if (period < 1440000) {
        std::snprintf(out, size, loc(104), long(period / 1440));
    } else {
        long years = long(period / 525960);
        std::snprintf(out, size, loc(105), years, long(period / 52596) - 10 * years);
    }
}

void system_texts(const map_state* m, int height, map_texts* t) {
    t->add(14, true, MAP_TEXT, loc(m->sys.scale_mode ? 101 : 100));
    int32_t b = m->sys.selected;
    if (b < 0 || b >= m->system.body_count) return;
    const SystemBody& body = m->system.bodies[b];
    char line[96];
    t->add(height - 42, false, MAP_TEXT_BRIGHT, body.name);
    if (body.kind == SYSTEM_STAR) {
        std::snprintf(line, sizeof line, loc(107), long(m->system.star_temperature));
        t->add(height - 32, false, MAP_TEXT, line);
        return;
    }
    t->add(height - 32, false, MAP_TEXT, loc(BODY_TYPE_MESSAGE + (body.type < 12 ? body.type : 0)));
    space_vec rel;
    space_rel(&m->sys.positions[b], &m->sys.positions[0], 0, &rel);
    char distance[48];
    space_format_distance(&rel, distance, sizeof distance);
    std::snprintf(line, sizeof line, loc(103), m->system.bodies[0].name, distance);
    t->add(height - 22, false, MAP_TEXT, line);
    period_text(body.orbit.period, line, sizeof line);
    t->add(height - 12, false, MAP_TEXT, line);
    int moons = 0;
    for (int32_t i = 1; i < m->system.body_count; i++)
        if (m->system.bodies[i].parent == b && m->system.bodies[i].kind == SYSTEM_MOON) moons++;
    if (moons > 0) {
        std::snprintf(line, sizeof line, loc(106), moons);
        t->add(height - 12, true, MAP_TEXT, line);
    }
}

void star_texts(const map_state* m, int height, map_texts* t) {
    char line[96];
    const star_view_state& s = m->star;
    if (s.target >= 0 && s.target < m->group_count) {
        const char* name = m->groups[s.target].name[0] ? m->groups[s.target].name : "?";
        std::snprintf(line, sizeof line, loc(127), name);
        t->add(14, false, MAP_JUMP_TARGET, line);
    }
    if (s.selected < 0 || s.selected >= m->group_count) return;
    const StarGroup& g = m->groups[s.selected];
    t->add(height - 42, false, MAP_TEXT_BRIGHT, g.name[0] ? g.name : "?");
    fix16 d = star_map_distance(&g);
    int64_t d10 = (int64_t{d} * 10 + 32768) >> 16;
    std::snprintf(line, sizeof line, loc(121), long(d10 / 10), long(d10 % 10));
    t->add(height - 32, false, MAP_TEXT, line);
    char cls[8];
    catalog3_class_text(g.cls, g.kind, cls, sizeof cls);
    std::snprintf(line, sizeof line, loc(122), cls, int(g.members));
    t->add(height - 22, false, MAP_TEXT, line);
    if (d <= s.jump_range)
        t->add(height - 12, false, MAP_HIGHLIGHT, loc(124));
    else
        t->add(height - 12, false, MAP_TEXT, loc(d <= s.full_range ? 125 : 126));
    if (g.has_planets) t->add(height - 12, true, MAP_TEXT, loc(123));
}

void draw_texts(uint8_t* frame, int width, int height, map_texts* t) {
    for (int i = 0; i < t->count; i++) {
        int x = t->right[i] ? width - 4 - text_width(t->text[i]) : 4;
        text_draw_shadow(frame, width, height, x, t->y[i], t->text[i], t->colour[i], MAP_SHADOW);
    }
}

// The hint broken into lines (at most 8), top line first.
int hint_lines(const char* text, int width, char lines[8][64]) {
    int count = 0;
    const char* p = text;
    while (*p && count < 8) {
        while (*p == ' ') p++;
        if (!*p) break;
        int len = 0, fit = 0;
        char trial[64];
        for (;;) {
            int word = 0;
            while (p[len + word] && p[len + word] != ' ') word++;
            int next = len + word;
            if (next > 63) break;
            std::snprintf(trial, sizeof trial, "%.*s", next, p);
            if (fit > 0 && text_width(trial) > width - 7) break;
            fit = next;
            len = next;
            if (!p[len]) break;
            len++; // the space
        }
        if (fit == 0) fit = len > 63 ? 63 : (len > 0 ? len : 1);
        std::snprintf(lines[count++], 64, "%.*s", fit, p);
        p += fit;
    }
    return count;
}

// --- tracing ----------------------------------------------------------------------------------

struct map_trace {
    char clock[160];
    char texts[1024];
    bool fresh = true;
};
map_trace g_trace;

void trace_line(const char* all) {
    if (g_trace.fresh || std::strcmp(all, g_trace.texts) != 0)
        std::printf("trace %u: map %s\n", present_frame_count(), all);
    std::snprintf(g_trace.texts, sizeof g_trace.texts, "%s", all);
}

void trace_texts(const map_texts& t, const char* hint) {
    char all[1024] = "";
    size_t used = 0;
    auto append = [&](const char* s) {
        int n = std::snprintf(all + used, sizeof all - used, "%s%s", used ? " | " : "", s);
        if (n > 0) used = used + size_t(n) < sizeof all ? used + size_t(n) : sizeof all - 1;
    };
    for (int i = 0; i < t.count; i++) append(t.text[i]);
    if (hint) append(hint);
    if (used == 0) std::snprintf(all, sizeof all, "-");
    trace_line(all);
}

void trace_clock(const world_time* time, const char* rate_label) {
    char clock[160], text[64];
    screen_clock_text(time, text, sizeof text);
    if (rate_label) {
        char rate[48];
        std::snprintf(rate, sizeof rate, loc(102), rate_label);
        std::snprintf(clock, sizeof clock, "%s | %s", text, rate);
    } else {
        std::snprintf(clock, sizeof clock, "%s", text);
    }
    if (g_trace.fresh || std::strcmp(clock, g_trace.clock) != 0)
        std::printf("trace %u: clock %s\n", present_frame_count(), clock);
    std::snprintf(g_trace.clock, sizeof g_trace.clock, "%s", clock);
}

} // namespace

bool map_init(map_state* m, int view_size, const world_time* time) {
    if (!m->loaded) {
        *m = map_state{};
        if (!load_neighbourhood(&m->system, m->groups, &m->group_count, loc(120))) return false;
        m->loaded = true;
        load_defaults(m);
    }
    m->star.target = -1;
    for (int32_t g = 0; g < m->group_count; g++)
        if (m->groups[g].star_id == g_jump_target_id) m->star.target = g;
    system_positions(&m->system, time, m->sys.positions);
    relayout(m, view_size);
    if (m->sys.zoom == 0) m->sys.zoom = m->sys.fit_zoom;
    m->hint_ms = HINT_MS;
    return true;
}

bool map_key(map_state* m, int key, int view_size) {
    if (key == RAWKEY_N) {
        m->star_map = !m->star_map && m->group_count > 0;
        return true;
    }
    if (key == KEY_L) {
        int32_t& mode = m->star_map ? m->star.label_mode : m->sys.label_mode;
        mode = (mode + 1) % 3;
        return true;
    }
    return m->star_map ? star_key(m, key) : system_key(m, key, view_size);
}

void map_update(map_state* m, present_screen* screen, const present_input* in, int mouse_x,
                int mouse_y, int32_t dt) {
    uint8_t held[128] = {};
    for (int key : {RAWKEY_LEFT, RAWKEY_RIGHT, RAWKEY_UP, RAWKEY_DOWN, KEY_PLUS, RAWKEY_KP_PLUS,
                    RAWKEY_MINUS, RAWKEY_KP_MINUS})
        held[key] = present_amiga_key_held(screen, key) ? 1 : 0;
    map_update_held(m, held, in, mouse_x, mouse_y, dt);
}

void map_update_held(map_state* m, const uint8_t held[128], const present_input* in, int mouse_x,
                     int mouse_y, int32_t dt) {
    int64_t yaw_in = (held[RAWKEY_RIGHT] - held[RAWKEY_LEFT]) * 3;
    int64_t pitch_in = (held[RAWKEY_DOWN] - held[RAWKEY_UP]) * 3;
    if (in->rmb) {
        yaw_in += in->drag_dx >> 2;
        pitch_in += in->drag_dy >> 2;
    }
    int zoom_in = held[KEY_PLUS] | held[RAWKEY_KP_PLUS];
    int zoom_out = held[RAWKEY_MINUS] | held[RAWKEY_KP_MINUS];
    if (m->star_map) {
        turn(&m->star.yaw, &m->star.pitch, yaw_in, pitch_in, dt);
        zoom_step(&m->star.zoom, FIX16_ONE, zoom_in, zoom_out, dt);
    } else {
        turn(&m->sys.yaw, &m->sys.pitch, yaw_in, pitch_in, dt);
        zoom_step(&m->sys.zoom, m->sys.fit_zoom / 8, zoom_in, zoom_out, dt);
    }
    if (in->lmb && !m->lmb_was) {
        int32_t hit = m->star_map ? system_map_pick(m->group_points, m->group_count, mouse_x,
                                                    mouse_y, PICK_RADIUS)
                                  : system_map_pick(m->body_points, m->system.body_count, mouse_x,
                                                    mouse_y, PICK_RADIUS);
        if (hit >= 0) (m->star_map ? m->star.selected : m->sys.selected) = hit;
    }
    m->lmb_was = in->lmb != 0;
    if (m->hint_ms > 0) m->hint_ms -= dt;
}

void map_draw(map_state* m, uint8_t* frame, int width, int height, const world_time* time,
              const char* rate_label) {
    map_texts texts;
    if (m->star_map) {
        star_map_draw(frame, width, height, m->groups, m->group_count, &m->star,
                      STAR_MAP_COLOUR_LIST, m->group_points);
        star_texts(m, height, &texts);
    } else {
        system_positions(&m->system, time, m->sys.positions);
        system_map_draw(frame, width, height, &m->system, m->sys.positions, &m->sys,
                        m->body_points);
        system_texts(m, height, &texts);
    }
    draw_texts(frame, width, height, &texts);
    const char* hint = nullptr;
    if (m->hint_ms > 0) {
        hint = loc(m->in_flight ? 129 : m->star_map ? 128 : 99);
        map_hint(frame, width, height, hint);
    }
    screen_clock(frame, width, height, time, rate_label);
    if (g_flight_trace) {
        trace_clock(time, rate_label);
        trace_texts(texts, hint);
        g_trace.fresh = false;
    }
}

void map_hint(uint8_t* frame, int width, int height, const char* text) {
    char lines[8][64];
    int n = hint_lines(text, width, lines);
    for (int i = 0; i < n; i++)
        text_draw_shadow(frame, width, height, 4, height - 11 - 9 * (n - 1 - i), lines[i], MAP_TEXT,
                         MAP_SHADOW);
}

void map_trace_restart() {
    g_trace.fresh = true;
}

void map_trace_page(const char* texts) {
    trace_line(texts);
    g_trace.fresh = false;
}

// --- the stand-alone screen ------------------------------------------------------------------

namespace {

constexpr int SCREEN_W = 320, SCREEN_H = 256, VIEW_SIZE = 256;
constexpr const char* CLOCK[5] = {"stop", "x1", "1 h/s", "1 d/s", "30 d/s"};
constexpr uint32_t MIN_PER_S[5] = {0, 0, 60, 1440, 43200};

struct map_mode {
    map_state map;
    present_screen* screen;
    frame_target target;
    int rate;
    uint32_t last_us, cap_last, sub_ms_us;
    uint64_t minute_carry;
    bool first;
    bool done;
};
map_mode g_mode;

// Milliseconds since the last frame: the rest below a millisecond carried, nothing on the
// first frame of a visit, and a stall (over 200 ms) counted as one ordinary frame.
int32_t frame_ms(map_mode* s) {
    uint32_t now = clock_us();
    uint32_t us = now - s->last_us + s->sub_ms_us;
    s->last_us = now;
    if (s->first) {
        s->first = false;
        s->sub_ms_us = 0;
        return 0;
    }
    s->sub_ms_us = us % 1000;
    uint32_t ms = us / 1000;
    return ms > 200 ? 20 : int32_t(ms);
}

void advance_time(map_mode* s, int32_t dt) {
    if (s->rate == 1) {
        world_time_advance(&g_world_time, (uint32_t(dt) << 16) / 1000);
    } else if (s->rate >= 2) {
        uint64_t total = uint64_t(dt) * MIN_PER_S[s->rate] + s->minute_carry;
        world_time_add_minutes(&g_world_time, uint32_t(total / 1000));
        s->minute_carry = total % 1000;
    }
}

void loop_key(map_mode* s, int key) {
    if (key == RAWKEY_ESCAPE) {
        s->done = true;
    } else if (key == RAWKEY_F1) {
        s->map.star_map = false;
    } else if (key == RAWKEY_F1 + 1) {
        if (s->map.group_count > 0) s->map.star_map = true;
    } else if (key == 0x0A || (key >= RAWKEY_1 && key <= RAWKEY_4)) {
        s->rate = key == 0x0A ? 0 : key;
    } else {
        map_key(&s->map, key, VIEW_SIZE);
    }
}

} // namespace

bool map_mode_begin(const mode_request* request) {
    map_mode* s = &g_mode;
    world_time now = g_world_time;
    if (!map_init(&s->map, VIEW_SIZE, &now)) {
        std::printf("maps: PROGDIR:stars.catalog missing or unreadable\n");
        s->screen = nullptr;
        return true;
    }
    s->target = request->target;
    s->screen = present_amiga_open(SCREEN_W, SCREEN_H, "Vantrel Map");
    if (!s->screen) return true;
    uint8_t palette[768];
    build_game_palette();
    std::memcpy(palette, g_game_palette, sizeof palette);
    map_palette_apply(palette);
    present_amiga_set_palette(s->screen, palette);
    s->rate = 2;
    s->first = true;
    s->done = false;
    s->last_us = s->cap_last = clock_us();
    g_trace.fresh = true;
    return true;
}

bool map_mode_step() {
    map_mode* s = &g_mode;
    if (!s->screen || s->done || present_quit_requested()) return false;
    int32_t dt = frame_ms(s);
    present_input in;
    present_amiga_poll_input(s->screen, &in);
    if (in.escape) s->done = true;
    for (int key; (key = present_amiga_pop_key(s->screen)) >= 0 && !s->done;) loop_key(s, key);
    if (s->done) return false;
    map_update(&s->map, s->screen, &in, in.mouse_x, in.mouse_y, dt);
    advance_time(s, dt);
    uint8_t* frame = s->target.chunky;
    map_draw(&s->map, frame, SCREEN_W, SCREEN_H, &g_world_time, CLOCK[s->rate]);
    draw_arrow_pointer(frame, SCREEN_W, SCREEN_H, in.mouse_x, in.mouse_y);
    frame_cap_wait(&s->cap_last, fps_cap_period_us(gfx_cfg.fps_cap));
    present_amiga_frame(s->screen, frame);
    return true;
}

void map_mode_finish() {
    if (g_mode.screen) present_amiga_close(g_mode.screen);
    g_mode.screen = nullptr;
}

} // namespace vantrel
