// services: the program-wide helpers every mode uses: PROGDIR: paths, the start log,
// whole-file reading, the microsecond clock, the frame-rate cap and the on-screen message.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/host.h"
#include "platform/present_amiga.h"
#include "universe/world_time.h"

namespace vantrel {

// Program-wide flags set during start-up.
extern int g_eclock_ok; // the tick counter is open; clock_us reads it
extern int g_prof_on;   // render timing; cleared at start when a counter read is slow

// The on-screen message drawn by the flight loop for 2.5 s after osd_show.
extern char g_osd_text[48];
extern amiga_datestamp g_osd_start;
extern int g_osd_on;

// The directory of the running executable, with a trailing '/'. Read once from
// /proc/self/exe; "./" when that cannot be read.
const char* progdir();
// Points PROGDIR: at another directory (tools and benchmarks that run beside the game).
void progdir_set(const char* directory);
// Expands a "PROGDIR:" prefix into the executable's directory; other paths pass through.
// Returns 0 when the result would not fit.
int progdir_path(const char* name, char* out, size_t size);

void start_log(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Restarts the log as at program start: the next line truncates the file.
void start_log_reset();

// Reads a whole regular file into a new buffer (free with read_file_free); null on any
// failure. FIFOs, devices and directories are refused without waiting on them.
uint8_t* read_file(const char* path, uint32_t* out_size);
// Why the last read_file returned null: null when the file does not exist, else a short
// reason ("not a regular file", "too large", or the system's text) for a file that exists
// but could not be read.
const char* read_file_error();
void read_file_free(uint8_t* buffer);

struct mem_file {
    const uint8_t* data;
    uint32_t size;
};
int mem_file_read(mem_file file, uint32_t offset, void* dest, uint32_t count);

uint32_t clock_us();
// Forgets the previous counter reading (for a fresh start after the counter reopens).
void clock_us_reset();
void frame_cap_wait(uint32_t* last_us, uint32_t period_us);

void osd_show(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Milliseconds from one date stamp to another, as the menus and messages count them.
int32_t datestamp_elapsed_ms(const amiga_datestamp* from, const amiga_datestamp* to);

// The game date at the top left (the stardate on 8 September) and, when rate_label is not
// null, the time-rate label at the top right.
void screen_clock(uint8_t* frame, int width, int height, const world_time* time,
                  const char* rate_label);

// The output mode the player last chose (F3); every new screen is given it again.
extern int32_t g_c2p_mode;

// Prints the open screen's description, the chip-memory write speed (when `bench` is set
// on a planar screen) and the output mode the screen takes.
void report_screen(present_screen* screen, int bench);

// Registers a clean-up to run at exit, after main returns; they run in reverse order.
void shell_at_exit(void (*handler)());

} // namespace vantrel
