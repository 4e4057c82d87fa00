// furniture: gauges, the top bar and big digits of the flight screen.
#include "flight/furniture.h"

#include "render/text.h"
#include "shell/loc.h"

namespace vantrel {

namespace {

constexpr int GAUGE_WIDTH = 72;
constexpr uint8_t GAUGE_LABEL_COLOUR = 8;
constexpr uint8_t GAUGE_EMPTY_COLOUR = 12;
constexpr uint8_t BAR_ACTIVE_FILL = 153;
constexpr uint8_t BAR_INACTIVE_COLOUR = 156;
constexpr uint8_t NUMBER_COLOUR = 255;

// Green above half, amber down to a quarter, red below, judged from the pilot's side: an
// inverted gauge is good when its level is low.
uint8_t gauge_colour(int level, int inverted) {
    int judged = inverted ? 100 - level : level;
    if (judged >= 51) return 9;
    if (judged >= 26) return 10;
    return 11;
}

void fill_rows(uint8_t* area, int stride, int y0, int y1, int x0, int x1, uint8_t colour) {
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) area[y * stride + x] = colour;
}

} // namespace

void draw_gauge(uint8_t* area, int stride, int x, const char* label, int level, int inverted) {
    text_draw(area, stride, GAUGE_STRIP_ROWS, x, 2, label, GAUGE_LABEL_COLOUR);
    if (level > 100) level = 100;
    if (level < 0) level = 0;
    int full = level * GAUGE_WIDTH / 100;
    uint8_t colour = gauge_colour(level, inverted);
    for (int y = 12; y <= 17; y++) {
        uint8_t* row = area + y * stride;
        for (int i = 0; i < GAUGE_WIDTH; i++) {
            int px = x + i;
            if (px < 0 || px >= stride) continue;
            row[px] = i < full ? colour : GAUGE_EMPTY_COLOUR;
        }
    }
}

void draw_flight_gauges(uint8_t* area, int stride, int hull, int fuel, int weapons, int thrust) {
    draw_gauge(area, stride, 4, loc(65), hull, 0);
    draw_gauge(area, stride, 84, loc(66), fuel, 0);
    draw_gauge(area, stride, 164, loc(67), weapons, 1);
    draw_gauge(area, stride, 244, loc(68), thrust, 0);
}

const char* bar_label(int item) {
    switch (item) {
    case 0:
        return "<";
    case 1:
        return loc(138);
    case 2:
        return loc(139);
    case 3:
        return "||";
    case 4:
        return ">";
    case 5:
        return ">>";
    default:
        return ">>>";
    }
}

void screen_bar_layout(int width, int x0[BAR_ITEMS], int x1[BAR_ITEMS]) {
    int x = 0;
    for (int i = 0; i <= 2; i++) {
        x0[i] = x;
        x += text_width(bar_label(i)) + 6;
        x1[i] = x - 1;
    }
    int right = width - 1;
    for (int i = 6; i >= 3; i--) {
        x1[i] = right;
        x0[i] = right + 1 - (text_width(bar_label(i)) + 6);
        right = x0[i] - 1;
    }
}

void bar_item(uint8_t* area, int stride, int x0, int x1, const char* label, int active,
              uint8_t colour) {
    if (active) {
        int from = x0 < 0 ? 0 : x0;
        int to = x1 >= stride ? stride - 1 : x1;
        if (from <= to) fill_rows(area, stride, 0, BAR_ROWS - 1, from, to, BAR_ACTIVE_FILL);
        text_draw(area, stride, BAR_ROWS, x0 + 3, 3, label, colour);
    } else {
        text_draw(area, stride, BAR_ROWS, x0 + 3, 3, label, BAR_INACTIVE_COLOUR);
    }
}

void draw_number(uint8_t* frame, int stride, int height, int right, int y, int32_t value) {
    uint32_t v = value > 0 ? static_cast<uint32_t>(value) : 0u;
    for (int cell = 0; cell < 5; cell++) {
        const uint8_t* glyph = &DIGIT_FONT[(v % 10u) * 5u];
        int cx = right - 8 * (cell + 1);
        for (int r = 0; r < 5; r++)
            for (int c = 0; c < 3; c++) {
                if (!(glyph[r] & (4 >> c))) continue;
                for (int dy = 0; dy < 2; dy++)
                    for (int dx = 0; dx < 2; dx++) {
                        int px = cx + 2 * c + dx, py = y + 2 * r + dy;
                        if (px >= 0 && px < stride && py >= 0 && py < height)
                            frame[py * stride + px] = NUMBER_COLOUR;
                    }
            }
        v /= 10u;
        if (v == 0) break;
    }
}

} // namespace vantrel
