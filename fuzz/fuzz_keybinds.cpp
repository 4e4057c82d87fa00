// Key-binding blocks from any bytes: a block is taken exactly when it is well formed (the
// "KEYB" tag, version 2, six codes), the codes are the block's own, saving them gives the
// block back, and a refused block leaves the table as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shell/keybinds.h"

using namespace vantrel;

namespace {

constexpr uint32_t BLOCK_SIZE = 6 + 2 * 2 * KEYBIND_ACTIONS;

bool well_formed(const uint8_t* data, size_t size) {
    return size >= BLOCK_SIZE && std::memcmp(data, "KEYB", 4) == 0 &&
           ((data[4] << 8) | data[5]) == KEYB_VERSION;
}

void check_taken(const keybind_config* table, const save_reader* r, const uint8_t* data) {
    if (r->error || r->pos != BLOCK_SIZE) std::abort();
    uint8_t saved[BLOCK_SIZE + 1];
    save_writer w;
    save_writer_init(&w, saved, sizeof saved);
    keybind_config_save(table, &w);
    if (w.pos != BLOCK_SIZE || std::memcmp(saved, data, BLOCK_SIZE) != 0) std::abort();
    for (int a = 0; a < KEYBIND_ACTIONS; a++) {
        if (keybind_config_matches(table, a, 0)) std::abort(); // an empty slot never fires
        for (int s = 0; s < 2; s++) {
            uint16_t code = keybind_config_get(table, a, s);
            if (code != 0 && !keybind_config_matches(table, a, code)) std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    uint8_t* copy = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
    if (!copy) return 0;
    if (size) std::memcpy(copy, data, size);
    keybind_config before, table;
    std::memset(&before, 0xA5, sizeof before);
    table = before;
    save_reader r;
    save_reader_init(&r, copy, uint32_t(size));
    int taken = keybind_config_load(&table, &r);
    if (taken != int(well_formed(copy, size))) std::abort();
    if (taken)
        check_taken(&table, &r, copy);
    else if (std::memcmp(&table, &before, sizeof table) != 0)
        std::abort();
    std::free(copy);
    return 0;
}
