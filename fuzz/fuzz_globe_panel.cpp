// Globe textures and cockpit panels from any bytes: both parsers must refuse or accept without
// reading past the input, and everything they accept must lie inside it.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "flight/cockpit_panel.h"
#include "render/globe.h"

using namespace vantrel;

namespace {

void check_inside(const uint8_t* base, size_t size, const uint8_t* p, uint64_t bytes) {
    if (bytes == 0) return;
    if (p < base || uint64_t(p - base) + bytes > size) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!copy) return 0;
    if (size) std::memcpy(copy, data, size);
    globe_texture t;
    if (globe_texture_parse(copy, uint32_t(size), &t)) {
        if (t.width == 0 || (t.width & (t.width - 1)) || (1u << t.shift) != t.width) std::abort();
        check_inside(copy, size, t.pixels, uint64_t(t.width) * t.height);
    }
    static cockpit_panel p;
    if (cockpit_panel_parse(copy, uint32_t(size), &p)) {
        uint64_t image = uint64_t(p.top_rows + p.bottom_rows) * p.width;
        check_inside(copy, size, p.palette, 3ull * p.colour_count);
        check_inside(copy, size, p.normal, image);
        check_inside(copy, size, p.lit, image);
        if (p.button_count > PANEL_MAX_BUTTONS || p.sprite_count > PANEL_MAX_SPRITES) std::abort();
        // Whatever loads must leave a view on both flight screens.
        if (!cockpit_panel_fits(&p, PANEL_SHORTEST_SCREEN) || !cockpit_panel_fits(&p, 256))
            std::abort();
        for (int i = 0; i < p.sprite_count; i++)
            check_inside(copy, size, p.sprites[i].pixels,
                         uint64_t(p.sprites[i].w) * p.sprites[i].h);
        cockpit_panel_hit(&p, 10, 10);
    }
    std::free(copy);
    return 0;
}
