// keybinds: the flight's key binding table (two raw key codes per action) and its "KEYB" block.
#pragma once

#include <cstdint>

#include "core/save.h"

namespace vantrel {

constexpr int KEYBIND_ACTIONS = 3; // 0 thrust forward, 1 thrust back, 2 fire

struct keybind_config {
    uint16_t keys[KEYBIND_ACTIONS][2]; // primary, alternate; 0 = no key
};

constexpr uint16_t KEYB_VERSION = 2;

void keybind_config_defaults(keybind_config* table, const uint16_t primaries[KEYBIND_ACTIONS]);
void keybind_config_set(keybind_config* table, int action, int slot, uint16_t code);
uint16_t keybind_config_get(const keybind_config* table, int action, int slot);
// Never matches code 0, so an empty slot never fires.
int keybind_config_matches(const keybind_config* table, int action, uint16_t code);
void keybind_config_save(const keybind_config* table, save_writer* w);
int keybind_config_load(keybind_config* table, save_reader* r);

} // namespace vantrel
