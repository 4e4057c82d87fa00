// game_models: the game's cast of models: the fighter, the stations, the freighter, the
// planet and moon stand-ins, the docking bay's door box, and the cache of scene props.
#include "shell/game_models.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "render/import.h"

namespace vantrel {

const fix16 HULL_LOD_DIST[3] = {100 << 16, 300 << 16, 0x7FFFFFFF};
const fix16 STATION_LOD_DIST[3] = {300 << 16, 800 << 16, 0x7FFFFFFF};
const fix16 TRANSPORT_LOD_DIST[3] = {900 << 16, 2000 << 16, 0x7FFFFFFF};
const fix16 DOCK_LOD_DIST[3] = {2200 << 16, 3500 << 16, 0x7FFFFFFF};
const fix16 MOON_LOD_DIST[3] = {6000 << 16, 18000 << 16, 0x7FFFFFFF};
const fix16 PLANET_LOD_DIST[3] = {9000 << 16, 25000 << 16, 0x7FFFFFFF};

drawable g_hull, g_dock, g_transport, g_station, g_planet, g_moon, g_door_box;
int g_have_dock = 0;
int g_have_planet = 0;
int g_have_door_box = 0;
int g_model_detail = 0;

int door_box_build(drawable* d) {
    drawable_free(d);
    model_lod* lod = new (std::nothrow) model_lod[1]; // freed with the other levels' delete[]
    vec3* vertices = new (std::nothrow) vec3[8];
    model_face* faces = new (std::nothrow) model_face[12];
    if (!lod || !vertices || !faces) {
        delete[] lod;
        delete[] vertices;
        delete[] faces;
        return 0;
    }
    // Vertex i: bit 0 picks x (0 or 2.0), bit 1 picks y (-13.5 or 13.5), bit 2 picks z
    // (0 or 25.5).
    for (int i = 0; i < 8; i++)
        vertices[i] =
            vec3{(i & 1) ? 2 * FIX16_ONE : 0, (i & 2) ? 884736 : -884736, (i & 4) ? 1671168 : 0};
    static const uint16_t QUADS[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3},
                                         {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
    for (int q = 0; q < 6; q++) {
        const uint16_t* k = QUADS[q];
        uint8_t material = q == 0 ? 1 : 0;
        faces[2 * q] = model_face{k[0], k[1], k[2], material, 0, {}};
        faces[2 * q + 1] = model_face{k[0], k[2], k[3], material, 0, {}};
    }
    lod[0] = model_lod{8, 12, vertices, faces};
    d->mdl.level_count = 1;
    d->mdl.levels = lod;
    if (!drawable_init(d, LOD_FAR)) {
        drawable_free(d);
        return 0;
    }
    return 1;
}

namespace {

int load_pair(drawable* a, const char* path_a, const fix16* dist_a, drawable* b, const char* path_b,
              const fix16* dist_b) {
    int ok_a = load_drawable_detail(a, path_a, g_model_detail, dist_a);
    int ok_b = load_drawable_detail(b, path_b, g_model_detail, dist_b);
    return ok_a && ok_b;
}

void print_line(const char* format, const char* value) {
    char line[160];
    std::snprintf(line, sizeof line, format, value);
    render_print(line);
}

} // namespace

int load_detail_models(int level) {
    if (g_model_detail != 0 && g_model_detail == level) return 1;
    print_line("detail: %s\n", detail_name(level));
    g_model_detail = level;
    if (!load_drawable_detail(&g_hull, "PROGDIR:stihac", level, HULL_LOD_DIST)) {
        render_print("FAILED: could not load PROGDIR:stihac*.model\n");
        g_model_detail = 0;
        return 0;
    }
    g_have_dock = load_pair(&g_dock, "PROGDIR:stanice_dock", DOCK_LOD_DIST, &g_transport,
                            "PROGDIR:transport", TRANSPORT_LOD_DIST);
    if (g_have_dock && !g_have_door_box) g_have_door_box = door_box_build(&g_door_box);
    print_line("dock demo models: %s\n",
               g_have_dock ? "loaded" : "missing (stanice_dock*.model, transport*.model)");
    g_have_planet = load_pair(&g_planet, "PROGDIR:zeme", PLANET_LOD_DIST, &g_moon, "PROGDIR:mesic",
                              MOON_LOD_DIST);
    print_line("test planet + moon: %s\n",
               g_have_planet ? "loaded" : "missing (zeme*.model, mesic*.model)");
    return 1;
}

namespace {

constexpr int SCENE_SLOTS = 8;

struct scene_slot {
    char name[16];
    drawable d;
    int used;
    int ok;
    int detail;
};

scene_slot g_scene_slots[SCENE_SLOTS];

// Scene props switch level at 12 and 40 times their half-size: r is the largest absolute
// coordinate of level 0, kept between 1.0 and 800.0.
void scene_switch_distances(drawable* d) {
    fix16 r = FIX16_ONE;
    const model_lod& lod = d->mdl.levels[0];
    if (lod.vertex_count > 0) {
        uint32_t largest = 0;
        for (uint32_t i = 0; i < lod.vertex_count; i++) {
            const vec3& v = lod.vertices[i];
            for (fix16 c : {v.x, v.y, v.z}) {
                uint32_t m = c < 0 ? 0u - uint32_t(c) : uint32_t(c);
                if (m > largest) largest = m;
            }
        }
        if (largest > uint32_t(800 * FIX16_ONE)) largest = 800 * FIX16_ONE;
        if (largest > uint32_t(FIX16_ONE)) r = fix16(largest);
    }
    const fix16 dist[3] = {12 * r, 40 * r, 0x7FFFFFFF};
    for (int i = 1; i < d->mdl.level_count && i < DRAWABLE_MAX_LEVELS; i++)
        d->switch_dist[i - 1] = int64_t(dist[i - 1]) * dist[i - 1];
}

drawable* scene_slot_load(scene_slot* slot, int level) {
    slot->detail = level;
    char path[64];
    std::snprintf(path, sizeof path, "PROGDIR:%s", slot->name);
    slot->ok = load_drawable_detail(&slot->d, path, level, LOD_FAR);
    if (!slot->ok) {
        print_line("scene model %s: missing\n", slot->name);
        return nullptr;
    }
    if (slot->d.mdl.level_count > 0) scene_switch_distances(&slot->d);
    return &slot->d;
}

} // namespace

drawable* scene_drawable(const char* name) {
    if (!name || name[0] == '\0' || name[0] == '-') return nullptr;
    if (std::strcmp(name, "stihac") == 0) return &g_hull;
    if (std::strcmp(name, "station") == 0) return &g_station;
    if (std::strcmp(name, "transport") == 0) return g_have_dock ? &g_transport : nullptr;
    if (std::strcmp(name, "stanice_dock") == 0) return g_have_dock ? &g_dock : nullptr;
    char key[16];
    std::snprintf(key, sizeof key, "%s", name);
    int level = g_model_detail ? g_model_detail : 2;
    int free_slot = -1;
    for (int i = 0; i < SCENE_SLOTS; i++) {
        scene_slot& s = g_scene_slots[i];
        if (!s.used) {
            if (free_slot < 0) free_slot = i;
            continue;
        }
        if (std::strcmp(s.name, key) != 0) continue;
        if (s.detail == level) return s.ok ? &s.d : nullptr;
        return scene_slot_load(&s, level);
    }
    scene_slot& slot = g_scene_slots[free_slot >= 0 ? free_slot : SCENE_SLOTS - 1];
    drawable_free(&slot.d);
    std::memcpy(slot.name, key, sizeof key);
    slot.used = 1;
    return scene_slot_load(&slot, level);
}

void scene_models_free() {
    for (scene_slot& s : g_scene_slots) {
        drawable_free(&s.d);
        s = scene_slot{};
    }
}

void game_models_free() {
    for (drawable* d :
         {&g_hull, &g_dock, &g_transport, &g_station, &g_planet, &g_moon, &g_door_box})
        drawable_free(d);
    scene_models_free();
    g_have_dock = g_have_planet = g_have_door_box = 0;
    g_model_detail = 0;
}

} // namespace vantrel
