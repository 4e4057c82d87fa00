// graphics: the stored graphics settings, their "GRFX" block, and the configuration the
// renderer actually uses once the settings meet the detected processor.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/save.h"

namespace vantrel {

// Value 0 of every choice is "auto".
struct graphics_config {
    uint32_t output_path;    // 0 auto, 1 "030", 2 "040/060"
    uint32_t shading;        // 0 auto, 1 off, 2 triangles
    uint32_t particles;      // 0 auto, 1 off, 2 few, 3 many
    uint32_t detail;         // 0 auto, 1 low, 2 high, 3 ultra, 4 crazy
    uint32_t view;           // 0 "320x124", 1 "320x180"
    uint32_t fpu_use;        // 0 auto, 1 off, 2 on
    uint32_t screen_mode_id; // display mode id from the setup tool; 0 = the default mode
    uint32_t fps_cap;        // 0 = 50 fps, 1 = 25 fps, 2 = no cap
};

struct graphics_resolved {
    uint32_t cpu_class;   // 0 unknown, 1 68030, 2 68040, 3 68060
    uint32_t output_path; // 1 or 2
    uint32_t shading;     // 1 or 2
    uint32_t particles;   // 1-3
    uint32_t detail;      // 1-4
    uint32_t view;
    uint32_t output_auto;
    uint32_t shading_auto;
    uint32_t particles_auto;
    uint32_t detail_auto;
    uint32_t output_forced; // "040/060" asked for on a processor that cannot run it
};

// The graphics settings in use: defaults, then the settings file, then the settings page.
extern graphics_config gfx_cfg;

constexpr uint16_t GRFX_VERSION = 7;
constexpr uint32_t GRFX_BLOCK_SIZE = 17;

void graphics_config_defaults(graphics_config* cfg);
void graphics_config_save(const graphics_config* cfg, save_writer* w);
// Versions 4-7; 1 and the record filled only when the whole block is valid.
int graphics_config_load(graphics_config* cfg, save_reader* r);

void graphics_resolve(graphics_resolved* out, const graphics_config* cfg, uint32_t cpu_class);
int graphics_fpu_enabled(const graphics_config* cfg, uint32_t cpu_class, int has_fpu);
// "CPU: ... | vystup: ... | stinovani: ..." for the console.
void graphics_describe(const graphics_resolved* resolved, char* buffer, size_t size);

// Names by value; a value outside the listed ones gives the "auto"-like last entry.
const char* cpu_class_name(uint32_t cpu_class);
const char* render_path_name(uint32_t output_path);
const char* shading_mode_name(uint32_t shading);
const char* particles_mode_name(uint32_t particles);
const char* detail_mode_name(uint32_t detail);
const char* detail_model_suffix(uint32_t detail);
const char* fpu_mode_name(uint32_t fpu_use);
const char* fps_cap_name(uint32_t fps_cap);
const char* view_mode_name(uint32_t view);
uint32_t particles_mode_limit(uint32_t particles);
// The globe drawer's setting for a resolved detail: coarse globes at low and high detail,
// the automatic choice (coarse only for large discs) at ultra, every pixel at crazy.
int globe_detail_setting(uint32_t detail);
uint32_t fps_cap_period_us(uint32_t fps_cap);

} // namespace vantrel
