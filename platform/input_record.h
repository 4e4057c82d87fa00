// input_record: a window session written down as a headless input script, so that playing
// the file with --headless --script repeats the session frame for frame.
//
// Every key, pointer and button event the game takes is written with the frame it came in,
// and every frame that took more than one 20 ms tick of game time gets a "ticks" line; at
// the end come a hash of the last frame shown and a quit. While recording, the window runs on
// a clock that moves in whole ticks when a frame ends (paced by the real one), and starts on
// the same date as the headless clock: what the game sees of time is what the replay gives it.
#pragma once

#include <cstdint>

namespace vantrel {

// Starts a record; 0 with a line on stderr when the file cannot be made. The header names the
// program and its version.
int input_record_open(const char* path, const char* version);
int input_record_active();
// A "# ..." line, for what shapes the frames (the settings) but is not input.
void input_record_comment(const char* text);
// raw: the Amiga raw key code, with 0x80 set when the key comes up.
void input_record_key(uint32_t frame, int raw);
void input_record_mouse(uint32_t frame, int32_t x, int32_t y);
void input_record_button(uint32_t frame, int left, int down);
void input_record_ticks(uint32_t frame, uint32_t ticks);
// The player closed the window: the replay quits at the same frame.
void input_record_quit(uint32_t frame);
// Ends the record with "<frame> hash" and "<frame> quit", and prints the same hash line the
// replay prints for it ("frame N crc32 X"). 0 when the file could not be written whole.
int input_record_close(uint32_t frame, uint32_t crc);

} // namespace vantrel
