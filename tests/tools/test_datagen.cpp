// The asset builder's output: every built file read back with the game's own readers, the art's
// contracts with the modes that use it, the mesh checks, and reproducible bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "flight/cockpit_panel.h"
#include "render/globe.h"
#include "render/image8.h"
#include "tools/datagen/datagen.h"

namespace vantrel {
namespace {

std::vector<uint8_t> read_built(const std::string& name, const char* dir = VANTREL_GAME_DIR) {
    std::ifstream f(std::string(dir) + "/" + name, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

bool free_entry(int i) {
    return i == 88 || i == 89 || (i >= 130 && i <= 151);
}

image8 parse_image(const std::vector<uint8_t>& f) {
    image8 img{};
    EXPECT_EQ(image8_parse(f.data(), uint32_t(f.size()), &img), 1);
    return img;
}

TEST(BuiltImages, LogoUsesTheAnimatedBandsAndHasACentreMark) {
    auto f = read_built("logo.img8");
    image8 img = parse_image(f);
    ASSERT_GT(img.width, 0);
    EXPECT_LE(img.width, 316); // fits the title screen with the scene's 2-pixel margin
    long cx = 0, cy = 0, n = 0;
    std::set<int> bands_a, bands_b;
    for (int y = 0; y < img.height; y++) {
        for (int x = 0; x < img.width; x++) {
            int c = img.pixels[y * img.width + x];
            ASSERT_TRUE(c == 0 || (c >= 96 && c <= 194)) << c;
            if (c >= 192) {
                cx += x;
                cy += y;
                n++;
            } else if (c >= 144) {
                bands_b.insert((c - 144) / 3);
            } else if (c >= 96) {
                bands_a.insert((c - 96) / 3);
                // Bands run left to right: band k covers the k-th sixteenth of the width.
                EXPECT_EQ((c - 96) / 3, std::min(15, x * 16 / img.width));
            }
        }
    }
    EXPECT_EQ(bands_a.size(), 16u);
    EXPECT_EQ(bands_b.size(), 16u);
    ASSERT_GT(n, 0);
    EXPECT_NEAR(double(cx) / n, img.width / 2.0, 1.0); // the glint sits in the middle
    for (int i = 0; i < img.palette_count; i++) EXPECT_TRUE(free_entry(img.palette_first + i));
}

TEST(BuiltImages, CabinetHasOneScreenHoleOfColourZero) {
    auto f = read_built("automat34.img8");
    image8 img = parse_image(f);
    ASSERT_EQ(img.width, 320);
    ASSERT_EQ(img.height, 256);
    int x0 = 320, y0 = 256, x1 = -1, y1 = -1;
    long zeros = 0;
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 320; x++) {
            if (img.pixels[y * 320 + x] != 0) continue;
            zeros++;
            x0 = std::min(x0, x);
            y0 = std::min(y0, y);
            x1 = std::max(x1, x);
            y1 = std::max(y1, y);
        }
    }
    EXPECT_EQ(x1 - x0 + 1, 156);
    EXPECT_EQ(y1 - y0 + 1, 210);
    EXPECT_EQ(zeros, 156L * 210); // solid: no stray colour-0 pixel in the artwork
    for (int i = 0; i < img.palette_count; i++) EXPECT_TRUE(free_entry(img.palette_first + i));
    EXPECT_GT(img.palette_count, 0);

    auto g = read_built("logo_zorive.img8");
    image8 title = parse_image(g);
    EXPECT_LE(title.width, 320);
    EXPECT_LE(title.height, y0); // fits the marquee above the hole
    for (int i = 0; i < title.palette_count; i++) EXPECT_TRUE(free_entry(title.palette_first + i));
    // The title shares the cabinet's palette entries with the same colours, so applying both
    // in either order gives one picture.
    for (int i = 0; i < title.palette_count; i++) {
        int e = title.palette_first + i - img.palette_first;
        if (e >= 0 && e < img.palette_count) {
            EXPECT_EQ(std::memcmp(title.palette + 3 * i, img.palette + 3 * e, 3), 0);
        }
    }
}

TEST(BuiltGlobes, TexelsAreRampShadesAndTheEarthHasItsClasses) {
    for (const char* name : {"zeme.globe", "mesic.globe"}) {
        auto f = read_built(name);
        globe_texture t;
        ASSERT_EQ(globe_texture_parse(f.data(), uint32_t(f.size()), &t), 1) << name;
        int classes[6] = {0, 0, 0, 0, 0, 0};
        for (int i = 0; i < t.width * t.height; i++) {
            int c = t.pixels[i];
            ASSERT_GE(c, 152);
            ASSERT_LE(c, 199);
            classes[(c - 152) / 8]++;
        }
        if (std::strcmp(name, "zeme.globe") == 0) {
            EXPECT_EQ(t.radius, 4800u);
            int total = t.width * t.height;
            int ocean = classes[GLOBE_DEEP_OCEAN] + classes[GLOBE_SHALLOW];
            EXPECT_GT(ocean, total / 2); // most of the Earth is sea
            EXPECT_GT(classes[GLOBE_VEGETATION] + classes[GLOBE_DESERT], total / 10);
            EXPECT_GT(classes[GLOBE_ICE], total / 50);
            // North is up: the top row is polar ice, the equator row is not.
            int ice_top = 0, ice_mid = 0;
            for (int x = 0; x < t.width; x++) {
                ice_top += (t.pixels[x] - 152) / 8 == GLOBE_ICE;
                ice_mid += (t.pixels[(t.height / 2) * t.width + x] - 152) / 8 == GLOBE_ICE;
            }
            EXPECT_GT(ice_top, t.width / 2);
            EXPECT_LT(ice_mid, t.width / 10);
        } else {
            EXPECT_EQ(t.radius, 1300u);
            EXPECT_GT(classes[GLOBE_ICE], 0);      // highlands
            EXPECT_GT(classes[GLOBE_REGOLITH], 0); // maria
        }
    }
}

class BuiltPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        file = read_built("cockpit.cpt");
        ASSERT_EQ(cockpit_panel_parse(file.data(), uint32_t(file.size()), &p), 1);
    }
    std::vector<uint8_t> file;
    static cockpit_panel p;
};
cockpit_panel BuiltPanel::p;

