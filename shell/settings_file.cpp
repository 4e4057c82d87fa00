// settings_file: reading with the legacy fall-back name; writing through a temporary file.
#include "shell/settings_file.h"

#include <cstdio>

#include "shell/services.h"

namespace vantrel {

namespace {

constexpr const char* SETTINGS_FILE_TEMP_NAME = "PROGDIR:Vantrel.cfg.new";
constexpr size_t PATH_CAPACITY = 4096;

} // namespace

uint32_t settings_file_build(const graphics_config* gfx, const ui_config* ui,
                             uint8_t buffer[SETTINGS_FILE_CAPACITY]) {
    save_writer w;
    save_writer_init(&w, buffer, SETTINGS_FILE_CAPACITY);
    graphics_config_save(gfx, &w);
    ui_config_save(ui, &w);
    return w.pos;
}

void settings_file_parse(const uint8_t* data, uint32_t size, graphics_config* gfx, ui_config* ui) {
    save_reader r;
    save_reader_init(&r, data, size);
    graphics_config g;
    if (!graphics_config_load(&g, &r)) return;
    *gfx = g;
    ui_config u;
    ui_config_defaults(&u);
    if (ui_config_load(&u, &r)) *ui = u;
}

void settings_file_read(graphics_config* gfx, ui_config* ui) {
    uint32_t size = 0;
    uint8_t* data = read_file(SETTINGS_FILE_NAME, &size);
    if (!data) data = read_file(SETTINGS_FILE_LEGACY_NAME, &size);
    if (!data) return;
    settings_file_parse(data, size, gfx, ui);
    read_file_free(data);
}

int settings_file_write(const graphics_config* gfx, const ui_config* ui) {
    uint8_t buffer[SETTINGS_FILE_CAPACITY];
    uint32_t size = settings_file_build(gfx, ui, buffer);
    char path[PATH_CAPACITY], temp[PATH_CAPACITY];
    if (!progdir_path(SETTINGS_FILE_NAME, path, sizeof path) ||
        !progdir_path(SETTINGS_FILE_TEMP_NAME, temp, sizeof temp))
        return 0;
    FILE* f = std::fopen(temp, "wb");
    if (!f) return 0;
    bool ok = std::fwrite(buffer, 1, size, f) == size;
    ok = (std::fclose(f) == 0) && ok;
    if (ok && std::rename(temp, path) == 0) return 1;
    std::remove(temp);
    return 0;
}

} // namespace vantrel
