// furniture: the flight screen's own gauges, top bar and big digits, drawn when no cockpit
// panel file is present.
#pragma once

#include <cstdint>

namespace vantrel {

constexpr int BAR_ITEMS = 7;
constexpr int GAUGE_STRIP_ROWS = 18; // label on rows 2-9, bar on rows 12-17
constexpr int BAR_ROWS = 12;

// A labelled bar gauge; area points at the first row of the gauge strip.
void draw_gauge(uint8_t* area, int stride, int x, const char* label, int level, int inverted);
// The four gauges the flight shows without its panel: hull, fuel, weapons, thrust.
void draw_flight_gauges(uint8_t* area, int stride, int hull, int fuel, int weapons, int thrust);

const char* bar_label(int item);
// Items 0-2 laid out from the left edge, items 6, 5, 4, 3 from the right edge.
void screen_bar_layout(int width, int x0[BAR_ITEMS], int x1[BAR_ITEMS]);
void bar_item(uint8_t* area, int stride, int x0, int x1, const char* label, int active,
              uint8_t colour);
// Up to five digits in the 3x5 digit font at double size, the last cell ending at right.
void draw_number(uint8_t* frame, int stride, int height, int right, int y, int32_t value);

} // namespace vantrel
