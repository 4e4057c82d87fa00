// shooter: the rules of ZORIVE: waves, formation, dives, shots and collisions.
#include "arcade/shooter.h"

#include <cstring>

#include "core/hash.h"

namespace vantrel {

// Group 0: slots 12-19; group 1: 0-7; group 2: 8-11 and 20-23; group 3: 24-31; group 4: 32-35.
const uint8_t ENTRY_ORDER[SHOOTER_ENEMIES] = {12, 13, 14, 15, 16, 17, 18, 19, 0,  1,  2,  3,
                                              4,  5,  6,  7,  8,  9,  10, 11, 20, 21, 22, 23,
                                              24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35};
const uint8_t GROUP_FIRST[6] = {0, 8, 16, 24, 32, 36};
const int32_t ROW_Y[5] = {30, 43, 56, 68, 80};
const uint32_t POINTS[3][2] = {{50, 100}, {80, 160}, {150, 400}};

namespace {

constexpr fix16 px(int32_t pixels) {
    return fix16(uint32_t(pixels) << 16);
}

constexpr int32_t MAX_DT = 100, SUB_STEP = 20;
constexpr int32_t FIRE_COOLDOWN = 220, INVULNERABLE_MS = 2000;
constexpr int32_t FIRST_DIVE_MS = 1500;
constexpr fix16 PLAYER_SPEED = px(110), SHOT_SPEED = px(260), ENEMY_SHOT_SPEED = px(110);
constexpr fix16 RETURN_SPEED = px(70);

fix16 abs16(fix16 v) {
    return v < 0 ? fix16(0u - uint32_t(v)) : v;
}

int kind_of_slot(int slot) {
    return slot < 4 ? 2 : slot < 12 ? 1 : 0;
}

void add_effect(shooter_game* g, uint8_t kind, uint8_t param, fix16 x, fix16 y) {
    if (g->effect_count >= SHOOTER_EFFECTS) return;
    g->effects[g->effect_count++] = shooter_effect{kind, param, x, y};
}

void player_effect(shooter_game* g, uint8_t kind) {
    add_effect(g, kind, 0, g->player_x, px(SHOOTER_PLAYER_Y));
}

void set_point(fix16 p[2], int32_t x, int32_t y) {
    p[0] = px(x);
    p[1] = px(y);
}

void enter_group(shooter_game* g, int group, int k, int slot) {
    shooter_enemy* e = &g->enemies[slot];
    *e = shooter_enemy{};
    e->slot = uint8_t(slot);
    e->kind = uint8_t(kind_of_slot(slot));
    e->hp = e->kind == 2 ? 2 : 1;
    e->state = ENEMY_WAITING;
    e->delay = 800 + 2000 * group + 140 * k;
    e->duration = g->wave <= 5 ? 1900 - 100 * (g->wave - 1) : 1400;
    bool even = group % 2 == 0;
    set_point(e->p[0], even ? -12 : 168, 150);
    set_point(e->p[1], even ? 68 : 88, 95);
    set_point(e->p[2], even ? 118 : 38, 10);
    shooter_slot_pos(g, slot, &e->p[3][0], &e->p[3][1]);
    e->x = e->p[0][0];
    e->y = e->p[0][1];
}

// Path position at elapsed / duration, t computed in ten bits and widened to fix16.
void follow_path(shooter_enemy* e) {
    fix16 t = fix16((int64_t(e->elapsed) << 10) / e->duration * 64);
    e->x = bezier(e->p, 0, t);
    e->y = bezier(e->p, 1, t);
}

void move_entering(const shooter_game* g, shooter_enemy* e) {
    fix16 sx, sy;
    shooter_slot_pos(g, e->slot, &sx, &sy);
    e->p[3][0] = sx;
    e->p[3][1] = sy;
    if (e->elapsed >= e->duration) {
        e->x = sx;
        e->y = sy;
        e->state = ENEMY_FORMATION;
    } else {
        follow_path(e);
    }
}

void move_diving(const shooter_game* g, shooter_enemy* e) {
    if (e->elapsed >= e->duration) {
        fix16 sy;
        shooter_slot_pos(g, e->slot, &e->x, &sy);
        e->y = px(-12);
        e->state = ENEMY_RETURNING;
    } else {
        follow_path(e);
    }
}

void move_returning(const shooter_game* g, shooter_enemy* e, fix16 f) {
    fix16 sx, sy;
    shooter_slot_pos(g, e->slot, &sx, &sy);
    e->y = wrap_add32(e->y, fix16_mul(RETURN_SPEED, f));
    e->x = sx;
    if (e->y >= sy) {
        e->y = sy;
        e->state = ENEMY_FORMATION;
    }
}

// Moves one enemy for a sub-step; false while it is still waiting to enter.
bool move_enemy(const shooter_game* g, shooter_enemy* e, int32_t h, fix16 f) {
    switch (e->state) {
    case ENEMY_WAITING:
        e->delay -= h;
        if (e->delay > 0) return false;
        e->elapsed = h;
        e->state = ENEMY_ENTERING;
        move_entering(g, e);
        break;
    case ENEMY_ENTERING:
        e->elapsed += h;
        move_entering(g, e);
        break;
    case ENEMY_DIVING:
        e->elapsed += h;
        move_diving(g, e);
        break;
    case ENEMY_FORMATION:
        shooter_slot_pos(g, e->slot, &e->x, &e->y);
        break;
    case ENEMY_RETURNING:
        move_returning(g, e, f);
        break;
    default:
        break;
    }
    return true;
}

fix16 velocity(fix16 now, fix16 before, int32_t h) {
    return fix16((int64_t(now) - before) * 1000 / h);
}

template <int N>
shooter_shot* free_shot(shooter_shot (&shots)[N]) {
    for (shooter_shot& s : shots)
        if (!s.active) return &s;
    return nullptr;
}

void enemy_fire(shooter_game* g, shooter_enemy* e) {
    if (e->state != ENEMY_DIVING || e->fired) return;
    if (e->kind == 0 && g->wave <= 2) return;
    fix16 r = shooter_body_radius(e->kind);
    bool low = e->y > px(70);
    bool above_player =
        abs16(wrap_sub32(e->x, g->player_x)) < r && e->y <= wrap_sub32(px(SHOOTER_PLAYER_Y), r);
    if (!low && !above_player) return;
    shooter_shot* s = free_shot(g->enemy_shots);
    if (!s) return;
    *s = shooter_shot{e->x, wrap_add32(e->y, px(6)), true};
    e->fired = true;
    add_effect(g, EFFECT_ENEMY_FIRED, e->kind, e->x, e->y);
}

bool rams_player(const shooter_game* g, const shooter_enemy* e) {
    fix16 r = shooter_body_radius(e->kind);
    return abs16(wrap_sub32(e->x, g->player_x)) < r &&
           abs16(wrap_sub32(e->y, px(SHOOTER_PLAYER_Y))) < r;
}

struct enemy_counts {
    int entering, formation;
};

enemy_counts step_enemies(shooter_game* g, int32_t h, fix16 f) {
    enemy_counts counts = {0, 0};
    for (shooter_enemy& e : g->enemies) {
        if (e.state == ENEMY_DEAD) continue;
        fix16 old_x = e.x, old_y = e.y;
        if (!move_enemy(g, &e, h, f)) {
            counts.entering++;
            continue;
        }
        e.vx = velocity(e.x, old_x, h);
        e.vy = velocity(e.y, old_y, h);
        if (rams_player(g, &e)) {
            kill_enemy(g, &e);
            player_hit(g);
            continue;
        }
        enemy_fire(g, &e);
        if (e.state == ENEMY_ENTERING) counts.entering++;
        if (e.state == ENEMY_FORMATION) counts.formation++;
    }
    return counts;
}

uint32_t dive_start_slot(shooter_game* g) {
    uint32_t wave = uint32_t(g->wave);
    uint32_t h0 = (wave << 16) ^ (g->dive_counter << 7) ^ g->seed ^ (wave >> 16);
    uint32_t k = g->dive_counter ^ 0x9E3779B9u;
    g->dive_counter++;
    uint32_t r = h0 ^ 0x6A09E667u;
    for (int i = 0; i < 4; i++) {
        r = xorshift32(r) + k;
    }
    uint32_t start = (r >> 8) & 63;
    return start > 35 ? start - 36 : start;
}

void send_escorts(shooter_game* g, const shooter_enemy* leader) {
    static const int32_t OFFSETS[2] = {-12, 12};
    int sent = 0;
    for (int slot = 4; slot < 12 && sent < 2; slot++) {
        shooter_enemy* e = &g->enemies[slot];
        if (e->state != ENEMY_FORMATION) continue;
        if (abs16(wrap_sub32(e->x, leader->x)) > px(20)) continue;
        dive(e, g->wave, g->player_x, OFFSETS[sent++]);
    }
}

void launch_dive(shooter_game* g) {
    uint32_t start = dive_start_slot(g);
    for (uint32_t i = 0; i < SHOOTER_ENEMIES; i++) {
        shooter_enemy* e = &g->enemies[(start + i) % SHOOTER_ENEMIES];
        if (e->state != ENEMY_FORMATION) continue;
        dive(e, g->wave, g->player_x, 0);
        if (e->kind == 2) send_escorts(g, e);
        break;
    }
    int32_t interval = 2200 - 200 * g->wave;
    g->dive_ms = interval < 700 ? 700 : interval;
}

void step_dives(shooter_game* g, enemy_counts counts, int32_t h) {
    if (counts.entering > 0 || counts.formation == 0) return;
    g->dive_ms -= h;
    if (g->dive_ms <= 0) launch_dive(g);
}

shooter_enemy* shot_target(shooter_game* g, const shooter_shot* s) {
    for (shooter_enemy& e : g->enemies) {
        if (e.state == ENEMY_WAITING || e.state == ENEMY_DEAD) continue;
        fix16 r = shooter_radius(e.kind);
        if (abs16(wrap_sub32(e.x, s->x)) < r && abs16(wrap_sub32(e.y, s->y)) < r) return &e;
    }
    return nullptr;
}

void step_player_shots(shooter_game* g, fix16 f) {
    for (shooter_shot& s : g->shots) {
        if (!s.active) continue;
        s.y = wrap_sub32(s.y, fix16_mul(SHOT_SPEED, f));
        if (s.y < px(-8)) {
            s.active = false;
            continue;
        }
        shooter_enemy* e = shot_target(g, &s);
        if (!e) continue;
        s.active = false;
        if (--e->hp > 0)
            add_effect(g, EFFECT_ENEMY_HIT, e->kind, e->x, e->y);
        else
            kill_enemy(g, e);
    }
}

void step_enemy_shots(shooter_game* g, fix16 f) {
    for (shooter_shot& s : g->enemy_shots) {
        if (!s.active) continue;
        s.y = wrap_add32(s.y, fix16_mul(ENEMY_SHOT_SPEED, f));
        if (s.y > px(218)) {
            s.active = false;
        } else if (abs16(wrap_sub32(s.x, g->player_x)) < px(4) && s.y > px(186) && s.y < px(194)) {
            s.active = false;
            player_hit(g);
        }
    }
}

void step_player(shooter_game* g, const shooter_input* in, int32_t h, fix16 f) {
    fix16 move = fix16_mul(PLAYER_SPEED, f);
    if (in->direction > 0) g->player_x = wrap_add32(g->player_x, move);
    if (in->direction < 0) g->player_x = wrap_sub32(g->player_x, move);
    if (g->player_x < px(8)) g->player_x = px(8);
    if (g->player_x > px(148)) g->player_x = px(148);
    if (g->invuln_ms > 0) g->invuln_ms -= h;
    if (g->cooldown_ms > 0) g->cooldown_ms -= h;
    if (!in->fire || g->cooldown_ms > 0) return;
    shooter_shot* s = free_shot(g->shots);
    if (!s) return;
    *s = shooter_shot{g->player_x, px(182), true};
    g->cooldown_ms = FIRE_COOLDOWN;
    player_effect(g, EFFECT_PLAYER_FIRED);
}

bool any_alive(const shooter_game* g) {
    for (const shooter_enemy& e : g->enemies)
        if (e.state != ENEMY_DEAD) return true;
    return false;
}

void sub_step(shooter_game* g, const shooter_input* in, int32_t h) {
    fix16 f = fix16((uint32_t(h) << 16) / 1000);
    g->formation_ms += uint32_t(h);
    step_player(g, in, h, f);
    enemy_counts counts = step_enemies(g, h, f);
    step_dives(g, counts, h);
    step_player_shots(g, f);
    step_enemy_shots(g, f);
    if (!g->game_over && !any_alive(g)) start_wave(g);
}

} // namespace

void shooter_init(shooter_game* game, uint32_t seed) {
    std::memset(game, 0, sizeof *game);
    game->seed = seed;
    game->player_x = px(78);
    game->lives = 3;
    start_wave(game);
}

void shooter_step(shooter_game* game, const shooter_input* input, int32_t dt) {
    game->effect_count = 0;
    if (game->game_over || dt < 1) return;
    if (dt > MAX_DT) dt = MAX_DT;
    while (dt > 0 && !game->game_over) {
        int32_t h = dt < SUB_STEP ? dt : SUB_STEP;
        sub_step(game, input, h);
        dt -= h;
    }
}

// The formation sways sideways on an S-curve between -5 and +5 pixels, 4096 ms a period.
void shooter_slot_pos(const shooter_game* game, int slot, fix16* x_out, fix16* y_out) {
    fix16 s = fix16((game->formation_ms % 4096) << 6);
    fix16 a = s < px(2) ? s - FIX16_ONE : px(3) - s;
    fix16 sway = fix16_mul(163840, fix16_mul(a, px(3) - fix16_mul(a, a)));
    int column = slot < 4 ? slot + 2 : (slot - 4) % 8;
    int row = slot < 4 ? 0 : 1 + (slot - 4) / 8;
    *x_out = px(22 + 16 * column) + sway;
    *y_out = px(ROW_Y[row]);
}

uint32_t shooter_points(int kind, bool diving) {
    return POINTS[kind][diving ? 1 : 0];
}

fix16 shooter_radius(int kind) {
    static const fix16 RADIUS[3] = {px(5), px(6), px(8)};
    return RADIUS[kind];
}

fix16 shooter_body_radius(int kind) {
    static const fix16 RADIUS[3] = {px(8), px(9), px(11)};
    return RADIUS[kind];
}

fix16 bezier(const fix16 p[4][2], int axis, fix16 t) {
    fix16 u = FIX16_ONE - t;
    fix16 t2 = fix16_mul(t, t);
    fix16 u2 = fix16_mul(u, u);
    fix16 u3 = fix16_mul(u2, u);
    fix16 t3 = fix16_mul(t2, t);
    fix16 w1 = fix16_mul(fix16(uint32_t(u2) * 3u), t);
    fix16 w2 = fix16_mul(fix16(uint32_t(t2) * 3u), u);
    fix16 b = fix16_mul(u3, p[0][axis]);
    b = wrap_add32(b, fix16_mul(w1, p[1][axis]));
    b = wrap_add32(b, fix16_mul(w2, p[2][axis]));
    return wrap_add32(b, fix16_mul(t3, p[3][axis]));
}

void start_wave(shooter_game* game) {
    game->wave++;
    game->dive_ms = FIRST_DIVE_MS;
    game->formation_ms = 0;
    game->dive_counter = 0;
    for (int g = 0; g < 5; g++)
        for (int i = GROUP_FIRST[g]; i < GROUP_FIRST[g + 1]; i++)
            enter_group(game, g, i - GROUP_FIRST[g], ENTRY_ORDER[i]);
    add_effect(game, EFFECT_NEW_WAVE, uint8_t(game->wave), 0, 0);
}

void kill_enemy(shooter_game* game, shooter_enemy* enemy) {
    bool diving = enemy->state == ENEMY_DIVING || enemy->state == ENEMY_RETURNING;
    game->score += shooter_points(enemy->kind, diving);
    enemy->state = ENEMY_DEAD;
    add_effect(game, EFFECT_ENEMY_KILLED, enemy->kind, enemy->x, enemy->y);
}

void player_hit(shooter_game* game) {
    if (game->invuln_ms > 0 || game->game_over) return;
    game->invuln_ms = INVULNERABLE_MS;
    game->lives--;
    player_effect(game, EFFECT_PLAYER_HIT);
    if (game->lives > 0) return;
    game->game_over = true;
    player_effect(game, EFFECT_GAME_OVER);
}

void dive(shooter_enemy* enemy, int32_t wave, fix16 player_x, int32_t offset) {
    enemy->state = ENEMY_DIVING;
    enemy->elapsed = 0;
    enemy->fired = false;
    enemy->duration = wave <= 6 ? 2600 - 150 * (wave - 1) : 1700;
    bool right = enemy->x > px(77);
    int32_t x = enemy->x >> 16, y = enemy->y >> 16;
    int32_t target = (player_x >> 16) + offset;
    set_point(enemy->p[0], x, y);
    set_point(enemy->p[1], right ? x + 34 : x - 34, y - 30);
    set_point(enemy->p[2], right ? target - 10 : target + 10, 120);
    set_point(enemy->p[3], right ? target - 30 : target + 30, 230);
}

} // namespace vantrel
