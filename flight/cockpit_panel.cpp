// cockpit_panel: parsing of "cockpit.cpt", button hits and the panel's palette.
#include "flight/cockpit_panel.h"

#include <cstring>

#include "core/save.h"

namespace vantrel {

namespace {

constexpr uint32_t PANEL_MAGIC = save_magic("CPT1");

// Reads the buttons at the reader's position; false when there are too many or they run past
// the end of the file.
bool parse_buttons(save_reader* r, cockpit_panel* panel) {
    uint16_t count = save_read_u16(r);
    if (r->error || count > PANEL_MAX_BUTTONS) return false;
    for (uint16_t i = 0; i < count; i++) {
        panel_button& b = panel->buttons[i];
        b.action = save_read_u8(r);
        b.extra = save_read_u8(r);
        b.x0 = static_cast<int16_t>(save_read_u16(r));
        b.y0 = static_cast<int16_t>(save_read_u16(r));
        b.x1 = static_cast<int16_t>(save_read_u16(r));
        b.y1 = static_cast<int16_t>(save_read_u16(r));
    }
    if (r->error) return false;
    panel->button_count = count;
    return true;
}

bool parse_sprites(save_reader* r, cockpit_panel* panel) {
    // The count itself must be there: a file that ends right after the buttons is cut short.
    uint16_t count = save_read_u16(r);
    if (r->error || count > PANEL_MAX_SPRITES) return false;
    for (uint16_t i = 0; i < count; i++) {
        panel_sprite& s = panel->sprites[i];
        s.kind = save_read_u8(r);
        s.index = save_read_u8(r);
        s.x = static_cast<int16_t>(save_read_u16(r));
        s.y = static_cast<int16_t>(save_read_u16(r));
        s.w = save_read_u16(r);
        s.h = save_read_u16(r);
        for (int16_t& p : s.param) p = static_cast<int16_t>(save_read_u16(r));
        if (r->error) return false;
        uint64_t bytes = uint64_t(s.w) * s.h;
        if (r->pos + bytes > r->size) return false;
        s.pixels = r->data + r->pos;
        r->pos += static_cast<uint32_t>(bytes);
    }
    panel->sprite_count = count;
    return true;
}

} // namespace

int cockpit_panel_parse(const uint8_t* file, uint32_t size, cockpit_panel* panel) {
    std::memset(panel, 0, sizeof *panel);
    if (!file || size < PANEL_HEADER_SIZE) return 0;
    save_reader r;
    save_reader_init(&r, file, size);
    if (save_read_header(&r, PANEL_MAGIC) != 1) return 0;
    cockpit_panel p{};
    p.width = save_read_u16(&r);
    p.top_rows = save_read_u16(&r);
    p.bottom_rows = save_read_u16(&r);
    p.first_colour = save_read_u16(&r);
    p.colour_count = save_read_u16(&r);
    if (r.error || p.first_colour + p.colour_count > 256) return 0;
    if (!cockpit_panel_fits(&p, PANEL_SHORTEST_SCREEN)) return 0;
    uint64_t image = uint64_t(p.top_rows + p.bottom_rows) * p.width;
    // Header, palette, both images and the button count.
    if (PANEL_HEADER_SIZE + 3ull * p.colour_count + 2 * image + 2 > size) return 0;
    p.palette = file + PANEL_HEADER_SIZE;
    p.normal = p.palette + 3 * p.colour_count;
    p.lit = p.normal + image;
    r.pos = static_cast<uint32_t>(PANEL_HEADER_SIZE + 3ull * p.colour_count + 2 * image);
    if (!parse_buttons(&r, &p) || !parse_sprites(&r, &p)) return 0;
    *panel = p;
    return 1;
}

int cockpit_panel_fits(const cockpit_panel* panel, int height) {
    return int64_t{panel->top_rows} + panel->bottom_rows + PANEL_MIN_VIEW_ROWS <= height;
}

int cockpit_panel_hit(const cockpit_panel* panel, int x, int y) {
    for (int i = 0; i < panel->button_count; i++) {
        const panel_button& b = panel->buttons[i];
        if (x >= b.x0 && x <= b.x1 && y >= b.y0 && y <= b.y1) return b.action;
    }
    return -1;
}

void cockpit_panel_apply_palette(const cockpit_panel* panel, uint8_t* palette768) {
    if (panel->colour_count == 0 || !panel->palette) return;
    std::memcpy(palette768 + 3 * panel->first_colour, panel->palette, 3u * panel->colour_count);
}

const panel_sprite* cockpit_panel_sprite(const cockpit_panel* panel, int kind, int index) {
    for (int i = 0; i < panel->sprite_count; i++) {
        const panel_sprite& s = panel->sprites[i];
        if (s.kind == kind && s.index == index) return &s;
    }
    return nullptr;
}

} // namespace vantrel
