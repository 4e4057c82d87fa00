// cockpit_panel: the "cockpit.cpt" file that frames the flight view: its bands, buttons and
// sprites.
#pragma once

#include <cstdint>

namespace vantrel {

constexpr int PANEL_MAX_BUTTONS = 24;
constexpr int PANEL_MAX_SPRITES = 80;
constexpr uint32_t PANEL_HEADER_SIZE = 16;
constexpr uint32_t PANEL_BUTTON_SIZE = 10;
constexpr uint32_t PANEL_SPRITE_HEADER_SIZE = 18;

// Sprite kinds, looked up together with their index.
enum panel_sprite_kind : uint8_t {
    PANEL_SPRITE_SELECTOR = 1, // index = panel-values byte 9
    PANEL_SPRITE_LAMP = 2,     // 0 lit, 1 dark
    PANEL_SPRITE_STORE = 3,    // icon of the selected pylon store type
    PANEL_SPRITE_DIGIT = 4,    // stores count digits, 10 = blank
    PANEL_SPRITE_READOUT = 5,
    PANEL_SPRITE_GAUGE = 6, // frames of bar gauges 0-4
    PANEL_SPRITE_SCOPE = 7, // radar scope: centre x, centre y, x and z scales in 1/1024
    PANEL_SPRITE_GLYPH = 8, // index = position in PANEL_GLYPHS
};

// The characters of the text readouts, in glyph-index order.
constexpr char PANEL_GLYPHS[] = "0123456789.:-SD";

struct panel_button {
    uint8_t action; // the panel action it triggers and the lit-mask bit that lights it
    uint8_t extra;
    int16_t x0, y0, x1, y1; // inclusive, screen pixels
};

struct panel_sprite {
    uint8_t kind;
    uint8_t index;
    int16_t x, y;
    uint16_t w, h;
    int16_t param[4];
    const uint8_t* pixels; // w x h, inside the file buffer
};

struct cockpit_panel {
    uint16_t width, top_rows, bottom_rows; // W, H1, H2
    uint16_t first_colour, colour_count;   // F, C
    const uint8_t* palette;                // C x RGB
    const uint8_t* normal;                 // (H1 + H2) x W
    const uint8_t* lit;
    uint16_t button_count, sprite_count;
    panel_button buttons[PANEL_MAX_BUTTONS];
    panel_sprite sprites[PANEL_MAX_SPRITES];
};

// The flight's shorter screen, and the rows of 3D view the bands must leave on a screen: the
// clock line sits in the view's bottom 16 rows, and the depth clear needs a view at all.
constexpr int PANEL_SHORTEST_SCREEN = 200;
constexpr int PANEL_MIN_VIEW_ROWS = 16;

// Clears the panel, then validates and parses the file in place (the buffer must outlive the
// panel). 1 on success, 0 on any structural error, and 0 for bands too tall to leave a view
// on the shorter flight screen.
int cockpit_panel_parse(const uint8_t* file, uint32_t size, cockpit_panel* panel);

// 1 when the bands leave at least PANEL_MIN_VIEW_ROWS rows of view on a screen that tall.
int cockpit_panel_fits(const cockpit_panel* panel, int height);

// The action code of the first button (in file order) containing (x, y), bounds inclusive;
// -1 when none does.
int cockpit_panel_hit(const cockpit_panel* panel, int x, int y);

// Copies the panel's colours into entries F .. F + C - 1 of a 256-entry RGB palette.
void cockpit_panel_apply_palette(const cockpit_panel* panel, uint8_t* palette768);

// The sprite of the given kind and index, or none.
const panel_sprite* cockpit_panel_sprite(const cockpit_panel* panel, int kind, int index);

} // namespace vantrel
