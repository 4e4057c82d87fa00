// globes: the planet texture from the NASA Earth map and the procedural moon, written as ".globe".
//
// Texels are chosen among the six 8-shade ramps of the game palette (the texel classes and the
// shade rule are documented in render/globe.h): a texel is the ramp shade closest to the source
// colour, so the globe shows its real colours in full light and darkens along its ramp.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "render/globe.h"
#include "tools/datagen/datagen.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO_WARNINGS
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace vantrel::datagen {

namespace {

constexpr int EARTH_WIDTH = 512, EARTH_HEIGHT = 256;
constexpr uint32_t EARTH_RADIUS = 4800; // metres: about 30 degrees of sky from 17 km away
constexpr int MOON_WIDTH = 256, MOON_HEIGHT = 128;
constexpr uint32_t MOON_RADIUS = 1300; // the Moon's share of the Earth's radius (0.27)

// The game palette's 8-shade ramps: shade j of ramp i is RAMP_RGB[i] * f_j / 100.
constexpr int RAMP_RGB[6][3] = {{25, 70, 170},  {50, 135, 60},  {235, 238, 245},
                                {150, 120, 75}, {60, 130, 200}, {95, 95, 100}};
constexpr int RAMP_F[8] = {9, 26, 38, 50, 63, 75, 87, 100};

int ramp_channel(int ramp, int shade, int c) {
    return RAMP_RGB[ramp][c] * RAMP_F[shade] / 100;
}

// The nearest ramp shade to an RGB colour, among the ramps allowed by the mask.
uint8_t nearest_texel(int r, int g, int b, unsigned ramp_mask) {
    long best = -1;
    uint8_t texel = globe_texel(0, 0);
    for (int ramp = 0; ramp < 6; ramp++) {
        if (!(ramp_mask & (1u << ramp))) continue;
        for (int s = 0; s < 8; s++) {
            long dr = r - ramp_channel(ramp, s, 0), dg = g - ramp_channel(ramp, s, 1),
                 db = b - ramp_channel(ramp, s, 2);
            long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db; // green weighs most to the eye
            if (best < 0 || d < best) {
                best = d;
                texel = globe_texel(ramp, s);
            }
        }
    }
    return texel;
}

std::vector<uint8_t> globe_bytes(const globe_map& g) {
    bytes b;
    b.tag("GLOB");
    b.u16(1);
    b.u16(g.width);
    b.u16(g.height);
    b.u32(g.radius);
    b.raw(g.texels);
    return b.data;
}

// A small deterministic generator for the moon's features.
struct lcg {
    uint32_t s;
    uint32_t next() {
        s = s * 1664525u + 1013904223u;
        return s >> 8;
    }
    double unit() { return (next() & 0xFFFF) / 65536.0; }
};

} // namespace

bool build_earth_map(const std::string& image_path, globe_map* out) {
    int w = 0, h = 0, n = 0;
    uint8_t* img = stbi_load(image_path.c_str(), &w, &h, &n, 3);
    if (!img) {
        std::fprintf(stderr, "datagen: cannot read the Earth image %s\n", image_path.c_str());
        return false;
    }
    out->width = EARTH_WIDTH;
    out->height = EARTH_HEIGHT;
    out->radius = EARTH_RADIUS;
    out->texels.assign(EARTH_WIDTH * EARTH_HEIGHT, 0);
    for (int y = 0; y < EARTH_HEIGHT; y++) {
        int y0 = y * h / EARTH_HEIGHT, y1 = (y + 1) * h / EARTH_HEIGHT;
        for (int x = 0; x < EARTH_WIDTH; x++) {
            int x0 = x * w / EARTH_WIDTH, x1 = (x + 1) * w / EARTH_WIDTH;
            long sum[3] = {0, 0, 0}, count = 0;
            for (int sy = y0; sy < y1; sy++) {
                for (int sx = x0; sx < x1; sx++) {
                    const uint8_t* p = img + 3 * (size_t(sy) * w + sx);
                    for (int c = 0; c < 3; c++) sum[c] += p[c];
                    count++;
                }
            }
            if (count == 0) count = 1;
            // The map is dark for an 8-bit screen: lift it a little so that the oceans read as
            // blue rather than black in full light.
            int rgb[3];
            for (int c = 0; c < 3; c++) rgb[c] = std::min(255L, sum[c] / count * 5 / 4 + 10);
            // Oceans stay on the two blue ramps, land avoids them, ice is white.
            bool water = rgb[2] > rgb[0] + 12 && rgb[2] > rgb[1];
            // Ice and cloud are bright and neutral; bright sand is bright but yellow.
            bool ice = std::min({rgb[0], rgb[1], rgb[2]}) > 165 && rgb[0] - rgb[2] < 25;
            unsigned mask = ice     ? (1u << GLOBE_ICE)
                            : water ? (1u << GLOBE_DEEP_OCEAN) | (1u << GLOBE_SHALLOW)
                                    : (1u << GLOBE_VEGETATION) | (1u << GLOBE_DESERT);
            out->texels[y * EARTH_WIDTH + x] = nearest_texel(rgb[0], rgb[1], rgb[2], mask);
        }
    }
    stbi_image_free(img);
    return true;
}

globe_map build_moon_map() {
    globe_map g;
    g.width = MOON_WIDTH;
    g.height = MOON_HEIGHT;
    g.radius = MOON_RADIUS;
    // Height field of albedo: highlands bright, maria dark, craters with dark floors and bright
    // rims. Distances are measured on the sphere so that features keep their shape near the poles.
    std::vector<double> albedo(MOON_WIDTH * MOON_HEIGHT, 0.0);
    const double PI = 3.14159265358979323846;
    auto dir = [&](double lon, double lat) {
        return dvec{std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
    };
    auto texel_dir = [&](int x, int y) {
        double lon = (x + 0.5) / MOON_WIDTH * 2 * PI;
        double lat = PI / 2 - (y + 0.5) / MOON_HEIGHT * PI;
        return dir(lon, lat);
    };
    lcg rng{0x4D455349u};
    // Maria: clusters of overlapping soft discs on the near side.
    struct blob {
        dvec c;
        double r;
    };
    std::vector<blob> maria;
    for (int k = 0; k < 7; k++) {
        double lon = 0.6 + rng.unit() * 2.2, lat = (rng.unit() - 0.45) * 1.1;
        for (int j = 0; j < 4; j++) {
            double dl = (rng.unit() - 0.5) * 0.5, dp = (rng.unit() - 0.5) * 0.35;
            maria.push_back({dir(lon + dl, lat + dp), 0.16 + rng.unit() * 0.2});
        }
    }
    struct crater {
        dvec c;
        double r;
    };
    std::vector<crater> craters;
    for (int k = 0; k < 140; k++) {
        double lon = rng.unit() * 2 * PI, lat = std::asin(rng.unit() * 2 - 1);
        double r = 0.02 + std::pow(rng.unit(), 3) * 0.16;
        craters.push_back({dir(lon, lat), r});
    }
    for (int y = 0; y < MOON_HEIGHT; y++) {
        for (int x = 0; x < MOON_WIDTH; x++) {
            dvec p = texel_dir(x, y);
            double a = 0.62;
            // Gentle large-scale variation.
            a += 0.06 * std::sin(3 * p.x + 2 * p.y) * std::cos(4 * p.z - p.y);
            for (const blob& b : maria) {
                double d = std::acos(std::max(-1.0, std::min(1.0, dot(p, b.c))));
                if (d < b.r) a -= 0.28 * (1 - (d / b.r) * (d / b.r));
            }
            for (const crater& c : craters) {
                double d = std::acos(std::max(-1.0, std::min(1.0, dot(p, c.c)))) / c.r;
                if (d < 0.8)
                    a -= 0.12;
                else if (d < 1.0)
                    a += 0.16;
                else if (d < 1.6 && c.r > 0.1)
                    a += 0.05 * (1.6 - d); // ejecta
            }
            albedo[y * MOON_WIDTH + x] = a;
        }
    }
    g.texels.resize(albedo.size());
    for (size_t i = 0; i < albedo.size(); i++) {
        double a = albedo[i];
        // Bright ground on the light-grey (ice) ramp, dark maria on the regolith ramp.
        if (a >= 0.5) {
            int s = std::min(7, std::max(4, int(std::lround(3 + (a - 0.5) * 10))));
            g.texels[i] = globe_texel(GLOBE_ICE, s > 6 ? 6 : s);
        } else {
            int s = std::min(7, std::max(3, int(std::lround(7 - (0.5 - a) * 12))));
            g.texels[i] = globe_texel(GLOBE_REGOLITH, s);
        }
    }
    return g;
}

bool generate_globes(const asset_context& c) {
    globe_map earth;
    if (!build_earth_map(c.earth_image, &earth)) return false;
    if (!write_file(c.out_dir + "/zeme.globe", globe_bytes(earth))) return false;
    return write_file(c.out_dir + "/mesic.globe", globe_bytes(build_moon_map()));
}

} // namespace vantrel::datagen
