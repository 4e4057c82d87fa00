// text: the 8 x 8 bitmap font and the routines that draw strings into a chunky frame.
//
// Strings are ISO 8859-2 byte strings ending at a zero byte; every character advances eight
// pixels. Drawing is transparent (unset glyph bits leave the frame alone) and clipped pixel by
// pixel, so text may start off-screen on any side.
#pragma once

#include <array>
#include <cstdint>

namespace vantrel {

// Glyphs for codes 32-255, eight row bytes each (top row first, bit 7 the leftmost pixel);
// the glyph of code c starts at (c - 32) * 8. Every glyph leaves its bottom row empty and
// every glyph its right column empty, so characters set eight pixels apart never touch.
constexpr int FONT8X8_FIRST = 32;
constexpr int FONT8X8_GLYPHS = 224;
extern const std::array<uint8_t, FONT8X8_GLYPHS * 8> FONT8X8;

// The 3 x 5 digits 0-9 for small numbers: five row bytes per digit, top row first, the low
// three bits used with bit 2 the leftmost pixel.
extern const std::array<uint8_t, 50> DIGIT_FONT;

// The glyph a character byte is drawn with: codes 1-31 and 127-159 show "?".
const uint8_t* text_glyph(uint8_t c);

void text_draw(uint8_t* frame, int width, int height, int x, int y, const char* text,
               uint8_t colour);
// The text in the shadow colour one pixel right and down, then in the colour on top.
void text_draw_shadow(uint8_t* frame, int width, int height, int x, int y, const char* text,
                      uint8_t colour, uint8_t shadow);
// 8 pixels per byte before the terminating zero.
int text_width(const char* text);

} // namespace vantrel
