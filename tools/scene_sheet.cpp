// scene_sheet: a contact sheet of each scene as the scene player draws it: every frame is
// drawn at 50 a second from the start, and one in a hundred (every 2 s) goes onto the sheet,
// four to a row, in its own colours (fades and flashes applied).
//
//   scene_sheet <game directory> <output directory> [scene ...]   (default: title intro lode)
//
// Writes <output>/<scene>.png and prints one line per sheet; exit 1 when a scene or the
// game's models cannot be loaded, or a sheet cannot be written.
#include <cstdio>
#include <png.h>
#include <string>
#include <vector>

#include "flight/flight_loop.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "scenes/scene_player.h"
#include "shell/graphics.h"
#include "shell/render_services.h"
#include "shell/services.h"
#include "shell/startup_assets.h"

using namespace vantrel;

namespace {

constexpr int TILE_W = SCENE_VIEW_WIDTH, TILE_H = SCENE_VIEW_HEIGHT, COLUMNS = 4;
constexpr uint32_t TILE_EVERY_MS = 2000, FRAME_MS = 20;

uint8_t g_frame[TILE_W * TILE_H];
int32_t g_depth[TILE_W * TILE_H];
depth_span g_spans[SPAN_CAPACITY];
scene_view g_view;

struct sheet {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

void add_tile(sheet* s, int index, const uint8_t* palette) {
    int x0 = index % COLUMNS * TILE_W, y0 = index / COLUMNS * TILE_H;
    for (int y = 0; y < TILE_H; y++)
        for (int x = 0; x < TILE_W; x++) {
            const uint8_t* c = palette + 3 * g_frame[y * TILE_W + x];
            uint8_t* out = &s->rgb[3 * (size_t(y0 + y) * s->width + x0 + x)];
            out[0] = c[0], out[1] = c[1], out[2] = c[2];
        }
}

bool write_png(const std::string& path, const sheet& s) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    std::vector<png_bytep> rows;
    for (int y = 0; y < s.height; y++)
        rows.push_back(const_cast<png_bytep>(&s.rgb[size_t(y) * s.width * 3]));
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, f);
        png_set_IHDR(png, info, s.width, s.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return std::fclose(f) == 0 && ok;
}

bool make_sheet(const char* name, const std::string& out_dir) {
    if (!scene_view_load(&g_view, name)) return false;
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, 3);
    scene_view_particles(&g_view, int(particles_mode_limit(g.particles)),
                         globe_detail_setting(g.detail));
    depth_frame_init(&g_depth_frame, g_view.near, g_view.focal);
    uint8_t palette[768], shown[768];
    scene_base_palette(palette);
    scene_view_palette(&g_view, palette);
    uint32_t duration = scene_period_ms(g_view.sc.duration);
    int tiles = int((duration + TILE_EVERY_MS - 1) / TILE_EVERY_MS);
    sheet s;
    s.width = COLUMNS * TILE_W;
    s.height = (tiles + COLUMNS - 1) / COLUMNS * TILE_H;
    s.rgb.assign(size_t(s.width) * s.height * 3, 0);
    for (uint32_t ms = 0; ms < duration; ms += FRAME_MS) {
        scene_view_frame(&g_view, g_frame, g_depth, g_spans, ms, ms ? FRAME_MS : 0,
                         g.shading == 2 ? SHADE_MATERIAL_LIT : SHADE_MATERIAL, palette);
        if (ms % TILE_EVERY_MS != 0) continue;
        scene_faded_palette(&g_view, ms, palette, shown);
        add_tile(&s, int(ms / TILE_EVERY_MS), shown);
    }
    scene_view_free(&g_view);
    std::string path = out_dir + "/" + name + ".png";
    if (!write_png(path, s)) {
        std::fprintf(stderr, "scene_sheet: could not write %s\n", path.c_str());
        return false;
    }
    std::printf("scene sheet: %s, %d frames every 2 s\n", path.c_str(), tiles);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: scene_sheet <game directory> <output directory> [scene ...]\n");
        return 2;
    }
    progdir_set(argv[1]);
    render_services_install();
    launch_options options;
    if (!startup_models(options)) return 1;
    cockpit_panel_load();
    startup_logo_and_music(1);
    static const char* const ALL[] = {"title", "intro", "lode"};
    const char* const* names = argc > 3 ? argv + 3 : ALL;
    int count = argc > 3 ? argc - 3 : 3;
    int failed = 0;
    for (int i = 0; i < count; i++) failed += !make_sheet(names[i], argv[2]);
    return failed ? 1 : 0;
}
