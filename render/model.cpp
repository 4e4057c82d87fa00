// model: the ".model" file (magic "FMDL"), levels of detail and drawables.
#include "render/model.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "core/save.h"
#include "render/import.h"
#include "render/transform.h"

namespace vantrel {

const fix16 LOD_FAR[3] = {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF};

namespace {

constexpr uint32_t HEADER_BYTES = 12;
constexpr uint32_t DIRECTORY_ENTRY_BYTES = 8;
constexpr uint32_t VERTEX_BYTES = 12;
constexpr uint32_t FACE_BYTES = 8;
constexpr uint32_t FACE_EXTRA_BYTES = 24;
constexpr uint32_t NODE_BYTES = 80;

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

namespace {

bool within_reach(const vec3& v, int32_t reach) {
    return v.x <= reach && v.x >= -reach && v.y <= reach && v.y >= -reach && v.z <= reach &&
           v.z >= -reach;
}

} // namespace

int64_t* compute_face_planes(const model_lod* lod, const vec3* normals) {
    for (uint32_t i = 0; i < lod->face_count; i++) {
        uint16_t a = lod->faces[i].a;
        if (a >= lod->vertex_count || !within_reach(lod->vertices[a], FACE_PLANE_REACH) ||
            !within_reach(normals[i], FACE_PLANE_NORMAL))
            return nullptr;
    }
    int64_t* planes = new (std::nothrow) int64_t[lod->face_count ? lod->face_count : 1];
    if (!planes) return nullptr;
    for (uint32_t i = 0; i < lod->face_count; i++) {
        const vec3& n = normals[i];
        const vec3& a = lod->vertices[lod->faces[i].a];
        planes[i] = int64_t{n.x} * a.x + int64_t{n.y} * a.y + int64_t{n.z} * a.z;
    }
    return planes;
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
        delete[] d->planes[i];
        d->planes[i] = compute_face_planes(&lod, d->normals[i]);
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
    for (int64_t*& p : d->planes) {
        delete[] p;
        p = nullptr;
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
    render_print(line);
}

void report_unreadable(const char* path) {
    const char* why = render_read_error();
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
        uint8_t* data = render_read_file(path, &size);
        if (!data) {
            report_unreadable(path);
            continue;
        }
        int rc = model_load(data, size, &d->mdl);
        render_free_file(data);
        if (rc == MODEL_OK && drawable_init(d, distances) == 1) {
            char line[320];
            uint32_t tris = d->mdl.level_count ? d->mdl.levels[0].face_count : 0;
            std::snprintf(line, sizeof line, "  %s: %u tris\n", path, static_cast<unsigned>(tris));
            render_print(line);
            return 1;
        }
        report_invalid(path, rc);
        drawable_free(d);
    }
    return 0;
}

} // namespace vantrel
