// panel: the cockpit panel, its two bands, lit buttons, gauges, radar scope and readouts.
//
// Layout on the 320 x 256 flight screen: a 12-row top band with the page and time-warp buttons
// and a 48-row bottom band with five bar gauges (0 HULL, 1 FUEL, 2 THR thrust, 3 WPN weapons
// heat, shown inverted, 4 SPD speed), the radar scope with its lamp, the two text readouts, the
// weapon-mode indicator (0 GUNS, 1 IR, 2 RADAR, 3 CAMERA, 4 BOMBS), the stores readout and the
// ship-system buttons. Its colours are entries 130-151; the gauge and blip colours are F + 12,
// F + 13 and F + 14 (green, yellow, red). Sprites are placed in panel rows (top band rows first),
// buttons in screen pixels.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

namespace {

constexpr int W = 320, H1 = 12, H2 = 48, F = 130;
constexpr int BOTTOM_Y = PANEL_SCREEN_HEIGHT - H2; // screen row of the bottom band

enum colour : uint8_t {
    P0 = F,
    P1,
    P2,
    P3,
    P4,
    P5, // metal, dark to light
    LCD_BG = F + 6,
    LCD_FG,
    SCOPE_BG = F + 8,
    SCOPE_GRID,
    LIT_FACE = F + 10,
    LIT_LABEL,
    GREEN = F + 12,
    YELLOW,
    RED,
    GAUGE_EMPTY = F + 15,
    ACCENT,
    LAMP_ON,
    LAMP_OFF,
    HIGHLIGHT,
    SHADOW,
    BLUE,
};
constexpr uint8_t PANEL_RGB_TABLE[22][3] = {
    {18, 20, 26},  {32, 35, 44},    {48, 52, 64},  {70, 76, 92},  {100, 108, 128}, {150, 158, 178},
    {8, 22, 16},   {120, 255, 170}, {4, 26, 16},   {26, 96, 60},  {255, 176, 48},  {255, 244, 210},
    {70, 220, 90}, {240, 200, 50},  {240, 70, 50}, {20, 22, 28},  {200, 120, 30},  {90, 255, 120},
    {36, 60, 44},  {200, 208, 225}, {6, 6, 10},    {70, 140, 230}};

struct surface {
    int w, h;
    std::vector<uint8_t> px;
    surface(int w_, int h_, uint8_t c) : w(w_), h(h_), px(size_t(w_) * h_, c) {}
    void put(int x, int y, uint8_t c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c;
    }
    void rect(int x0, int y0, int x1, int y1, uint8_t c) {
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++) put(x, y, c);
    }
    // A bevelled box: raised (light top-left edge) or sunken (dark top-left edge).
    void bevel(int x0, int y0, int x1, int y1, uint8_t face, bool raised) {
        rect(x0, y0, x1, y1, face);
        uint8_t hi = raised ? P4 : SHADOW, lo = raised ? P0 : P4;
        rect(x0, y0, x1, y0, hi);
        rect(x0, y0, x0, y1, hi);
        rect(x0, y1, x1, y1, lo);
        rect(x1, y0, x1, y1, lo);
    }
};

struct fonts {
    glyph_set label, readout;
};

int label_width(const char* s) {
    return int(std::strlen(s)) * 4 - 1;
}

void draw_label(surface& s, const glyph_set& font, int x, int y, const char* text, uint8_t c) {
    for (const char* p = text; *p; p++, x += 4) {
        const auto* g = find_glyph(font, *p);
        if (!g) continue;
        for (size_t r = 0; r < g->size(); r++)
            for (size_t k = 0; k < (*g)[r].size(); k++)
                if ((*g)[r][k] == '#') s.put(x + int(k), y + int(r), c);
    }
}

// A button in panel rows; returns its screen rectangle.
panel_art::button draw_button(surface& normal, surface& lit, const glyph_set& font, int action,
                              int x0, int r0, int x1, int r1, const char* text) {
    normal.bevel(x0, r0, x1, r1, P3, true);
    lit.bevel(x0, r0, x1, r1, LIT_FACE, true);
    lit.rect(x0, r0, x1, r0, LIT_LABEL);
    int tx = (x0 + x1 + 1 - label_width(text)) / 2, ty = (r0 + r1 + 1 - 5) / 2;
    draw_label(normal, font, tx, ty, text, P5);
    draw_label(normal, font, tx + 1, ty + 1, text, P0);
    draw_label(normal, font, tx, ty, text, HIGHLIGHT);
    draw_label(lit, font, tx, ty, text, SHADOW);
    auto screen = [](int r) { return r < H1 ? r : BOTTOM_Y + (r - H1); };
    return {action, x0, screen(r0), x1, screen(r1)};
}

