// graphics: settings block, resolution rules and the name tables.
#include "shell/graphics.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace vantrel {

namespace {

constexpr uint32_t GRFX_MAGIC = save_magic("GRFX");

// Looks a value up in a table of names for 1, 2, ...; anything else gives the fallback.
template <size_t N>
const char* name_of(uint32_t v, const char* const (&names)[N], const char* other) {
    return v >= 1 && v <= N ? names[v - 1] : other;
}

bool cpu_is_fast(uint32_t cpu) {
    return cpu == 2 || cpu == 3;
} // 68040 or 68060

} // namespace

graphics_config gfx_cfg;

void graphics_config_defaults(graphics_config* cfg) {
    std::memset(cfg, 0, sizeof *cfg);
}

void graphics_config_save(const graphics_config* cfg, save_writer* w) {
    save_write_header(w, GRFX_MAGIC, GRFX_VERSION);
    for (uint32_t v :
         {cfg->output_path, cfg->shading, cfg->particles, cfg->detail, cfg->view, cfg->fpu_use})
        save_write_u8(w, static_cast<uint8_t>(v));
    save_write_u32(w, cfg->screen_mode_id);
    save_write_u8(w, static_cast<uint8_t>(cfg->fps_cap));
}

int graphics_config_load(graphics_config* cfg, save_reader* r) {
    uint16_t version = save_read_header(r, GRFX_MAGIC);
    if (r->error || version < 4 || version > 7) return 0;
    // Each version added fields at the end; what an older block lacks stays "auto".
    graphics_config c{};
    c.output_path = save_read_u8(r);
    c.shading = save_read_u8(r);
    c.particles = save_read_u8(r);
    c.detail = save_read_u8(r);
    c.view = save_read_u8(r);
    if (version >= 5) c.fpu_use = save_read_u8(r);
    if (version >= 6) c.screen_mode_id = save_read_u32(r);
    if (version >= 7) c.fps_cap = save_read_u8(r);
    if (r->error) return 0;
    if (c.output_path > 2 || c.shading > 2 || c.particles > 3 || c.detail > 4 || c.view > 1 ||
        c.fpu_use > 2 || c.fps_cap > 2)
        return 0;
    *cfg = c;
    return 1;
}

void graphics_resolve(graphics_resolved* out, const graphics_config* cfg, uint32_t cpu_class) {
    bool fast = cpu_is_fast(cpu_class);
    graphics_resolved g{};
    g.cpu_class = cpu_class;
    g.output_path = cfg->output_path == 1 ? 1 : (fast ? 2 : 1);
    g.output_forced = cfg->output_path == 2 && !fast;
    g.shading = (cfg->shading == 1 || cfg->shading == 2) ? cfg->shading : (fast ? 2 : 1);
    g.particles = (cfg->particles >= 1 && cfg->particles <= 3) ? cfg->particles : (fast ? 3 : 2);
    g.detail = (cfg->detail >= 1 && cfg->detail <= 4) ? cfg->detail : (fast ? 2 : 1);
    g.view = cfg->view;
    g.output_auto = cfg->output_path == 0;
    g.shading_auto = cfg->shading == 0;
    g.particles_auto = cfg->particles == 0;
    g.detail_auto = cfg->detail == 0;
    *out = g;
}

int graphics_fpu_enabled(const graphics_config* cfg, uint32_t cpu_class, int has_fpu) {
    if (!has_fpu) return 0;
    if (cfg->fpu_use == 1) return 0;
    if (cfg->fpu_use == 2) return 1;
    return cpu_is_fast(cpu_class);
}

void graphics_describe(const graphics_resolved* g, char* buffer, size_t size) {
    const char* output_note = g->output_forced ? " (vynuceno 030, CPU neumi 040/060)"
                              : g->output_auto ? " (auto)"
                                               : " (nastaveno)";
    const char* shading_note = g->shading_auto ? " (auto)" : " (nastaveno)";
    std::snprintf(buffer, size, "CPU: %s | vystup: %s%s | stinovani: %s%s",
                  cpu_class_name(g->cpu_class), render_path_name(g->output_path), output_note,
                  shading_mode_name(g->shading), shading_note);
}

const char* cpu_class_name(uint32_t v) {
    static const char* const NAMES[] = {"68030", "68040", "68060"};
    return name_of(v, NAMES, "neznamy");
}

const char* render_path_name(uint32_t v) {
    static const char* const NAMES[] = {"030", "040/060"};
    return name_of(v, NAMES, "auto");
}

const char* shading_mode_name(uint32_t v) {
    static const char* const NAMES[] = {"vypnuto", "trojuhelniky"};
    return name_of(v, NAMES, "auto");
}

const char* particles_mode_name(uint32_t v) {
    static const char* const NAMES[] = {"vypnuto", "malo", "hodne"};
    return name_of(v, NAMES, "auto");
}

const char* detail_mode_name(uint32_t v) {
    static const char* const NAMES[] = {"malo", "hodne", "ultra", "crazy"};
    return name_of(v, NAMES, "auto");
}

// Detail 2 is the base model file itself.
const char* detail_model_suffix(uint32_t v) {
    static const char* const NAMES[] = {"_lo", "", "_ul", "_cz"};
    return name_of(v, NAMES, "");
}

const char* fpu_mode_name(uint32_t v) {
    static const char* const NAMES[] = {"vypnuto", "zapnuto"};
    return name_of(v, NAMES, "auto");
}

const char* fps_cap_name(uint32_t v) {
    static const char* const NAMES[] = {"25", "bez omezeni"};
    return name_of(v, NAMES, "50");
}

const char* view_mode_name(uint32_t v) {
    return v == 1 ? "320x180" : "320x124";
}

uint32_t particles_mode_limit(uint32_t v) {
    static const uint32_t LIMITS[] = {0, 48, 160};
    return v >= 1 && v <= 3 ? LIMITS[v - 1] : 0;
}

int globe_detail_setting(uint32_t detail) {
    if (detail >= 4) return 0;
    return detail == 3 ? 2 : 1;
}

uint32_t fps_cap_period_us(uint32_t v) {
    static const uint32_t PERIODS[] = {40000, 0};
    return v >= 1 && v <= 2 ? PERIODS[v - 1] : 20000;
}

} // namespace vantrel
