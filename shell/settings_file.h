// settings_file: "PROGDIR:Vantrel.cfg", a "GRFX" block followed by a "UICF" block.
#pragma once

#include <cstdint>

#include "shell/graphics.h"
#include "shell/ui_config.h"

namespace vantrel {

constexpr const char* SETTINGS_FILE_NAME = "PROGDIR:Vantrel.cfg";
constexpr const char* SETTINGS_FILE_LEGACY_NAME = "PROGDIR:zaltern.cfg";
constexpr uint32_t SETTINGS_FILE_CAPACITY = 64;

// Fills the buffer with the file's bytes; returns their count.
uint32_t settings_file_build(const graphics_config* gfx, const ui_config* ui,
                             uint8_t buffer[SETTINGS_FILE_CAPACITY]);
// Loads the settings from a file's bytes: the graphics block first, then the UI block; a
// record changes only when its block (and every block before it) is valid. A graphics block
// from a newer version of the game leaves the graphics settings alone, but a valid UI block
// behind it still chooses the language.
void settings_file_parse(const uint8_t* data, uint32_t size, graphics_config* gfx, ui_config* ui);
// Reads the settings file, or the legacy name when the main one cannot be read; with
// neither the records keep what they hold.
void settings_file_read(graphics_config* gfx, ui_config* ui);
// Writes the settings file. The bytes go to a temporary file beside it that is renamed over
// the old one, so a failure never leaves a half-written settings file. A file written by a
// newer version of the game is left as it is. Anything but a replaced file (the return of 1)
// is said in one line: the settings then hold for this run only.
int settings_file_write(const graphics_config* gfx, const ui_config* ui);

} // namespace vantrel
