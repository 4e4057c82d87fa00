// Seed inputs for the formats the game writes but the build does not stage: settings files
// key-binding blocks and animation clips, made by the game's own writers so they stay in step
// with the readers. Usage: seed_writer settings|keybinds|anim <directory>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "scenes/anim.h"
#include "shell/keybinds.h"
#include "shell/settings_file.h"

using namespace vantrel;

namespace {

bool write_seed(const char* dir, const char* name, const uint8_t* bytes, uint32_t size) {
    char path[1024];
    std::snprintf(path, sizeof path, "%s/%s", dir, name);
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        std::fprintf(stderr, "seed_writer: cannot write %s\n", path);
        return false;
    }
    bool ok = std::fwrite(bytes, 1, size, f) == size;
    return (std::fclose(f) == 0) && ok;
}

// The defaults, every choice at its largest, and a language name of the longest kept length.
bool write_settings(const char* dir) {
    graphics_config gfx;
    ui_config ui;
    graphics_config_defaults(&gfx);
    ui_config_defaults(&ui);
    uint8_t buffer[SETTINGS_FILE_CAPACITY];
    bool ok = write_seed(dir, "defaults.cfg", buffer, settings_file_build(&gfx, &ui, buffer));
    gfx = graphics_config{2, 2, 3, 4, 1, 2, 0x50011000u, 2};
    std::snprintf(ui.language, sizeof ui.language, "czech");
    ok = write_seed(dir, "largest.cfg", buffer, settings_file_build(&gfx, &ui, buffer)) && ok;
    std::memset(ui.language, '~', UI_LANGUAGE_MAX);
    ui.language[UI_LANGUAGE_MAX] = '\0';
    return write_seed(dir, "long_name.cfg", buffer, settings_file_build(&gfx, &ui, buffer)) && ok;
}

// The flight's own bindings (W, S, D with the cursor keys as alternates) and an empty table.
bool write_keybinds(const char* dir) {
    static const uint16_t PRIMARY[KEYBIND_ACTIONS] = {0x11, 0x21, 0x22};
    keybind_config table;
    keybind_config_defaults(&table, PRIMARY);
    keybind_config_set(&table, 0, 1, 0x4C);
    keybind_config_set(&table, 1, 1, 0x4D);
    uint8_t buffer[64];
    save_writer w;
    save_writer_init(&w, buffer, sizeof buffer);
    keybind_config_save(&table, &w);
    bool ok = write_seed(dir, "flight.keyb", buffer, w.pos);
    std::memset(&table, 0, sizeof table);
    save_writer_init(&w, buffer, sizeof buffer);
    keybind_config_save(&table, &w);
    return write_seed(dir, "empty.keyb", buffer, w.pos) && ok;
}

// A camera track with a cut (two keys at one time) and an object track of two keys.
bool write_anim(const char* dir) {
    constexpr int64_t M = int64_t{1} << 32;
    static anim_key camera[3] = {{0, {0, 0, -100 * M}, IDENTITY},
                                 {50 << 16, {0, 0, -100 * M}, IDENTITY},
                                 {50 << 16, {40 * M, 10 * M, 0}, IDENTITY}};
    static anim_key ship[2] = {{0, {0, 0, 0}, IDENTITY}, {100 << 16, {0, 0, 500 * M}, IDENTITY}};
    static anim_track tracks[2] = {{0, 3, camera}, {1, 2, ship}};
    anim_clip clip = {tracks, 2};
    static uint8_t buffer[1024];
    save_writer w;
    save_writer_init(&w, buffer, sizeof buffer);
    return anim_clip_save(&clip, &w) && write_seed(dir, "cut.anim", buffer, w.pos);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "settings") == 0) return write_settings(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "keybinds") == 0) return write_keybinds(argv[2]) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "anim") == 0) return write_anim(argv[2]) ? 0 : 1;
    std::fprintf(stderr, "usage: seed_writer settings|keybinds|anim <directory>\n");
    return 2;
}
