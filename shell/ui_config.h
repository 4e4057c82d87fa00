// ui_config: the UI settings (the preferred catalog language) and their "UICF" block.
#pragma once

#include <cstdint>

#include "core/save.h"

namespace vantrel {

constexpr int UI_LANGUAGE_MAX = 23;

struct ui_config {
    char language[UI_LANGUAGE_MAX + 1]; // empty: the system's language preferences decide
};

extern ui_config ui_cfg;

constexpr uint16_t UICF_VERSION = 1;

void ui_config_defaults(ui_config* cfg);
// Writes at most the first 23 characters of the name.
void ui_config_save(const ui_config* cfg, save_writer* w);
// Refuses a name longer than 23 bytes or with any byte outside '!'..'~'.
int ui_config_load(ui_config* cfg, save_reader* r);

} // namespace vantrel
