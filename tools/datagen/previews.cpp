// previews: PNG sheets of the built data, so that the art can be looked at without the game.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "flight/cockpit_panel.h"
#include "render/globe.h"
#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

namespace {

struct rgb {
    uint8_t r, g, b;
};

// The game palette's fixed parts that the previews need (ramps, grey, liveries, panel colours).
struct palette {
    rgb c[256]{};
};

void livery(palette& p, int first, rgb main, rgb accent, rgb lights) {
    const rgb mats[6] = {main, accent, lights, {50, 53, 62}, {85, 125, 175}, {0, 0, 0}};
    const int g[4] = {35, 56, 78, 100};
    for (int m = 0; m < 6; m++)
        for (int j = 0; j < 4; j++)
            p.c[first + 4 * m + j] = {uint8_t(mats[m].r * g[j] / 100),
                                      uint8_t(mats[m].g * g[j] / 100),
                                      uint8_t(mats[m].b * g[j] / 100)};
}

palette game_palette() {
    palette p;
    for (int k = 0; k < 40; k++)
        p.c[90 + k] = {uint8_t(30 + 3 * k), uint8_t(30 + 3 * k), uint8_t(50 + 3 * k)};
    const rgb ramps[6] = {{25, 70, 170},  {50, 135, 60},  {235, 238, 245},
                          {150, 120, 75}, {60, 130, 200}, {95, 95, 100}};
    const int f[8] = {9, 26, 38, 50, 63, 75, 87, 100};
    for (int i = 0; i < 6; i++)
        for (int j = 0; j < 8; j++)
            p.c[152 + 8 * i + j] = {uint8_t(ramps[i].r * f[j] / 100),
                                    uint8_t(ramps[i].g * f[j] / 100),
                                    uint8_t(ramps[i].b * f[j] / 100)};
    livery(p, 16, {190, 192, 198}, {200, 40, 35}, {70, 150, 255});
    livery(p, 40, {205, 185, 135}, {40, 125, 60}, {90, 255, 120});
    livery(p, 64, {165, 185, 215}, {230, 120, 30}, {255, 80, 60});
    livery(p, 200, {170, 172, 182}, {200, 150, 30}, {70, 150, 255});
    livery(p, 224, {150, 160, 178}, {235, 135, 30}, {255, 180, 60});
    const rgb panel[10] = {{24, 26, 32},   {70, 74, 88},  {175, 180, 195}, {70, 200, 95},
                           {225, 195, 60}, {230, 65, 50}, {44, 47, 56},    {60, 52, 40},
                           {255, 190, 60}, {80, 170, 255}};
    for (int i = 0; i < 10; i++) p.c[6 + i] = panel[i];
    p.c[255] = {255, 255, 255};
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
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, c.w, c.h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(c.w) * 3);
    for (int y = 0; y < c.h; y++) {
        for (int x = 0; x < c.w; x++) {
            rgb v = pal.c[c.px[size_t(y) * c.w + x]];
            row[3 * x] = v.r;
            row[3 * x + 1] = v.g;
            row[3 * x + 2] = v.b;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}

// ---------------------------------------------------------------- model previews
// A plain z-buffered flat-shaded view of a mesh with the game's material shading (lit faces
// brighten from shade 0 to 3, faces turned away sit at shade 2, lights always at 3).
int material_shade(int mat, double d) {
    if (mat == 2) return 3;
    if (d < 0) return 2;
    return std::min(3, int((d * 5.0 / 6.0 + 1.0 / 6.0) * 4));
}

void render_mesh(canvas& c, const mesh& m, dvec view_dir, double radius, int base, bool ramp) {
    // Camera basis looking along -view_dir (from the view_dir side toward the origin).
    dvec f = view_dir * (-1.0 / length(view_dir));
    dvec up0{0, 1, 0};
    if (std::fabs(f.y) > 0.95) up0 = {0, 0, 1};
    dvec r = cross(f, up0);
    r = r * (1 / length(r));
    dvec u = cross(r, f);
    double dist = radius * 2.6;
    dvec eye = view_dir * (dist / length(view_dir));
    double focal = c.h * 1.45;
    // Light from the viewer's upper left, as a pilot usually sees a ship in the previews.
    dvec light = r * -0.55 + u * 0.65 + f * -0.52;
    light = light * (1 / length(light));
    std::vector<double> zb(size_t(c.w) * c.h, 1e30);
    std::vector<dvec> pv(m.verts.size());
    for (size_t i = 0; i < m.verts.size(); i++) {
        dvec d = m.verts[i] - eye;
        double z = dot(d, f);
        pv[i] = {c.w / 2 + dot(d, r) * focal / z, c.h / 2 - dot(d, u) * focal / z, z};
    }
    for (const mesh_face& fc : m.faces) {
        dvec A = m.verts[fc.a], B = m.verts[fc.b], C = m.verts[fc.c];
        dvec n = cross(B - A, C - A);
        double len = length(n);
        if (len <= 0 || dot(n, A - eye) >= 0) continue;
        n = n * (1 / len);
        int shade = material_shade(fc.mat, dot(n, light));
        uint8_t colour = uint8_t(base + 4 * (fc.mat > 5 ? 0 : fc.mat) + shade);
        (void)ramp;
        dvec p[3] = {pv[fc.a], pv[fc.b], pv[fc.c]};
        int x0 = std::max(0, int(std::floor(std::min({p[0].x, p[1].x, p[2].x}))));
        int x1 = std::min(c.w - 1, int(std::ceil(std::max({p[0].x, p[1].x, p[2].x}))));
        int y0 = std::max(0, int(std::floor(std::min({p[0].y, p[1].y, p[2].y}))));
        int y1 = std::min(c.h - 1, int(std::ceil(std::max({p[0].y, p[1].y, p[2].y}))));
        double area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
        if (std::fabs(area) < 1e-12) continue;
        for (int y = y0; y <= y1; y++) {
            for (int x = x0; x <= x1; x++) {
                double px = x + 0.5, py = y + 0.5;
                double w0 = ((p[1].x - px) * (p[2].y - py) - (p[2].x - px) * (p[1].y - py)) / area;
                double w1 = ((p[2].x - px) * (p[0].y - py) - (p[0].x - px) * (p[2].y - py)) / area;
                double w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                double z = w0 * p[0].z + w1 * p[1].z + w2 * p[2].z;
                double& zz = zb[size_t(y) * c.w + x];
                if (z < zz) {
                    zz = z;
                    c.put(x, y, colour);
                }
            }
        }
    }
}

double mesh_radius(const mesh& m) {
    double r = 0;
    for (dvec v : m.verts) r = std::max(r, length(v));
    return r;
}

bool model_sheets(const std::string& out, const palette& pal) {
    globe_map earth;
    if (!build_earth_map("/usr/share/xplanet/images/earth.jpg", &earth)) return false;
    globe_map moon = build_moon_map();
    auto models = build_all_models(earth, moon);
    const dvec views[3] = {{1.0, 0.55, 1.25}, {1.0, 0.12, 0.0}, {-0.9, 1.1, -1.0}};
    const int CW = 240, CH = 180;
    // One sheet per model file: a row per level of detail, three angles across.
    for (const model_asset& a : models) {
        bool planet = a.name == "zeme" || a.name == "mesic";
        int base = a.name == "zeme" ? 152 : a.name == "mesic" ? 176 : 16;
        double radius = mesh_radius(a.levels[0].m);
        int rows = int(a.levels.size());
        canvas sheet(3 * CW + 4, rows * (CH + 2) - 2, 1);
        for (int row = 0; row < rows; row++) {
            for (int k = 0; k < 3; k++) {
                canvas cell(CW, CH, 90);
                render_mesh(cell, a.levels[row].m, views[k], radius, base, planet);
                sheet.blit(cell, k * (CW + 2), row * (CH + 2));
            }
        }
        std::string file = out + "/model_" + a.name + VARIANT_SUFFIX[a.variant] + ".png";
        if (!write_png(file, sheet, pal)) return false;
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

} // namespace

bool write_previews(const std::string& game_dir, const std::string& assets_dir,
                    const std::string& out_dir) {
    (void)assets_dir;
    mkdir(out_dir.c_str(), 0755);
    palette pal = game_palette();
    return panel_sheet(game_dir, out_dir, pal) && image_sheets(assets_dir, out_dir, pal) &&
           model_sheets(out_dir, pal);
}

} // namespace vantrel::datagen
