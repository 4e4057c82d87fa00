// ui_config: the language name is stored as a length byte and the bytes, no terminator.
#include "shell/ui_config.h"

#include <cstring>

namespace vantrel {

namespace {

constexpr uint32_t UICF_MAGIC = save_magic("UICF");

} // namespace

ui_config ui_cfg;

void ui_config_defaults(ui_config* cfg) {
    std::memset(cfg, 0, sizeof *cfg);
}

void ui_config_save(const ui_config* cfg, save_writer* w) {
    size_t n = strnlen(cfg->language, UI_LANGUAGE_MAX);
    save_write_header(w, UICF_MAGIC, UICF_VERSION);
    save_write_u8(w, static_cast<uint8_t>(n));
    save_write_bytes(w, cfg->language, static_cast<uint32_t>(n));
}

int ui_config_load(ui_config* cfg, save_reader* r) {
    if (save_read_header(r, UICF_MAGIC) != UICF_VERSION || r->error) return 0;
    uint8_t n = save_read_u8(r);
    if (r->error || n > UI_LANGUAGE_MAX) return 0;
    char name[UI_LANGUAGE_MAX + 1] = {};
    save_read_bytes(r, name, n);
    if (r->error) return 0;
    // Printable, no spaces: the name becomes part of a catalog path.
    for (int i = 0; i < n; i++)
        if (name[i] < '!' || name[i] > '~') return 0;
    std::memcpy(cfg->language, name, sizeof name);
    return 1;
}

} // namespace vantrel
