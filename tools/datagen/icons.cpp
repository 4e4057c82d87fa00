// icons: the desktop icons, drawn from the title logo as the title scene colours it.
//
// The icon is the logo's first letter on a dark rounded square: the whole word would be a
// thin strip at 48 pixels. The letter keeps the logo's two bands of colour as the title shows
// them at their brightest (no glint), and is sampled 4 x 4 times per icon pixel so that small
// sizes stay smooth while large ones keep the logo's blocks.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>

#include "render/image8.h"
#include "scenes/scene.h"
#include "scenes/scene_parts.h"
#include "scenes/scene_player.h"
#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

namespace {

struct rgba {
    uint8_t r, g, b, a;
};
static_assert(sizeof(rgba) == 4, "icon pixels are written as RGBA bytes");

std::vector<uint8_t> read_all(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// The first letter: the letter face reached from the leftmost face pixel (faces are the first
// band's colours, 96-143; outlines part the letters, which overlap in columns as the word
// leans), with the outline and shadow pixels within three pixels of it.
struct letter {
    int x0, y0, width, height;
    std::vector<uint8_t> pixels; // width x height, 0 where the icon shows its backdrop
};

bool is_face(uint8_t index) {
    return index >= 96 && index < 144;
}

letter first_letter(const image8& logo) {
    const int w = logo.width, h = logo.height;
    auto at = [&](int x, int y) { return logo.pixels[y * w + x]; };
    std::vector<uint8_t> face(size_t(w) * h, 0);
    std::vector<int> todo;
    for (int x = 0; x < w && todo.empty(); x++)
        for (int y = 0; y < h && todo.empty(); y++)
            if (is_face(at(x, y))) todo.push_back(y * w + x), face[y * w + x] = 1;
    while (!todo.empty()) {
        int p = todo.back(), x = p % w, y = p / w;
        todo.pop_back();
        const int step[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& d : step) {
            int nx = x + d[0], ny = y + d[1];
            if (nx < 0 || ny < 0 || nx >= w || ny >= h || face[ny * w + nx]) continue;
            if (!is_face(at(nx, ny))) continue;
            face[ny * w + nx] = 1;
            todo.push_back(ny * w + nx);
        }
    }
    auto near_face = [&](int x, int y) {
        for (int dy = -3; dy <= 3; dy++)
            for (int dx = -3; dx <= 3; dx++) {
                int nx = x + dx, ny = y + dy;
                if (nx >= 0 && ny >= 0 && nx < w && ny < h && face[ny * w + nx]) return true;
            }
        return false;
    };
    std::vector<uint8_t> kept(size_t(w) * h, 0);
    int x0 = w, y0 = h, x1 = -1, y1 = -1;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t i = at(x, y);
            if (!(face[y * w + x] || (i && !is_face(i) && near_face(x, y)))) continue;
            kept[y * w + x] = i;
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
    letter l{x0, y0, std::max(0, x1 - x0 + 1), std::max(0, y1 - y0 + 1), {}};
    for (int y = 0; y < l.height; y++)
        for (int x = 0; x < l.width; x++) l.pixels.push_back(kept[(y0 + y) * w + x0 + x]);
    return l;
}

// The title's colours at the moment, within its first ten seconds, when the letter is
// brightest: the bands sweep across the word and leave it dark in between.
void brightest_logo_palette(const scene_view* view, const letter& l, uint8_t* palette) {
    long best = -1;
    uint8_t trial[768] = {};
    for (uint32_t ms = 0; ms < 10000; ms += 50) {
        scene_logo_palette(view, ms, -FIX16_ONE, trial);
        long sum = 0;
        for (uint8_t i : l.pixels)
            if (i) sum += trial[3 * i] + trial[3 * i + 1] + trial[3 * i + 2];
        if (sum > best) {
            best = sum;
            std::memcpy(palette, trial, sizeof trial);
        }
    }
}

// A rounded square of deep blue, the colour of the title's sky, opaque inside.
rgba backdrop(double x, double y, int size) {
    double r = size * 0.18, lo = r, hi = size - r;
    double dx = x < lo ? lo - x : x > hi ? x - hi : 0, dy = y < lo ? lo - y : y > hi ? y - hi : 0;
    if (dx * dx + dy * dy > r * r) return {0, 0, 0, 0};
    return {10, 14, 40, 255};
}

std::vector<rgba> draw_icon(const letter& l, const uint8_t* palette, int size) {
    double scale = size * 0.78 / std::max(l.width, l.height);
    double x0 = (size - l.width * scale) / 2, y0 = (size - l.height * scale) / 2;
    std::vector<rgba> icon(size_t(size) * size);
    constexpr int SAMPLES = 4;
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            int sum[4] = {0, 0, 0, 0};
            for (int sy = 0; sy < SAMPLES; sy++) {
                for (int sx = 0; sx < SAMPLES; sx++) {
                    double px = x + (sx + 0.5) / SAMPLES, py = y + (sy + 0.5) / SAMPLES;
                    rgba c = backdrop(px, py, size);
                    int lx = int((px - x0) / scale), ly = int((py - y0) / scale);
                    if (c.a && px >= x0 && py >= y0 && lx < l.width && ly < l.height) {
                        uint8_t index = l.pixels[ly * l.width + lx];
                        if (index)
                            c = {palette[3 * index], palette[3 * index + 1], palette[3 * index + 2],
                                 255};
                    }
                    sum[0] += c.r * c.a, sum[1] += c.g * c.a, sum[2] += c.b * c.a, sum[3] += c.a;
                }
            }
            rgba& out = icon[size_t(y) * size + x];
            out.a = uint8_t(sum[3] / (SAMPLES * SAMPLES));
            if (sum[3]) {
                out.r = uint8_t(sum[0] / sum[3]);
                out.g = uint8_t(sum[1] / sum[3]);
                out.b = uint8_t(sum[2] / sum[3]);
            }
        }
    }
    return icon;
}

} // namespace

bool write_icons(const std::string& game_dir, const std::string& out_dir) {
    std::vector<uint8_t> file = read_all(game_dir + "/logo.img8");
    std::vector<uint8_t> scene_file = read_all(game_dir + "/Scenes/title.scene");
    auto view = std::make_unique<scene_view>();
    image8 logo;
    if (file.empty() || !image8_parse(file.data(), uint32_t(file.size()), &logo) ||
        scene_file.empty() ||
        !scene_load(&view->sc, scene_file.data(), uint32_t(scene_file.size()))) {
        std::fprintf(stderr, "datagen: icons need logo.img8 and Scenes/title.scene in %s\n",
                     game_dir.c_str());
        return false;
    }
    letter v = first_letter(logo);
    uint8_t palette[768] = {};
    brightest_logo_palette(view.get(), v, palette);
    scene_free(&view->sc);
    for (int size : {48, 128, 256}) {
        std::string dir = out_dir + "/" + std::to_string(size) + "x" + std::to_string(size);
        mkdir(out_dir.c_str(), 0755);
        mkdir(dir.c_str(), 0755);
        std::vector<rgba> icon = draw_icon(v, palette, size);
        if (!write_png_pixels(dir + "/vantrel.png", size, size, 4,
                              reinterpret_cast<const uint8_t*>(icon.data()))) {
            std::fprintf(stderr, "datagen: cannot write %s/vantrel.png\n", dir.c_str());
            return false;
        }
    }
    return true;
}

} // namespace vantrel::datagen
