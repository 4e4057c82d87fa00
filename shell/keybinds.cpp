// keybinds: actions and slots outside the table are ignored (get returns "no key").
#include "shell/keybinds.h"

namespace vantrel {

namespace {

constexpr uint32_t KEYB_MAGIC = save_magic("KEYB");

bool valid(int action, int slot) {
    return action >= 0 && action < KEYBIND_ACTIONS && slot >= 0 && slot < 2;
}

} // namespace

void keybind_config_defaults(keybind_config* table, const uint16_t primaries[KEYBIND_ACTIONS]) {
    for (int a = 0; a < KEYBIND_ACTIONS; a++) {
        table->keys[a][0] = primaries[a];
        table->keys[a][1] = 0;
    }
}

void keybind_config_set(keybind_config* table, int action, int slot, uint16_t code) {
    if (valid(action, slot)) table->keys[action][slot] = code;
}

uint16_t keybind_config_get(const keybind_config* table, int action, int slot) {
    return valid(action, slot) ? table->keys[action][slot] : 0;
}

int keybind_config_matches(const keybind_config* table, int action, uint16_t code) {
    if (code == 0 || !valid(action, 0)) return 0;
    return table->keys[action][0] == code || table->keys[action][1] == code;
}

void keybind_config_save(const keybind_config* table, save_writer* w) {
    save_write_header(w, KEYB_MAGIC, KEYB_VERSION);
    for (int a = 0; a < KEYBIND_ACTIONS; a++)
        for (int s = 0; s < 2; s++) save_write_u16(w, table->keys[a][s]);
}

int keybind_config_load(keybind_config* table, save_reader* r) {
    if (save_read_header(r, KEYB_MAGIC) != KEYB_VERSION || r->error) return 0;
    keybind_config t;
    for (int a = 0; a < KEYBIND_ACTIONS; a++)
        for (int s = 0; s < 2; s++) t.keys[a][s] = save_read_u16(r);
    if (r->error) return 0;
    *table = t;
    return 1;
}

} // namespace vantrel
