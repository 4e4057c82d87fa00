// previews: PNG sheets of the built data, so that the art can be looked at without the game.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "flight/cockpit_panel.h"
#include "render/globe.h"
#include "render/model.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "render/span.h"
#include "tools/datagen/datagen.h"
#include "tools/datagen/sounds.h"

namespace vantrel::datagen {

namespace {

struct rgb {
    uint8_t r, g, b;
};

// The game palette's fixed parts that the previews need (ramps, grey, liveries, panel colours).
struct palette {
    rgb c[256]{};
};

palette game_palette() {
    build_game_palette();
    palette p;
    for (int i = 0; i < 256; i++)
        p.c[i] = {g_game_palette[3 * i], g_game_palette[3 * i + 1], g_game_palette[3 * i + 2]};
    return p;
}

struct canvas {
    int w, h;
    std::vector<uint8_t> px; // palette indices
    canvas(int w_, int h_, uint8_t fill = 0) : w(w_), h(h_), px(size_t(w_) * h_, fill) {}
    void put(int x, int y, uint8_t c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c;
    }
    void blit(const canvas& s, int x0, int y0, int scale = 1) {
        for (int y = 0; y < s.h * scale; y++)
            for (int x = 0; x < s.w * scale; x++)
                put(x0 + x, y0 + y, s.px[size_t(y / scale) * s.w + x / scale]);
    }
};

bool write_png(const std::string& path, const canvas& c, const palette& pal) {
    std::vector<uint8_t> pixels;
    pixels.reserve(c.px.size() * 3);
    for (uint8_t index : c.px) {
        const rgb& v = pal.c[index];
        pixels.insert(pixels.end(), {v.r, v.g, v.b});
    }
    return write_png_pixels(path, c.w, c.h, 3, pixels.data());
}

// ---------------------------------------------------------------- model previews
// Each model file read back with the game's loader and drawn by the game's renderer (material
// shading lit by a light up and to the left, livery block 0; the planet and moon on the ramps
// the flight draws their stand-ins with) on a 320 x 256 frame. The game's near plane is 25 m,
// so small objects are framed with a longer focal length rather than a closer camera.
bool read_bytes(const std::string& path, std::vector<uint8_t>* out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    int ch;
    while ((ch = std::fgetc(f)) != EOF) out->push_back(uint8_t(ch));
    std::fclose(f);
    return true;
}

void draw_view(canvas& c, const drawable& d, int level, dvec dir, int base) {
    static std::vector<int32_t> depth;
    static depth_span spans[SPAN_CAPACITY];
    depth.assign(size_t(c.w) * c.h, 0);
    double r = d.radius[0] / 65536.0;
    double dist = std::max(2.6 * r, 30.0 + 1.6 * r);
    double focal = c.h * 0.62 * dist / r;
    view_projection vp =
        view_projection_make(c.w, c.h, fix16(std::lround(focal * 65536)), VIEW_NEAR);
    frustum_slopes slopes;
    make_frustum_slopes(&slopes, &vp);
    depth_frame_init(&g_depth_frame, vp.near, vp.focal);
    depth_frame_begin(&g_depth_frame, depth.data(), uint32_t(depth.size()));
    dvec eye = dir * (dist / length(dir));
    render_pose object = {{0, 0, 0}, IDENTITY};
    render_pose camera = {};
    camera.pos = space_pos{int64_t(std::llround(eye.x * 4294967296.0)),
                           int64_t(std::llround(eye.y * 4294967296.0)),
                           int64_t(std::llround(eye.z * 4294967296.0))};
    vec3 look = {fix16(std::lround(-eye.x * 256)), fix16(std::lround(-eye.y * 256)),
                 fix16(std::lround(-eye.z * 256))};
    vec3 up = {0, 65536, 0};
    if (std::fabs(dir.y) > 0.95 * length(dir)) up = {0, 0, 65536};
    mat3_look_at(&camera.orient, &look, &up);
    vec3 light = {fix16(-0.5 * dist * 65536), fix16(0.7 * dist * 65536), 0};
    const model_lod& lod = d.mdl.levels[level];
    draw_model(c.px.data(), depth.data(), c.w, c.h, &lod, d.normals[level], d.radius[level],
               &object, &camera, &vp, &slopes, SHADE_MATERIAL_LIT, &light, uint8_t(base), 8, spans);
}

bool model_sheets(const std::string& game_dir, const std::string& out, const palette& pal) {
    const char* NAMES[] = {"stihac",       "station",       "stanice_dock",  "transport",
                           "bio_stihacka", "lehka_fregata", "kriznik",       "zeme",
                           "mesic",        "missile_ir",    "missile_radar", "bomb"};
    const dvec views[3] = {{1.0, 0.55, 1.25}, {1.0, 0.12, 0.0}, {-0.9, 1.1, -1.0}};
    const int CW = 320, CH = 256;
    for (const char* name : NAMES) {
        for (int v = 0; v < 4; v++) {
            std::string file = std::string(name) + VARIANT_SUFFIX[v] + ".model";
            std::vector<uint8_t> bytes;
            static drawable d;
            d = drawable{};
            if (!read_bytes(game_dir + "/" + file, &bytes) ||
                model_load(bytes.data(), uint32_t(bytes.size()), &d.mdl) != MODEL_OK ||
                !drawable_init(&d, LOD_FAR)) {
                std::fprintf(stderr, "datagen: %s does not load\n", file.c_str());
                drawable_free(&d);
                return false;
            }
            int base = std::strcmp(name, "zeme") == 0    ? 152
                       : std::strcmp(name, "mesic") == 0 ? 176
                                                         : 16;
            int rows = d.mdl.level_count;
            canvas sheet(3 * CW + 4, rows * (CH + 2) - 2, 1);
            for (int row = 0; row < rows; row++) {
                for (int k = 0; k < 3; k++) {
                    canvas cell(CW, CH, 0);
                    draw_view(cell, d, row, views[k], base);
                    sheet.blit(cell, k * (CW + 2), row * (CH + 2));
                }
            }
            drawable_free(&d);
            if (!write_png(out + "/model_" + name + VARIANT_SUFFIX[v] + ".png", sheet, pal))
                return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------- image previews
// The images as the game shows them: their own palette over the game palette; the logo with
// its animated colours frozen at one moment (a bright band over a blue-gold base).
void apply_image_palette(palette& pal, const image8_art& img) {
    for (size_t i = 0; i < img.rgb.size() / 3; i++)
        pal.c[img.first + i] = {img.rgb[3 * i], img.rgb[3 * i + 1], img.rgb[3 * i + 2]};
}

canvas image_canvas(const image8_art& img) {
    canvas c(img.width, img.height, 0);
    c.px = img.pixels;
    return c;
}

// A strip of the palette entries an image carries, 8 pixels per colour.
void palette_strip(canvas& sheet, int x0, int y0, int first, int count) {
    for (int i = 0; i < count; i++)
        for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++)
                sheet.put(x0 + 9 * (i % 32) + x, y0 + 9 * (i / 32) + y, uint8_t(first + i));
}

bool image_sheets(const std::string& assets, const std::string& out, palette pal) {
    glyph_set vantrel, zorive;
    if (!read_glyphs(assets + "/images/vantrel_letters.txt", &vantrel)) return false;
    if (!read_glyphs(assets + "/images/zorive_letters.txt", &zorive)) return false;
    image8_art logo = build_logo(vantrel), cab = build_cabinet(), title = build_zorive_logo(zorive);
    // Logo: band A (faces) blue-white with a highlight at bands 5-7, band B (outline) gold.
    palette lp = pal;
    const int level[3] = {90, 166, 256};
    for (int k = 0; k < 16; k++) {
        int ia = std::max(0, 256 - std::abs(k - 6) * 85);
        for (int j = 0; j < 3; j++) {
            auto sc = [&](int base, int boost) {
                return uint8_t(std::min(255, (base + (255 - base) * boost / 256) * level[j] >> 8));
            };
            lp.c[96 + 3 * k + j] = {sc(70, ia), sc(130, ia), sc(230, ia)};
            lp.c[144 + 3 * k + j] = {sc(230, 0), sc(170, 0), sc(40, 0)};
        }
    }
    for (int j = 0; j < 3; j++)
        lp.c[192 + j] = {uint8_t(255 * level[j] >> 8), uint8_t(240 * level[j] >> 8),
                         uint8_t(200 * level[j] >> 8)};
    lp.c[1] = {8, 8, 20};
    canvas ls(logo.width * 2 + 8, logo.height * 2 + 8, 1);
    canvas lc = image_canvas(logo);
    for (auto& v : lc.px)
        if (v == 0) v = 1;
    ls.blit(lc, 4, 4, 2);
    if (!write_png(out + "/image_logo.png", ls, lp)) return false;
    // Cabinet with the arcade title in its marquee (as the arcade screen composes them).
    palette cp = pal;
    apply_image_palette(cp, cab);
    apply_image_palette(cp, title);
    canvas cc = image_canvas(cab);
    canvas tc = image_canvas(title);
    int tx = (320 - title.width) / 2, ty = (23 - title.height) / 2;
    for (int y = 0; y < title.height; y++)
        for (int x = 0; x < title.width; x++)
            if (tc.px[size_t(y) * title.width + x])
                cc.put(tx + x, ty + y, tc.px[size_t(y) * title.width + x]);
    canvas cs(320 * 2 + 8, 256 * 2 + 40, 1);
    cs.blit(cc, 4, 4, 2);
    palette_strip(cs, 4, 256 * 2 + 12, 130, 22);
    if (!write_png(out + "/image_automat34.png", cs, cp)) return false;
    canvas ts(title.width * 4 + 8, title.height * 4 + 8, 1);
    ts.blit(tc, 4, 4, 4);
    return write_png(out + "/image_logo_zorive.png", ts, cp);
}

// ---------------------------------------------------------------- panel previews
// The panel file read back with the game's parser and laid on a 320 x 256 screen: once as at
// rest (sample gauges, readouts, scope blips and stores) and once with every button lit.
bool panel_sheet(const std::string& game_dir, const std::string& out, palette pal) {
    std::vector<uint8_t> file;
    {
        FILE* f = std::fopen((game_dir + "/cockpit.cpt").c_str(), "rb");
        if (!f) return false;
        int ch;
        while ((ch = std::fgetc(f)) != EOF) file.push_back(uint8_t(ch));
        std::fclose(f);
    }
    static cockpit_panel panel;
    if (!cockpit_panel_parse(file.data(), uint32_t(file.size()), &panel)) {
        std::fprintf(stderr, "datagen: cockpit.cpt does not parse\n");
        return false;
    }
    for (int i = 0; i < panel.colour_count; i++)
        pal.c[panel.first_colour + i] = {panel.palette[3 * i], panel.palette[3 * i + 1],
                                         panel.palette[3 * i + 2]};
    const int rows = panel.top_rows + panel.bottom_rows;
    auto screen_row = [&](int r) {
        return r < panel.top_rows ? r : 256 - panel.bottom_rows + (r - panel.top_rows);
    };
    auto draw = [&](canvas& c, const uint8_t* image) {
        for (int r = 0; r < rows; r++)
            for (int x = 0; x < panel.width; x++)
                c.put(x, screen_row(r), image[r * panel.width + x]);
    };
    auto blit = [&](canvas& c, const panel_sprite* s, int x, int y) {
        if (!s) return;
        for (int r = 0; r < s->h; r++)
            for (int k = 0; k < s->w; k++) c.put(x + k, screen_row(y + r), s->pixels[r * s->w + k]);
    };
    canvas rest(320, 256, 91), lit(320, 256, 91);
    draw(rest, panel.normal);
    draw(lit, panel.lit);
    const int levels[5] = {100, 64, 38, 85, 12};
    for (canvas* c : {&rest, &lit}) {
        for (int i = 0; i < 5; i++) {
            const panel_sprite* g = cockpit_panel_sprite(&panel, 6, i);
            blit(*c, g, g->x, g->y);
            int judged = i == 3 ? 100 - levels[i] : levels[i];
            uint8_t colour = uint8_t(panel.first_colour + (judged >= 51   ? 12
                                                           : judged >= 26 ? 13
                                                                          : 14));
            int m = g->h <= 4 ? 1 : g->h / 5, len = (g->w - 2 * m) * levels[i] / 100;
            for (int y = g->y + m; y <= g->y + g->h - 1 - m; y++)
                for (int x = g->x + m; x < g->x + m + len; x++) c->put(x, screen_row(y), colour);
        }
        const panel_sprite* zero = cockpit_panel_sprite(&panel, 8, 0);
        const char* texts[2] = {"12:34:56", "-1250.5"};
        for (int t = 0; t < 2; t++) {
            int x = zero->param[2 * t], y = zero->param[2 * t + 1];
            for (const char* ch = texts[t]; *ch; ch++, x += zero->w + (zero->w + 2) / 3) {
                const char* at = std::strchr(PANEL_GLYPHS, *ch);
                if (at) blit(*c, cockpit_panel_sprite(&panel, 8, int(at - PANEL_GLYPHS)), x, y);
            }
        }
        blit(*c, cockpit_panel_sprite(&panel, 1, 1), cockpit_panel_sprite(&panel, 1, 1)->x,
             cockpit_panel_sprite(&panel, 1, 1)->y);
        const panel_sprite* scope = cockpit_panel_sprite(&panel, 7, 0);
        blit(*c, scope, scope->x, scope->y);
        const panel_sprite* lamp = cockpit_panel_sprite(&panel, 2, 0);
        blit(*c, lamp, lamp->x, lamp->y);
        const int blips[3][4] = {{300, 500, 6, 12}, {-700, -200, -3, 14}, {120, 900, 10, 13}};
        for (const auto& b : blips) {
            int X = scope->param[0] + ((b[0] * scope->param[2]) >> 10);
            int Y = scope->param[1] - ((b[1] * scope->param[3]) >> 10);
            uint8_t col = uint8_t(panel.first_colour + b[3]);
            int h = b[2];
            for (int k = 0; k <= std::abs(h); k++) c->put(X, screen_row(Y - (h > 0 ? k : -k)), col);
            for (int dx = -1; dx <= 1; dx++)
                for (int dy = 0; dy <= 1; dy++) c->put(X + dx, screen_row(Y - h - dy), col);
        }
        const panel_sprite* icon = cockpit_panel_sprite(&panel, 3, 1);
        blit(*c, icon, icon->x, icon->y);
        blit(*c, cockpit_panel_sprite(&panel, 4, 0), icon->param[0], icon->param[1]);
        blit(*c, cockpit_panel_sprite(&panel, 4, 4), icon->param[0] + icon->param[2],
             icon->param[1]);
    }
    canvas sheet(2 * 640 + 12, 512 + 8, 1);
    sheet.blit(rest, 4, 4, 2);
    sheet.blit(lit, 648, 4, 2);
    return write_png(out + "/panel.png", sheet, pal);
}

// ---------------------------------------------------------------- globe previews
// Each globe texture read back with the game's parser and shown as a sphere lit from the star
// (from the upper left), shaded by the globe shade rule with a 4 x 4 ordered dither, so that the
// texel classes and the terminator can be judged. Three turns of the body are shown.
bool globe_sheet(const std::string& game_dir, const std::string& out, const palette& pal) {
    const int BAYER[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};
    const double PI = 3.14159265358979323846;
    for (const char* name : {"zeme", "mesic"}) {
        std::vector<uint8_t> bytes;
        globe_texture t;
        if (!read_bytes(game_dir + "/" + name + ".globe", &bytes) ||
            !globe_texture_parse(bytes.data(), uint32_t(bytes.size()), &t)) {
            std::fprintf(stderr, "datagen: %s.globe does not parse\n", name);
            return false;
        }
        const int R = 120, S = 2 * R + 8;
        canvas sheet(3 * S, S + 8 + t.height, 0);
        dvec sun{-0.55, 0.45, 0.7};
        sun = sun * (1 / length(sun));
        for (int k = 0; k < 3; k++) {
            double turn = 2 * PI * k / 3;
            for (int y = -R; y <= R; y++) {
                for (int x = -R; x <= R; x++) {
                    double nx = x / double(R), ny = -y / double(R), q = nx * nx + ny * ny;
                    if (q > 1) continue;
                    dvec n{nx, ny, std::sqrt(1 - q)};
                    double lon = std::atan2(n.x, n.z) + turn, lat = std::asin(n.y);
                    int col = int(std::floor((lon / (2 * PI) + 2.0) * t.width)) % t.width;
                    int row = std::min(t.height - 1, int((0.5 - lat / PI) * t.height));
                    uint8_t texel = t.pixels[row * t.width + col];
                    double lit = dot(n, sun);
                    int level = int(std::floor(lit * 9 + BAYER[((y & 3) << 2) | (x & 3)] / 16.0));
                    sheet.put(k * S + 4 + R + x, 4 + R + y, globe_shade(texel, level));
                }
            }
        }
        // The texture itself under the spheres, at full light.
        for (int y = 0; y < t.height; y++)
            for (int x = 0; x < t.width && x < sheet.w; x++)
                sheet.put(x, S + 4 + y, t.pixels[y * t.width + x]);
        if (!write_png(out + "/globe_" + name + ".png", sheet, pal)) return false;
    }
    return true;
}

} // namespace

bool write_previews(const std::string& game_dir, const std::string& assets_dir,
                    const std::string& out_dir) {
    mkdir(out_dir.c_str(), 0755);
    palette pal = game_palette();
    return panel_sheet(game_dir, out_dir, pal) && globe_sheet(game_dir, out_dir, pal) &&
           image_sheets(assets_dir, out_dir, pal) && model_sheets(game_dir, out_dir, pal) &&
           sound_previews(game_dir, assets_dir, out_dir);
}

} // namespace vantrel::datagen
