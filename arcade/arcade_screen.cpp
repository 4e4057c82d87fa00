// arcade_screen: the cabinet, its screen and the frame loop of the arcade.
#include "arcade/arcade_screen.h"

#include <cstdio>
#include <cstring>

#include "arcade/arcade_local.h"
#include "flight/flight_loop.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/sfx_amiga.h"
#include "render/image8.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "shell/game_models.h"
#include "shell/graphics.h"
#include "shell/services.h"
#include "shell/startup.h"

namespace vantrel {

uint32_t g_arcade_best = 0;

namespace {

constexpr const char* CABINET_FILE = "PROGDIR:automat34.img8";
constexpr const char* LOGO_FILE = "PROGDIR:logo_zorive.img8";
constexpr int RAWKEY_KP_ENTER = 0x43;

arcade_state g_arcade;
// The playfield is drawn here and copied into the hole; the largest hole is the whole screen.
alignas(16) uint8_t g_playfield[ARCADE_SCREEN_W * ARCADE_SCREEN_H];

struct ship_spec {
    const char* name;
    int size, paint;
};
constexpr ship_spec SHIP_SPECS[SHIP_COUNT] = {{"stihac", 8, 0},
                                              {"stihac", 4, 0},
                                              {"bio_stihacka", 6, 1},
                                              {"lehka_fregata", 7, 2},
                                              {"kriznik", 9, 1}};

bool find_ships(arcade_state* a) {
    bool all = true;
    for (int i = 0; i < SHIP_COUNT; i++) {
        const drawable* d = scene_drawable(SHIP_SPECS[i].name);
        if (!d || d->mdl.level_count == 0) {
            all = false;
            continue;
        }
        fix16 radius = d->radius[0] > 0 ? d->radius[0] : FIX16_ONE;
        a->ships[i] = arcade_ship{d, radius / SHIP_SPECS[i].size,
                                  uint8_t(LIVERY_BASE[size_t(SHIP_SPECS[i].paint)])};
    }
    return all;
}

// The cabinet into the frame and its colours into the palette; the plain screen without one.
void load_cabinet(arcade_state* a, uint8_t* palette) {
    uint32_t size = 0;
    uint8_t* data = read_file(CABINET_FILE, &size);
    image8 img;
    bool usable = data && image8_parse(data, size, &img) && img.width == ARCADE_SCREEN_W &&
                  img.height == ARCADE_SCREEN_H && cabinet_hole_scan(img.pixels, &a->hole);
    if (usable) {
        std::printf("arcade: cabinet %s, screen %dx%d at %d,%d\n", CABINET_FILE, a->hole.width,
                    a->hole.height, a->hole.left, a->hole.top);
        image8_apply_palette(&img, palette);
        std::memcpy(a->frame, img.pixels, size_t(ARCADE_SCREEN_W) * ARCADE_SCREEN_H);
    } else {
        cabinet_hole_plain(&a->hole);
        std::printf("arcade: %s missing, plain screen %dx%d\n", CABINET_FILE, SHOOTER_WIDTH,
                    SHOOTER_HEIGHT);
        std::memset(a->frame, 0, size_t(ARCADE_SCREEN_W) * ARCADE_SCREEN_H);
    }
    if (data) read_file_free(data);
}

// The title centred in the band above the hole, colour 0 see-through.
void load_logo(arcade_state* a, uint8_t* palette) {
    uint32_t size = 0;
    uint8_t* data = read_file(LOGO_FILE, &size);
    image8 img;
    bool fits = data && image8_parse(data, size, &img) && img.width <= ARCADE_SCREEN_W &&
                img.height <= a->hole.top;
    if (fits) {
        image8_apply_palette(&img, palette);
        int x0 = (ARCADE_SCREEN_W - img.width) / 2, y0 = (a->hole.top - img.height) / 2;
        for (int y = 0; y < img.height; y++)
            for (int x = 0; x < img.width; x++) {
                uint8_t c = img.pixels[y * img.width + x];
                if (c) a->frame[(y0 + y) * ARCADE_SCREEN_W + x0 + x] = c;
            }
    } else {
        std::printf("arcade: logo %s doesn't fit above the screen\n", LOGO_FILE);
    }
    if (data) read_file_free(data);
}

void view_setup(arcade_state* a, const mode_request* request, const graphics_resolved& g) {
    arcade_view* v = &a->view;
    v->playfield = g_playfield;
    v->depth = request->target.depth;
    v->spans = request->target.spans;
    v->width = a->hole.width;
    v->height = a->hole.height;
    v->origin_x = (v->width - SHOOTER_WIDTH) / 2;
    v->origin_y = (v->height - SHOOTER_HEIGHT) / 2;
    v->camera = render_pose{space_pos{0, 0, 0}, IDENTITY};
    v->vp = view_projection_make(v->width, v->height, 256 * FIX16_ONE, VIEW_NEAR);
    v->vp.centre_x = int16_t(v->origin_x + 78);
    v->vp.centre_y = int16_t(v->origin_y + 105);
    make_frustum_slopes(&v->slopes, &v->vp);
    depth_frame_init(&g_depth_frame, v->vp.near, v->vp.focal);
    v->shade_mode = g.shading == 2 ? SHADE_MATERIAL_LIT : SHADE_MATERIAL;
}

void trace_effects(const arcade_state* a) {
    if (!g_flight_trace) return;
    const shooter_game& g = a->game;
    for (int i = 0; i < g.effect_count; i++) {
        const shooter_effect& e = g.effects[i];
        unsigned frame = present_frame_count();
        if (e.kind == EFFECT_NEW_WAVE) std::printf("trace %u: arcade wave %d\n", frame, e.param);
        if (e.kind == EFFECT_PLAYER_HIT)
            std::printf("trace %u: arcade hit, lives %d\n", frame, g.lives);
        if (e.kind == EFFECT_GAME_OVER)
            std::printf("trace %u: arcade game over, score %lu, best %lu\n", frame,
                        static_cast<unsigned long>(g.score),
                        static_cast<unsigned long>(g_arcade_best));
    }
}

// An effect left of x 52 sounds on the left, right of x 104 on the right, else on both.
int effect_side(const shooter_effect& e) {
    if (e.x < 52 * FIX16_ONE) return -1;
    return e.x > 104 * FIX16_ONE ? 1 : 0;
}

// The cabinet's sounds, with the priority each kind of event plays at: the game's end above
// a ship's loss or a kill, above a hit, above the shots.
void arcade_sounds(const arcade_state* a) {
    sfx_update();
    const shooter_game& g = a->game;
    for (int i = 0; i < g.effect_count; i++) {
        const shooter_effect& e = g.effects[i];
        switch (e.kind) {
        case EFFECT_PLAYER_FIRED:
            sfx_play(4, 1, effect_side(e), 0);
            break;
        case EFFECT_ENEMY_FIRED:
            sfx_play(5, 1, effect_side(e), 0);
            break;
        case EFFECT_ENEMY_HIT:
            sfx_play(9, 2, effect_side(e), 0);
            break;
        case EFFECT_ENEMY_KILLED:
        case EFFECT_PLAYER_HIT:
            sfx_play(e.param == 2 ? 14 : 13, 3, effect_side(e), 0);
            break;
        case EFFECT_GAME_OVER:
            sfx_play(12, 4, 0, 0);
            break;
        default:
            break;
        }
    }
}

// What the rules reported: bursts on the playfield, sounds and trace lines.
void take_effects(arcade_state* a) {
    arcade_bursts(a);
    arcade_sounds(a);
    trace_effects(a);
}

void new_game(arcade_state* a, uint32_t seed) {
    shooter_init(&a->game, seed);
    a->game_ms = 0;
    take_effects(a);
}

int32_t frame_dt(arcade_state* a) {
    amiga_datestamp now;
    amiga_date_stamp(&now);
    int32_t dt = arcade_frame_ms(&a->last_stamp, &now);
    a->last_stamp = now;
    return dt;
}

shooter_input held_input(const arcade_state* a, const present_input& in) {
    const present_screen* s = a->screen;
    int right = present_amiga_key_held(s, RAWKEY_RIGHT) || present_amiga_key_held(s, RAWKEY_D);
    int left = present_amiga_key_held(s, RAWKEY_LEFT) || present_amiga_key_held(s, RAWKEY_A);
    bool fire = present_amiga_key_held(s, RAWKEY_SPACE) || in.lmb;
    return shooter_input{right - left, fire};
}

// Keys of the frame; false when the player leaves.
bool take_keys(arcade_state* a, const present_input& in) {
    if (in.escape || present_quit_requested()) return false;
    for (int key; (key = present_amiga_pop_key(a->screen)) >= 0;) {
        if (key == RAWKEY_ESCAPE) return false;
        if ((key == RAWKEY_RETURN || key == RAWKEY_KP_ENTER) && a->game.game_over) {
            uint32_t seed = a->game.seed;
            new_game(a, (seed << 7) ^ seed ^ 0x5BD1E995u);
        }
    }
    return true;
}

void copy_hole(arcade_state* a) {
    const cabinet_hole& h = a->hole;
    const arcade_view& v = a->view;
    for (int y = h.top; y < h.top + h.height; y++) {
        if (h.first[y] < 0) continue;
        const uint8_t* from = v.playfield + (y - h.top) * v.width + (h.first[y] - h.left);
        std::memcpy(a->frame + y * ARCADE_SCREEN_W + h.first[y], from,
                    size_t(h.last[y] - h.first[y] + 1));
    }
}

void present(arcade_state* a) {
    frame_cap_wait(&a->cap_last, fps_cap_period_us(gfx_cfg.fps_cap));
    if (a->first_frame)
        present_amiga_frame(a->screen, a->frame);
    else
        present_amiga_frame_rows(a->screen, a->frame, a->hole.top, a->hole.height);
    a->first_frame = false;
}

bool open_screen(arcade_state* a, const mode_request* request, const graphics_resolved& g) {
    a->screen = present_amiga_open(ARCADE_SCREEN_W, ARCADE_SCREEN_H, "Vantrel Arcade");
    if (!a->screen) return false;
    a->frame = request->target.chunky;
    uint8_t palette[768];
    scene_base_palette(palette);
    load_cabinet(a, palette);
    load_logo(a, palette);
    present_amiga_set_palette(a->screen, palette);
    present_amiga_set_c2p_mode(a->screen, g.output_path == 2 ? C2P_DELTA : C2P_MEXG);
    return true;
}

} // namespace

int32_t arcade_frame_ms(const amiga_datestamp* before, const amiga_datestamp* now) {
    int32_t dt = datestamp_elapsed_ms(before, now);
    return dt < 0 || dt > 200 ? 20 : dt;
}

arcade_state* arcade_current() {
    return &g_arcade;
}

bool arcade_mode_begin(const mode_request* request) {
    arcade_state* a = &g_arcade;
    a->running = false;
    a->screen = nullptr;
    if (!find_ships(a)) {
        std::printf("arcade: ship models missing\n");
        return true;
    }
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    if (!open_screen(a, request, g)) return true;
    // The vertex path the settings choose, whatever the mode before left.
    g_vertex_fpu = graphics_fpu_enabled(&gfx_cfg, static_cast<uint32_t>(detected_cpu), g_has_fpu);
    view_setup(a, request, g);
    particles_init(&a->fx, a->pool, PARTICLES_GAME_CAPACITY);
    a->fx.limit = static_cast<int>(particles_mode_limit(g.particles));
    a->bursts = 0;
    // The ships in formation, the player's and the life icons keep their turn and depth from
    // frame to frame, and their models stay loaded while the arcade runs: their rotations are
    // kept for the whole visit.
    draw_model_share_begin();
    sfx_open();
    arcade_stars_init(a);
    amiga_date_stamp(&a->last_stamp);
    a->cap_last = clock_us();
    a->first_frame = true;
    a->running = true;
    new_game(a, (uint32_t(a->last_stamp.minute) << 12) ^ uint32_t(a->last_stamp.tick));
    return true;
}

bool arcade_mode_step() {
    arcade_state* a = &g_arcade;
    if (!a->running) return false;
    int32_t dt = frame_dt(a);
    present_input in;
    present_amiga_poll_input(a->screen, &in);
    if (!take_keys(a, in)) return false;
    shooter_input input = held_input(a, in);
    shooter_step(&a->game, &input, dt);
    a->game_ms += uint32_t(dt);
    if (a->game.score > g_arcade_best) g_arcade_best = a->game.score;
    take_effects(a);
    arcade_draw(a, dt);
    copy_hole(a);
    present(a);
    return true;
}

void arcade_mode_finish() {
    arcade_state* a = &g_arcade;
    draw_model_share_end();
    sfx_close();
    if (a->screen) present_amiga_close(a->screen);
    a->screen = nullptr;
    a->running = false;
}

} // namespace vantrel
