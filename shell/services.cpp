// services: program-wide helpers of the game shell.
#include "shell/services.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/prof_amiga.h"
#include "render/text.h"
#include "shell/loc.h"

namespace vantrel {

int g_eclock_ok = 0;
int g_prof_on = 1;
char g_osd_text[48];
amiga_datestamp g_osd_start;
int g_osd_on = 0;

namespace {

constexpr const char* START_LOG_NAME = "PROGDIR:Vantrel_start.log";
constexpr size_t PATH_CAPACITY = 4096;

char g_progdir[PATH_CAPACITY];
bool g_progdir_known = false;
bool g_start_log_first = true;

struct clock_state {
    bool primed;
    uint64_t last_ticks;
    uint32_t total_us;
    uint64_t remainder;
};
clock_state g_clock_us = {false, 0, 0, 0};

} // namespace

const char* progdir() {
    if (g_progdir_known) return g_progdir;
    g_progdir_known = true;
    char exe[PATH_CAPACITY];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) {
        std::strcpy(g_progdir, "./");
        return g_progdir;
    }
    exe[n] = '\0';
    char* slash = std::strrchr(exe, '/');
    if (slash) slash[1] = '\0';
    std::snprintf(g_progdir, sizeof g_progdir, "%s", exe);
    return g_progdir;
}

void progdir_set(const char* directory) {
    size_t n = std::strlen(directory);
    std::snprintf(g_progdir, sizeof g_progdir, "%s%s", directory,
                  n > 0 && directory[n - 1] == '/' ? "" : "/");
    g_progdir_known = true;
}

int progdir_path(const char* name, char* out, size_t size) {
    static constexpr char PREFIX[] = "PROGDIR:";
    int n;
    if (std::strncmp(name, PREFIX, sizeof PREFIX - 1) == 0)
        n = std::snprintf(out, size, "%s%s", progdir(), name + sizeof PREFIX - 1);
    else
        n = std::snprintf(out, size, "%s", name);
    return n >= 0 && static_cast<size_t>(n) < size;
}

void start_log(const char* format, ...) {
    // Opened and closed for every line so that the log survives a crash; the first line of
    // the run truncates it, even when that open fails.
    const char* mode = g_start_log_first ? "w" : "a";
    g_start_log_first = false;
    char path[PATH_CAPACITY];
    if (!progdir_path(START_LOG_NAME, path, sizeof path)) return;
    FILE* f = std::fopen(path, mode);
    if (!f) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(f, format, args);
    va_end(args);
    std::fputc('\n', f);
    std::fclose(f);
}

void start_log_reset() {
    g_start_log_first = true;
}

