// startup_assets: loading the station, the detail models, the panel and the logo at start.
#include "shell/startup_assets.h"

#include <cstdio>
#include <string>

#include "render/model.h"
#include "shell/game_models.h"
#include "shell/graphics.h"
#include "shell/services.h"
#include "shell/startup.h"

namespace vantrel {

logo_record g_logo = {};
music* g_music = nullptr;

namespace {

constexpr const char* STATION_DEFAULT = "PROGDIR:station.model";

void startup_logo(int title_loaded) {
    read_file_free(g_logo.file);
    g_logo = logo_record{};
    uint32_t size = 0;
    g_logo.file = read_file("PROGDIR:logo.img8", &size);
    if (g_logo.file && image8_parse(g_logo.file, size, &g_logo.image)) {
        g_logo.loaded = 1;
        logo_find_centre(&g_logo);
    } else {
        read_file_free(g_logo.file);
        g_logo.file = nullptr;
    }
    start_log("title scene %s, logo %s", title_loaded ? "ok" : "missing",
              g_logo.loaded ? "ok" : "missing");
}

} // namespace

void logo_find_centre(logo_record* logo) {
    const image8& im = logo->image;
    uint64_t sum_x = 0, sum_y = 0, n = 0;
    for (uint32_t y = 0; y < im.height; y++)
        for (uint32_t x = 0; x < im.width; x++) {
            uint8_t c = im.pixels[y * im.width + x];
            if (c >= 192 && c <= 194) {
                sum_x += x;
                sum_y += y;
                n++;
            }
        }
    if (n == 0 || im.width == 0) {
        logo->centre_x = im.width / 2;
        logo->centre_y = im.height / 2;
    } else {
        logo->centre_x = static_cast<int>(sum_x / n);
        logo->centre_y = static_cast<int>(sum_y / n);
    }
}

int startup_models(const launch_options& options) {
    std::string path = options.station_model.empty() ? STATION_DEFAULT : options.station_model;
    uint32_t size = 0;
    uint8_t* data = read_file(path.c_str(), &size);
    if (!data) {
        std::printf("FAILED: could not read %s\n", path.c_str());
        return 0;
    }
    drawable_free(&g_station);
    int loaded = model_load(data, size, &g_station.mdl);
    read_file_free(data);
    if (loaded != MODEL_OK) {
        std::printf("FAILED: model_load failed on %s\n", path.c_str());
        return 0;
    }
    if (!drawable_init(&g_station, STATION_LOD_DIST)) {
        std::printf("FAILED: model LOD setup\n");
        return 0;
    }
    graphics_resolved resolved;
    graphics_resolve(&resolved, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    if (!load_detail_models(static_cast<int>(resolved.detail))) return 0;
    start_log("models ok");
    return 1;
}

void startup_logo_and_music(int title_loaded) {
    startup_logo(title_loaded);
    music_free(g_music);
    g_music = music_load("PROGDIR:music1.iff");
    start_log("music %s", g_music ? "ok" : "missing");
    std::printf("music: %s\n",
                g_music ? "loaded" : "missing or not playable 8SVX (PROGDIR:music1.iff)");
}

} // namespace vantrel