panel_art::sprite make_sprite(int kind, int index, int x, int y, const surface& s) {
    panel_art::sprite sp{kind, index, x, y, s.w, s.h, {0, 0, 0, 0}, s.px};
    return sp;
}

surface readout_glyph(const glyph_set& font, char c) {
    surface s(5, 7, LCD_BG);
    if (const auto* g = find_glyph(font, c)) {
        for (size_t r = 0; r < g->size() && r < 7; r++)
            for (size_t k = 0; k < (*g)[r].size() && k < 5; k++)
                if ((*g)[r][k] == '#') s.put(int(k), int(r), LCD_FG);
    }
    return s;
}

// Store icons on the LCD: 1 IR missile, 2 radar missile, 3 bomb (0: an empty pylon).
surface store_icon(int type) {
    surface s(20, 9, LCD_BG);
    switch (type) {
    case 1: // slim missile with a bright seeker
        s.rect(4, 4, 16, 4, LCD_FG);
        s.rect(2, 3, 3, 5, LCD_FG);
        s.put(17, 4, LIT_LABEL);
        s.put(3, 2, LCD_FG);
        s.put(3, 6, LCD_FG);
        break;
    case 2: // longer missile, mid wings and a dark radome
        s.rect(2, 4, 16, 4, LCD_FG);
        s.rect(3, 3, 4, 5, LCD_FG);
        s.rect(9, 2, 10, 6, LCD_FG);
        s.rect(17, 4, 18, 4, SCOPE_GRID);
        s.rect(2, 2, 2, 6, LCD_FG);
        break;
    case 3: // fat bomb with a box tail
        s.rect(7, 2, 15, 6, LCD_FG);
        s.rect(6, 3, 16, 5, LCD_FG);
        s.rect(3, 2, 5, 2, LCD_FG);
        s.rect(3, 6, 5, 6, LCD_FG);
        s.rect(3, 3, 3, 5, LCD_FG);
        s.rect(5, 4, 6, 4, LCD_FG);
        break;
    default: // empty: a dash
        s.rect(7, 4, 12, 4, SCOPE_GRID);
        break;
    }
    return s;
}

surface radar_scope(int w, int h, int cx, int cy, int rx, int ry) {
    surface s(w, h, P1);
    auto inside = [&](int x, int y, double f) {
        double dx = (x - cx) / (rx * f), dy = (y - cy) / (ry * f);
        return dx * dx + dy * dy <= 1.0;
    };
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            if (!inside(x, y, 1.0)) continue;
            bool edge = !inside(x, y, 0.93);
            bool ring = inside(x, y, 0.52) && !inside(x, y, 0.46);
            bool cross = x == cx || y == cy;
            s.put(x, y, edge ? SCOPE_GRID : (ring || cross) ? SCOPE_GRID : SCOPE_BG);
        }
    }
    // The own ship at the centre, nose up the scope.
    s.put(cx, cy - 1, LCD_FG);
    s.rect(cx - 1, cy, cx + 1, cy, LCD_FG);
    // Frame.
    for (int x = 0; x < w; x++) {
        s.put(x, 0, SHADOW);
        s.put(x, h - 1, P4);
    }
    for (int y = 0; y < h; y++) {
        s.put(0, y, SHADOW);
        s.put(w - 1, y, P4);
    }
    return s;
}

void draw_backgrounds(surface& s) {
    // Top band: brushed metal, dark edge toward the view.
    s.rect(0, 0, W - 1, H1 - 1, P2);
    s.rect(0, 0, W - 1, 0, P4);
    s.rect(0, H1 - 1, W - 1, H1 - 1, SHADOW);
    s.rect(0, H1 - 2, W - 1, H1 - 2, P1);
    // Bottom band: a lip toward the view, then the console.
    s.rect(0, H1, W - 1, H1 + H2 - 1, P2);
    s.rect(0, H1, W - 1, H1, SHADOW);
    s.rect(0, H1 + 1, W - 1, H1 + 1, P4);
    for (int x = 0; x < W; x += 2) s.put(x, H1 + H2 - 1, P1);
    // Hazard stripes at both ends of the lip.
    for (int x = 0; x < W; x++) {
        if (x > 10 && x < W - 11) continue;
        for (int r = H1 + 2; r < H1 + 4; r++)
            if (((x + r) / 3) % 2 == 0) s.put(x, r, ACCENT);
    }
}

} // namespace