TEST_F(BuiltPanel, BandsPaletteAndButtons) {
    EXPECT_EQ(p.width, 320);
    EXPECT_GE(p.first_colour, 130);
    EXPECT_LE(p.first_colour + p.colour_count, 152);
    EXPECT_GE(p.colour_count, 15); // the gauge and blip colours F + 12 .. F + 14
    const int bottom_y = 256 - p.bottom_rows;
    std::set<int> actions;
    for (int i = 0; i < p.button_count; i++) {
        const panel_button& b = p.buttons[i];
        actions.insert(b.action);
        EXPECT_LE(b.x0, b.x1);
        EXPECT_GE(b.x0, 0);
        EXPECT_LT(b.x1, p.width);
        bool top = b.y0 >= 0 && b.y1 < p.top_rows;
        bool bottom = b.y0 >= bottom_y && b.y1 < 256;
        EXPECT_TRUE(top || bottom) << "button " << int(b.action);
        // The lit image lights the button: most of its pixels change.
        int changed = 0, total = 0;
        for (int y = b.y0; y <= b.y1; y++) {
            int row = y < p.top_rows ? y : p.top_rows + (y - bottom_y);
            for (int x = b.x0; x <= b.x1; x++, total++)
                changed += p.normal[row * p.width + x] != p.lit[row * p.width + x];
        }
        EXPECT_GT(changed * 2, total) << "button " << int(b.action);
        // A click in its middle finds it.
        EXPECT_EQ(cockpit_panel_hit(&p, (b.x0 + b.x1) / 2, (b.y0 + b.y1) / 2), b.action);
    }
    for (int a = 0; a <= 14; a++) EXPECT_TRUE(actions.count(a)) << "action " << a;
    EXPECT_EQ(cockpit_panel_hit(&p, 160, 128), -1); // the 3D view is not a button
}

