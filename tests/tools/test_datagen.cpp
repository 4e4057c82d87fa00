// The asset builder's output: every built file read back with the game's own readers (the
// sounds with their headers, lengths, levels and loop seams), the art's contracts with the modes
// that use it, the mesh checks, the tracker's pitch, the recipes' refusals by line, and
// reproducible bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "flight/cockpit_panel.h"
#include "platform/iff8svx.h"
#include "render/globe.h"
#include "render/image8.h"
#include "render/model.h"
#include "scenes/scene.h"
#include "tools/datagen/datagen.h"
#include "tools/datagen/sounds.h"
#include "tools/datagen/stars.h"
#include "tools/datagen/tables.h"
#include "trade/equipment.h"
#include "universe/catalog3.h"

namespace vantrel {
namespace {

std::vector<uint8_t> read_built(const std::string& name, const char* dir = VANTREL_GAME_DIR) {
    std::ifstream f(std::string(dir) + "/" + name, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

std::string join(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

// The lines with line `line` (1-based; past the end appends) replaced by the lines of `text`.
std::vector<std::string> edited(std::vector<std::string> lines, size_t line,
                                const std::string& text) {
    std::vector<std::string> edit;
    for (size_t at = 0; at <= text.size();) {
        size_t end = std::min(text.find('\n', at), text.size());
        edit.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    auto where = lines.begin() + long(std::min(line - 1, lines.size()));
    if (line <= lines.size()) where = lines.erase(where);
    lines.insert(where, edit.begin(), edit.end());
    return lines;
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

// The arcade finds its screen as the cabinet's colour-0 hole (156 x 210 at 82,23).
TEST(BuiltImages, CabinetHasOneScreenHoleOfColourZero) {
    auto f = read_built("automat34.img8");
    image8 img = parse_image(f);
    ASSERT_EQ(img.width, 320);
    ASSERT_EQ(img.height, 256);
    long zeros = 0, outside = 0;
    for (int y = 0; y < 256; y++) {
        for (int x = 0; x < 320; x++) {
            if (img.pixels[y * 320 + x] != 0) continue;
            zeros++;
            outside += x < 82 || x >= 82 + 156 || y < 23 || y >= 23 + 210;
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(zeros, 156L * 210); // solid: no stray colour-0 pixel in the artwork
    for (int i = 0; i < img.palette_count; i++) EXPECT_TRUE(free_entry(img.palette_first + i));
    EXPECT_GT(img.palette_count, 0);

    auto g = read_built("logo_zorive.img8");
    image8 title = parse_image(g);
    EXPECT_LE(title.width, 320);
    EXPECT_LE(title.height, 23); // fits the marquee above the hole
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
    const int KINDS[][3] = {{6, 0, 4}, {1, 0, 4}, {8, 0, 14}, {4, 0, 10}, {3, 1, 3}, {2, 0, 1}};
    for (const auto& k : KINDS)
        for (int i = k[1]; i <= k[2]; i++)
            EXPECT_NE(cockpit_panel_sprite(&p, k[0], i), nullptr) << "kind " << k[0] << " " << i;
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
    const char* files[] = {"stihac.model",       "stihac_cz.model",   "stanice_dock_lo.model",
                           "zeme_ul.model",      "zeme.globe",        "mesic.globe",
                           "logo.img8",          "automat34.img8",    "logo_zorive.img8",
                           "cockpit.cpt",        CZECH_CATALOG,       "stars.catalog",
                           "equipment.dat",      "commodities.dat",   "Scenes/title.scene",
                           "Scenes/intro.scene", "Scenes/lode.scene", "music1.iff"};
    std::vector<std::string> names(std::begin(files), std::end(files));
    for (const char* sound : SFX_NAMES) names.push_back(std::string("Sfx/") + sound + ".iff");
    for (const std::string& f : names) {
        auto x = read_built(f, a.c_str());
        ASSERT_FALSE(x.empty()) << f;
        EXPECT_EQ(x, read_built(f, b.c_str())) << f;
        EXPECT_EQ(x, read_built(f)) << f;
    }
    std::system(("rm -rf '" + a + "' '" + b + "'").c_str());
}

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
                if (l > 0) {
                    EXPECT_LE(lod.face_count, d.mdl.levels[l - 1].face_count) << file;
                }
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
    // Every face's bounding box in metres, grown by the fighter's half-size (2 m).
    std::vector<std::array<double, 6>> boxes;
    for (uint32_t i = 0; i < l.face_count; i++) {
        std::array<double, 6> box = {1e9, 1e9, 1e9, -1e9, -1e9, -1e9};
        for (uint16_t v : {l.faces[i].a, l.faces[i].b, l.faces[i].c}) {
            const double c[3] = {l.vertices[v].x / 65536.0, l.vertices[v].y / 65536.0,
                                 l.vertices[v].z / 65536.0};
            for (int k = 0; k < 3; k++) {
                box[k] = std::min(box[k], c[k] - 2);
                box[k + 3] = std::max(box[k + 3], c[k] + 2);
            }
        }
        boxes.push_back(box);
    }
    // Points along the docking curve, from the parking spot out to the approach start
    // (1188, 60, z) on three lanes, lie in no face's box.
    for (int z : {-40, 0, 40}) {
        for (int step = 0; step <= 100; step++) {
            const double q = step * step / 10000.0, p[3] = {482 + 706 * q, -11 + 71 * q, z * q};
            for (const auto& box : boxes) {
                bool inside = true;
                for (int k = 0; k < 3; k++) inside = inside && p[k] >= box[k] && p[k] <= box[k + 3];
                ASSERT_FALSE(inside) << "lane " << z << " at x " << p[0];
            }
        }
    }
    model_free(&m);
}

// The stars recipe on tables of our own: every axis of the sky, a star just behind the Sun
// (x = -0.5 ly, the sector below zero), and the Sun with two planets and a moon.
const std::vector<std::string> STARS_CSV = {
    "# test stars",
    datagen::STARS_HEADER,
    "0,Sun,Sol,,,,,,,,G2V,-26.74,5772,1,1,test",
    "1000001,Axis X,Proxima,GJ 551,70890,12345,5853498713190525696,0,0,3261.56378,M5.5Ve,11.13,"
    "3042,0.00155,0.1542,test",
    "1000002,Axis Z,,,,,,90,0,3261.56378,K2.5V,,,,,test",
    "1000003,Pole,,,,,,123.4,90,1630.78189,DA2,,,,,test",
    "1000004,Behind,,,,,,180,0,6523.12756,G8IV,,,,,test",
};
const std::vector<std::string> BODIES_CSV = {
    datagen::BODIES_HEADER,
    "0,Earth,planet,,terran,1,,365.25,0,,100.46,1,6371,288,,23.44,23.9345,test",
    "0,Moon,moon,Earth,,,384400,27.3217,5.145,125.08,218.32,0.0123,1737.4,,,6.68,655.72,test",
    "0,Saturn,planet,,gas giant,9.5826,,10759.22,2.485,113.665,,95.16,58232,,1,26.73,-10.56,t",
};

int read_bytes(void* handle, uint32_t offset, void* dest, uint32_t length) {
    auto* file = static_cast<const std::vector<uint8_t>*>(handle);
    if (offset > file->size() || length > file->size() - offset) return 0;
    std::memcpy(dest, file->data() + offset, length);
    return 1;
}

std::string star_error(const std::vector<std::string>& stars,
                       const std::vector<std::string>& bodies) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(datagen::stars_catalog_bytes(join(stars), "stars.csv", join(bodies), "bodies.csv",
                                              &bytes, &error));
    return error;
}

TEST(StarsRecipe, EachBadRowStopsTheBuildWithItsFileLineAndReason) {
    struct bad_row {
        bool bodies;
        size_t line; // 1-based; past the end appends
        const char* text;
        const char* message;
    };
    const bad_row CASES[] = {
        {false, 4, "1000001,A,,,,,,1.2.3,0,1,M5V,,,,,",
         "stars.csv:4: ra: '1.2.3' is not a decimal number"},
        {false, 4, "1000001,A,,,,,,1,91,1,M5V,,,,,", "stars.csv:4: dec: 91 is outside -90..90"},
        {false, 4, "1000001,A,,,,,,1,0,1e3,M5V,,,,,",
         "stars.csv:4: parallax_mas: '1e3' is not a decimal number"},
        {false, 4, "1000001,A,,,,,,1,0,,M5V,,,,,", "stars.csv:4: parallax_mas: missing"},
        {false, 4, "1000001,A,,,,,,1,0,1,,,,,,", "stars.csv:4: spectral: missing"},
        {false, 4, "1000001,A,,,,,,1,0,1,sdM1,,,,,",
         "stars.csv:4: spectral: 'sdM1' does not start with O, B, A, F, G, K, M, D, L, T or Y"},
        {false, 4, "1000001,A,,,,-5,,1,0,1,M5V,,,,,",
         "stars.csv:4: hd: '-5' is not a whole number"},
        {false, 4, "5000,A,,,,,,1,0,1,M5V,,,,,",
         "stars.csv:4: id: 5000 is below 1000000 but not the star's HIP number"},
        {false, 4, "1000001,ABCDEFGHIJKLMNOPQRSTUVWX,,,,,,1,0,1,M5V,,,,,",
         "stars.csv:4: name: 'ABCDEFGHIJKLMNOPQRSTUVWX' is longer than 23 characters"},
        {false, 4, "1000001,A,,,,,,1,0,1,M5V,,,,", "stars.csv:4: expected 16 fields, found 15"},
        {false, 3, "0,Sun,,,,,,,,1,G2V,,,,,", "stars.csv:3: parallax_mas: the Sun (id 0) has none"},
        {false, 5, "1000001,B,,,,,,1,0,1,M5V,,,,,",
         "stars.csv:5: duplicate star id 1000001 (first on line 4)"},
        {true, 5, "77,X,planet,,,1,,1,,,,,,,,,,", "bodies.csv:5: star: unknown star id 77"},
        {true, 3, "0,Io,moon,Saturn,,,421700,1.77,,,,,,,,,,",
         "bodies.csv:3: parent: 'Saturn' comes later in the file"},
        {true, 5, "0,Io,moon,Moon,,,421700,1.77,,,,,,,,,,",
         "bodies.csv:5: parent: 'Moon' is a moon"},
        {true, 5, "1000001,Io,moon,Earth,,,421700,1.77,,,,,,,,,,",
         "bodies.csv:5: parent: 'Earth' belongs to another star"},
        {true, 5, "0,ABCDEFGHIJKLMNOPQRSTUVWXYZ012345,planet,,,1,,1,,,,,,,,,,",
         "bodies.csv:5: name: 'ABCDEFGHIJKLMNOPQRSTUVWXYZ012345' is longer than 31 characters"},
        {true, 5, "0,X,planet,,gas dwarf,1,,1,,,,,,,,,,",
         "bodies.csv:5: type: 'gas dwarf' is not a body type"},
        {true, 5, "0,X,planet,,,1,,1,,,,,,,2,,,", "bodies.csv:5: ring: '2' is outside 1..1"},
        {true, 5, "0,X,planet,,,1,1000,1,,,,,,,,,,",
         "bodies.csv:5: a_au and a_km: give one of them, not both"},
        {true, 5, "0,X,planet,,,1,,,,,,,,,,,,", "bodies.csv:5: period_d: missing"},
        {true, 5, "0,X,planet,,,1,,1,,,,0,,,,,,", "bodies.csv:5: mass_earth: 0 is not above 0"},
    };
    for (const bad_row& c : CASES) {
        auto stars = c.bodies ? STARS_CSV : edited(STARS_CSV, c.line, c.text);
        auto bodies = c.bodies ? edited(BODIES_CSV, c.line, c.text) : BODIES_CSV;
        EXPECT_EQ(star_error(stars, bodies), c.message) << c.text;
    }

    // The 64th body of one star, and a star in a 65th coarse cell (stars 3000 ly out, 5
    // degrees apart, all in cells of their own).
    std::vector<std::string> bodies = BODIES_CSV;
    for (int i = 0; i < 61; i++)
        bodies.push_back("0,P" + std::to_string(i) + ",planet,,,1,,1,,,,,,,,,,");
    EXPECT_EQ(star_error(STARS_CSV, bodies), "bodies.csv:65: star 0 has more than 63 bodies");
    std::vector<std::string> stars = {datagen::STARS_HEADER};
    for (int i = 0; i < 70; i++)
        stars.push_back(std::to_string(1000000 + i) + ",S," + ",,,,," + std::to_string(i * 5) +
                        ",0,1.08718793,M5V,,,,,");
    EXPECT_EQ(star_error(stars, {datagen::BODIES_HEADER}),
              "stars.csv:66: the star is in a coarse cell beyond the 64 the catalog may have");
}

TEST(StarsRecipe, SpectralTypesGiveClassAndKind) {
    const struct {
        const char* spectral;
        int cls, kind;
    } CASES[] = {{"G2V", 4, 0},  {"M5.5Ve", 6, 0}, {"K0III", 5, 2}, {"F5IV-V", 3, 1},
                 {"B8Ia", 1, 3}, {"A0I-II", 2, 3}, {"M9", 6, 0},    {"DA2", 2, 4},
                 {"T8.5", 6, 5}, {"Y0", 6, 5},     {"O9.5II", 0, 3}};
    for (const auto& c : CASES) {
        std::vector<catalog_entry> out;
        std::string error;
        std::string stars =
            join({datagen::STARS_HEADER, std::string("0,Sun,,,,,,,,,") + c.spectral + ",,,,,"});
        ASSERT_TRUE(
            datagen::stars_parse(stars, "s", join({datagen::BODIES_HEADER}), "b", &out, &error))
            << error;
        EXPECT_EQ(out[0].star.cls, c.cls) << c.spectral;
        EXPECT_EQ(out[0].star.kind, c.kind) << c.spectral;
    }
}

TEST(StarsRecipe, WrittenCatalogReadsBackAtTheRightPlacesWithTheRecords) {
    std::vector<uint8_t> file;
    std::string error;
    ASSERT_TRUE(
        datagen::stars_catalog_bytes(join(STARS_CSV), "s", join(BODIES_CSV), "b", &file, &error))
        << error;
    Catalog3 cat;
    Catalog3Cell cells[4];
    ASSERT_TRUE(catalog3_open(&cat, read_bytes, &file, cells, 4));
    EXPECT_EQ(cat.scale, 4);
    EXPECT_EQ(cat.count_a, 2u); // sectors
    EXPECT_EQ(cat.count_b, 5u); // stars
    Catalog3Sector behind;
    ASSERT_TRUE(catalog3_find_sector(&cat, -1, 0, 0, &behind)); // -0.5 ly rounds down
    EXPECT_EQ(behind.star_count, 1u);

    // Sector x = -1 first, then the Sun's sector in file order; 1 ly = 2^32.
    const fix32 LY = fix32(1) << 32;
    const struct {
        uint32_t id;
        fix32 pos[3];
        int cls, kind, flags;
    } EXPECT[] = {{1000004, {-LY / 2, 0, 0}, 4, 1, 1},
                  {0, {0, 0, 0}, 4, 0, 3},
                  {1000001, {LY, 0, 0}, 6, 0, 1},
                  {1000002, {0, 0, LY}, 5, 0, 1},
                  {1000003, {0, 2 * LY, 0}, 2, 4, 1}};
    fix32 centre[3] = {0, 0, 0};
    Catalog3Star got[8];
    ASSERT_EQ(catalog3_query_radius(&cat, centre, 10 << 16, got, 8), 5u);
    for (int i = 0; i < 5; i++) {
        const Catalog3Star& g = got[i];
        const auto& w = EXPECT[i];
        EXPECT_EQ(std::tie(g.id, g.pos[0], g.pos[1], g.pos[2], g.cls, g.kind, g.flags, g.detail),
                  std::make_tuple(w.id, w.pos[0], w.pos[1], w.pos[2], w.cls, w.kind, w.flags,
                                  uint32_t(i)))
            << i;
    }

    uint8_t scratch[4096];
    Catalog3SystemInfo info;
    Catalog3Tag tags[8];
    Catalog3Body b[4];
    ASSERT_TRUE(catalog3_read_detail(&cat, 2, &info, tags, 8, b, 4, scratch, sizeof scratch));
    EXPECT_STREQ(info.name, "Axis X");
    EXPECT_EQ(info.temperature, 3042);
    EXPECT_EQ(info.brightness, 256);  // 0.4 of a step: kept at one step, 0 is "not known"
    EXPECT_EQ(info.radius, 10 << 10); // 0.1542 * 64 = 9.87
    ASSERT_EQ(info.tag_count, 7);
    const int TYPES[7] = {1, 7, 9, 4, 5, 8, 3};
    const uint64_t VALUES[7] = {0, 0, 0, 70890, 12345, 5853498713190525696u, 1113 + 3000};
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(tags[i].type, TYPES[i]);
        EXPECT_EQ(tags[i].value, VALUES[i]);
    }
    EXPECT_STREQ(tags[2].text, "GJ 551");

    ASSERT_TRUE(catalog3_read_detail(&cat, 1, &info, tags, 8, b, 4, scratch, sizeof scratch));
    EXPECT_EQ(info.brightness, 65536);
    ASSERT_EQ(info.body_count, 3);
    // Hand-computed: orbit llround(Mm * 2^32), period round(days * 1440), inclination 255ths
    // of half a turn, node 256ths of a turn, phase = mean longitude - node in 2^16ths of a
    // turn (Saturn has none: its phase is the upper 16 bits of its hash), mass and radius
    // codes 96 + 32 log10 m and 150 + 50 log10 (r / 6371 km), tilt 255ths, spin in minutes.
    const struct {
        uint32_t id;
        int kind, parent, type;
        uint64_t orbit;
        uint32_t period;
        int incl, node, high, low, flags, mass, radius, temp, tilt, spin;
    } BODIES[] = {
        {1, 0, 255, 0, 642517962207737u, 525960, 0, 0, 0x47, 0x70, 1, 96, 150, 288, 33, 1436},
        {2, 1, 0, 12, 1650985428582u, 39343, 7, 89, 0x42, 0x40, 3, 35, 122, 0, 9, 39343},
        {3, 0, 255, 8, 6156992624651857u, 15493277, 4, 81, 0xF7, 0xF2, 0x83, 159, 198, 0, 38, -634},
    };
    for (int i = 0; i < 3; i++) {
        const auto& e = BODIES[i];
        const Catalog3Body& g = b[i];
        EXPECT_EQ(std::tie(g.id, g.kind, g.parent, g.type, g.orbit_mm, g.period, g.inclination,
                           g.node, g.phase_high, g.phase_low),
                  std::tie(e.id, e.kind, e.parent, e.type, e.orbit, e.period, e.incl, e.node,
                           e.high, e.low))
            << i;
        EXPECT_EQ(std::tie(g.flags, g.mass_code, g.radius_code, g.temperature, g.tilt, g.spin),
                  std::tie(e.flags, e.mass, e.radius, e.temp, e.tilt, e.spin))
            << i;
    }
    EXPECT_STREQ(b[1].name, "Moon");
}

// The staged catalog holds every star of the real tables where the tables put it.
TEST(StarsRecipe, BuiltCatalogHoldsEveryCsvStar) {
    std::string stars, bodies, error;
    std::string dir = VANTREL_SOURCE_DIR "/assets/universe/";
    ASSERT_TRUE(datagen::read_text(dir + "stars.csv", &stars));
    ASSERT_TRUE(datagen::read_text(dir + "bodies.csv", &bodies));
    std::vector<catalog_entry> want;
    ASSERT_TRUE(datagen::stars_parse(stars, "stars.csv", bodies, "bodies.csv", &want, &error))
        << error;
    auto file = read_built("stars.catalog");
    Catalog3 cat;
    Catalog3Cell cells[64];
    ASSERT_TRUE(catalog3_open(&cat, read_bytes, &file, cells, 64));
    fix32 centre[3] = {0, 0, 0}, far = 0;
    for (const catalog_entry& e : want)
        for (fix32 p : e.star.pos) far = std::max(far, p < 0 ? -p : p);
    ASSERT_LT(far >> 32, 200); // a few light years of neighbourhood, not the galaxy
    std::vector<Catalog3Star> got(want.size() + 1);
    fix16 radius = fix16(((far >> 32) * 2 + 8) << 16);
    ASSERT_EQ(catalog3_query_radius(&cat, centre, radius, got.data(), uint32_t(got.size())),
              want.size());
    std::vector<uint8_t> scratch(16384);
    for (const catalog_entry& e : want) {
        auto at = std::find_if(got.begin(), got.end(), [&](auto& s) { return s.id == e.star.id; });
        ASSERT_NE(at, got.end()) << e.star.id;
        // A star sits at the 4/65536 ly step at or below its place.
        for (int a = 0; a < 3; a++) EXPECT_EQ(at->pos[a], e.star.pos[a] & ~fix32(0x3FFFF));
        EXPECT_EQ(at->cls, e.star.cls);
        EXPECT_EQ(at->kind, e.star.kind);
        Catalog3SystemInfo info;
        Catalog3Tag tags[16];
        Catalog3Body b[64];
        ASSERT_TRUE(catalog3_read_detail(&cat, at->detail, &info, tags, 16, b, 64, scratch.data(),
                                         uint32_t(scratch.size())));
        EXPECT_STREQ(info.name, e.info.name);
        EXPECT_EQ(info.body_count, e.bodies.size());
    }
}

const std::vector<std::string> EQUIPMENT_TXT = {
    "[hulls]",
    "# id|Czech|English|model|hold t|tank t|pylons",
    "stihac|St\u00edha\u010d|Fighter|stihac|15|4|4",
    "[items]",
    "missile_ir|Raketa IR|IR missile|missile_ir|5|ir|-|0.3",
    "[paints]",
    "factory|Tov\u00e1rn\u00ed|Factory|#bec0c6|#c82823|0"};
const std::vector<std::string> COMMODITIES_TXT = {"[goods]", "food|Potraviny|Food|0"};

// The models the small tables above may name.
bool known_model(const std::string& m) {
    return m == "stihac" || m == "missile_ir";
}

std::string tables_error(const std::vector<std::string>& equipment,
                         const std::vector<std::string>& goods) {
    std::vector<uint8_t> bytes;
    std::string error;
    bool built = datagen::tables_equipment_bytes(join(equipment), "equipment.txt", known_model,
                                                 &bytes, &error) &&
                 datagen::tables_commodities_bytes(join(goods), "commodities.txt", &bytes, &error);
    EXPECT_FALSE(built);
    return error;
}

TEST(TablesRecipe, EachBadLineStopsTheBuildWithItsLineAndReason) {
    struct bad_line {
        bool goods;
        size_t line; // 1-based; past the end appends
        const char* text;
        const char* message;
    };
    const bad_line CASES[] = {
        {false, 3, "stihac|S|F|stihac|1.2.3|4|4",
         "equipment.txt:3: hold: '1.2.3' is not a decimal number"},
        {false, 3, "stihac|S|F|stihac|15|32767.5|4",
         "equipment.txt:3: tank: '32767.5' is outside 0..32767"},
        // 24 characters: 30 bytes of UTF-8 but 24 of ISO 8859-2, one too many.
        {false, 3,
         "stihac|P\u0159\u00edli\u0161 \u017elu\u0165ou\u010dk\u00fd "
         "k\u016f\u0148 \u00fap\u011b|F|stihac|15|4|4",
         "equipment.txt:3: czech: 'P\u0159\u00edli\u0161 \u017elu\u0165ou\u010dk\u00fd "
         "k\u016f\u0148 \u00fap\u011b' takes 24 bytes in ISO 8859-2, more than 23"},
        {false, 3, "stihac|S|F \u20ac|stihac|15|4|4",
         "equipment.txt:3: english: 'F \u20ac' is not UTF-8 with ISO 8859-2 characters only"},
        {false, 3, "Stihac|S|F|stihac|15|4|4",
         "equipment.txt:3: id: 'Stihac' may hold only a-z, 0-9 and _"},
        {false, 3, "stihac|S|F|stihak|15|4|4",
         "equipment.txt:3: model: no model 'stihak' is built"},
        {false, 4, "[weapons]", "equipment.txt:4: unknown section '[weapons]'"},
        {false, 5, "missile_ir|R|I|missile_ir|5|ir|-",
         "equipment.txt:5: expected 8 columns, found 7"},
        {false, 5, "missile_ir|R|I|missile_ir|0|ir|-|0.3",
         "equipment.txt:5: store: only a pylon store (kind 5) has a store type"},
        {false, 7, "factory|T|F|#bec0c|#c82823|0",
         "equipment.txt:7: main: '#bec0c' is not a colour #rrggbb"},
        {false, 8, "factory|T|F|#000000|#000000|0",
         "equipment.txt:8: id: 'factory' is already used on line 7"},
        {true, 2, "food|Potraviny|Food|3", "commodities.txt:2: class: '3' is outside 0..2"},
        {true, 1, "# [goods]", "commodities.txt:2: a record before the first section"},
    };
    for (const bad_line& c : CASES) {
        auto equipment = c.goods ? EQUIPMENT_TXT : edited(EQUIPMENT_TXT, c.line, c.text);
        auto goods = c.goods ? edited(COMMODITIES_TXT, c.line, c.text) : COMMODITIES_TXT;
        EXPECT_EQ(tables_error(equipment, goods), c.message) << c.text;
    }
    std::vector<std::string> equipment = EQUIPMENT_TXT;
    for (int i = 1; i <= 32; i++)
        equipment.insert(equipment.begin() + 2 + i, "h" + std::to_string(i) + "|S|F|-|1|1|0");
    EXPECT_EQ(tables_error(equipment, COMMODITIES_TXT), "equipment.txt:35: more than 32 hulls");
}

TEST(TablesRecipe, TonnesRoundOnceToTheNearestFix16AndLongNamesFit) {
    const struct {
        const char* text;
        uint32_t fix;
    } CASES[] = {{"15", 0x000F0000}, {"0.3", 19661},  {"007.50", 0x00078000},
                 {"0.000007", 0},    {"0.000008", 1}, {"32767", 0x7FFF0000}};
    for (const auto& c : CASES) {
        std::vector<std::string> equipment = EQUIPMENT_TXT;
        // 23 characters with their diacritics: fits the name field once in ISO 8859-2.
        equipment[2] = std::string("stihac|P\u0159\u00edli\u0161 \u017elu\u0165ou\u010dk\u00fd "
                                   "k\u016f\u0148 \u00fap|Fighter|stihac|") +
                       c.text + "|4|4";
        std::vector<uint8_t> f;
        std::string error;
        ASSERT_TRUE(datagen::tables_equipment_bytes(join(equipment), "e", nullptr, &f, &error))
            << error;
        EXPECT_EQ(uint32_t(f[92] << 24 | f[93] << 16 | f[94] << 8 | f[95]), c.fix) << c.text;
        // Stored in ISO 8859-2 with its NUL in the 24th byte.
        EXPECT_EQ(
            std::memcmp(&f[12 + 16], "P\xF8\xEDli\xB9 \xBElu\xBBou\xE8k\xFD k\xF9\xF2 \xFAp", 24),
            0);
    }
}

// The starting ship and the records the trade rules use, as the game reads them.
TEST(BuiltTables, TheGameReadsTheStartingShipAndTheRecords) {
    auto e = read_built("equipment.dat"), g = read_built("commodities.dat");
    ASSERT_EQ(e.size(), 12u + 5 * 90 + 9 * 92 + 6 * 70);
    ASSERT_EQ(g.size(), 8u + 12 * 70);
    static GameTables t;
    ASSERT_EQ(tables_parse_equipment(&t, e.data(), uint32_t(e.size())), 1);
    ASSERT_EQ(tables_parse_commodities(&t, g.data(), uint32_t(g.size())), 1);
    EXPECT_EQ(std::tie(t.hull_count, t.item_count, t.paint_count, t.commodity_count),
              std::make_tuple(5, 9, 6, 12));
    ASSERT_EQ(tables_hull(&t, "stihac"), 0);
    EXPECT_STREQ(t.hulls[0].names.czech, "St\xEDha\xE8"); // Stíhač in ISO 8859-2
    EXPECT_EQ(t.hulls[0].capacity, 15u << 16);
    EXPECT_EQ(t.hulls[0].tank, 4u << 16);
    EXPECT_EQ(t.hulls[0].pylons, 4);
    for (const char* id : {"beam_1mw", "cabin"}) EXPECT_NE(tables_item(&t, id), TABLES_NONE) << id;
    ASSERT_EQ(tables_item(&t, "missile_ir"), 6);
    EXPECT_EQ(t.items[6].kind, 5); // a pylon store
    EXPECT_EQ(t.items[6].kept, STORE_IR);
    EXPECT_EQ(t.items[6].mass, 19661u); // round(0.3 x 65536)
    const PaintEntry& factory = t.paints[0];
    EXPECT_STREQ(factory.names.id, "factory");
    EXPECT_EQ(factory.a, 0xBE18u); // #bec0c6: 23 << 11 | 48 << 5 | 24
    EXPECT_EQ(factory.b, 0);       // lights of livery block 0
    EXPECT_EQ(factory.c, 0xC944u); // #c82823: 25 << 11 | 10 << 5 | 4
    EXPECT_EQ(factory.d, 0);
    for (const char* id : {"food", "medicine"}) EXPECT_NE(tables_commodity(&t, id), TABLES_NONE);
    ASSERT_EQ(tables_commodity(&t, "weapons"), 10);
    EXPECT_EQ(t.goods[10].cls, 2); // hand weapons: contraband
}

struct scene_expect {
    const char* name;
    uint32_t duration_ms, fade_in_ms, fade_out_ms;
    uint8_t flags;
    std::set<std::pair<int, int>> clouds; // (style, arrive 3 / leave 4)
};
const scene_expect SCENE_EXPECT[] = {
    {"title", 40000, 600, 0, SCENE_LOOP | SCENE_SHOW_LOGO, {}},
    {"intro", 24000, 1000, 2000, 0, {{0, SCENE_EVENT_ARRIVE}}},
    {"lode", 36000, 1000, 1500, 0, {{2, SCENE_EVENT_ARRIVE}, {3, SCENE_EVENT_LEAVE}}},
};

// The forward axis (third column) of a track's orientation at a clip time, as the player turns it.
vec3 forward_at(const scene& s, uint32_t id, int64_t t) {
    anim_pose p;
    anim_track_sample(&p, anim_clip_find_track(&s.clip, id), t);
    mat3 m = p.orient;
    if (id != 0) mat3_mul(&m, &p.orient, &NOSE_X_TO_Z);
    return mat3_column(&m, 2);
}

TEST(BuiltScenes, LoadWithTheirTimesFlagsCloudsAndTracks) {
    for (const scene_expect& e : SCENE_EXPECT) {
        auto f = read_built(std::string("Scenes/") + e.name + ".scene");
        scene s;
        ASSERT_EQ(scene_load(&s, f.data(), uint32_t(f.size())), 1) << e.name;
        EXPECT_STREQ(s.name, e.name);
        EXPECT_EQ(std::make_tuple(scene_period_ms(s.duration), scene_period_ms(s.fade_in),
                                  scene_period_ms(s.fade_out), s.flags),
                  std::make_tuple(e.duration_ms, e.fade_in_ms, e.fade_out_ms, e.flags))
            << e.name;
        EXPECT_EQ(s.projection_depth, 2 << 16);
        EXPECT_EQ(s.focal_length, 280);
        std::set<std::pair<int, int>> clouds;
        for (int i = 0; i < s.event_count; i++)
            if (s.events[i].kind == SCENE_EVENT_ARRIVE || s.events[i].kind == SCENE_EVENT_LEAVE)
                clouds.insert({s.events[i].param, s.events[i].kind});
        EXPECT_EQ(clouds, e.clouds) << e.name;
        EXPECT_EQ(s.clip.track_count, s.object_count + 1u) << e.name;
        ASSERT_NE(anim_clip_find_track(&s.clip, 0), nullptr) << e.name;
        for (int i = 0; i < s.object_count; i++)
            EXPECT_NE(anim_clip_find_track(&s.clip, s.objects[i].id), nullptr) << e.name;
        if (std::strcmp(e.name, "title") == 0) {
            EXPECT_EQ(s.star_count, 200);
            EXPECT_EQ(s.star_drift_x, -163840); // -2.5 px/s
            EXPECT_EQ(s.menu_y, 128);
            EXPECT_EQ(s.logo_depth_factor, 328); // 0.005 rounded to nearest
            EXPECT_EQ(scene_period_ms(s.band2_period), 9000u);
            EXPECT_EQ(s.glint_rgb[1], 240);
            // The camera looks down +z; the cruiser, turned back by the player, flies along +x.
            EXPECT_EQ(forward_at(s, 0, 0), (vec3{0, 0, FIX16_ONE}));
            EXPECT_EQ(forward_at(s, 4, 0), (vec3{FIX16_ONE, 0, 0}));
        }
        scene_free(&s);
    }
}

std::string scene_error(const std::vector<std::string>& lines, size_t line,
                        const std::string& text) {
    std::string error;
    std::vector<uint8_t> out;
    return datagen::scene_compile(join(edited(lines, line, text)), "t.scn", &out, &error)
               ? "compiled"
               : error;
}

TEST(ScenesRecipe, EachBadLineStopsTheBuildWithItsLineAndReason) {
    const std::vector<std::string> BASE = {"scene t",
                                           "duration 10",
                                           "projection 2.0 280",
                                           "object 1 stihac",
                                           "object 2 @r model kriznik paint 2",
                                           "track 0",
                                           "key 0 at 0 0 0 face 0 0 1",
                                           "track 1",
                                           "key 0 at 0 0 50 face 1 0 0",
                                           "track 2",
                                           "key 2 at 10 0 50 look @1"};
    ASSERT_EQ(scene_error(BASE, 99, ""), "compiled");
    const std::string long_text(64, 'x');
    struct bad_line {
        size_t line; // 1-based; past the end appends
        std::string text, message;
    };
    const bad_line CASES[] = {
        {12, "wobble 3", "t.scn:12: unknown word 'wobble'"},
        {12, "stars 300 seed 1 drift 0 0", "t.scn:12: more than 256 stars"},
        {12, "event 1 arrive 1 style 4", "t.scn:12: style: 4 is outside 0..3"},
        {4, "object 0 stihac", "t.scn:4: object id 0 is the camera's"},
        {5, "object 1 @r model kriznik", "t.scn:5: object id 1 is already used on line 4"},
        {12, "event 1 destroy 9", "t.scn:12: destroy: no object 9"},
        {12, "track 9", "t.scn:12: track: no object 9"},
        {10, "# no track 2", "t.scn:5: object 2 has no track"},
        {12, "key 0.01 at 0 0 0", "t.scn:12: key time: 0.01 s is off the 20 ms grid"},
        {12, "key 1 at 10 0 50", "t.scn:12: key times go backwards"},
        {12, "key 4 at 0 0 30000.5", "t.scn:12: key: 30000.5 m is beyond 30 km"},
        {11, "key 2 at -20000 0 0 face 1 0 0\nkey 4 at 20000 0 0",
         "t.scn:12: more than 30 km from the key before"},
        {12, "key 4 at 10 0 50 face 1 0 0",
         "t.scn:12: turns more than 90 degrees from the key before"},
        {12, "caption 1 2 -1 255 255 255 \"" + long_text + "\"",
         "t.scn:12: caption: longer than 63 characters"},
        {12, "caption 1 2 -1 255 255 255 \"Stanice \xc3\xa1\"",
         "t.scn:12: caption: not printable ASCII"},
        {12, "event 1 arrive 1\nevent 2 leave 1\nevent 3 arrive 2 style 1",
         "t.scn:14: a third hyperspace cloud (style and direction) pair"},
        {12, "event 1 arrive 1\nevent 2 leave 1\nevent 3 cockpit 1",
         "t.scn:14: the cockpit leaves room for one hyperspace cloud pair"},
        {12, "event 3 cockpit 1\nevent 3 cockpit off",
         "t.scn:13: a cockpit event beside a second (line 12)"},
        {12, "logo\nevent 1 beam 1 2 1", "t.scn:13: no beams, clouds or cockpit in a logo scene"},
        {4, "object 1 zeme\nlogo", "t.scn:4: no globe in a logo scene"},
        {5, "object 2 @r model kriznik paint 5\nlogo", "t.scn:5: no paint 5-6 in a logo scene"},
    };
    for (const bad_line& c : CASES)
        EXPECT_EQ(scene_error(BASE, c.line, c.text), c.message) << c.text;
}

// ---------------------------------------------------------------- sounds
uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

struct expected_sound {
    const char* name;
    int ms;
    bool loop;
};
// The lengths the game's effects were designed around.
const expected_sound EXPECTED[] = {{"engine", 800, true},
                                   {"laser_beem", 1000, true},
                                   {"pulse_laser", 150, false},
                                   {"pulsegun", 120, false},
                                   {"pulse_shot", 80, false},
                                   {"plasma_pulse", 200, false},
                                   {"heavy_plasma_pulse", 350, false},
                                   {"mining_laser", 1000, true},
                                   {"heavy_mining_laser", 1000, true},
                                   {"hull1", 150, false},
                                   {"hull2", 250, false},
                                   {"alarm", 800, false},
                                   {"alarm2", 1200, false},
                                   {"explosion", 700, false},
                                   {"explosion2", 1100, false},
                                   {"explosion3", 1600, false},
                                   {"camera", 120, false},
                                   {"bell", 1200, false},
                                   {"music1", 19200, true}};

// Checks one file; returns whether its NAME or ANNO chunk has an odd length.
bool check_sound(const expected_sound& e, const std::vector<uint8_t>& file) {
    SCOPED_TRACE(e.name);
    iff8svx_sample s{};
    EXPECT_EQ(iff8svx_parse(file.data(), uint32_t(file.size()), &s), 1);
    if (!s.samples) return false;
    // VHDR first, as the writer puts it: one-shot or repeat length, one octave, no compression.
    EXPECT_EQ(std::string(file.begin() + 12, file.begin() + 16), "VHDR");
    EXPECT_EQ(std::make_tuple(be32(file, 16), be32(file, 20), be32(file, 24), be32(file, 28)),
              std::make_tuple(20u, e.loop ? 0 : s.length, e.loop ? s.length : 0, 0u));
    EXPECT_EQ(s.rate, 11025u);
    EXPECT_EQ(std::make_tuple(file[34], file[35], be32(file, 36)),
              std::make_tuple(uint8_t(1), uint8_t(0), 0x10000u));
    EXPECT_EQ(s.length % 2, 0u);
    if (std::string(e.name) == "music1") {
        EXPECT_GE(s.length, 16384u); // the player streams it in two 16 384-byte halves
    } else {
        EXPECT_LE(s.length, datagen::SOUND_MAX_BYTES);
    }
    EXPECT_NEAR(double(s.length) * 1000 / s.rate, e.ms, e.ms / 10.0);
    std::vector<int> v(s.samples, s.samples + s.length);
    int peak = 0;
    std::vector<int> steps;
    long sum = 0;
    for (size_t i = 0; i < v.size(); i++) {
        peak = std::max(peak, std::abs(v[i]));
        sum += v[i];
        if (i) steps.push_back(std::abs(v[i] - v[i - 1]));
    }
    EXPECT_GE(peak, 80);
    EXPECT_LE(peak, 120);
    EXPECT_LE(std::abs(double(sum) / v.size()), 2.0);
    if (e.loop) {
        // The seam steps no further than all but the largest hundredth of the steps inside:
        // a fade or a restarted wave at the loop point would.
        std::sort(steps.begin(), steps.end());
        EXPECT_LE(std::abs(v.front() - v.back()), steps[steps.size() * 99 / 100]);
    } else {
        EXPECT_EQ(v.front(), 0); // one-shots start and end in silence
        EXPECT_EQ(v.back(), 0);
    }
    uint32_t name_length = be32(file, 44),
             anno_length = be32(file, 48 + name_length + name_length % 2 + 4);
    return name_length % 2 || anno_length % 2;
}

TEST(BuiltSounds, EveryFileParsesWithItsHeaderLengthAndLevels) {
    ASSERT_EQ(std::size(EXPECTED), size_t(datagen::SOUND_BANK_SIZE) + 1);
    bool odd_chunk = false;
    for (size_t i = 0; i < std::size(EXPECTED); i++) {
        const expected_sound& e = EXPECTED[i];
        bool music = i == size_t(datagen::SOUND_BANK_SIZE);
        if (!music) {
            EXPECT_STREQ(e.name, SFX_NAMES[i]);
        }
        std::vector<uint8_t> file =
            read_built(music ? "music1.iff" : std::string("Sfx/") + e.name + ".iff");
        ASSERT_GT(file.size(), 48u) << e.name;
        odd_chunk = check_sound(e, file) || odd_chunk;
    }
    EXPECT_TRUE(odd_chunk); // the game's reader has walked a pad byte in real data
}

// One sine note of the tracker crosses zero at the note's frequency: A-4 440 Hz, E-5 an
// equal-tempered fifth above (659.26 Hz).
TEST(SoundsRecipe, TrackerNotesSoundAtTheirFrequencies) {
    for (auto [cell, hz] : {std::pair{"A-4", 440.0}, {"E-5", 659.255}, {"A-2", 110.0}}) {
        std::string text = "rate 11025\ntempo 60\nrows-per-beat 1\npeak 100\n"
                           "instrument s sine\ntracks s\npattern p\n" +
                           std::string(cell) + "\n---\n---\n---\norder p\n";
        datagen::music_recipe m;
        std::string error;
        ASSERT_TRUE(datagen::sound_read_music(text, "m.txt", &m, &error)) << error;
        std::vector<int8_t> v = datagen::music_render(m);
        ASSERT_EQ(v.size(), 44100u);
        int rises = 0;
        for (size_t i = 1; i < v.size(); i++) rises += v[i - 1] < 0 && v[i] >= 0;
        EXPECT_NEAR(rises / 4.0, hz, 1.0) << cell;
    }
}

TEST(SoundsRecipe, EachFaultNamesItsLine) {
    const std::string sound = "sound a\nrate 11025\nlength 100\npeak 100\n";
    const std::string effect = sound + "layer sine freq 440\n";
    const struct {
        bool music;
        std::string text;
        const char* message;
    } CASES[] = {
        {false, sound + "layer sine freq 6000\n",
         "f.txt:5: frequency: 6000 is outside 0.001..5512.5"},
        {false, sound + "layer sine freq 440 wobble 3\n", "f.txt:5: unknown layer key 'wobble'"},
        {false, sound + "layer sine freq 4.4.0\n", "f.txt:5: frequency: '4.4.0' is not a number"},
        {false, sound + "layer square freq 440 env 1 2\n", "f.txt:5: missing decay"},
        {false, sound + "layer sine\n", "f.txt:5: a layer needs its frequency ('freq')"},
        {false, "sound a\nrate 11025\nlength 100\n\nsound b\n",
         "f.txt:1: sound 'a' needs rate, length, peak and a layer"},
        {false, "rate 11025\n", "f.txt:1: 'rate' before the first 'sound'"},
        {false, effect + "sound a\n", "f.txt:6: sound 'a' is already on line 1"},
        {false, "sound a\nrate 11025\nlength 20000\npeak 100\nlayer sine freq 440\n",
         "f.txt:1: sound 'a' is 220500 samples long, outside 16..131070"},
        {true, "rate 11025\ntempo 100\nrows-per-beat 4\npeak 100\ninstrument s sine freq 3\n",
         "f.txt:5: 'freq' is not a key of an instrument"},
        {true, "rate 11025\ninstrument s sine\ntracks s s\npattern p\nA-4 H-4\n",
         "f.txt:5: 'H-4' is not a note, --- or ==="},
        {true, "rate 11025\ninstrument s sine\ntracks s\npattern p\nA-4 ---\n",
         "f.txt:5: 2 cells for 1 tracks"},
        {true, "rate 11025\ninstrument s sine\ntracks s\npattern p\nA-4\norder q\n",
         "f.txt:6: no pattern 'q'"},
        {true, "rate 11025\ntracks t\n", "f.txt:2: no instrument 't'"},
    };
    for (const auto& c : CASES) {
        std::string error;
        datagen::music_recipe m;
        std::vector<datagen::sound_recipe> effects;
        bool ok = c.music ? datagen::sound_read_music(c.text, "f.txt", &m, &error)
                          : datagen::sound_read_effects(c.text, "f.txt", &effects, &error);
        EXPECT_FALSE(ok) << c.text;
        EXPECT_EQ(error, c.message) << c.text;
    }
    std::string error;
    std::vector<datagen::sound_recipe> effects;
    EXPECT_TRUE(datagen::sound_read_effects(effect, "f.txt", &effects, &error)) << error;
}

} // namespace
} // namespace vantrel
