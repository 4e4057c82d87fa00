// datagen: the asset builder's shared pieces: output buffers, file writing and the generators.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/datagen/mesh.h"

namespace vantrel::datagen {

// A growing big-endian byte buffer.
struct bytes {
    std::vector<uint8_t> data;
    void u8(uint32_t v) { data.push_back(static_cast<uint8_t>(v)); }
    void u16(uint32_t v) {
        u8(v >> 8);
        u8(v);
    }
    void u32(uint32_t v) {
        u16(v >> 16);
        u16(v);
    }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void tag(const char* four) {
        for (int i = 0; i < 4; i++) u8(uint8_t(four[i]));
    }
    void raw(const uint8_t* p, size_t n) { data.insert(data.end(), p, p + n); }
    void raw(const std::vector<uint8_t>& v) { raw(v.data(), v.size()); }
};

// Writes the file only when its bytes differ, so unchanged outputs keep their time stamps.
bool write_file(const std::string& path, const std::vector<uint8_t>& data);
bool read_text(const std::string& path, std::string* out);
// An 8-bit RGB (channels 3) or RGBA (channels 4) PNG of rows of width x channels bytes.
bool write_png_pixels(const std::string& path, int width, int height, int channels,
                      const uint8_t* pixels);

// One level of a model as written: the mesh plus its nodes (nodes are kept from level 0).
struct model_level {
    mesh m;
};

struct model_asset {
    std::string name; // base name; variants add "_lo", "", "_ul", "_cz"
    int variant;      // 0 _lo, 1 none, 2 _ul, 3 _cz
    std::vector<model_level> levels;
    std::vector<mesh_node> nodes;
};

constexpr const char* VARIANT_SUFFIX[4] = {"_lo", "", "_ul", "_cz"};

std::vector<uint8_t> model_file_bytes(const model_asset& m);
// Every model of the game in every variant.
struct globe_map;
std::vector<model_asset> build_all_models(const globe_map& earth, const globe_map& moon);
// Fixed-point coordinate of a metre value.
int32_t to_fix16(double metres);

struct asset_context {
    std::string assets_dir;  // the source folder assets/
    std::string out_dir;     // the game folder (PROGDIR:)
    std::string earth_image; // the NASA Earth map
};

// Each generator writes its files into out_dir; false (with a message on stderr) on failure.
bool generate_models(const asset_context& c);
bool generate_globes(const asset_context& c);
bool generate_images(const asset_context& c);
bool generate_panel(const asset_context& c);
// Catalogs/<language>/vantrel.catalog from each assets/Catalogs/<language>/vantrel.po.
bool generate_catalogs(const asset_context& c);
// stars.catalog from assets/universe/stars.csv and bodies.csv; a bad row fails the build with
// "<file>:<line>: <reason>".
bool generate_stars(const asset_context& c);
// equipment.dat and commodities.dat from assets/tables/; needs the models built first, for
// it checks the model names. A bad line fails the build with "<file>:<line>: <reason>".
bool generate_tables(const asset_context& c);
// Scenes/<name>.scene from each assets/Scenes/<name>.scn; a bad line fails the build with
// "<file>:<line>: <reason>".
bool generate_scenes(const asset_context& c);
// Sfx/<name>.iff from each block of assets/sounds/effects.txt and music1.iff from
// assets/sounds/music1.txt; a bad line fails the build with "<file>:<line>: <reason>".
bool generate_sounds(const asset_context& c);
// The bytes of a scene file from the text of its source (path names it in messages).
bool scene_compile(std::string_view text, const std::string& path, std::vector<uint8_t>* out,
                   std::string* error);
// A UTF-8 PO source (name for messages) as the ISO 8859-2 catalog the game reads; false with a
// message on stderr when a character has no code there or the result would read differently.
bool latin2_catalog(const std::string& po, const std::string& name, std::string* out);

// Planet and moon texels, shared by the globes and the stand-in meshes.
struct globe_map {
    int width, height;
    uint32_t radius;
    std::vector<uint8_t> texels;
};
bool build_earth_map(const std::string& image_path, globe_map* out);
globe_map build_moon_map();

// <out dir>/<n>x<n>/vantrel.png for n = 48, 128, 256: the desktop icons, drawn from the
// built logo.img8 and Scenes/title.scene in the game directory.
bool write_icons(const std::string& game_dir, const std::string& out_dir);

// Previews: PNG sheets of the built files into dir.
bool write_previews(const std::string& game_dir, const std::string& assets_dir,
                    const std::string& out_dir);

} // namespace vantrel::datagen

namespace vantrel::datagen {

// Glyph art from a text source: "= c" starts the glyph of character c, the following lines are
// its rows ('#' set). Comment lines start with '#' followed by a space.
using glyph_set = std::vector<std::pair<char, std::vector<std::string>>>;
bool read_glyphs(const std::string& path, glyph_set* out);
const std::vector<std::string>* find_glyph(const glyph_set& set, char c);

// An 8-bit image as written to ".img8".
struct image8_art {
    int width, height;
    int first;                // first palette index carried
    std::vector<uint8_t> rgb; // count x 3
    std::vector<uint8_t> pixels;
};
std::vector<uint8_t> image8_bytes(const image8_art& img);
image8_art build_logo(const glyph_set& letters);
image8_art build_cabinet();
image8_art build_zorive_logo(const glyph_set& letters);

} // namespace vantrel::datagen

namespace vantrel::datagen {

// The cockpit panel as written to "cockpit.cpt".
struct panel_art {
    int width, top_rows, bottom_rows, first;
    std::vector<uint8_t> rgb;
    std::vector<uint8_t> normal, lit; // (top + bottom) x width, panel rows
    struct button {
        int action, x0, y0, x1, y1; // screen pixels, inclusive
    };
    struct sprite {
        int kind, index, x, y, w, h;
        int param[4];
        std::vector<uint8_t> pixels;
    };
    std::vector<button> buttons;
    std::vector<sprite> sprites;
};
constexpr int PANEL_SCREEN_HEIGHT = 256; // the flight screen the buttons are placed on
constexpr char PANEL_GLYPH_ORDER[] = "0123456789.:-SD";
bool build_panel(const std::string& assets_dir, panel_art* out);
std::vector<uint8_t> panel_bytes(const panel_art& p);

} // namespace vantrel::datagen