TEST_F(BuiltPanel, SpritesLieInsideOneBand) {
    const int rows = p.top_rows + p.bottom_rows;
    for (int i = 0; i < p.sprite_count; i++) {
        const panel_sprite& s = p.sprites[i];
        EXPECT_GE(s.x, 0);
        EXPECT_LE(s.x + s.w, p.width);
        bool top = s.y >= 0 && s.y + s.h <= p.top_rows;
        bool bottom = s.y >= p.top_rows && s.y + s.h <= rows;
        EXPECT_TRUE(top || bottom) << "sprite kind " << int(s.kind) << " index " << int(s.index);
    }
    for (int i = 0; i < 5; i++) EXPECT_NE(cockpit_panel_sprite(&p, 6, i), nullptr);
    for (int i = 0; i < 5; i++) EXPECT_NE(cockpit_panel_sprite(&p, 1, i), nullptr);
    for (int i = 0; i < 15; i++) EXPECT_NE(cockpit_panel_sprite(&p, 8, i), nullptr);
    for (int i = 0; i <= 10; i++) EXPECT_NE(cockpit_panel_sprite(&p, 4, i), nullptr);
    for (int i = 1; i <= 3; i++) EXPECT_NE(cockpit_panel_sprite(&p, 3, i), nullptr);
    EXPECT_NE(cockpit_panel_sprite(&p, 2, 0), nullptr);
    EXPECT_NE(cockpit_panel_sprite(&p, 2, 1), nullptr);
    // Gauge bars need a frame of some size: at least one pixel of bar at 2 %.
    for (int i = 0; i < 5; i++) {
        const panel_sprite* g = cockpit_panel_sprite(&p, 6, i);
        int m = g->h <= 4 ? 1 : g->h / 5;
        EXPECT_GE((g->w - 2 * m) * 2 / 100, 1);
        EXPECT_GT(g->h - 2 * m, 0);
    }
}

TEST_F(BuiltPanel, ReadoutsScopeAndStoresLandOnTheArtwork) {
    const panel_sprite* zero = cockpit_panel_sprite(&p, 8, 0);
    int advance = zero->w + (zero->w + 2) / 3;
    for (int r = 0; r < 2; r++) {
        int x = zero->param[2 * r], y = zero->param[2 * r + 1];
        EXPECT_GE(x, 0);
        EXPECT_LE(x + 9 * advance + zero->w, p.width); // ten characters fit
        EXPECT_GE(y, p.top_rows);
        EXPECT_LE(y + zero->h, p.top_rows + p.bottom_rows);
    }
    const panel_sprite* scope = cockpit_panel_sprite(&p, 7, 0);
    ASSERT_NE(scope, nullptr);
    // The scope's centre is inside it, and blips at the edge of the +-2048 m square land
    // inside its columns.
    EXPECT_GT(scope->param[0], scope->x);
    EXPECT_LT(scope->param[0], scope->x + scope->w);
    EXPECT_GT(scope->param[1], scope->y);
    EXPECT_LT(scope->param[1], scope->y + scope->h);
    for (int xz : {-1024, 1024}) {
        int X = scope->param[0] + ((xz * scope->param[2]) >> 10);
        int Y = scope->param[1] - ((xz * scope->param[3]) >> 10);
        EXPECT_GT(X - 1, scope->x);
        EXPECT_LT(X + 1, scope->x + scope->w);
        EXPECT_GE(Y, scope->y);
        EXPECT_LT(Y, scope->y + scope->h);
    }
    const panel_sprite* icon = cockpit_panel_sprite(&p, 3, 1);
    const panel_sprite* digit = cockpit_panel_sprite(&p, 4, 0);
    int step = icon->param[2] ? icon->param[2] : 8;
    EXPECT_GE(step, digit->w); // the two digits do not overlap
    EXPECT_LE(icon->param[0] + step + digit->w, p.width);
}

// ---------------------------------------------------------------- meshes
using datagen::dvec;
using datagen::mesh_check;
using datagen::mesh_face;

