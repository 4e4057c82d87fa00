// Model files: loading, refusal of every truncation and of damaged bytes, drawables,
// levels of detail, detail variants and the scene model cache.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/save.h"
#include "render/import.h"
#include "render/model.h"
#include "shell/game_models.h"

namespace vantrel {
namespace {

constexpr fix16 ONE = FIX16_ONE;

struct face_spec {
    uint16_t a, b, c;
    uint8_t material, flags;
};

struct level_spec {
    std::vector<vec3> vertices;
    std::vector<face_spec> faces;
};

// Writes a model file field by field, the way the asset builder does.
std::vector<uint8_t> model_bytes(const std::vector<level_spec>& levels, int nodes) {
    std::vector<uint8_t> buf(65536);
    save_writer w;
    save_writer_init(&w, buf.data(), uint32_t(buf.size()));
    save_write_u32(&w, save_magic("FMDL"));
    save_write_u16(&w, 1);
    save_write_u16(&w, uint16_t(levels.size()));
    save_write_u16(&w, uint16_t(nodes));
    save_write_u16(&w, 0);
    for (auto& l : levels) {
        save_write_u32(&w, uint32_t(l.vertices.size()));
        save_write_u32(&w, uint32_t(l.faces.size()));
    }
    for (auto& l : levels) {
        for (auto& v : l.vertices) {
            save_write_i32(&w, v.x);
            save_write_i32(&w, v.y);
            save_write_i32(&w, v.z);
        }
        for (auto& f : l.faces) {
            save_write_u16(&w, f.a);
            save_write_u16(&w, f.b);
            save_write_u16(&w, f.c);
            save_write_u8(&w, f.material);
            save_write_u8(&w, f.flags);
            if (f.flags & 1)
                for (uint32_t k = 0; k < 6; k++) save_write_u32(&w, 0x01010101u * (k + 1));
        }
    }
    for (int n = 0; n < nodes; n++) {
        // A 16-character name fills its field with no terminator.
        const char* name = n == 0 ? "hp_pylon_1" : "abcdefghijklmnop";
        char field[16] = {};
        for (int i = 0; i < 16 && name[i]; i++) field[i] = name[i];
        save_write_bytes(&w, field, 16);
        char tag[16] = {'t', char('0' + n)};
        save_write_bytes(&w, tag, 16);
        for (int i = 0; i < 3; i++) save_write_i32(&w, (n + 1) * (i + 1) * ONE);
        for (int i = 0; i < 9; i++) save_write_i32(&w, IDENTITY.m[i]);
    }
    buf.resize(w.pos);
    return buf;
}

level_spec tetrahedron(fix16 size) {
    return level_spec{{{0, 0, 0}, {size, 0, 0}, {0, size, 0}, {0, 0, size}},
                      {{0, 2, 1, 0, 0}, {0, 1, 3, 1, 1}, {0, 3, 2, 2, 0}, {1, 2, 3, 5, 1}}};
}

std::vector<uint8_t> sample_file() {
    return model_bytes({tetrahedron(4 * ONE), tetrahedron(2 * ONE)}, 2);
}

// Loads from a heap copy of exactly `size` bytes, so the sanitizer sees any read past it.
int load_exact(const std::vector<uint8_t>& bytes, size_t size, model* m) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    std::copy(bytes.begin(), bytes.begin() + long(size), copy.get());
    return model_load(copy.get(), uint32_t(size), m);
}

TEST(ModelLoad, ReadsEveryField) {
    auto bytes = sample_file();
    model m;
    ASSERT_EQ(model_load(bytes.data(), uint32_t(bytes.size()), &m), MODEL_OK);
    ASSERT_EQ(m.level_count, 2);
    EXPECT_EQ(m.levels[0].vertex_count, 4u);
    EXPECT_EQ(m.levels[0].face_count, 4u);
    EXPECT_EQ(m.levels[0].vertices[1], (vec3{4 * ONE, 0, 0}));
    EXPECT_EQ(m.levels[1].vertices[3], (vec3{0, 0, 2 * ONE}));
    const model_face& f = m.levels[0].faces[1];
    EXPECT_EQ(std::tie(f.a, f.b, f.c, f.material, f.flags), std::make_tuple(0, 1, 3, 1, 1));
    EXPECT_EQ(f.extra[0], 0x01010101u);
    EXPECT_EQ(f.extra[5], 0x06060606u);
    EXPECT_EQ(m.levels[0].faces[0].extra[3], 0u);
    ASSERT_EQ(m.node_count, 2);
    EXPECT_STREQ(m.nodes[0].name, "hp_pylon_1");
    EXPECT_STREQ(m.nodes[1].name, "abcdefghijklmnop");
    EXPECT_STREQ(m.nodes[1].tag, "t1");
    EXPECT_EQ(m.nodes[1].position, (vec3{2 * ONE, 4 * ONE, 6 * ONE}));
    EXPECT_EQ(m.nodes[0].orientation, IDENTITY);
    model_free(&m);
    EXPECT_EQ(m.levels, nullptr);
    EXPECT_EQ(m.level_count, 0);
    model_free(nullptr);
}

TEST(ModelLoad, EveryTruncationIsRefusedAsTruncated) {
    auto bytes = sample_file();
    for (size_t size = 0; size < bytes.size(); size++) {
        model m;
        int rc = load_exact(bytes, size, &m);
        ASSERT_EQ(rc, size < 12 ? MODEL_NOT_MODEL : MODEL_TRUNCATED) << size;
        ASSERT_EQ(m.levels, nullptr);
        ASSERT_EQ(m.nodes, nullptr);
    }
    // Bytes after the last node are ignored.
    bytes.push_back(0xEE);
    model m;
    EXPECT_EQ(load_exact(bytes, bytes.size(), &m), MODEL_OK);
    model_free(&m);
}

TEST(ModelLoad, DamagedBytesNeverCrashOrLeaveBadIndices) {
    auto clean = sample_file();
    std::mt19937 rng(5);
    int loaded = 0;
    for (int i = 0; i < 20000; i++) {
        auto bytes = clean;
        int flips = 1 + int(rng() % 4);
        for (int k = 0; k < flips; k++) bytes[rng() % bytes.size()] ^= uint8_t(1 + rng() % 255);
        size_t size = (i % 3 == 0) ? rng() % (bytes.size() + 1) : bytes.size();
        model m;
        int rc = load_exact(bytes, size, &m);
        ASSERT_TRUE(rc >= MODEL_OK && rc <= MODEL_NO_MEMORY);
        if (rc != MODEL_OK) continue;
        loaded++;
        for (int l = 0; l < m.level_count; l++)
            for (uint32_t f = 0; f < m.levels[l].face_count; f++) {
                const model_face& face = m.levels[l].faces[f];
                ASSERT_LT(face.a, m.levels[l].vertex_count);
                ASSERT_LT(face.b, m.levels[l].vertex_count);
                ASSERT_LT(face.c, m.levels[l].vertex_count);
            }
        model_free(&m);
    }
    EXPECT_GT(loaded, 1000);
}

TEST(ModelLoad, SmallAndOddFiles) {
    model m;
    auto empty = model_bytes({}, 0);
    ASSERT_EQ(empty.size(), 12u);
    EXPECT_EQ(load_exact(empty, 12, &m), MODEL_OK);
    EXPECT_EQ(m.level_count, 0);
    EXPECT_EQ(m.node_count, 0);
    auto nodes_only = model_bytes({}, 1);
    EXPECT_EQ(load_exact(nodes_only, nodes_only.size() - 1, &m), MODEL_TRUNCATED);
    EXPECT_EQ(load_exact(nodes_only, nodes_only.size(), &m), MODEL_OK);
    EXPECT_EQ(m.node_count, 1);
    model_free(&m);

    auto bad_magic = sample_file();
    bad_magic[3] = 'X';
    EXPECT_EQ(load_exact(bad_magic, bad_magic.size(), &m), MODEL_NOT_MODEL);

    level_spec one = {{{0, 0, 0}, {ONE, 0, 0}, {0, ONE, 0}}, {{0, 1, 2, 0, 1}}};

    // A face naming a vertex the level does not have would be read past the array.
    level_spec broken = {{{0, 0, 0}, {ONE, 0, 0}, {0, ONE, 0}}, {{0, 1, 3, 0, 0}}};
    auto bad_index = model_bytes({broken}, 0);
    EXPECT_EQ(load_exact(bad_index, bad_index.size(), &m), MODEL_NOT_MODEL);
    EXPECT_EQ(m.levels, nullptr);

    // Huge counts with a short file are refused before anything is allocated for them.
    auto huge = model_bytes({one}, 0);
    huge[12] = huge[13] = 0x7F;
    EXPECT_EQ(load_exact(huge, huge.size(), &m), MODEL_TRUNCATED);
}

// Loads the levels into d's model and sets d up; 0 when the drawable refuses them.
int make_drawable(drawable* d, const std::vector<level_spec>& levels) {
    auto bytes = model_bytes(levels, 0);
    EXPECT_EQ(model_load(bytes.data(), uint32_t(bytes.size()), &d->mdl), MODEL_OK);
    return drawable_init(d, HULL_LOD_DIST);
}

TEST(Drawable, NormalsRadiusAndSwitchDistances) {
    drawable d = {};
    ASSERT_EQ(make_drawable(&d, {tetrahedron(4 * ONE), tetrahedron(2 * ONE), tetrahedron(ONE)}), 1);
    // Face 0 (0, 2, 1) lies in z = 0 and winds so its normal points down -z.
    EXPECT_EQ(d.normals[0][0], (vec3{0, 0, -ONE}));
    EXPECT_EQ(d.normals[0][1], (vec3{0, -ONE, 0}));
    EXPECT_EQ(d.radius[0], 5 * ONE);
    EXPECT_EQ(d.radius[2], 2 * ONE);
    EXPECT_EQ(d.switch_dist[0], int64_t(100 * ONE) * (100 * ONE));
    EXPECT_EQ(d.switch_dist[1], int64_t(300 * ONE) * (300 * ONE));

    // Exactly at a switch distance the farther level is used. Positions are narrowed by
    // 16 bits, so 100.0 is 100 << 32 position units.
    space_pos cam = {0, 0, 0};
    space_pos at = {int64_t(100) << 32, 0, 0};
    EXPECT_EQ(drawable_pick_lod(&d, &at, &cam), 1);
    at.x -= int64_t(1) << 16;
    EXPECT_EQ(drawable_pick_lod(&d, &at, &cam), 0);
    space_pos far = {0, int64_t(-5000) << 32, 0};
    EXPECT_EQ(drawable_pick_lod(&d, &far, &cam), 2);
    drawable_free(&d);

    ASSERT_EQ(make_drawable(&d, {tetrahedron(ONE)}), 1);
    EXPECT_EQ(drawable_pick_lod(&d, &far, &cam), 0);
    drawable_free(&d);
    EXPECT_EQ(make_drawable(&d, std::vector<level_spec>(5, tetrahedron(ONE))), 0); // five: too many
    drawable_free(&d);
}

// A file system in memory behind the renderer's import record, with a console transcript.
struct fake_files {
    static inline std::map<std::string, std::vector<uint8_t>> files;
    static inline std::string console;
    static inline int reads;
    static uint8_t* read(const char* path, uint32_t* size) {
        reads++;
        auto it = files.find(path);
        if (it == files.end()) return nullptr;
        uint8_t* copy = new uint8_t[it->second.size()];
        std::copy(it->second.begin(), it->second.end(), copy);
        *size = uint32_t(it->second.size());
        return copy;
    }
    static void free_file(uint8_t* p) { delete[] p; }
    static void print(const char* text) { console += text; }
    fake_files() {
        files.clear();
        console.clear();
        reads = 0;
        game_models_free();
        render_import imp = {read, free_file, print, nullptr};
        render_set_import(&imp);
    }
    ~fake_files() {
        game_models_free();
        render_set_import(nullptr);
    }
    static void add(const std::string& path, int faces) {
        level_spec l = tetrahedron(ONE);
        l.faces.resize(size_t(faces), face_spec{0, 1, 2, 0, 0});
        files[path] = model_bytes({l}, 0);
    }
};

TEST(Detail, TryOrdersPickTheFirstFileThatLoads) {
    fake_files fs;
    drawable d = {};
    fs.add("PROGDIR:x.model", 3);
    fs.add("PROGDIR:x_lo.model", 1);
    ASSERT_EQ(load_drawable_detail(&d, "PROGDIR:x", 3, LOD_FAR), 1);
    EXPECT_EQ(d.mdl.levels[0].face_count, 3u);
    EXPECT_EQ(fs.console, "  PROGDIR:x.model: 3 tris\n");
    ASSERT_EQ(load_drawable_detail(&d, "PROGDIR:x", 1, LOD_FAR), 1);
    EXPECT_EQ(d.mdl.levels[0].face_count, 1u);
    // A damaged variant is skipped for the next one.
    fs.files["PROGDIR:x_cz.model"] = {'F', 'M', 'D', 'L', 0, 0, 0, 9};
    fs.add("PROGDIR:x_ul.model", 2);
    ASSERT_EQ(load_drawable_detail(&d, "PROGDIR:x", 4, LOD_FAR), 1);
    EXPECT_EQ(d.mdl.levels[0].face_count, 2u);
    // Out-of-range levels use the middle level's order.
    ASSERT_EQ(load_drawable_detail(&d, "PROGDIR:x", 9, LOD_FAR), 1);
    EXPECT_EQ(d.mdl.levels[0].face_count, 3u);
    EXPECT_STREQ(detail_try_order(4)[2], "");
    EXPECT_EQ(load_drawable_detail(&d, "PROGDIR:none", 2, LOD_FAR), 0);
    EXPECT_EQ(d.mdl.levels, nullptr);
    drawable_free(&d);
}

TEST(Detail, VariantsThatExistButFailAreNamed) {
    fake_files fs;
    drawable d = {};
    fs.add("PROGDIR:x_lo.model", 2);
    fs.files["PROGDIR:x_lo.model"].pop_back();
    fs.files["PROGDIR:x_ul.model"] = {'F', 'M', 'D', 'L', 0, 0, 0, 9};
    EXPECT_EQ(load_drawable_detail(&d, "PROGDIR:x", 2, LOD_FAR), 0);
    EXPECT_EQ(fs.console, "  PROGDIR:x_lo.model: invalid (truncated)\n"
                          "  PROGDIR:x_ul.model: invalid (not a model file)\n");
}

TEST(Detail, GameModelsAndTheirConsoleLines) {
    fake_files fs;
    fs.add("PROGDIR:stihac_ul.model", 4);
    fs.add("PROGDIR:stanice_dock.model", 4);
    fs.add("PROGDIR:transport_lo.model", 4);
    fs.add("PROGDIR:zeme.model", 4);
    EXPECT_EQ(load_detail_models(3), 1);
    EXPECT_EQ(fs.console, "detail: ultra\n"
                          "  PROGDIR:stihac_ul.model: 4 tris\n"
                          "  PROGDIR:stanice_dock.model: 4 tris\n"
                          "  PROGDIR:transport_lo.model: 4 tris\n"
                          "dock demo models: loaded\n"
                          "  PROGDIR:zeme.model: 4 tris\n"
                          "test planet + moon: missing (zeme*.model, mesic*.model)\n");
    EXPECT_EQ(g_have_dock, 1);
    EXPECT_EQ(g_have_planet, 0);
    EXPECT_EQ(g_have_door_box, 1);
    EXPECT_EQ(g_door_box.mdl.levels[0].face_count, 12u);
    // Already loaded at this level: nothing happens.
    fs.console.clear();
    EXPECT_EQ(load_detail_models(3), 1);
    EXPECT_EQ(fs.console, "");
}

TEST(Detail, SceneModelCache) {
    fake_files fs;
    fs.add("PROGDIR:stihac.model", 2);
    ASSERT_EQ(load_detail_models(2), 1);
    EXPECT_EQ(scene_drawable(""), nullptr);
    EXPECT_EQ(scene_drawable("-anything"), nullptr);
    EXPECT_EQ(scene_drawable("stihac"), &g_hull);
    EXPECT_EQ(scene_drawable("station"), &g_station);
    EXPECT_EQ(scene_drawable("transport"), nullptr); // no dock models
    for (int i = 0; i < 9; i++) fs.add("PROGDIR:prop" + std::to_string(i) + ".model", 1 + i);
    drawable* slots[9];
    for (int i = 0; i < 8; i++) {
        slots[i] = scene_drawable(("prop" + std::to_string(i)).c_str());
        ASSERT_NE(slots[i], nullptr);
        EXPECT_EQ(slots[i]->mdl.levels[0].face_count, uint32_t(1 + i));
    }
    int reads = fs.reads;
    EXPECT_EQ(scene_drawable("prop3"), slots[3]); // a hit reads nothing
    EXPECT_EQ(fs.reads, reads);
    // The ninth name takes the last slot.
    slots[8] = scene_drawable("prop8");
    EXPECT_EQ(slots[8], slots[7]);
    EXPECT_EQ(slots[8]->mdl.levels[0].face_count, 9u);
    EXPECT_EQ(scene_drawable("prop0"), slots[0]);
    fs.console.clear();
    EXPECT_EQ(scene_drawable("ghost"), nullptr);
    EXPECT_EQ(fs.console, "scene model ghost: missing\n");
    reads = fs.reads;
    EXPECT_EQ(scene_drawable("ghost"), nullptr); // remembered as failed
    EXPECT_EQ(fs.reads, reads);
}

TEST(Detail, SceneModelsSwitchLevelByTheirSize) {
    fake_files fs;
    fs.add("PROGDIR:stihac.model", 2);
    ASSERT_EQ(load_detail_models(2), 1);
    fs.files["PROGDIR:big.model"] =
        model_bytes({tetrahedron(-3 * ONE), tetrahedron(ONE), tetrahedron(ONE)}, 0);
    fs.files["PROGDIR:tiny.model"] = model_bytes({tetrahedron(ONE / 4), tetrahedron(ONE)}, 0);
    fs.files["PROGDIR:huge.model"] = model_bytes({tetrahedron(2000 * ONE), tetrahedron(ONE)}, 0);
    drawable* big = scene_drawable("big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->switch_dist[0], int64_t(36 * ONE) * (36 * ONE));
    EXPECT_EQ(big->switch_dist[1], int64_t(120 * ONE) * (120 * ONE));
    EXPECT_EQ(scene_drawable("tiny")->switch_dist[0], int64_t(12 * ONE) * (12 * ONE));
    EXPECT_EQ(scene_drawable("huge")->switch_dist[0], int64_t(9600 * ONE) * (9600 * ONE));
}

} // namespace
} // namespace vantrel
