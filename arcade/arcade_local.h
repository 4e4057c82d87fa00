// arcade_local: the arcade screen's state, shared by its loop and its drawing.
#pragma once

#include <cstdint>

#include "arcade/arcade_screen.h"
#include "arcade/shooter.h"
#include "platform/host.h"
#include "platform/present_amiga.h"
#include "render/model.h"
#include "render/particles.h"
#include "render/span.h"
#include "render/transform.h"

namespace vantrel {

constexpr int ARCADE_STARS = 70;

// One ship model as the arcade draws it: s = model radius / size turns playfield pixels into
// model units.
struct arcade_ship {
    const drawable* model;
    fix16 scale;
    uint8_t base; // palette block of its paint
};

enum arcade_ship_id { SHIP_PLAYER, SHIP_ICON, SHIP_KIND0, SHIP_KIND1, SHIP_KIND2, SHIP_COUNT };

struct arcade_star {
    int16_t x;
    uint32_t y; // fix16 pixels in the hole
    uint8_t colour;
};

struct arcade_view {
    uint8_t* playfield; // hole width x hole height
    int32_t* depth;
    depth_span* spans;
    int width, height;
    int origin_x, origin_y; // the logical playfield's corner in the hole
    render_pose camera;
    view_projection vp;
    frustum_slopes slopes;
    int shade_mode;
};

struct arcade_state {
    bool running;
    present_screen* screen;
    uint8_t* frame;
    cabinet_hole hole;
    arcade_view view;
    arcade_ship ships[SHIP_COUNT];
    arcade_star stars[ARCADE_STARS];
    particle pool[PARTICLES_GAME_CAPACITY];
    particles fx;
    uint32_t bursts; // seeds the bursts, one apart
    shooter_game game;
    uint32_t game_ms; // since the current game began
    amiga_datestamp last_stamp;
    uint32_t cap_last;
    bool first_frame;
};

// ARCADE_NOSE_UP / ARCADE_NOSE_DOWN: the ship's back to the viewer, its nose up or down the
// screen.
extern const mat3 ARCADE_NOSE_UP;
extern const mat3 ARCADE_NOSE_DOWN;

// The running arcade's state (for measuring a frame in a chosen state).
arcade_state* arcade_current();

void arcade_stars_init(arcade_state* a);
void arcade_bursts(arcade_state* a);
void arcade_draw(arcade_state* a, int32_t dt);

} // namespace vantrel
