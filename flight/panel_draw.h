// panel_draw: the cockpit panel drawn from its file: bands, lit buttons, gauges, readouts,
// the radar scope with its blips and the stores readout, from a 92-byte panel-values record.
//
// The record, filled by the flight loop each frame (the panel is redrawn only when it
// changes):
//   0-3    lit-button mask, big-endian: bit n lights the buttons whose action code is n
//   4-8    gauge levels 0-4 in percent (above 100 counts as 100)
//   9      index of the selector sprite (kind 1): the weapon mode
//   10     1 hides the radar lamp (kind 2)
//   11     radar on: lamp index 0 (else 1) and blips drawn
//   12     blip count, at most 8
//   13     index of the kind-5 readout sprite: the effective time-warp level
//   14-61  blips, six bytes each: x/2 and z/2 in metres (16-bit), a height code (-12..12
//          steps of 128 m) and a colour 12, 13 or 14 (added to the panel's first colour)
//   62     number of pylon stores; 63-70 their store types (0 empty); 71 the selected type
//   72-82  first text readout, 83-91 second, characters of "0123456789.:-SD", zero-ended
// A button's second byte is reserved (0) and not drawn. Button rectangles are screen pixels
// of the 256-row layout the panel is drawn for; on a shorter screen the bottom band moves up
// with the screen's bottom edge, and panel_layout_y maps a screen row back for hit tests.
#pragma once

#include <cstdint>

#include "flight/cockpit_panel.h"

namespace vantrel {

constexpr int PANEL_VALUES_SIZE = 92;
constexpr int PANEL_LAYOUT_HEIGHT = 256;

enum panel_value_offset : int {
    PV_MASK = 0,
    PV_GAUGES = 4,
    PV_SELECTOR = 9,
    PV_LAMP_HIDDEN = 10,
    PV_RADAR_ON = 11,
    PV_BLIP_COUNT = 12,
    PV_WARP_READOUT = 13,
    PV_BLIPS = 14,
    PV_STORE_COUNT = 62,
    PV_STORES = 63,
    PV_STORE_TYPE = 71,
    PV_TEXT1 = 72,
    PV_TEXT2 = 83,
};
constexpr int PANEL_MAX_BLIPS = 8;

// The two bands as one coordinate system of H1 + H2 rows.
struct panel_target {
    uint8_t* top;
    uint8_t* bottom;
    int stride;
    int top_rows;
    int rows;
    int width;
};

void panel_values_set_mask(uint8_t* values, uint32_t mask);
uint32_t panel_values_mask(const uint8_t* values);
// Writes blip k (0..7): camera-space x and z in whole metres, height y in metres, colour.
void panel_values_set_blip(uint8_t* values, int k, int32_t x, int32_t z, int32_t y, uint8_t colour);
void panel_values_set_text(uint8_t* values, int offset, const char* text);

void blit(const panel_target* target, const panel_sprite* sprite, int x, int y);
void cockpit_panel_draw(const cockpit_panel* panel, const uint8_t* values, uint8_t* top,
                        uint8_t* bottom, int stride);
// The row of the 256-row layout that a screen row of a screen `height` rows high shows.
int panel_layout_y(const cockpit_panel* panel, int y, int height);

} // namespace vantrel