TEST(MeshCheck, CatchesOpenFlippedAndBrokenMeshes) {
    // A tetrahedron wound outward.
    std::vector<dvec> v = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    std::vector<mesh_face> f = {{0, 2, 1, 0}, {0, 1, 3, 0}, {0, 3, 2, 0}, {1, 2, 3, 0}};
    EXPECT_EQ(mesh_check(v, f), "");
    auto inside_out = f;
    for (auto& t : inside_out) std::swap(t.b, t.c);
    EXPECT_NE(mesh_check(v, inside_out), "");
    auto one_flipped = f;
    std::swap(one_flipped[1].b, one_flipped[1].c);
    EXPECT_NE(mesh_check(v, one_flipped), "");
    auto open = f;
    open.pop_back();
    EXPECT_NE(mesh_check(v, open), "");
    auto bad_material = f;
    bad_material[2].mat = 6;
    EXPECT_NE(mesh_check(v, bad_material), "");
    auto bad_index = f;
    bad_index[0].c = 4;
    EXPECT_NE(mesh_check(v, bad_index), "");
    auto flat = v;
    flat[3] = {0.5, 0.5, 0}; // every face of area zero or wound wrong
    EXPECT_NE(mesh_check(flat, f), "");
}

TEST(MeshCheck, PrimitivesAreClosedAndOutwardWherePlaced) {
    datagen::mesh m;
    datagen::add_box(m, {-1, -2, -3}, {1, 2, 3}, 0);
    datagen::add_lathe(m, {{0, -2}, {1, -1}, {1, 1}, {0.5, 2}}, 9, 1,
                       datagen::place_rot({5, 0, 0}, 30, 40, 50));
    datagen::add_torus(m, 4, 1, 12, 6, 2, datagen::place_rot({0, 9, 0}, -90, 0, 0));
    datagen::add_prism(m, {{-3, 0, 1}, {0, 0, 2}, {3, 0, 1}, {0, 0, -2}}, 0, 1, 3,
                       datagen::place({0, -9, 0}));
    datagen::add_pocket_box(m, {0, -10, -10}, {30, 10, 10}, 20, -3, 3, -4, 4, 0, 3, 5);
    EXPECT_EQ(mesh_check(m.verts, m.faces), "");
}

// The game's models in every variant: checked as built and as their file bytes describe them.
TEST(BuiltModels, EveryLevelPassesTheMeshChecksAndVariantsGrow) {
    datagen::globe_map earth;
    ASSERT_TRUE(datagen::build_earth_map("/usr/share/xplanet/images/earth.jpg", &earth));
    auto models = datagen::build_all_models(earth, datagen::build_moon_map());
    ASSERT_EQ(models.size() % 4, 0u);
    for (size_t i = 0; i < models.size(); i += 4) {
        size_t prev_faces = 0;
        for (int v = 0; v < 4; v++) {
            const datagen::model_asset& a = models[i + v];
            ASSERT_EQ(a.variant, v);
            ASSERT_GE(a.levels.size(), 2u);
            ASSERT_LE(a.levels.size(), 3u);
            EXPECT_GT(a.levels[0].m.faces.size(), prev_faces) << a.name << " variant " << v;
            prev_faces = a.levels[0].m.faces.size();
            for (size_t l = 0; l < a.levels.size(); l++) {
                const auto& m = a.levels[l].m;
                EXPECT_EQ(mesh_check(m.verts, m.faces), "") << a.name << v << " level " << l;
                EXPECT_LE(m.faces.size(), 16384u);
                if (l > 0) {
                    EXPECT_LE(m.faces.size(), a.levels[l - 1].m.faces.size()) << a.name;
                }
            }
        }
    }
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

constexpr const char* CZECH_CATALOG = "Catalogs/czech/vantrel.catalog";

TEST(BuiltCatalogs, StagedInLatin2OrNotAtAll) {
    auto staged = read_built(CZECH_CATALOG);
    std::string text(staged.begin(), staged.end());
    EXPECT_NE(text.find("\"Content-Type: text/plain; charset=ISO-8859-2\\n\""), std::string::npos);

    const std::string header =
        "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n";
    std::string out;
    ASSERT_TRUE(
        datagen::latin2_catalog(header + "msgctxt \"6\"\nmsgstr \"\xC5\x99\"\n", "ok", &out));
    EXPECT_NE(out.find("charset=ISO-8859-2\\n\"\nmsgctxt \"6\"\nmsgstr \"\xF8\"\n"),
              std::string::npos);
    // Refused: no ISO 8859-2 code, no charset to rename, escaped UTF-8 bytes that would change.
    for (const std::string& bad : {header + "msgctxt \"6\"\nmsgstr \"\xE2\x82\xAC\"\n",
                                   std::string("msgctxt \"6\"\nmsgstr \"x\"\n"),
                                   header + "msgctxt \"6\"\nmsgstr \"\\xC5\\x99\"\n"})
        EXPECT_FALSE(datagen::latin2_catalog(bad, "bad", &out)) << bad;
}

// Two fresh builds give the same bytes as each other and as the staged game data.
TEST(BuiltData, TwoBuildsGiveIdenticalBytes) {
    std::string base =
        std::string(::testing::TempDir()) + "vantrel_datagen_" + std::to_string(::getpid());
    std::string a = base + "_a", b = base + "_b";
    for (const std::string& dir : {a, b}) {
        std::string cmd = "mkdir -p '" + dir +
                          "' && '" VANTREL_DATAGEN "' '" VANTREL_SOURCE_DIR "/assets' '" + dir +
                          "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    const char* files[] = {"stihac.model",  "stihac_cz.model", "stanice_dock_lo.model",
                           "zeme_ul.model", "zeme.globe",      "mesic.globe",
                           "logo.img8",     "automat34.img8",  "logo_zorive.img8",
                           "cockpit.cpt",   CZECH_CATALOG};
    for (const char* f : files) {
        auto x = read_built(f, a.c_str());
        ASSERT_FALSE(x.empty()) << f;
        EXPECT_EQ(x, read_built(f, b.c_str())) << f;
        EXPECT_EQ(x, read_built(f)) << f;
    }
    std::system(("rm -rf '" + a + "' '" + b + "'").c_str());
}

} // namespace
} // namespace vantrel

