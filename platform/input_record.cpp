// input_record: writing a window session as a headless script.
#include "platform/input_record.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/input_script.h"

namespace vantrel {

namespace {

struct record_state {
    FILE* file;
    char path[4096];
};

record_state g_record;

} // namespace

int input_record_open(const char* path, const char* version) {
    g_record = {};
    g_record.file = std::fopen(path, "w");
    if (!g_record.file) {
        std::fprintf(stderr, "vantrel: cannot write the record %s (%s)\n", path,
                     std::strerror(errno));
        return 0;
    }
    std::snprintf(g_record.path, sizeof g_record.path, "%s", path);
    std::fprintf(g_record.file,
                 "# Vantrel %s: a recorded session; play it with --headless --script <file>\n",
                 version);
    return 1;
}

int input_record_active() {
    return g_record.file != nullptr;
}

void input_record_comment(const char* text) {
    if (g_record.file) std::fprintf(g_record.file, "# %s\n", text);
}

void input_record_key(uint32_t frame, int raw) {
    if (!g_record.file) return;
    char name[16];
    script_key_name(raw & 0x7F, name, sizeof name);
    std::fprintf(g_record.file, "%lu %s %s\n", static_cast<unsigned long>(frame),
                 raw & 0x80 ? "up" : "down", name);
}

void input_record_mouse(uint32_t frame, int32_t x, int32_t y) {
    // Written every time, even unmoved: each screen the game opens starts with its own
    // pointer, which the window places where the mouse is.
    if (!g_record.file) return;
    std::fprintf(g_record.file, "%lu mouse %ld %ld\n", static_cast<unsigned long>(frame),
                 static_cast<long>(x), static_cast<long>(y));
}

void input_record_button(uint32_t frame, int left, int down) {
    if (!g_record.file) return;
    std::fprintf(g_record.file, "%lu %s %s\n", static_cast<unsigned long>(frame),
                 left ? "lmb" : "rmb", down ? "down" : "up");
}

void input_record_ticks(uint32_t frame, uint32_t ticks) {
    if (g_record.file && ticks != 1)
        std::fprintf(g_record.file, "%lu ticks %lu\n", static_cast<unsigned long>(frame),
                     static_cast<unsigned long>(ticks));
}

void input_record_quit(uint32_t frame) {
    if (g_record.file) std::fprintf(g_record.file, "%lu quit\n", static_cast<unsigned long>(frame));
}

int input_record_close(uint32_t frame, uint32_t crc) {
    if (!g_record.file) return 1;
    unsigned long n = frame;
    std::fprintf(g_record.file, "%lu hash\n%lu quit\n", n, n);
    bool lost = std::ferror(g_record.file) != 0;
    if (std::fclose(g_record.file) != 0) lost = true;
    g_record.file = nullptr;
    std::printf("frame %lu crc32 %08lx\n", n, static_cast<unsigned long>(crc));
    if (lost) std::fprintf(stderr, "vantrel: the record %s is incomplete\n", g_record.path);
    return !lost;
}

} // namespace vantrel
