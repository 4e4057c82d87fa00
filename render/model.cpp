// model: the ".model" file (magic "FMDL"), levels of detail, drawables and the game's models.
#include "render/model.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "core/save.h"
#include "render/transform.h"

namespace vantrel {

const fix16 HULL_LOD_DIST[3] = {100 << 16, 300 << 16, 0x7FFFFFFF};
const fix16 STATION_LOD_DIST[3] = {300 << 16, 800 << 16, 0x7FFFFFFF};
const fix16 TRANSPORT_LOD_DIST[3] = {900 << 16, 2000 << 16, 0x7FFFFFFF};
const fix16 DOCK_LOD_DIST[3] = {2200 << 16, 3500 << 16, 0x7FFFFFFF};
const fix16 MOON_LOD_DIST[3] = {6000 << 16, 18000 << 16, 0x7FFFFFFF};
const fix16 PLANET_LOD_DIST[3] = {9000 << 16, 25000 << 16, 0x7FFFFFFF};
const fix16 LOD_FAR[3] = {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};

drawable g_hull, g_dock, g_transport, g_station, g_planet, g_moon, g_door_box;
int g_have_dock = 0;
int g_have_planet = 0;
int g_have_door_box = 0;
int g_model_detail = 0;

namespace {

constexpr uint32_t HEADER_BYTES = 12;
constexpr uint32_t DIRECTORY_ENTRY_BYTES = 8;
constexpr uint32_t VERTEX_BYTES = 12;
constexpr uint32_t FACE_BYTES = 8;
constexpr uint32_t FACE_EXTRA_BYTES = 24;
constexpr uint32_t NODE_BYTES = 80;

render_import g_import = {};

void import_print(const char* text) {
    if (g_import.print) g_import.print(text);
}

// Detail level names and their file suffixes, indexed by level - 1.
const char* const DETAIL_NAMES[4] = {"malo", "hodne", "ultra", "crazy"};
const char* const DETAIL_ORDER[4][4] = {
    {"_lo", "", "_ul", "_cz"},
    {"", "_lo", "_ul", "_cz"},
    {"_ul", "", "_lo", "_cz"},
    {"_cz", "_ul", "", "_lo"},
};

int detail_index(int level) {
    return level >= 1 && level <= 4 ? level - 1 : 1;
}

// Reads one level's vertices and faces at the reader's position.
int read_level(save_reader* r, model_lod* lod) {
    uint64_t left = r->size - r->pos;
    if (static_cast<uint64_t>(lod->vertex_count) * VERTEX_BYTES > left) return MODEL_TRUNCATED;
    lod->vertices = new (std::nothrow) vec3[lod->vertex_count ? lod->vertex_count : 1];
    if (!lod->vertices) return MODEL_NO_MEMORY;
    for (uint32_t i = 0; i < lod->vertex_count; i++) {
        lod->vertices[i].x = save_read_i32(r);
        lod->vertices[i].y = save_read_i32(r);
        lod->vertices[i].z = save_read_i32(r);
    }
    // Every face takes at least 8 bytes: a count the rest of the file cannot hold is
    // refused before anything is allocated for it.
    left = r->size - r->pos;
    if (static_cast<uint64_t>(lod->face_count) * FACE_BYTES > left) return MODEL_TRUNCATED;
    lod->faces = new (std::nothrow) model_face[lod->face_count ? lod->face_count : 1];
    if (!lod->faces) return MODEL_NO_MEMORY;
    for (uint32_t i = 0; i < lod->face_count; i++) {
        model_face& f = lod->faces[i];
        if (static_cast<uint64_t>(r->pos) + FACE_BYTES > r->size) return MODEL_TRUNCATED;
        f.a = save_read_u16(r);
        f.b = save_read_u16(r);
        f.c = save_read_u16(r);
        f.material = save_read_u8(r);
        f.flags = save_read_u8(r);
        if (f.flags & 1) {
            if (static_cast<uint64_t>(r->pos) + FACE_EXTRA_BYTES > r->size) return MODEL_TRUNCATED;
            for (uint32_t& w : f.extra) w = save_read_u32(r);
        } else {
            for (uint32_t& w : f.extra) w = 0;
        }
        // Drawing indexes the vertex array with these: an index past it is a broken file.
        if (f.a >= lod->vertex_count || f.b >= lod->vertex_count || f.c >= lod->vertex_count)
            return MODEL_NOT_MODEL;
    }
    return r->error ? MODEL_TRUNCATED : MODEL_OK;
}

void read_name(save_reader* r, char out[17]) {
    save_read_bytes(r, out, 16);
    out[16] = '\0';
}

int read_nodes(save_reader* r, model* m, uint16_t count) {
    if (static_cast<uint64_t>(r->pos) + static_cast<uint64_t>(count) * NODE_BYTES > r->size)
        return MODEL_TRUNCATED;
    if (count == 0) return MODEL_OK;
    m->nodes = new (std::nothrow) model_node[count];
    if (!m->nodes) return MODEL_NO_MEMORY;
    m->node_count = count;
    for (uint16_t i = 0; i < count; i++) {
        model_node& n = m->nodes[i];
        read_name(r, n.name);
        read_name(r, n.tag);
        n.position.x = save_read_i32(r);
        n.position.y = save_read_i32(r);
        n.position.z = save_read_i32(r);
        for (fix16& e : n.orientation.m) e = save_read_i32(r);
    }
    return r->error ? MODEL_TRUNCATED : MODEL_OK;
}

int load_levels(save_reader* r, model* m, uint16_t count) {
    m->levels = new (std::nothrow) model_lod[count];
    if (!m->levels) return MODEL_NO_MEMORY;
    m->level_count = count;
    for (uint16_t i = 0; i < count; i++) {
        m->levels[i] = model_lod{};
        m->levels[i].vertex_count = save_read_u32(r);
        m->levels[i].face_count = save_read_u32(r);
    }
    for (uint16_t i = 0; i < count; i++) {
        int rc = read_level(r, &m->levels[i]);
        if (rc != MODEL_OK) return rc;
    }
    return MODEL_OK;
}

} // namespace

void render_set_import(const render_import* imp) {
    g_import = imp ? *imp : render_import{};
}

int model_load(const uint8_t* data, uint32_t size, model* out) {
    *out = model{};
    if (!data || size < HEADER_BYTES) return MODEL_NOT_MODEL;
    save_reader r;
    save_reader_init(&r, data, size);
    if (save_read_u32(&r) != save_magic("FMDL")) return MODEL_NOT_MODEL;
    save_read_u16(&r);
    uint16_t levels = save_read_u16(&r);
    uint16_t nodes = save_read_u16(&r);
    save_read_u16(&r);
    if (HEADER_BYTES + uint64_t(DIRECTORY_ENTRY_BYTES) * levels > size) return MODEL_TRUNCATED;
    int rc = levels ? load_levels(&r, out, levels) : MODEL_OK;
    if (rc == MODEL_OK) rc = read_nodes(&r, out, nodes);
    if (rc != MODEL_OK) model_free(out);
    return rc;
}

void model_free(model* m) {
    if (!m) return;
    if (m->levels) {
        for (uint16_t i = 0; i < m->level_count; i++) {
            delete[] m->levels[i].vertices;
            delete[] m->levels[i].faces;
        }
        delete[] m->levels;
    }
    delete[] m->nodes;
    *m = model{};
}

vec3* compute_face_normals(const model_lod* lod) {
    vec3* normals = new (std::nothrow) vec3[lod->face_count ? lod->face_count : 1];
    if (!normals) return nullptr;
    for (uint32_t i = 0; i < lod->face_count; i++) {
        const model_face& f = lod->faces[i];
        if (f.a >= lod->vertex_count || f.b >= lod->vertex_count || f.c >= lod->vertex_count) {
            normals[i] = vec3{0, 0, 0};
            continue;
        }
        // Unit edges first, so the fix16 cross product stays in range.
        vec3 e1, e2, n;
        vec3_sub(&e1, &lod->vertices[f.b], &lod->vertices[f.a]);
        vec3_sub(&e2, &lod->vertices[f.c], &lod->vertices[f.a]);
        vec3_normalize(&e1, &e1);
        vec3_normalize(&e2, &e2);
        vec3_cross(&n, &e1, &e2);
        vec3_normalize(&normals[i], &n);
    }
    return normals;
}

int drawable_init(drawable* d, const fix16 distances[3]) {
    int levels = d->mdl.level_count;
    if (levels == 0) return 1;
    // A drawable has room for four levels; the game's files never have more.
    if (levels > DRAWABLE_MAX_LEVELS) return 0;
    for (int i = 0; i < levels; i++) {
        const model_lod& lod = d->mdl.levels[i];
        delete[] d->normals[i];
        d->normals[i] = compute_face_normals(&lod);
        if (!d->normals[i]) return 0;
        fix16 largest = 0;
        for (uint32_t v = 0; v < lod.vertex_count; v++) {
            fix16 len = vec3_length(&lod.vertices[v]);
            if (len > largest) largest = len;
        }
        d->radius[i] = wrap_add32(largest, FIX16_ONE);
    }
    for (int i = 1; i < levels; i++)
        d->switch_dist[i - 1] = int64_t(distances[i - 1]) * distances[i - 1];
    return 1;
}

void drawable_free(drawable* d) {
    for (vec3*& n : d->normals) {
        delete[] n;
        n = nullptr;
    }
    model_free(&d->mdl);
    *d = drawable{};
}

int drawable_pick_lod(const drawable* d, const space_pos* object, const space_pos* camera) {
    int64_t dx = fix32_narrow(wrap_sub64(object->x, camera->x));
    int64_t dy = fix32_narrow(wrap_sub64(object->y, camera->y));
    int64_t dz = fix32_narrow(wrap_sub64(object->z, camera->z));
    uint64_t sq = uint64_t(dx * dx) + uint64_t(dy * dy) + uint64_t(dz * dz);
    // A drawable keeps switch distances for at most four levels.
    int levels =
        d->mdl.level_count < DRAWABLE_MAX_LEVELS ? d->mdl.level_count : DRAWABLE_MAX_LEVELS;
    return select_lod(levels, d->switch_dist, static_cast<int64_t>(sq));
}

const char* const* detail_try_order(int level) {
    return DETAIL_ORDER[detail_index(level)];
}

const char* detail_name(int level) {
    return DETAIL_NAMES[detail_index(level)];
}

namespace {

// A variant that exists but cannot be used is named before the next one is tried, so a
// damaged file does not pass for a missing one. Missing variants stay silent.
void report_unusable(const char* path, const char* what, const char* why) {
    char line[400];
    std::snprintf(line, sizeof line, "  %s: %s (%s)\n", path, what, why);
    import_print(line);
}

void report_unreadable(const char* path) {
    const char* why = g_import.read_error ? g_import.read_error() : nullptr;
    if (why) report_unusable(path, "cannot be read", why);
}

void report_invalid(const char* path, int rc) {
    if (rc == MODEL_NO_MEMORY)
        report_unusable(path, "not loaded", "out of memory");
    else
        report_unusable(path, "invalid",
                        rc == MODEL_TRUNCATED   ? "truncated"
                        : rc == MODEL_NOT_MODEL ? "not a model file"
                                                : "levels of detail");
}

} // namespace

int load_drawable_detail(drawable* d, const char* base_path, int level, const fix16 distances[3]) {
    drawable_free(d);
    const char* const* order = detail_try_order(level);
    for (int i = 0; i < 4; i++) {
        char path[256];
        std::snprintf(path, sizeof path, "%s%s.model", base_path, order[i]);
        uint32_t size = 0;
        uint8_t* data = g_import.read_file ? g_import.read_file(path, &size) : nullptr;
        if (!data) {
            report_unreadable(path);
            continue;
        }
        int rc = model_load(data, size, &d->mdl);
        if (g_import.free_file) g_import.free_file(data);
        if (rc == MODEL_OK && drawable_init(d, distances) == 1) {
            char line[320];
            uint32_t tris = d->mdl.level_count ? d->mdl.levels[0].face_count : 0;
            std::snprintf(line, sizeof line, "  %s: %u tris\n", path, static_cast<unsigned>(tris));
            import_print(line);
            return 1;
        }
        report_invalid(path, rc);
        drawable_free(d);
    }
    return 0;
}

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
    import_print(line);
}

} // namespace

int load_detail_models(int level) {
    if (g_model_detail != 0 && g_model_detail == level) return 1;
    print_line("detail: %s\n", detail_name(level));
    g_model_detail = level;
    if (!load_drawable_detail(&g_hull, "PROGDIR:stihac", level, HULL_LOD_DIST)) {
        import_print("FAILED: could not load PROGDIR:stihac*.model\n");
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

void game_models_free() {
    for (drawable* d :
         {&g_hull, &g_dock, &g_transport, &g_station, &g_planet, &g_moon, &g_door_box})
        drawable_free(d);
    for (scene_slot& s : g_scene_slots) {
        drawable_free(&s.d);
        s = scene_slot{};
    }
    g_have_dock = g_have_planet = g_have_door_box = 0;
    g_model_detail = 0;
}

} // namespace vantrel