#include "render/model.h"

namespace vantrel {
namespace {

struct model_expect {
    const char* name;
    double min_radius, max_radius; // metres, level 0
};
// Sizes the scenes rely on: the station sits well inside the orbit demo's 140 m circle (HUD
// radius 35 m), the dock complex has a HUD radius of 500 m, the freighter is 125 m long, the
// fighters and decoys about 8 m, the stand-ins match their globes.
const model_expect MODEL_EXPECT[] = {
    {"stihac", 4, 5.5},     {"station", 25, 35},         {"stanice_dock", 450, 530},
    {"transport", 60, 70},  {"bio_stihacka", 4.5, 7},    {"lehka_fregata", 20, 28},
    {"kriznik", 45, 60},    {"zeme", 4790, 4810},        {"mesic", 1290, 1310},
    {"missile_ir", 1, 1.4}, {"missile_radar", 1.4, 1.9}, {"bomb", 0.8, 1.2},
};

std::vector<datagen::dvec> to_metres(const model_lod& l) {
    std::vector<datagen::dvec> v;
    for (uint32_t i = 0; i < l.vertex_count; i++)
        v.push_back(
            {l.vertices[i].x / 65536.0, l.vertices[i].y / 65536.0, l.vertices[i].z / 65536.0});
    return v;
}

TEST(BuiltModels, EveryFileLoadsWithTheGameReaderAndPassesTheMeshChecks) {
    for (const model_expect& e : MODEL_EXPECT) {
        uint32_t prev_faces = 0;
        for (const char* suffix : datagen::VARIANT_SUFFIX) {
            std::string file = std::string(e.name) + suffix + ".model";
            auto bytes = read_built(file);
            ASSERT_FALSE(bytes.empty()) << file;
            static drawable d;
            d = drawable{};
            ASSERT_EQ(model_load(bytes.data(), uint32_t(bytes.size()), &d.mdl), MODEL_OK) << file;
            ASSERT_GE(d.mdl.level_count, 2) << file;
            ASSERT_LE(d.mdl.level_count, 3) << file;
            ASSERT_EQ(drawable_init(&d, LOD_FAR), 1) << file;
            EXPECT_GT(d.mdl.levels[0].face_count, prev_faces) << file;
            prev_faces = d.mdl.levels[0].face_count;
            for (int l = 0; l < d.mdl.level_count; l++) {
                const model_lod& lod = d.mdl.levels[l];
                std::vector<mesh_face> faces;
                for (uint32_t i = 0; i < lod.face_count; i++)
                    faces.push_back(
                        {lod.faces[i].a, lod.faces[i].b, lod.faces[i].c, lod.faces[i].material});
                EXPECT_EQ(mesh_check(to_metres(lod), faces), "") << file << " level " << l;
                EXPECT_LE(lod.vertex_count, 16384u);
                EXPECT_LE(lod.face_count, 16384u);
                // Every level keeps the object's size: a far level never grows or shrinks it much.
                double r = d.radius[l] / 65536.0 - 1.0;
                EXPECT_GE(r, e.min_radius * 0.9) << file << " level " << l;
                EXPECT_LE(r, e.max_radius) << file << " level " << l;
            }
            double r0 = d.radius[0] / 65536.0 - 1.0;
            EXPECT_GE(r0, e.min_radius) << file;
            drawable_free(&d);
        }
    }
}

TEST(BuiltModels, FighterCarriesItsPylonsUnderTheWings) {
    for (const char* suffix : datagen::VARIANT_SUFFIX) {
        auto bytes = read_built(std::string("stihac") + suffix + ".model");
        model m{};
        ASSERT_EQ(model_load(bytes.data(), uint32_t(bytes.size()), &m), MODEL_OK);
        ASSERT_GE(m.node_count, 2);
        for (int i = 0; i < m.node_count; i++) {
            EXPECT_EQ(std::string(m.nodes[i].name), "hp_pylon_" + std::to_string(i));
            EXPECT_LT(m.nodes[i].position.y, 0);               // below the wing
            EXPECT_GT(std::abs(m.nodes[i].position.x), 65536); // clear of the fuselage
            EXPECT_LT(std::abs(m.nodes[i].position.x), 4 * 65536);
            EXPECT_EQ(m.nodes[i].orientation, IDENTITY);
        }
        model_free(&m);
    }
}

// The dock's bay: the door boxes close the mouth at x = 510 and ships park inside at
// (482, -11, 0) after flying in along -x; nothing of the station may stand in that path.
TEST(BuiltModels, DockBayIsOpenAlongTheApproach) {
    auto bytes = read_built("stanice_dock_cz.model");
    model m{};
    ASSERT_EQ(model_load(bytes.data(), uint32_t(bytes.size()), &m), MODEL_OK);
    const model_lod& l = m.levels[0];
    // A ray from the parking spot outward along +x, and from the approach start inward, hits
    // no face: test every triangle against the segment (482, -11, 0) .. (1188, 60, 0) sampled
    // along the docking curve, with the fighter's half-size as a margin.
    auto hits = [&](datagen::dvec p, double margin) {
        for (uint32_t i = 0; i < l.face_count; i++) {
            const vec3* v[3] = {&l.vertices[l.faces[i].a], &l.vertices[l.faces[i].b],
                                &l.vertices[l.faces[i].c]};
            double lo[3] = {1e9, 1e9, 1e9}, hi[3] = {-1e9, -1e9, -1e9};
            for (const vec3* q : v) {
                double c[3] = {q->x / 65536.0, q->y / 65536.0, q->z / 65536.0};
                for (int k = 0; k < 3; k++) {
                    lo[k] = std::min(lo[k], c[k]);
                    hi[k] = std::max(hi[k], c[k]);
                }
            }
            double pc[3] = {p.x, p.y, p.z};
            bool inside = true;
            for (int k = 0; k < 3; k++)
                inside = inside && pc[k] >= lo[k] - margin && pc[k] <= hi[k] + margin;
            if (inside) return true;
        }
        return false;
    };
    for (int z : {-40, 0, 40}) {
        for (int step = 0; step <= 100; step++) {
            double u = step / 100.0, q = u * u;
            datagen::dvec p{482 + 706 * q, -11 + 71 * q, z * q};
            EXPECT_FALSE(hits(p, 2.0)) << "lane " << z << " at x " << p.x;
        }
    }
    model_free(&m);
}

} // namespace
} // namespace vantrel
