// star_map: the neighbourhood drawn through the system map's projection, back to front so that
// nearer stars cover the drop lines and discs of farther ones.
#include "maps/star_map.h"

#include <cstring>

#include "render/text.h"

namespace vantrel {

const uint8_t STAR_MAP_COLOUR_LIST[STAR_MAP_COLOURS] = {
    MAP_BACKGROUND,     // 0 background
    MAP_MOON_ORBIT,     // 1 grid
    MAP_PLANET_ORBIT,   // 2 drop lines
    MAP_TEXT_BRIGHT,    // 3 names
    MAP_TEXT,           // 4 other names
    MAP_SELECTION,      // 5 selection
    MAP_JUMP_TARGET,    // 6 jump target
    MAP_HIGHLIGHT,      // 7 jump-range circle
    MAP_GRID,           // 8 full-tank circle
    MAP_STAR_CLASS + 0, // 9.. stars by spectral class code 0..7
    MAP_STAR_CLASS + 1, MAP_STAR_CLASS + 2, MAP_STAR_CLASS + 3, MAP_STAR_CLASS + 4,
    MAP_STAR_CLASS + 5, MAP_STAR_CLASS + 6, MAP_STAR_CLASS + 7,
};

const int32_t STEPS[9] = {1, 2, 5, 10, 20, 50, 100, 200, 500};

namespace {

enum colour_role {
    C_BACKGROUND = 0,
    C_GRID = 1,
    C_DROP = 2,
    C_NAME = 3,
    C_OTHER_NAME = 4,
    C_SELECTION = 5,
    C_TARGET = 6,
    C_JUMP = 7,
    C_FULL_TANK = 8,
    C_STARS = 9,
};

constexpr int OUTLINE_SEGMENTS = 48;
constexpr int SPOKES = 12;
constexpr int GRID_RINGS = 6;
constexpr int NAME_ROWS = 8;

// A star's drawn size follows its total brightness, so a bright pair outweighs a lone dwarf.
struct size_class {
    int disc_r2, half, hole_r2, target_half, selection_half, name_offset;
};
constexpr size_class SIZES[4] = {
    {6, 2, 2, 7, 5, 2},
    {12, 3, 6, 8, 6, 3},
    {20, 4, 12, 9, 7, 4},
    {30, 5, 20, 10, 8, 5},
};

int size_class_of(fix16 brightness) {
    if (brightness <= 21844) return 0; // a third
    if (brightness <= 98303) return 1; // just under 1.5
    if (brightness < 4 * FIX16_ONE) return 2;
    return 3;
}

struct rect {
    int x0, y0, x1, y1; // x1, y1 exclusive
};

bool overlaps(const rect& a, const rect& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// The k-th of n equal steps round a turn, truncated; k = n wraps to 0 in 32 bits.
bangle turn_step(int k, int n) {
    return static_cast<bangle>((static_cast<uint64_t>(k) << 32) / static_cast<uint64_t>(n));
}

fix16 add3(fix16 a, fix16 b, fix16 c) {
    return wrap_add32(wrap_add32(a, b), c);
}

void plot(uint8_t* frame, int width, int height, int x, int y, uint8_t colour) {
    if (x >= 0 && y >= 0 && x < width && y < height) frame[y * width + x] = colour;
}

// A filled disc, or a ring when hole_r2 > 0: pixels nearer the centre than the hole keep what
// lies beneath, so a drop line shows through an unreachable star.
void disc(uint8_t* frame, int width, int height, int cx, int cy, const size_class& size,
          int hole_r2, uint8_t colour) {
    for (int dy = -size.half; dy <= size.half; ++dy) {
        for (int dx = -size.half; dx <= size.half; ++dx) {
            int d2 = dx * dx + dy * dy;
            if (d2 > size.disc_r2 || d2 < hole_r2) continue;
            plot(frame, width, height, cx + dx, cy + dy, colour);
        }
    }
}

struct placed_names {
    rect boxes[NEIGHBOURHOOD_GROUPS];
    int count;
};

// Draws a group's name unless it would cover one already placed.
void place_name(uint8_t* frame, int width, int height, const StarGroup* group,
                const map_point* point, placed_names* placed, uint8_t colour) {
    if (group->name[0] == '\0' || placed->count >= NEIGHBOURHOOD_GROUPS) return;
    int x = point->x + SIZES[size_class_of(group->brightness)].name_offset + 3;
    int y = point->y - 3;
    rect box = {x, y, x + text_width(group->name), y + NAME_ROWS};
    for (int i = 0; i < placed->count; ++i) {
        if (overlaps(box, placed->boxes[i])) return;
    }
    placed->boxes[placed->count++] = box;
    text_draw(frame, width, height, x, y, group->name, colour);
}

} // namespace

int32_t star_map_grid_step(fix16 zoom, int height) {
    if (zoom <= 0) zoom = FIX16_ONE;
    fix16 visible = fix16_div(static_cast<fix16>((height / 2) * FIX16_ONE), zoom);
    if (visible <= 4 * FIX16_ONE) return STEPS[0];
    // The smallest step that spans the visible radius in four: the six rings then always
    // reach past the top and bottom of the screen without crowding into a blur.
    for (int i = 1; i < 9; ++i) {
        if (visible <= 4 * STEPS[i] * FIX16_ONE) return STEPS[i];
    }
    return STEPS[8];
}

void circle3(uint8_t* frame, int width, int height, const map_view* view, const vec3* centre,
             const vec3* p, const vec3* q, fix16 radius, int dashed, uint8_t colour) {
    int prev_x = 0, prev_y = 0;
    int prev_visible = 0;
    for (int k = 0; k <= OUTLINE_SEGMENTS; ++k) {
        bangle a = turn_step(k, OUTLINE_SEGMENTS);
        fix16 rc = static_cast<fix16>((static_cast<int64_t>(radius) * trig_cos(a)) >> 30);
        fix16 rs = static_cast<fix16>((static_cast<int64_t>(radius) * trig_sin(a)) >> 30);
        vec3 point = {add3(centre->x, fix16_mul(p->x, rc), fix16_mul(q->x, rs)),
                      add3(centre->y, fix16_mul(p->y, rc), fix16_mul(q->y, rs)),
                      add3(centre->z, fix16_mul(p->z, rc), fix16_mul(q->z, rs))};
        int x = 0, y = 0;
        int visible = project(view, &point, &x, &y, nullptr);
        // Segment k - 1 ends here; a dashed outline keeps the even ones.
        if (visible && prev_visible && (!dashed || ((k - 1) & 1) == 0)) {
            line(frame, width, height, prev_x, prev_y, x, y, colour);
        }
        prev_x = x;
        prev_y = y;
        prev_visible = visible;
    }
}

void star_map_draw(uint8_t* frame, int width, int height, const StarGroup* groups, int32_t count,
                   const star_view_state* view, const uint8_t* colours, map_point* points) {
    if (colours == nullptr) colours = STAR_MAP_COLOUR_LIST;
    if (count < 0) count = 0;
    std::memset(frame, colours[C_BACKGROUND], static_cast<size_t>(width) * height);

    fix16 zoom = view->zoom > 0 ? view->zoom : FIX16_ONE;
    vec3 focus = {0, 0, 0};
    if (view->focus >= 0 && view->focus < count) focus = groups[view->focus].position;
    map_view mv = map_view_make(view->yaw, view->pitch, &focus, zoom, width, height);

    // Distance rings and spokes in the horizontal plane, centred on the Sun.
    const vec3 origin = {0, 0, 0};
    const vec3 axis_x = {FIX16_ONE, 0, 0};
    const vec3 axis_y = {0, FIX16_ONE, 0};
    const vec3 axis_z = {0, 0, FIX16_ONE};
    fix16 step = star_map_grid_step(zoom, height) * FIX16_ONE;
    for (int i = 1; i <= GRID_RINGS; ++i) {
        circle3(frame, width, height, &mv, &origin, &axis_x, &axis_z, i * step, 0, colours[C_GRID]);
    }
    int ox, oy;
    if (project(&mv, &origin, &ox, &oy, nullptr)) {
        fix16 reach = GRID_RINGS * step;
        for (int i = 0; i < SPOKES; ++i) {
            bangle a = turn_step(i, SPOKES);
            vec3 end = {static_cast<fix16>((static_cast<int64_t>(reach) * trig_cos(a)) >> 30), 0,
                        static_cast<fix16>((static_cast<int64_t>(reach) * trig_sin(a)) >> 30)};
            int ex, ey;
            if (project(&mv, &end, &ex, &ey, nullptr)) {
                line(frame, width, height, ox, oy, ex, ey, colours[C_GRID]);
            }
        }
    }

    // The full-tank range only says something when it reaches past a single jump.
    if (view->full_range > view->jump_range) {
        circle3(frame, width, height, &mv, &origin, &axis_x, &axis_z, view->full_range, 1,
                colours[C_FULL_TANK]);
    }
    if (view->jump_range > 0) {
        circle3(frame, width, height, &mv, &origin, &axis_x, &axis_z, view->jump_range, 0,
                colours[C_JUMP]);
        circle3(frame, width, height, &mv, &origin, &axis_x, &axis_y, view->jump_range, 0,
                colours[C_JUMP]);
        circle3(frame, width, height, &mv, &origin, &axis_y, &axis_z, view->jump_range, 0,
                colours[C_JUMP]);
    }

    // Project and sort farthest first; the insertion sort keeps equal depths in index order.
    int32_t order[NEIGHBOURHOOD_GROUPS];
    fix16 depths[NEIGHBOURHOOD_GROUPS];
    map_point screen[NEIGHBOURHOOD_GROUPS];
    bool shown[NEIGHBOURHOOD_GROUPS] = {};
    int visible = 0;
    for (int32_t i = 0; i < count; ++i) {
        int x = MAP_HIDDEN, y = MAP_HIDDEN;
        fix16 depth = 0;
        if (i >= NEIGHBOURHOOD_GROUPS || !project(&mv, &groups[i].position, &x, &y, &depth)) {
            x = MAP_HIDDEN;
            y = MAP_HIDDEN;
        } else {
            int at = visible++;
            while (at > 0 && depths[at - 1] < depth) {
                order[at] = order[at - 1];
                depths[at] = depths[at - 1];
                --at;
            }
            order[at] = i;
            depths[at] = depth;
            screen[i] = {x, y};
            shown[i] = true;
        }
        if (points != nullptr) points[i] = {x, y};
    }

    for (int v = 0; v < visible; ++v) {
        int32_t i = order[v];
        const StarGroup* g = &groups[i];
        const map_point* at = &screen[i];
        vec3 foot = {g->position.x, 0, g->position.z};
        int fx, fy;
        if (project(&mv, &foot, &fx, &fy, nullptr)) {
            line(frame, width, height, at->x, at->y, fx, fy, colours[C_DROP]);
            line(frame, width, height, fx - 1, fy, fx + 1, fy, colours[C_DROP]);
        }
        const size_class& size = SIZES[size_class_of(g->brightness)];
        int cls = g->cls > 7 ? 7 : g->cls;
        int hole = star_map_distance(g) > view->jump_range ? size.hole_r2 : 0;
        disc(frame, width, height, at->x, at->y, size, hole, colours[C_STARS + cls]);
        if (i == view->target) {
            brackets(frame, width, height, at->x, at->y, size.target_half, colours[C_TARGET]);
        }
        if (i == view->selected) {
            brackets(frame, width, height, at->x, at->y, size.selection_half, colours[C_SELECTION]);
        }
    }

    // Names: the selection and the target claim their places first, then the reachable stars,
    // then (when asked) the rest in the dimmer colour.
    placed_names placed;
    placed.count = 0;
    int32_t first[2] = {view->selected, view->target};
    for (int k = 0; k < 2; ++k) {
        int32_t i = first[k];
        if (k == 1 && i == first[0]) break;
        if (i < 0 || i >= count || i >= NEIGHBOURHOOD_GROUPS || !shown[i]) continue;
        place_name(frame, width, height, &groups[i], &screen[i], &placed, colours[C_NAME]);
    }
    for (int pass = 1; pass <= 2; ++pass) {
        if (view->label_mode < pass) break;
        for (int v = 0; v < visible; ++v) {
            int32_t i = order[v];
            if (i == view->selected || i == view->target) continue;
            bool reachable = star_map_distance(&groups[i]) <= view->jump_range;
            if (reachable != (pass == 1)) continue;
            place_name(frame, width, height, &groups[i], &screen[i], &placed,
                       colours[pass == 1 ? C_NAME : C_OTHER_NAME]);
        }
    }
}

} // namespace vantrel
