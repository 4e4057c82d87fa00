// flight_pages: the ship's computer in flight: the map pages (SYSTEM, STARS) and the profile
// pages (SHIP, PILOT, CARGO, MISSIONS) that take the place of the 3D view while the ship flies
// on, with the buttons that repaint and refuel the ship.
//
// Every page fills the view's rows; y below is counted from the view's first row, h is the
// view's height (196 rows on the 320x256 screen, 140 on the 320x200 one), w its width.
//   y 4      the page's title at the left (profiles; the maps show their clock there), and
//            the group's names right-aligned, the page shown in the menu colour
//   SHIP     y 16 the hull's name, and "capacity .., free .." right-aligned; y 26 the PAINT
//            button right-aligned under it; y 28 "auto-refuel unit fitted" at the left when
//            one is fitted; rows 40 to h - 74 the hull turning once in 12 s, pitched 20
//            degrees towards the viewer, its stores on their pylons; from h - 72 two columns:
//            EQUIPMENT at the left (one item a 9-row line down to the bottom) and PYLONS from
//            the middle (up to three lines above h - 35), then tank at h - 35, the fuel stored
//            in the hold at h - 26 and the REFUEL button at h - 14
//   CARGO    y 16 the hold's use; rows 30-37 the bar of its shares over the whole capacity
//            (the free part in the moon-orbit blue); the legend on rows 42, 51, 60
//            (equipment, cabins, fuel at the left; goods and free from the middle); GOODS at
//            74 and the lots from 83, one a 9-row line filling the left half, then the right
//            half, each mass right-aligned at its half's right edge, as many as fit above
//            h - 14; the passengers and cabins at h - 12
//   PILOT, MISSIONS  the title again, centred at mid-height, "coming soon" 12 rows below
// Texts are cut to the room their column leaves, so nothing overlaps on either screen.
// Without a loadout SHIP and CARGO show their title on the background and nothing more.
#include <cstdio>
#include <cstring>

#include "flight/flight_local.h"
#include "flight/flight_loop.h"
#include "flight/scenery.h"
#include "maps/map_screen.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "render/text.h"
#include "shell/game_models.h"
#include "shell/loc.h"
#include "trade/loadout.h"

namespace vantrel {

namespace {

// The flight's map: loaded on the first map page of the run and kept for the run.
map_state flight_map;

// Message ids of the group names, the profile titles and the hold's shares.
constexpr int MAPS[2] = {131, 132};               // SYSTEM, STARS
constexpr int PROFILES[4] = {133, 134, 140, 141}; // SHIP, PILOT, CARGO, MISSIONS
constexpr int TITLES[4] = {135, 136, 142, 143};
constexpr int NAME[4] = {153, 154, 155, 156};    // equipment, cabins, fuel, goods
constexpr uint8_t COL[4] = {157, 160, 161, 158}; // their colours in the bar and legend
constexpr uint8_t BAR_FREE = MAP_MOON_ORBIT;     // the bar's free part
constexpr int SHIP_MODEL_TOP = 40, SHIP_MODEL_BOTTOM_GAP = 74; // rows of the hull's view
constexpr uint32_t SHIP_TURN_MS = 12000;

enum page_command : int { BUTTON_PAINT, BUTTON_REFUEL };

bool is_map(int screen) {
    return screen == PAGE_SYSTEM || screen == PAGE_STARS;
}

bool is_profile(int screen) {
    return screen >= PAGE_SHIP && screen <= PAGE_MISSIONS;
}

int view_height(const flight* f) {
    return f->view_y1 - f->view_y0;
}

const char* screen_name(int screen) {
    if (is_map(screen)) return loc(MAPS[screen - PAGE_SYSTEM]);
    if (is_profile(screen)) return loc(PROFILES[screen - PAGE_SHIP]);
    return "cockpit";
}

// --- switching ----------------------------------------------------------------------------

void put_palette(flight* f) {
    flight_computer& c = f->computer;
    if (flight_on_page(f)) {
        std::memcpy(c.palette, f->palette, sizeof c.palette);
        map_palette_apply(c.palette);
        if (g_ship_ok) loadout_livery(&g_ship, c.palette);
    }
    present_amiga_set_palette(f->screen, flight_on_page(f) ? c.palette : f->palette);
    f->full_present = 1;
}

// The map fitted to the view; once the catalog has failed, the maps stay shut this flight.
bool open_maps(flight* f) {
    flight_computer& c = f->computer;
    if (c.maps_refused) return false;
    if (!map_init(&flight_map, view_height(f), &g_world_time)) {
        std::printf("maps: PROGDIR:stars.catalog missing or unreadable\n");
        c.maps_refused = 1;
        return false;
    }
    flight_map.in_flight = true;
    return true;
}

void run_button(flight* f, int command) {
    if (command == BUTTON_PAINT) {
        ship_next_paint();
        put_palette(f);
    } else {
        ship_refuel_by_hand();
    }
}

// --- what the pages show --------------------------------------------------------------------

// The texts of one page in drawing order, for drawing and for the trace.
struct page_texts {
    static constexpr int MAX = 48;
    struct item {
        int x, y;
        uint8_t colour;
        int button; // a page_command, or -1 for plain text
        char text[64];
    } items[MAX];
    int count = 0;