namespace {

// Why the last read_file failed: 0 when the file does not exist, an errno value, or one of
// these for files that exist but cannot be used.
constexpr int READ_NOT_REGULAR = -1;
constexpr int READ_TOO_LARGE = -2;
constexpr int READ_NAME_TOO_LONG = -3;
int g_read_error = 0;

uint8_t* read_failed(int why) {
    g_read_error = why;
    return nullptr;
}

// The size of an open file that can be read whole, or -1 with g_read_error set.
long regular_file_size(int fd) {
    struct stat st;
    int why = 0;
    if (fstat(fd, &st) != 0)
        why = errno;
    else if (!S_ISREG(st.st_mode)) // a FIFO or device would block or never end
        why = READ_NOT_REGULAR;
    else if (st.st_size > 0x7FFFFFFF) // sizes are 32-bit throughout the file formats
        why = READ_TOO_LARGE;
    if (why == 0) return static_cast<long>(st.st_size);
    g_read_error = why;
    return -1;
}

// Reads exactly `size` bytes; a file that shrank since it was measured fails.
bool read_exactly(int fd, uint8_t* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            read_failed(n < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

uint8_t* read_file(const char* path, uint32_t* out_size) {
    char full[PATH_CAPACITY];
    if (!progdir_path(path, full, sizeof full)) return read_failed(READ_NAME_TOO_LONG);
    // Opened without blocking so that a FIFO is refused below instead of waiting for a writer.
    int fd = ::open(full, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return read_failed(errno == ENOENT || errno == ENOTDIR ? 0 : errno);
    long size = regular_file_size(fd);
    uint8_t* buffer = nullptr;
    if (size >= 0) {
        buffer = static_cast<uint8_t*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1));
        if (!buffer) read_failed(ENOMEM);
    }
    if (buffer && !read_exactly(fd, buffer, static_cast<size_t>(size))) {
        std::free(buffer);
        buffer = nullptr;
    }
    ::close(fd);
    if (buffer) *out_size = static_cast<uint32_t>(size);
    return buffer;
}

const char* read_file_error() {
    switch (g_read_error) {
    case 0:
        return nullptr;
    case READ_NOT_REGULAR:
        return "not a regular file";
    case READ_TOO_LARGE:
        return "too large";
    case READ_NAME_TOO_LONG:
        return "name too long";
    default:
        return std::strerror(g_read_error);
    }
}

void read_file_free(uint8_t* buffer) {
    std::free(buffer);
}

int mem_file_read(mem_file file, uint32_t offset, void* dest, uint32_t count) {
    if (offset > file.size || file.size - offset < count) return 0;
    if (count > 0) std::memcpy(dest, file.data + offset, count);
    return 1;
}

uint32_t clock_us() {
    if (!g_eclock_ok) {
        amiga_datestamp ds;
        amiga_date_stamp(&ds);
        uint32_t ms =
            static_cast<uint32_t>(ds.tick) * 20u + static_cast<uint32_t>(ds.minute) * 60000u;
        return ms * 1000u;
    }
    uint64_t now = prof_now64();
    if (!g_clock_us.primed) {
        g_clock_us.primed = true;
        g_clock_us.last_ticks = now;
        return g_clock_us.total_us;
    }
    uint64_t delta = now - g_clock_us.last_ticks;
    g_clock_us.last_ticks = now;
    // A long pause counts as at most 2,000,000 ticks; the remainder of each division is
    // carried so that no time is lost to rounding.
    if (delta > 2000000u) delta = 2000000u;
    uint64_t per_ms = prof_hz() / 1000u;
    if (per_ms == 0) return g_clock_us.total_us;
    uint64_t scaled = delta * 1000u + g_clock_us.remainder;
    g_clock_us.total_us += static_cast<uint32_t>(scaled / per_ms);
    g_clock_us.remainder = scaled % per_ms;
    return g_clock_us.total_us;
}

void clock_us_reset() {
    g_clock_us = clock_state{false, 0, 0, 0};
}

void frame_cap_wait(uint32_t* last_us, uint32_t period_us) {
    host_clock_current()->frame_end();
    if (period_us != 0) {
        // The 3 ms slack and the limit of four blanks keep a slow frame from waiting at all
        // and a fast one from waiting more than four blanks.
        for (int i = 0; i < 4; i++) {
            uint32_t now = clock_us();
            if (now - *last_us + 3000u >= period_us) break;
            amiga_wait_tof();
        }
    }
    *last_us = clock_us();
}

void osd_show(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(g_osd_text, sizeof g_osd_text, format, args);
    va_end(args);
    amiga_date_stamp(&g_osd_start);
    g_osd_on = 1;
}

int32_t datestamp_elapsed_ms(const amiga_datestamp* from, const amiga_datestamp* to) {
    return ((to->minute - from->minute) * 3000 + (to->tick - from->tick)) * 20;
}

void screen_clock(uint8_t* frame, int width, int height, const world_time* time,
                  const char* rate_label) {
    world_date d = world_time_date(time);
    char text[64];
    if (d.day == 8 && d.month == 9) {
        int32_t sd = world_date_stardate10(&d);
        int64_t a = sd < 0 ? -int64_t(sd) : int64_t(sd);
        char number[32];
        std::snprintf(number, sizeof number, "%s%ld.%ld", sd < 0 ? "-" : "", long(a / 10),
                      long(a % 10));
        std::snprintf(text, sizeof text, loc(130), number);
    } else {
        std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d", d.day, d.month, d.year, d.hour,
                      d.minute);
    }
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
