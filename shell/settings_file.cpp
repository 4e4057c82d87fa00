// settings_file: reading with the legacy fall-back name; writing through a temporary file.
#include "shell/settings_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "shell/services.h"

namespace vantrel {

namespace {

constexpr const char* SETTINGS_FILE_TEMP_NAME = "PROGDIR:Vantrel.cfg.new";
constexpr size_t PATH_CAPACITY = 4096;

// A graphics block from a later version of the game: its fields are not ours to read, and
// writing our own file over it would throw the newer game's settings away.
bool newer_graphics_block(const uint8_t* data, uint32_t size) {
    return size >= 6 && std::memcmp(data, "GRFX", 4) == 0 &&
           ((data[4] << 8) | data[5]) > GRFX_VERSION;
}

// The UI block behind a graphics block of unknown length: the first place from which a UI
// block loads whole.
void load_ui_after_newer_block(const uint8_t* data, uint32_t size, ui_config* ui) {
    for (uint32_t at = 6; at + 6 <= size; at++) {
        if (std::memcmp(data + at, "UICF", 4) != 0) continue;
        save_reader r;
        save_reader_init(&r, data + at, size - at);
        ui_config u;
        ui_config_defaults(&u);
        if (ui_config_load(&u, &r)) {
            *ui = u;
            return;
        }
    }
}

bool settings_file_is_newer() {
    uint32_t size = 0;
    uint8_t* data = read_user_file(SETTINGS_FILE_NAME, USER_CONFIG, &size);
    bool newer = data && newer_graphics_block(data, size);
    read_file_free(data);
    return newer;
}

// The settings file's name as the messages give it: "PROGDIR:Vantrel.cfg" beside the data,
// else the path in the player's directory.
void settings_display_name(char* out, size_t size) {
    if (progdir_is_writable() || user_file_path(SETTINGS_FILE_NAME, USER_CONFIG, out, size))
        std::snprintf(out, size, "%s", SETTINGS_FILE_NAME);
}

// Writes the bytes to the temporary file and renames it over the settings file, so that a
// failed write (a full disk, a file-size limit) leaves the old file whole; on failure returns
// the reason.
const char* replace_settings_file(const uint8_t* bytes, uint32_t size) {
    char path[PATH_CAPACITY], temp[PATH_CAPACITY];
    const char* why = user_file_path(SETTINGS_FILE_NAME, USER_CONFIG, path, sizeof path);
    if (!why) why = user_file_path(SETTINGS_FILE_TEMP_NAME, USER_CONFIG, temp, sizeof temp);
    if (why) return why;
    FILE* f = std::fopen(temp, "wb");
    if (!f) return std::strerror(errno);
    int error = std::fwrite(bytes, 1, size, f) == size ? 0 : errno;
    if (std::fclose(f) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temp, path) == 0) return nullptr;
    if (error == 0) error = errno;
    std::remove(temp);
    return std::strerror(error ? error : EIO);
}

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
    if (newer_graphics_block(data, size)) {
        load_ui_after_newer_block(data, size, ui);
        return;
    }
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
    uint8_t* data = read_user_file(SETTINGS_FILE_NAME, USER_CONFIG, &size);
    if (!data) data = read_user_file(SETTINGS_FILE_LEGACY_NAME, USER_CONFIG, &size);
    if (!data) return;
    settings_file_parse(data, size, gfx, ui);
    read_file_free(data);
}

int settings_file_write(const graphics_config* gfx, const ui_config* ui) {
    char name[PATH_CAPACITY];
    settings_display_name(name, sizeof name);
    if (settings_file_is_newer()) {
        std::printf("settings: %s is from a newer version of the game, left as it is; the "
                    "changes hold for this run\n",
                    name);
        return 0;
    }
    uint8_t buffer[SETTINGS_FILE_CAPACITY];
    uint32_t size = settings_file_build(gfx, ui, buffer);
    const char* why = replace_settings_file(buffer, size);
    if (!why) return 1;
    std::printf("settings: could not save %s (%s); the changes hold for this run\n", name, why);
    return 0;
}

} // namespace vantrel
