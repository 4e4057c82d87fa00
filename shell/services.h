// services: the program-wide helpers every mode uses: the start log, the on-screen message,
// the date line, the screen report and the exit clean-ups. (PROGDIR: paths, whole-file
// reading, the microsecond clock and the frame-rate cap are the platform's: platform/files.h
// and platform/clock.h, included here for every mode.)
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/present_amiga.h"
#include "universe/world_time.h"

namespace vantrel {

// Program-wide flags set during start-up.
extern int g_prof_on; // render timing; cleared at start when a counter read is slow

// The on-screen message drawn by the flight loop for 2.5 s after osd_show.
extern char g_osd_text[48];
extern amiga_datestamp g_osd_start;
extern int g_osd_on;

void start_log(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Restarts the log as at program start: the next line truncates the file.
void start_log_reset();

void osd_show(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The game date at the top left (the stardate on 8 September) and, when rate_label is not
// null, the time-rate label at the top right.
void screen_clock(uint8_t* frame, int width, int height, const world_time* time,
                  const char* rate_label);
// The date (or stardate) text of the clock line.
void screen_clock_text(const world_time* time, char* text, size_t size);

// The output mode the player last chose (F3); every new screen is given it again.
extern int32_t g_c2p_mode;

// Prints the open screen's description, the chip-memory write speed (when `bench` is set
// on a planar screen) and the output mode the screen takes.
void report_screen(present_screen* screen, int bench);

// Registers a clean-up to run at exit, after main returns; they run in reverse order.
void shell_at_exit(void (*handler)());

} // namespace vantrel
