// services: program-wide helpers of the game shell.
#include "shell/services.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/text.h"
#include "shell/loc.h"

namespace vantrel {

int g_prof_on = 1;
char g_osd_text[48];
amiga_datestamp g_osd_start;
int g_osd_on = 0;

namespace {

constexpr const char* START_LOG_NAME = "PROGDIR:Vantrel_start.log";
constexpr size_t PATH_CAPACITY = 4096;

bool g_start_log_first = true;
bool g_start_log_warned = false;

// Said once a run, on stderr: the game plays on without its log.
void start_log_failed(const char* path, const char* why) {
    if (g_start_log_warned) return;
    g_start_log_warned = true;
    std::fprintf(stderr, "vantrel: cannot write the start-up log %s (%s)\n", path, why);
}

} // namespace

void start_log(const char* format, ...) {
    // Opened and closed for every line so that the log survives a crash; the first line of
    // the run truncates it, even when that open fails.
    const char* mode = g_start_log_first ? "w" : "a";
    g_start_log_first = false;
    char path[PATH_CAPACITY];
    const char* why = user_file_path(START_LOG_NAME, USER_STATE, path, sizeof path);
    if (why) return start_log_failed(START_LOG_NAME, why);
    FILE* f = std::fopen(path, mode);
    if (!f) return start_log_failed(path, std::strerror(errno));
    va_list args;
    va_start(args, format);
    std::vfprintf(f, format, args);
    va_end(args);
    std::fputc('\n', f);
    bool lost = std::ferror(f) != 0;
    if (std::fclose(f) != 0 || lost) start_log_failed(path, std::strerror(errno));
}

void start_log_reset() {
    g_start_log_first = true;
    g_start_log_warned = false;
}

void osd_show(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(g_osd_text, sizeof g_osd_text, format, args);
    va_end(args);
    amiga_date_stamp(&g_osd_start);
    g_osd_on = 1;
}

void screen_clock_text(const world_time* time, char* text, size_t size) {
    world_date d = world_time_date(time);
    if (d.day == 8 && d.month == 9) {
        int32_t sd = world_date_stardate10(&d);
        int64_t a = sd < 0 ? -int64_t(sd) : int64_t(sd);
        char number[32];
        std::snprintf(number, sizeof number, "%s%ld.%ld", sd < 0 ? "-" : "", long(a / 10),
                      long(a % 10));
        std::snprintf(text, size, loc(130), number);
    } else {
        std::snprintf(text, size, "%02d.%02d.%04d %02d:%02d", d.day, d.month, d.year, d.hour,
                      d.minute);
    }
}

void screen_clock(uint8_t* frame, int width, int height, const world_time* time,
                  const char* rate_label) {
    char text[64];
    screen_clock_text(time, text, sizeof text);
    text_draw_shadow(frame, width, height, 4, 4, text, 155, 163);
    if (!rate_label) return;
    std::snprintf(text, sizeof text, loc(102), rate_label);
    text_draw_shadow(frame, width, height, width - 4 - text_width(text), 4, text, 156, 163);
}

int32_t g_c2p_mode = 0;

void report_screen(present_screen* screen, int bench) {
    char line[160];
    present_amiga_describe(screen, line, sizeof line);
    std::printf("%s\n", line);
    if (bench && present_amiga_c2p_mode(screen) < C2P_RTG)
        std::printf("Chip write with game screen: %ld kB/s\n",
                    present_amiga_chip_write_kbs(screen));
    g_c2p_mode = present_amiga_set_c2p_mode(screen, g_c2p_mode);
    std::printf("c2p mode: %s (F3 cycles mexg/040/delta)\n", present_c2p_mode_name(g_c2p_mode));
}

void shell_at_exit(void (*handler)()) {
    std::atexit(handler);
}

} // namespace vantrel
