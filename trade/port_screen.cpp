// port_screen: the port's palette, drawing, frame loop and trace lines.
#include "trade/port_screen.h"

#include <cstdio>
#include <cstring>

#include "flight/flight_loop.h"
#include "flight/scenery.h"
#include "render/palette.h"
#include "render/text.h"
#include "shell/graphics.h"
#include "shell/services.h"
#include "trade/loadout.h"

namespace vantrel {

namespace {

constexpr rgb8 SKIN[8] = {{255, 224, 196}, {241, 194, 160}, {224, 172, 130}, {198, 134, 90},
                          {160, 105, 70},  {120, 80, 55},   {90, 60, 40},    {150, 190, 160}};
constexpr rgb8 HUE[8] = {{220, 60, 60},  {230, 150, 50}, {220, 220, 70}, {80, 200, 90},
                         {60, 180, 210}, {70, 90, 220},  {160, 80, 210}, {200, 200, 200}};
constexpr rgb8 HAIR[8] = {{20, 15, 10},  {90, 55, 30},    {160, 110, 60}, {230, 200, 120},
                          {170, 60, 30}, {200, 200, 200}, {60, 90, 200},  {200, 60, 160}};

// The portrait's layers: the table each group's colours come from and its scale in eighths.
struct colour_group {
    const rgb8* table;
    int eighths;
};
constexpr colour_group GROUPS[8] = {{HUE, 3}, {HUE, 8},  {SKIN, 8}, {HAIR, 8},
                                    {HUE, 5}, {SKIN, 6}, {HUE, 8},  {HUE, 8}};

// Layer rectangles in the 56 x 72 box, end exclusive: background, clothes, face, hair, eyes,
// nose, mouth, ornament.
struct rect {
    int x0, y0, x1, y1;
};
constexpr rect LAYERS[8] = {{0, 0, 56, 72},   {4, 54, 52, 72},  {14, 14, 42, 54}, {12, 6, 44, 18},
                            {18, 26, 38, 31}, {26, 31, 30, 40}, {21, 43, 35, 47}, {40, 30, 46, 36}};
constexpr int PORTRAIT_X = 258, PORTRAIT_Y = 30;
constexpr int BAND_X0 = 2, BAND_X1 = 305;
constexpr int ARROW_X = 308, ARROW_UP_Y = 20, ARROW_DOWN_Y = 218;

void fill(uint8_t* frame, int x0, int y0, int x1, int y1, uint8_t colour) {
    for (int y = y0; y < y1; y++)
        std::memset(frame + y * PORT_SCREEN_W + x0, colour, size_t(x1 - x0));
}

void draw_portrait(const Person& p, uint8_t* frame) {
    for (int i = 0; i < 8; i++) {
        if (i == 7 && p.looks[7] == 0) continue;
        const rect& r = LAYERS[i];
        fill(frame, PORTRAIT_X + r.x0, PORTRAIT_Y + r.y0, PORTRAIT_X + r.x1, PORTRAIT_Y + r.y1,
             uint8_t(PORT_PORTRAIT + 8 * i + (p.looks[i] & 7)));
    }
}

void draw_band(const port_state* s, const port_layout* l, uint8_t* frame) {
    for (int i = 0; i < l->entry_count; i++) {
        if (l->entry_index[i] != s->selected) continue;
        int y0 = l->entry_top[i] < 0 ? 0 : l->entry_top[i];
        fill(frame, BAND_X0, y0, BAND_X1 + 1, l->entry_bottom[i] + 1, PORT_BAND);
    }
}

// --- the mode -------------------------------------------------------------------------------

struct port_trace {
    char state[400];
    char board[4096];
    bool fresh;
};

struct port_mode {
    port_state state;
    port_layout layout;
    present_screen* screen;
    uint8_t* frame;
    uint32_t cap_last;
    int mouse_x, mouse_y;
    bool lmb_was;
    port_trace trace;
};
port_mode g_port;

void trace_state(port_mode* m) {
    const port_state& s = m->state;
    world_date d = world_time_date(&s.clock);
    char line[sizeof m->trace.state];
    int n = std::snprintf(line, sizeof line,
                          "port %d %02d.%02d.%04d %02d:%02d %ld cr, %d missions, rep %d, exp %d",
                          int(s.port), d.day, d.month, d.year, d.hour, d.minute, long(s.credits),
                          int(s.mission_count), int(s.illegal_rep), int(s.experience));
    if (s.speech[0] && n > 0 && size_t(n) < sizeof line)
        std::snprintf(line + n, sizeof line - size_t(n), " | %s", s.speech);
    if (m->trace.fresh || std::strcmp(line, m->trace.state) != 0)
        std::printf("trace %u: %s\n", present_frame_count(), line);
    std::memcpy(m->trace.state, line, sizeof line);
}

// The board's lines as the trace prints them, without the frame number.
void board_text(const port_state& s, char* out, size_t size) {
    size_t used = size_t(std::snprintf(out, size, "board day %lu, %d ads\n",
                                       static_cast<unsigned long>(port_day(s.clock.minutes)),
                                       int(s.ad_count)));
    for (int32_t i = 0; i < s.ad_count && used < size; i++) {
        char fields[160];
        port_ad_fields(&s.ads[i], fields, sizeof fields);
        int n = std::snprintf(out + used, size - used, "ad %s\n", fields);
        if (n > 0) used += size_t(n);
    }
}

void trace_board(port_mode* m) {
    if (!m->state.list_rebuilt) return;
    m->state.list_rebuilt = false;
    char text[sizeof m->trace.board];
    board_text(m->state, text, sizeof text);
    if (!m->trace.fresh && std::strcmp(text, m->trace.board) == 0) return;
    std::memcpy(m->trace.board, text, sizeof text);
    unsigned frame = present_frame_count();
    for (const char* line = text; *line;) {
        const char* end = std::strchr(line, '\n');
        if (!end) break;
        std::printf("trace %u: %.*s\n", frame, int(end - line), line);
        line = end + 1;
    }
}

void trace_frame(port_mode* m) {
    if (!g_flight_trace) return;
    trace_state(m);
    trace_board(m);
    m->trace.fresh = false;
}

void take_input(port_mode* m) {
    present_input in;
    present_amiga_poll_input(m->screen, &in);
    m->mouse_x = in.mouse_x;
    m->mouse_y = in.mouse_y;
    port_state* s = &m->state;
    int32_t action = -1;
    for (int key; !s->left && (key = present_amiga_pop_key(m->screen)) >= 0;)
        port_key(s, key, &action);
    if (s->left) return;
    bool click = in.lmb && !m->lmb_was;
    m->lmb_was = in.lmb != 0;
    if (click) {
        port_lay_out(s, &m->layout);
        port_click(s, &m->layout, in.mouse_x, in.mouse_y, &action);
    }
    if (action >= 0) port_act(s, action);
}

void set_palette(present_screen* screen) {
    uint8_t palette[768];
    build_game_palette();
    std::memcpy(palette, g_game_palette, sizeof palette);
    ui_colours_apply(palette);
    port_portrait_colours(palette);
    present_amiga_set_palette(screen, palette);
}

} // namespace

void port_portrait_colours(uint8_t* rgb768) {
    for (int g = 0; g < 8; g++)
        for (int j = 0; j < 8; j++) {
            const rgb8& c = GROUPS[g].table[j];
            uint8_t* out = rgb768 + 3 * (PORT_PORTRAIT + 8 * g + j);
            int f = GROUPS[g].eighths;
            out[0] = uint8_t(c.r * f / 8);
            out[1] = uint8_t(c.g * f / 8);
            out[2] = uint8_t(c.b * f / 8);
        }
}

void port_draw(const port_state* s, const port_layout* l, uint8_t* frame) {
    std::memset(frame, PORT_BACKGROUND, size_t(PORT_SCREEN_W) * PORT_SCREEN_H);
    screen_clock(frame, PORT_SCREEN_W, PORT_SCREEN_H, &s->clock, nullptr);
    if (s->place == PLACE_BOARD) {
        draw_band(s, l, frame);
        if (l->more_above)
            text_draw_shadow(frame, PORT_SCREEN_W, PORT_SCREEN_H, ARROW_X, ARROW_UP_Y, "^",
                             PORT_TEXT, PORT_SHADOW);
        if (l->more_below)
            text_draw_shadow(frame, PORT_SCREEN_W, PORT_SCREEN_H, ARROW_X, ARROW_DOWN_Y, "v",
                             PORT_TEXT, PORT_SHADOW);
    }
    if (l->portrait) draw_portrait(s->person, frame);
    for (int i = 0; i < l->line_count; i++) {
        const port_line& line = l->lines[i];
        text_draw_shadow(frame, PORT_SCREEN_W, PORT_SCREEN_H, line.x, line.y, line.text,
                         line.colour, PORT_SHADOW);
    }
}

bool port_mode_begin(const mode_request* request) {
    port_mode* m = &g_port;
    ship_setup();
    m->state.trace = g_flight_trace != 0;
    port_enter(&m->state, &g_world_time);
    m->frame = request->target.chunky;
    m->screen = present_amiga_open(PORT_SCREEN_W, PORT_SCREEN_H, "Vantrel Port");
    if (!m->screen) return true;
    set_palette(m->screen);
    m->cap_last = clock_us();
    m->mouse_x = m->mouse_y = 0;
    m->lmb_was = false;
    m->trace.fresh = true;
    return true;
}

bool port_mode_step() {
    port_mode* m = &g_port;
    if (!m->screen || m->state.left || present_quit_requested()) return false;
    port_lay_out(&m->state, &m->layout);
    port_draw(&m->state, &m->layout, m->frame);
    draw_arrow_pointer(m->frame, PORT_SCREEN_W, PORT_SCREEN_H, m->mouse_x, m->mouse_y);
    frame_cap_wait(&m->cap_last, fps_cap_period_us(gfx_cfg.fps_cap));
    present_amiga_frame(m->screen, m->frame);
    take_input(m);
    trace_frame(m);
    return !m->state.left;
}

void port_mode_finish() {
    if (g_port.screen) present_amiga_close(g_port.screen);
    g_port.screen = nullptr;
}

void run_port(const frame_target* target) {
    mode_request request{0, *target};
    if (port_mode_begin(&request))
        while (port_mode_step()) {
        }
    port_mode_finish();
}

} // namespace vantrel
