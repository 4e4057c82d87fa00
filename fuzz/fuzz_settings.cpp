// Settings files from any bytes: loading never fails loudly and leaves valid settings.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shell/settings_file.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!copy) return 0;
    if (size) std::memcpy(copy, data, size);
    graphics_config gfx{};
    ui_config ui{};
    settings_file_parse(copy, uint32_t(size), &gfx, &ui);
    if (gfx.output_path > 2 || gfx.shading > 2 || gfx.particles > 3 || gfx.detail > 4 ||
        gfx.view > 1 || gfx.fpu_use > 2 || gfx.fps_cap > 2)
        std::abort();
    if (ui.language[UI_LANGUAGE_MAX] != '\0') std::abort();
    for (const char* p = ui.language; *p; p++)
        if (*p < '!' || *p > '~') std::abort();
    std::free(copy);
    return 0;
}