bool build_panel(const std::string& assets_dir, panel_art* out) {
    fonts f;
    if (!read_glyphs(assets_dir + "/fonts/label3x5.txt", &f.label)) return false;
    if (!read_glyphs(assets_dir + "/fonts/readout5x7.txt", &f.readout)) return false;
    panel_art& p = *out;
    p = panel_art{};
    p.width = W;
    p.top_rows = H1;
    p.bottom_rows = H2;
    p.first = F;
    for (const auto& c : PANEL_RGB_TABLE) p.rgb.insert(p.rgb.end(), c, c + 3);
    surface normal(W, H1 + H2, P2);
    draw_backgrounds(normal);

    // Recesses of the bottom band: gauges, scope, readouts.
    const int G = H1 + 3; // first gauge row
    normal.bevel(2, H1 + 4, 101, H1 + H2 - 3, P1, false);
    normal.bevel(217, H1 + 4, 296, H1 + 24, LCD_BG, false);
    normal.bevel(217, H1 + 26, 296, H1 + 36, LCD_BG, false);
    surface lit = normal;

    // Top band buttons: pages on the left, time warp and exit on the right.
    struct spec {
        int action, x0, r0, x1, r1;
        const char* text;
    };
    const spec buttons[] = {
        {5, 2, 1, 29, 9, "MAPS"},
        {3, 32, 1, 59, 9, "PROF"},
        {4, 62, 1, 89, 9, "COMM"},
        {6, 92, 1, 119, 9, "ANLZ"},
        {9, 184, 1, 201, 9, "||"},
        {10, 204, 1, 221, 9, ">"},
        {11, 224, 1, 241, 9, ">>"},
        {12, 244, 1, 265, 9, ">>>"},
        {8, 288, 1, 317, 9, "EXIT"},
        {0, 217, H1 + 38, 240, H1 + 46, "ENG"},
        {1, 243, H1 + 38, 266, H1 + 46, "AUTO"},
        {2, 269, H1 + 38, 292, H1 + 46, "GEAR"},
        {7, 295, H1 + 38, 317, H1 + 46, "JUMP"},
        {13, 299, H1 + 4, 317, H1 + 13, "G1"},
        {14, 299, H1 + 15, 317, H1 + 24, "G2"},
    };
    for (const spec& b : buttons)
        p.buttons.push_back(
            draw_button(normal, lit, f.label, b.action, b.x0, b.r0, b.x1, b.r1, b.text));
    // A name plate between the page and warp buttons.
    normal.bevel(124, 1, 179, 9, P1, false);
    lit.bevel(124, 1, 179, 9, P1, false);
    for (surface* s : {&normal, &lit}) draw_label(*s, f.label, 128, 3, "VANTREL", P4);

    // Gauges: labels in the band, frames as sprites (kind 6).
    const char* GAUGE_LABELS[5] = {"HULL", "FUEL", "THR", "WPN", "SPD"};
    for (int i = 0; i < 5; i++) {
        int r = G + 3 + 8 * i;
        for (surface* s : {&normal, &lit}) draw_label(*s, f.label, 6, r + 1, GAUGE_LABELS[i], P5);
        surface frame(70, 7, GAUGE_EMPTY);
        for (int x = 0; x < 70; x++) {
            frame.put(x, 0, P0);
            frame.put(x, 6, P4);
            if (x % 7 == 0 && x > 0 && x < 69) frame.put(x, 5, P1); // scale ticks
        }
        for (int y = 0; y < 7; y++) {
            frame.put(0, y, P0);
            frame.put(69, y, P4);
        }
        p.sprites.push_back(make_sprite(6, i, 27, r, frame));
    }

    // Radar scope (kind 7): centre, then scales in 1/1024: x/2 of +-1024 m maps to +-50 columns,
    // z/2 to +-14 rows, leaving room above the plane for the height stems.
    const int SX = 106, SY = H1 + 3, SW = 108, SH = 43;
    panel_art::sprite scope = make_sprite(7, 0, SX, SY, radar_scope(SW, SH, 54, 27, 52, 15));
    scope.param[0] = SX + 54;
    scope.param[1] = SY + 27;
    scope.param[2] = 50;
    scope.param[3] = 14;
    p.sprites.push_back(scope);
    // Radar lamp (kind 2): 0 on, 1 off.
    for (int i = 0; i < 2; i++) {
        surface lamp(6, 5, i == 0 ? LAMP_ON : LAMP_OFF);
        lamp.put(0, 0, P1);
        lamp.put(5, 0, P1);
        lamp.put(0, 4, P1);
        lamp.put(5, 4, P1);
        if (i == 0) lamp.put(1, 1, LIT_LABEL);
        p.sprites.push_back(make_sprite(2, i, SX + 3, SY + 3, lamp));
    }

    // Text readout glyphs (kind 8); the "0" carries the two readout positions.
    const int RX = 221, R1 = H1 + 7, R2 = H1 + 16;
    for (int i = 0; PANEL_GLYPH_ORDER[i]; i++) {
        panel_art::sprite g =
            make_sprite(8, i, RX, R1, readout_glyph(f.readout, PANEL_GLYPH_ORDER[i]));
        if (i == 0) {
            g.param[0] = RX;
            g.param[1] = R1;
            g.param[2] = RX;
            g.param[3] = R2;
        }
        p.sprites.push_back(g);
    }

    // Weapon-mode indicator (kind 1).
    const char* MODES[5] = {"GUNS", "IR", "RADAR", "CAMERA", "BOMBS"};
    for (int i = 0; i < 5; i++) {
        surface s(30, 7, LCD_BG);
        draw_label(s, f.label, 1, 1, MODES[i], LCD_FG);
        p.sprites.push_back(make_sprite(1, i, 220, H1 + 28, s));
    }
    // Stores readout: the icon of the selected store type (kind 3) and the count digits (kind 4).
    for (int t = 0; t < 4; t++) {
        panel_art::sprite icon = make_sprite(3, t, 252, H1 + 27, store_icon(t));
        icon.param[0] = 280;
        icon.param[1] = H1 + 28;
        icon.param[2] = 7;
        p.sprites.push_back(icon);
    }
    for (int d = 0; d <= 10; d++) {
        surface s = d < 10 ? readout_glyph(f.readout, char('0' + d)) : surface(5, 7, LCD_BG);
        p.sprites.push_back(make_sprite(4, d, 280, H1 + 28, s));
    }

    p.normal = normal.px;
    p.lit = lit.px;
    return true;
}

