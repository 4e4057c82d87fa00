// shooter: the rules of ZORIVE, the cabinet's fixed-screen shooter, with no drawing, sound or
// clock in them. The screen feeds a direction, the fire button and elapsed milliseconds; what
// happened comes back as the step's effect list, the one place sounds and bursts come from.
//
// Coordinates are fix16 pixels of a 156 x 210 playfield (x right, y down); times are ms.
//
// Settled here, where the rules leave a choice:
// - An enemy whose entry delay runs out (<= 0) takes state 1 with elapsed = the sub-step and is
//   placed on its entry curve in that same sub-step, without adding the sub-step again.
// - sway = 2.5 * (a * (3 - a * a)) and the Bezier weights u^3, t^3, (3 u^2) * t, (3 t^2) * u are
//   products shifted right by 16 in that order (the threes multiply exactly); each term is a
//   weight times a point, the same shifted product.
// - "Within" a shot's radius is strict, like the body test; escorts need |dx| <= 20.
// - A diver fires when y > 70, or when |x - player x| < its body radius and y <= 190 - radius;
//   a diver that finds no free enemy-shot slot tries again on the next sub-step.
// - A held fire button with no free shot slot fires nothing and leaves the cooldown alone.
// - Velocity = (new - old) * 1000 / h, taken in 64 bits so short sub-steps lose nothing.
// - Effects past 16 in one step are dropped; their scores and hits still count.
// - The effect list is cleared by every step, also the ones that return at once.
#pragma once

#include <cstdint>

#include "core/fixmath.h"

namespace vantrel {

constexpr int SHOOTER_ENEMIES = 36;
constexpr int SHOOTER_SHOTS = 8;
constexpr int SHOOTER_ENEMY_SHOTS = 16;
constexpr int SHOOTER_EFFECTS = 16;
constexpr int SHOOTER_WIDTH = 156, SHOOTER_HEIGHT = 210;
constexpr int SHOOTER_PLAYER_Y = 190;

enum shooter_state : uint8_t {
    ENEMY_WAITING = 0,
    ENEMY_ENTERING = 1,
    ENEMY_FORMATION = 2,
    ENEMY_DIVING = 3,
    ENEMY_RETURNING = 4,
    ENEMY_DEAD = 5,
};

enum shooter_effect_kind : uint8_t {
    EFFECT_PLAYER_FIRED = 0,
    EFFECT_ENEMY_FIRED = 1, // parameter: the enemy's kind
    EFFECT_ENEMY_HIT = 2,   // hit but not destroyed; parameter: kind
    EFFECT_ENEMY_KILLED = 3,
    EFFECT_PLAYER_HIT = 4,
    EFFECT_NEW_WAVE = 5, // parameter: the wave number, at (0, 0)
    EFFECT_GAME_OVER = 6,
};

// Entry order of the formation slots, five groups split at GROUP_FIRST.
extern const uint8_t ENTRY_ORDER[SHOOTER_ENEMIES];
extern const uint8_t GROUP_FIRST[6];
extern const int32_t ROW_Y[5];
// Points by kind: in formation, diving or returning.
extern const uint32_t POINTS[3][2];

struct shooter_enemy {
    fix16 x, y;
    fix16 vx, vy; // pixels per second, for drawing
    fix16 p[4][2];
    int32_t elapsed, duration, delay;
    uint8_t kind, hp, state, slot;
    bool fired; // on this dive
};

struct shooter_shot {
    fix16 x, y;
    bool active;
};

struct shooter_effect {
    uint8_t kind, param;
    fix16 x, y;
};

struct shooter_game {
    uint32_t seed;
    fix16 player_x;
    int32_t lives;
    uint32_t score;
    int32_t wave;
    uint32_t formation_ms;
    int32_t dive_ms;
    uint32_t dive_counter;
    int32_t cooldown_ms, invuln_ms;
    bool game_over;
    shooter_enemy enemies[SHOOTER_ENEMIES]; // by formation slot
    shooter_shot shots[SHOOTER_SHOTS];
    shooter_shot enemy_shots[SHOOTER_ENEMY_SHOTS];
    shooter_effect effects[SHOOTER_EFFECTS];
    int32_t effect_count;
};

struct shooter_input {
    int32_t direction; // right - left: positive right, negative left, 0 none
    bool fire;
};

void shooter_init(shooter_game* game, uint32_t seed);
void shooter_step(shooter_game* game, const shooter_input* input, int32_t dt);
void shooter_slot_pos(const shooter_game* game, int slot, fix16* x_out, fix16* y_out);
uint32_t shooter_points(int kind, bool diving);
// The half-size of the square a player shot hits an enemy of this kind in.
fix16 shooter_radius(int kind);
// The half-size of the square an enemy of this kind rams the player in.
fix16 shooter_body_radius(int kind);
fix16 bezier(const fix16 p[4][2], int axis, fix16 t);

void start_wave(shooter_game* game);
void kill_enemy(shooter_game* game, shooter_enemy* enemy);
void player_hit(shooter_game* game);
void dive(shooter_enemy* enemy, int32_t wave, fix16 player_x, int32_t offset);

} // namespace vantrel
