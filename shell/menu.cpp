// menu: page layout, entry texts and the key table.
#include "shell/menu.h"

#include <cstdio>

#include "render/text.h"
#include "shell/loc.h"
#include "shell/version.h"

namespace vantrel {

namespace {

// Raw key codes the menu answers to.
constexpr int KEY_W = 0x11, KEY_S = 0x21, KEY_A = 0x20, KEY_D = 0x22, KEY_M = 0x37;
constexpr int KEY_SPACE = 0x40, KEY_ENTER = 0x43, KEY_RETURN = 0x44, KEY_ESC = 0x45;
constexpr int KEY_UP = 0x4C, KEY_DOWN = 0x4D, KEY_RIGHT = 0x4E, KEY_LEFT = 0x4F;

// Palette entries of the menu's colours.
constexpr uint8_t COLOUR_TEXT = 93, COLOUR_SELECTED = 94, COLOUR_SHADOW = 95;
constexpr uint8_t COLOUR_ENTRY = 255;

// Message ids of the main page's entries, top to bottom.
constexpr int MAIN_LABELS[MENU_MAIN_ENTRIES] = {1, 2, 3, 79, 87, 98, 162, 5, 6};
constexpr int MSG_DOCK_MISSING = 4;
// Message ids of the settings page's labels.
constexpr int SETTINGS_LABELS[MENU_SETTINGS_ENTRIES] = {12, 13, 14, 15, 77, 81, 96, 7};
constexpr int MSG_AUTO = 16, MSG_OFF = 17, MSG_TRIANGLES = 18, MSG_LOW = 19, MSG_HIGH = 20,
              MSG_ULTRA = 21, MSG_ON = 80;

int wrap(int v, int n) {
    return (v % n + n) % n;
}

// Steps a setting in 0..n-1 with wrap-around.
uint32_t step_mod(uint32_t v, int n, int delta) {
    return static_cast<uint32_t>(wrap(static_cast<int>(v % uint32_t(n)) + delta, n));
}

const char* shading_word(uint32_t v) {
    return loc(v == 1 ? MSG_OFF : v == 2 ? MSG_TRIANGLES : MSG_AUTO);
}
const char* particles_word(uint32_t v) {
    return loc(v == 1 ? MSG_OFF : v == 2 ? MSG_LOW : v == 3 ? MSG_HIGH : MSG_AUTO);
}
// Detail 4 ("crazy") has no word of its own on the page: it shows as "auto".
const char* detail_word(uint32_t v) {
    return loc(v == 1 ? MSG_LOW : v == 2 ? MSG_HIGH : v == 3 ? MSG_ULTRA : MSG_AUTO);
}

void draw_centred(uint8_t* frame, int width, int height, int y, const char* text, uint8_t colour,
                  uint8_t shadow) {
    int x = (width - text_width(text)) >> 1;
    text_draw_shadow(frame, width, height, x, y, text, colour, shadow);
}

// One entry, framed by "> <" while the cursor is on it.
void menu_item(uint8_t* frame, int width, int height, int y, const char* label, bool selected) {
    char text[48];
    if (selected)
        std::snprintf(text, sizeof text, "> %s <", label);
    else
        std::snprintf(text, sizeof text, "%s", label);
    draw_centred(frame, width, height, y, text, selected ? COLOUR_SELECTED : COLOUR_ENTRY,
                 COLOUR_SHADOW);
}

// Halves the brightness of a panel by blacking every other pixel, so the entries stand out
// over the scene while the scene still shows through.
void darken(uint8_t* frame, int width, int height, int y_first, int y_last, int x_first,
            int x_last) {
    for (int y = y_first; y <= y_last; y++) {
        if (y < 0 || y >= height) continue;
        for (int x = x_first; x <= x_last; x++)
            if (x >= 0 && x < width && ((x + y) & 1) == 0) frame[y * width + x] = 0;
    }
}

void draw_main_page(const menu_state* m, uint8_t* frame, int width, int height, int y0,
                    const graphics_resolved* g, const menu_facts* facts) {
    if (y0 > MENU_LOWEST_Y0) y0 = MENU_LOWEST_Y0;
    darken(frame, width, height, y0 - 5, y0 + 104, 40, 279);
    for (int i = 0; i < MENU_MAIN_ENTRIES; i++) {
        int id = MAIN_LABELS[i];
        if (i == MENU_DEMO_DOCK && !facts->dock_models_loaded) id = MSG_DOCK_MISSING;
        menu_item(frame, width, height, y0 + 12 * i, loc(id), m->cursor == i);
    }
    char line[96];
    std::snprintf(line, sizeof line, loc(9), cpu_class_name(g->cpu_class),
                  render_path_name(g->output_path), shading_word(g->shading));
    draw_centred(frame, width, height, 244, line, COLOUR_TEXT, COLOUR_SHADOW);
    text_draw_shadow(frame, width, height, 316 - text_width(VANTREL_MENU_VERSION), 4,
                     VANTREL_MENU_VERSION, COLOUR_TEXT, COLOUR_SHADOW);
}

void draw_settings_page(const menu_state* m, uint8_t* frame, int width, int height,
                        const graphics_config* cfg, const graphics_resolved* g,
                        const menu_facts* facts) {
    darken(frame, width, height, 128, 254, 16, 303);
    draw_centred(frame, width, height, 132, loc(5), COLOUR_ENTRY, COLOUR_SHADOW);
    for (int i = 0; i < MENU_SETTINGS_ENTRIES; i++) {
        char text[64];
        menu_settings_entry_text(cfg, facts, i, text, sizeof text);
        menu_item(frame, width, height, 143 + 10 * i, text, m->cursor == i);
    }
    char line[96];
    std::snprintf(line, sizeof line, loc(10), cpu_class_name(g->cpu_class));
    draw_centred(frame, width, height, 226, line, COLOUR_TEXT, COLOUR_SHADOW);
    std::snprintf(line, sizeof line, loc(11), render_path_name(g->output_path),
                  shading_word(g->shading), particles_word(g->particles), detail_word(g->detail),
                  g->output_forced ? " (!)" : "");
    draw_centred(frame, width, height, 236, line, COLOUR_TEXT, COLOUR_SHADOW);
    draw_centred(frame, width, height, 247, loc(8), COLOUR_TEXT, COLOUR_SHADOW);
}

int main_page_key(menu_state* m, int key, const menu_facts* facts) {
    switch (key) {
    case KEY_W:
    case KEY_UP:
        m->cursor = wrap(m->cursor - 1, MENU_MAIN_ENTRIES);
        return MENU_STAY;
    case KEY_S:
    case KEY_DOWN:
        m->cursor = wrap(m->cursor + 1, MENU_MAIN_ENTRIES);
        return MENU_STAY;
    case KEY_RETURN:
    case KEY_ENTER:
    case KEY_SPACE:
        if (m->cursor == MENU_SETTINGS) {
            m->settings_page = 1;
            m->cursor = 0;
            return MENU_STAY;
        }
        if (m->cursor == MENU_DEMO_DOCK && !facts->dock_models_loaded) return MENU_STAY;
        return m->cursor;
    case KEY_ESC:
        return MENU_QUIT;
    case KEY_M:
        return MENU_MUSIC;
    default:
        return MENU_STAY;
    }
}

int leave_settings(menu_state* m) {
    m->settings_page = 0;
    m->cursor = MENU_SETTINGS;
    return MENU_SAVE;
}

int settings_page_key(menu_state* m, int key, graphics_config* cfg) {
    switch (key) {
    case KEY_W:
    case KEY_UP:
        m->cursor = wrap(m->cursor - 1, MENU_SETTINGS_ENTRIES);
        return MENU_STAY;
    case KEY_S:
    case KEY_DOWN:
        m->cursor = wrap(m->cursor + 1, MENU_SETTINGS_ENTRIES);
        return MENU_STAY;
    case KEY_A:
    case KEY_LEFT:
        menu_settings_step(cfg, m->cursor, -1);
        return MENU_STAY;
    case KEY_D:
    case KEY_RIGHT:
        menu_settings_step(cfg, m->cursor, +1);
        return MENU_STAY;
    case KEY_RETURN:
    case KEY_ENTER:
    case KEY_SPACE:
        if (m->cursor == MENU_SETTINGS_BACK) return leave_settings(m);
        menu_settings_step(cfg, m->cursor, +1);
        return MENU_STAY;
    case KEY_ESC:
        return leave_settings(m);
    case KEY_M:
        return MENU_MUSIC;
    default:
        return MENU_STAY;
    }
}

} // namespace

void menu_reset(menu_state* m) {
    m->settings_page = 0;
    m->cursor = 0;
}

int menu_key(menu_state* m, int raw_key, graphics_config* cfg, const menu_facts* facts) {
    return m->settings_page ? settings_page_key(m, raw_key, cfg) : main_page_key(m, raw_key, facts);
}

void menu_settings_step(graphics_config* cfg, int entry, int delta) {
    switch (entry) {
    case 0:
        cfg->shading = step_mod(cfg->shading, 3, delta);
        break;
    case 1:
        cfg->output_path = step_mod(cfg->output_path, 3, delta);
        break;
    // Particles step in the low two bits, so "auto" (0) stepped down is "high" (3).
    case 2:
        cfg->particles = (cfg->particles + static_cast<uint32_t>(delta)) & 3u;
        break;
    case 3:
        cfg->detail = step_mod(cfg->detail, 5, delta);
        break;
    case 4:
        cfg->view = cfg->view ? 0 : 1;
        break;
    case 5:
        cfg->fpu_use = step_mod(cfg->fpu_use, 3, delta);
        break;
    case 6:
        cfg->fps_cap = step_mod(cfg->fps_cap, 3, delta);
        break;
    default:
        break;
    }
}

void menu_settings_entry_text(const graphics_config* cfg, const menu_facts* facts, int entry,
                              char* out, int size) {
    const char* label = loc(SETTINGS_LABELS[entry < 0 || entry > 7 ? 7 : entry]);
    const char* value = nullptr;
    switch (entry) {
    case 0:
        value = shading_word(cfg->shading);
        break;
    case 1:
        value = cfg->output_path == 0 ? loc(MSG_AUTO) : render_path_name(cfg->output_path);
        break;
    case 2:
        value = particles_word(cfg->particles);
        break;
    case 3:
        value = detail_word(cfg->detail);
        break;
    case 4:
        value = view_mode_name(cfg->view);
        break;
    case 5: {
        value = loc(cfg->fpu_use == 1 ? MSG_OFF : cfg->fpu_use == 2 ? MSG_ON : MSG_AUTO);
        const char* suffix = !facts->has_fpu                                               ? " (-)"
                             : graphics_fpu_enabled(cfg, facts->cpu_class, facts->has_fpu) ? " (+)"
                                                                                           : "";
        std::snprintf(out, size_t(size), "%s: %s%s", label, value, suffix);
        return;
    }
    case 6:
        value = cfg->fps_cap == 2 ? loc(MSG_OFF) : cfg->fps_cap == 1 ? "25" : "50";
        break;
    default:
        std::snprintf(out, size_t(size), "%s", label);
        return;
    }
    std::snprintf(out, size_t(size), "%s: %s", label, value);
}

void menu_draw(const menu_state* m, uint8_t* frame, int width, int height, int y0,
               const graphics_config* cfg, const menu_facts* facts) {
    graphics_resolved g;
    graphics_resolve(&g, cfg, facts->cpu_class);
    if (m->settings_page)
        draw_settings_page(m, frame, width, height, cfg, &g, facts);
    else
        draw_main_page(m, frame, width, height, y0, &g, facts);
}

} // namespace vantrel