std::vector<uint8_t> panel_bytes(const panel_art& p) {
    bytes b;
    b.tag("CPT1");
    b.u16(1);
    b.u16(p.width);
    b.u16(p.top_rows);
    b.u16(p.bottom_rows);
    b.u16(p.first);
    b.u16(static_cast<uint32_t>(p.rgb.size() / 3));
    b.raw(p.rgb);
    b.raw(p.normal);
    b.raw(p.lit);
    b.u16(static_cast<uint32_t>(p.buttons.size()));
    for (const auto& bt : p.buttons) {
        b.u8(bt.action);
        b.u8(0);
        b.u16(uint16_t(bt.x0));
        b.u16(uint16_t(bt.y0));
        b.u16(uint16_t(bt.x1));
        b.u16(uint16_t(bt.y1));
    }
    b.u16(static_cast<uint32_t>(p.sprites.size()));
    for (const auto& s : p.sprites) {
        b.u8(s.kind);
        b.u8(s.index);
        b.u16(uint16_t(s.x));
        b.u16(uint16_t(s.y));
        b.u16(uint16_t(s.w));
        b.u16(uint16_t(s.h));
        for (int v : s.param) b.u16(uint16_t(v));
        b.raw(s.pixels);
    }
    return b.data;
}

bool generate_panel(const asset_context& c) {
    panel_art p;
    if (!build_panel(c.assets_dir, &p)) return false;
    return write_file(c.out_dir + "/cockpit.cpt", panel_bytes(p));
}

} // namespace vantrel::datagen