    // The text cut to the whole characters that fit in max_px pixels (none when there is no
    // room).
    item* add(int x, int y, uint8_t colour, const char* s, int max_px = 63 * 8) {
        if (count >= MAX) return nullptr;
        item& it = items[count++];
        int chars = max_px < 0 ? 0 : max_px / 8 > 63 ? 63 : max_px / 8;
        std::snprintf(it.text, sizeof it.text, "%.*s", chars, s);
        it.x = x;
        it.y = y;
        it.colour = colour;
        it.button = -1;
        return &it;
    }
};

const char* hull_name() {
    return g_ship.hull < g_tables.hull_count ? hull_display_name(&g_tables.hulls[g_ship.hull])
                                             : "?";
}

void ship_header(page_texts* t, int w) {
    HoldSummary hold;
    loadout_hold(&hold, &g_ship, &g_tables);
    char capacity[24], free_mass[24], line[96];
    loadout_format_tonnes(hold.capacity, capacity, sizeof capacity);
    loadout_format_tonnes(hold.free, free_mass, sizeof free_mass);
    std::snprintf(line, sizeof line, loc(144), capacity, free_mass);
    int capacity_x = w - 4 - text_width(line);
    t->add(4, 16, MAP_TEXT_BRIGHT, hull_name(), capacity_x - 12);
    t->add(capacity_x, 16, MAP_TEXT, line);
    int32_t paint = ship_paint_index();
    std::snprintf(line, sizeof line, loc(161),
                  paint >= 0 ? paint_display_name(&g_tables.paints[paint]) : "?");
    int button_x = w - 4 - (text_width(line) + 8);
    if (page_texts::item* b = t->add(button_x, 26, MAP_TEXT_BRIGHT, line)) b->button = BUTTON_PAINT;
    if (loadout_has_flag(&g_ship, &g_tables, ITEM_AUTOREFUEL))
        t->add(4, 28, MAP_HIGHLIGHT, loc(151), button_x - 12);
}

void ship_equipment(page_texts* t, int w, int h) {
    t->add(4, h - 72, MAP_TEXT_BRIGHT, loc(145));
    int y = h - 63;
    for (int i = 0; i < g_ship.equipment_count && i < LOADOUT_ITEMS && y <= h - 9; i++) {
        uint16_t item = g_ship.equipment[i];
        if (item >= g_tables.item_count) continue;
        t->add(4, y, MAP_TEXT, item_display_name(&g_tables.items[item]), w / 2 - 12);
        y += 9;
    }
}

// One line per distinct pylon content, in the order the pylons first show it.
void ship_pylons(page_texts* t, int w, int h) {
    const int x = w / 2;
    t->add(x, h - 72, MAP_TEXT_BRIGHT, loc(146));
    int pylons = g_ship.hull < g_tables.hull_count ? g_tables.hulls[g_ship.hull].pylons : 0;
    if (pylons > LOADOUT_PYLONS) pylons = LOADOUT_PYLONS;
    uint16_t content[LOADOUT_PYLONS];
    int count[LOADOUT_PYLONS], kinds = 0;
    for (int p = 0; p < pylons; p++) {
        uint16_t item = g_ship.pylons[p] < g_tables.item_count ? g_ship.pylons[p] : TABLES_NONE;
        int k = 0;
        while (k < kinds && content[k] != item) k++;
        if (k == kinds) {
            content[kinds] = item;
            count[kinds++] = 0;
        }
        count[k]++;
    }
    int y = h - 62;
    for (int k = 0; k < kinds && y < h - 35; k++, y += 9) {
        char line[64];
        const char* name =
            content[k] == TABLES_NONE ? loc(147) : item_display_name(&g_tables.items[content[k]]);
        std::snprintf(line, sizeof line, "%dx %s", count[k], name);
        t->add(x, y, MAP_TEXT, line, w - 4 - x);
    }
}

void ship_tank(page_texts* t, int w, int h) {
    const int x = w / 2;
    int64_t capacity = g_ship.hull < g_tables.hull_count ? g_tables.hulls[g_ship.hull].tank : 0;
    char fuel[24], tank[24], line[96];
    loadout_format_tonnes(g_ship.tank_fuel, fuel, sizeof fuel);
    loadout_format_tonnes(capacity > 0x7FFFFFFF ? 0x7FFFFFFF : fix16(capacity), tank, sizeof tank);
    std::snprintf(line, sizeof line, loc(148), fuel, tank);
    t->add(x, h - 35, MAP_TEXT, line, w - 4 - x);
    loadout_format_tonnes(g_ship.stored_fuel, fuel, sizeof fuel);
    std::snprintf(line, sizeof line, loc(149), fuel);
    t->add(x, h - 26, MAP_TEXT, line, w - 4 - x);
    if (page_texts::item* b = t->add(x, h - 14, MAP_TEXT_BRIGHT, loc(150)))
        b->button = BUTTON_REFUEL;
}

const model_node* pylon_node(const drawable* hull, int pylon) {
    char name[17];
    std::snprintf(name, sizeof name, "hp_pylon_%d", pylon);
    for (uint16_t i = 0; i < hull->mdl.node_count; i++)
        if (std::strcmp(hull->mdl.nodes[i].name, name) == 0) return &hull->mdl.nodes[i];
    return nullptr;
}

// The hull in the ship's livery (block 0 of the page's palette) with the flight's shading,
// just beyond the near plane, seen through a lens that makes it fill the rows it is given;
// its stores hang at its pylon nodes.
void draw_hull(flight* f, uint8_t* view, int w, int h) {
    const flight_computer& c = f->computer;
    if (g_ship.hull >= g_tables.hull_count) return;
    const drawable* hull = scene_drawable(g_tables.hulls[g_ship.hull].model);
    const int rows = h - SHIP_MODEL_BOTTOM_GAP - SHIP_MODEL_TOP;
    if (!hull || hull->mdl.level_count == 0 || rows < 8 || c.hull_half_height <= 0) return;
    const int64_t distance = int64_t{VIEW_NEAR} + hull->radius[0] + FIX16_ONE;
    int64_t focal = (distance * (rows / 2 - 2) << 16) / c.hull_half_height;
    int64_t across = (distance * (w / 2 - 8) << 16) / c.hull_reach;
    if (across < focal) focal = across;
    // Depths stay far below a depth frame's step for any lens within these bounds.
    focal = focal < VIEW_FOCAL / 4   ? VIEW_FOCAL / 4
            : focal > 4 * VIEW_FOCAL ? 4 * VIEW_FOCAL
                                     : focal;
    const view_projection vp = view_projection_make(w, rows, fix16(focal), VIEW_NEAR);
    frustum_slopes slopes;
    make_frustum_slopes(&slopes, &vp);
    const render_pose camera = {{0, 0, 0}, IDENTITY};
    const view_scene scene = {{view + SHIP_MODEL_TOP * w, f->target.depth, w, rows},
                              &camera,
                              &vp,
                              &slopes,
                              f->target.spans};
    depth_frame_begin(&g_depth_frame, f->target.depth, static_cast<uint32_t>(w * rows));
    render_pose pose = {{0, 0, distance << 16}, IDENTITY};
    const bangle turn =
        static_cast<bangle>((uint64_t{c.ship_ms % SHIP_TURN_MS} << 32) / SHIP_TURN_MS);
    const spin_record spin = {0, turn, static_cast<bangle>(0u - bangle_from_deg(20)), 0};
    spin_orientation(&pose.orient, &spin, &g_world_time);
    const int mode = f->gfx.shading == 2 ? SHADE_MATERIAL_LIT : SHADE_MATERIAL;
    const uint8_t livery = static_cast<uint8_t>(BLOCK_BASE[0]);
    view_draw_object(&scene, hull, &pose, livery, mode);
    int pylons = g_tables.hulls[g_ship.hull].pylons;
    for (int p = 0; p < pylons && p < LOADOUT_PYLONS; p++) {
        uint16_t item = g_ship.pylons[p];
        if (item >= g_tables.item_count || g_tables.items[item].kind != ITEM_KIND_STORE) continue;
        const drawable* store = scene_drawable(g_tables.items[item].model);
        const model_node* node = pylon_node(hull, p);
        if (!store || !node) continue;
        vec3 offset;
        mat3_apply(&offset, &pose.orient, &node->position);
        render_pose at = {{pose.pos.x + (fix32{offset.x} << 16),
                           pose.pos.y + (fix32{offset.y} << 16),
                           pose.pos.z + (fix32{offset.z} << 16)},
                          pose.orient};
        view_draw_object(&scene, store, &at, livery, mode);
    }
}

// The hold's shares laid end to end over the bar, the capacity its whole width.
void cargo_bar(uint8_t* view, int w, const HoldSummary& hold) {
    const int width = w - 8;
    for (int y = 30; y < 38; y++) std::memset(view + y * w + 4, BAR_FREE, size_t(width));
    if (hold.capacity <= 0) return;
    const fix16 shares[4] = {hold.equipment, hold.cabins, hold.stored_fuel, hold.goods};
    int64_t sum = 0;
    int x = 0;
    for (int k = 0; k < 4; k++) {
        sum += shares[k] > 0 ? shares[k] : 0;
        int64_t end = sum * width / hold.capacity;
        int x1 = end > width ? width : int(end);
        for (int y = 30; y < 38 && x1 > x; y++)
            std::memset(view + y * w + 4 + x, COL[k], size_t(x1 - x));
        if (x1 > x) x = x1;
    }
}

void cargo_lots(page_texts* t, int w, int h) {
    t->add(4, 74, MAP_TEXT_BRIGHT, loc(160));
    if (g_ship.lot_count == 0) {
        t->add(4, 83, MAP_TEXT, loc(159));
        return;
    }
    const int rows = (h - 14 - 83) / 9;
    for (int i = 0; i < g_ship.lot_count && i < LOADOUT_LOTS && i < 2 * rows; i++) {
        const GoodsLot& lot = g_ship.lots[i];
        if (lot.commodity >= g_tables.commodity_count) continue;
        const CommodityEntry& goods = g_tables.goods[lot.commodity];
        int left = i < rows ? 4 : w / 2 + 4, right = i < rows ? w / 2 - 4 : w - 4;
        int y = 83 + 9 * (i % rows);
        uint8_t colour = goods.cls == 2 ? MAP_SELECTION : MAP_TEXT;
        char mass[24];
        loadout_format_tonnes(lot.mass, mass, sizeof mass);
        int mass_x = right - text_width(mass);
        t->add(left, y, colour, commodity_display_name(&goods), mass_x - 8 - left);
        t->add(mass_x, y, colour, mass);
    }
}

void cargo_page(uint8_t* view, page_texts* t, int w, int h) {
    HoldSummary hold;
    loadout_hold(&hold, &g_ship, &g_tables);
    char a[24], b[24], line[96];
    loadout_format_tonnes(hold.used, a, sizeof a);
    loadout_format_tonnes(hold.capacity, b, sizeof b);
    std::snprintf(line, sizeof line, loc(152), a, b);
    t->add(4, 16, MAP_TEXT_BRIGHT, line);
    cargo_bar(view, w, hold);
    const fix16 shares[4] = {hold.equipment, hold.cabins, hold.stored_fuel, hold.goods};
    for (int k = 0; k < 4; k++) {
        loadout_format_tonnes(shares[k], a, sizeof a);
        std::snprintf(line, sizeof line, "%s %s", loc(NAME[k]), a);
        int x = k < 3 ? 4 : w / 2;
        t->add(x, 42 + 9 * (k < 3 ? k : 0), COL[k], line, k < 3 ? w / 2 - 12 : w - 4 - x);
    }
    loadout_format_tonnes(hold.free, a, sizeof a);
    std::snprintf(line, sizeof line, "%s %s", loc(157), a);
    t->add(w / 2, 51, MAP_TEXT, line, w / 2 - 4);
    cargo_lots(t, w, h);
    std::snprintf(line, sizeof line, loc(158), int(g_ship.passengers),
                  int(loadout_cabins(&g_ship, &g_tables)));
    t->add(4, h - 12, MAP_TEXT, line);
}

void coming_soon_page(page_texts* t, int title, int w, int h) {
    t->add((w - text_width(loc(title))) / 2, h / 2 - 4, MAP_TEXT_BRIGHT, loc(title));
    t->add((w - text_width(loc(137))) / 2, h / 2 + 8, MAP_TEXT, loc(137));
}

// The group's names right-aligned at y 4, the page shown in the menu colour.
void draw_tabs(uint8_t* view, int w, int h, int shown) {
    const bool maps = is_map(shown);
    const int* ids = maps ? MAPS : PROFILES;
    const int n = maps ? 2 : 4, current = shown - (maps ? PAGE_SYSTEM : PAGE_SHIP);
    int width = 8 * (n - 1);
    for (int i = 0; i < n; i++) width += text_width(loc(ids[i]));
    int x = w - 4 - width;
    for (int i = 0; i < n; i++) {
        const char* name = loc(ids[i]);
        text_draw_shadow(view, w, h, x, 4, name, i == current ? MAP_SELECTION : MAP_TEXT,
                         MAP_SHADOW);
        x += text_width(name) + 8;
    }
}

void draw_texts(flight* f, uint8_t* view, int w, int h, const page_texts& t) {
    flight_computer& c = f->computer;
    for (int i = 0; i < t.count; i++) {
        const page_texts::item& it = t.items[i];
        if (it.button < 0) {
            text_draw_shadow(view, w, h, it.x, it.y, it.text, it.colour, MAP_SHADOW);
            continue;
        }
        int rect[4];
        draw_button(view, w, h, it.x, it.y, it.text, rect);
        if (c.button_count < PAGE_BUTTONS)
            c.buttons[c.button_count++] = page_button{rect[0], rect[1] + f->view_y0, rect[2],
                                                      rect[3] + f->view_y0, it.button};
    }
}

void trace_texts(const page_texts& t) {
    char all[1024] = "";
    size_t used = 0;
    for (int i = 0; i < t.count && used + 1 < sizeof all; i++) {
        int n =
            std::snprintf(all + used, sizeof all - used, "%s%s", i ? " | " : "", t.items[i].text);
        if (n > 0) used = used + size_t(n) < sizeof all ? used + size_t(n) : sizeof all - 1;
    }
    map_trace_page(all);
}

void draw_profile(flight* f, uint8_t* view, int w, int h) {
    const int shown = f->computer.shown;
    std::memset(view, MAP_BACKGROUND, size_t(w) * size_t(h));
    page_texts texts;
    texts.add(4, 4, MAP_TEXT_BRIGHT, loc(TITLES[shown - PAGE_SHIP]));
    if (shown == PAGE_PILOT || shown == PAGE_MISSIONS) {
        coming_soon_page(&texts, TITLES[shown - PAGE_SHIP], w, h);
    } else if (g_ship_ok && shown == PAGE_SHIP) {
        draw_hull(f, view, w, h);
        ship_header(&texts, w);
        ship_equipment(&texts, w, h);
        ship_pylons(&texts, w, h);
        ship_tank(&texts, w, h);
    } else if (g_ship_ok) {
        cargo_page(view, &texts, w, h);
    }
    draw_texts(f, view, w, h, texts);
    if (g_flight_trace) trace_texts(texts);
}

// The hull's reach from its vertical axis (the half-width it sweeps as it turns) and the
// half-height it shows pitched 20 degrees, from its finest level.
void measure_hull(flight_computer* c, const drawable* hull) {
    if (!hull || hull->mdl.level_count == 0) return;
    const model_lod& lod = hull->mdl.levels[0];
    fix16 reach = 0, height = 0;
    for (uint32_t i = 0; i < lod.vertex_count; i++) {
        const vec3 flat = {lod.vertices[i].x, 0, lod.vertices[i].z};
        fix16 r = vec3_length(&flat), y = lod.vertices[i].y;
        if (r > reach) reach = r;
        if (y > height) height = y;
        if (y < 0 && -int64_t{y} > height) height = fix16(-int64_t{y});
    }
    constexpr fix16 SIN20 = 22415, COS20 = 61583;
    c->hull_reach = reach > 0 ? reach : FIX16_ONE;
    c->hull_half_height = fix16_mul(reach, SIN20) + fix16_mul(height, COS20);
}

} // namespace

bool flight_on_page(const flight* f) {
    return f->computer.shown != SCREEN_COCKPIT;
}

void pages_start(flight* f) {
    f->computer = flight_computer{};
    f->computer.shown = SCREEN_COCKPIT;
    f->computer.last_profile = PAGE_SHIP;
    // The SHIP page's models are looked up now, so that no page frame loads (or allocates).
    if (!g_ship_ok || g_ship.hull >= g_tables.hull_count) return;
    measure_hull(&f->computer, scene_drawable(g_tables.hulls[g_ship.hull].model));
    for (int p = 0; p < g_tables.hulls[g_ship.hull].pylons && p < LOADOUT_PYLONS; p++)
        if (g_ship.pylons[p] < g_tables.item_count &&
            g_tables.items[g_ship.pylons[p]].kind == ITEM_KIND_STORE)
            scene_drawable(g_tables.items[g_ship.pylons[p]].model);
}

void pages_show(flight* f, int screen) {
    flight_computer& c = f->computer;
    if (screen == c.shown) return;
    if (is_map(screen) && !is_map(c.shown) && !open_maps(f)) return;
    if (is_map(screen)) flight_map.star_map = screen == PAGE_STARS;
    if (is_profile(screen)) c.last_profile = screen;
    if (screen == PAGE_SHIP) c.ship_ms = 0;
    c.shown = screen;
    c.button_count = 0;
    put_palette(f);
    map_trace_restart();
    if (g_flight_trace)
        std::printf("trace %u: page %s\n", present_frame_count(), screen_name(screen));
}

void pages_maps(flight* f) {
    const int shown = f->computer.shown;
    if (shown == PAGE_SYSTEM) {
        if (flight_map.group_count > 0) pages_show(f, PAGE_STARS);
    } else if (shown == PAGE_STARS) {
        pages_show(f, PAGE_SYSTEM);
    } else {
        pages_show(f, flight_map.loaded && flight_map.star_map ? PAGE_STARS : PAGE_SYSTEM);
    }
}

void pages_profiles(flight* f) {
    const int shown = f->computer.shown;
    if (is_profile(shown))
        pages_show(f, shown == PAGE_MISSIONS ? PAGE_SHIP : shown + 1);
    else
        pages_show(f, f->computer.last_profile);
}

bool pages_key(flight* f, int key) {
    return map_key(&flight_map, key, view_height(f));
}

void pages_update(flight* f, const present_input* in, uint32_t frame_ms) {
    flight_computer& c = f->computer;
    if (!is_map(c.shown)) return;
    present_input map_input = *in;
    map_input.lmb = in->lmb && c.lmb_in_view;
    const int32_t dt = frame_ms > 200 ? 20 : int32_t(frame_ms);
    map_update(&flight_map, f->screen, &map_input, in->mouse_x, in->mouse_y - f->view_y0, dt);
}

bool pages_click(flight* f, int x, int y) {
    const flight_computer& c = f->computer;
    for (int i = 0; i < c.button_count; i++) {
        const page_button& b = c.buttons[i];
        if (x < b.x0 || x > b.x1 || y < b.y0 || y > b.y1) continue;
        run_button(f, b.command);
        return true;
    }
    return false;
}

void pages_screen_changed(flight* f) {
    f->computer.button_count = 0;
    if (!flight_on_page(f)) return;
    if (is_map(f->computer.shown)) map_init(&flight_map, view_height(f), &g_world_time);
    put_palette(f);
}

void pages_draw(flight* f, uint32_t frame_ms) {
    flight_computer& c = f->computer;
    uint8_t* view = f->target.chunky + f->view_y0 * f->width;
    const int w = f->width, h = view_height(f);
    c.button_count = 0;
    if (is_map(c.shown)) {
        map_draw(&flight_map, view, w, h, &g_world_time, nullptr);
    } else {
        if (c.shown == PAGE_SHIP) c.ship_ms += frame_ms;
        draw_profile(f, view, w, h);
    }
    draw_tabs(view, w, h, c.shown);
}

void draw_button(uint8_t* frame, int pitch, int height, int x, int y, const char* text,
                 int rect[4]) {
    const int x1 = x + text_width(text) + 7, y1 = y + 11;
    for (int row = y < 0 ? 0 : y; row <= y1 && row < height; row++) {
        int from = x < 0 ? 0 : x, to = x1 < pitch ? x1 : pitch - 1;
        if (to >= from)
            std::memset(frame + row * pitch + from, MAP_PLANET_ORBIT, size_t(to - from + 1));
    }
    text_draw_shadow(frame, pitch, height, x + 4, y + 2, text, MAP_TEXT_BRIGHT, MAP_SHADOW);
    rect[0] = x;
    rect[1] = y;
    rect[2] = x1;
    rect[3] = y1;
}

} // namespace vantrel
