// headless: virtual clock, scripted input, shots and hashes of the in-memory screen.
#include "platform/headless/headless.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/frame_crc.h"
#include "platform/headless/headless_audio.h"
#include "platform/host.h"
#include "platform/input_script.h"
#include "platform/png_indexed.h"

namespace vantrel {

namespace {

struct headless_state {
    uint64_t virtual_us;
    input_script script;
    size_t next_event;
    size_t next_ticks; // the first event not yet looked at for a ticks line
    // Keys put down by 'press', with the frame at which they went down; they come up at
    // the first delivery of a later frame.
    bool pressed[128];
    uint32_t pressed_at[128];
    const char* shot_dir;
    uint32_t failed_shots;
    // Where the script last put the pointer: a screen opened later finds it there, as a
    // window's new screen finds the mouse where it is.
    bool mouse_moved;
    int32_t mouse_x, mouse_y;
};

headless_state g_headless;

// --- the virtual clock: time moves only when a frame ends ------------------------------------

uint64_t virtual_counter_us() {
    return g_headless.virtual_us;
}

void virtual_wait_vblank() {}

void virtual_date_stamp(amiga_datestamp* out) {
    virtual_date_stamp_at(g_headless.virtual_us, out);
}

// The ticks the script gives the frame now ending; 1 when it says nothing. Recorded window
// sessions say how long each slow frame took, so the replay's game time moves as it did.
uint32_t frame_ticks(uint32_t frame) {
    const std::vector<script_event>& events = g_headless.script.events;
    size_t& i = g_headless.next_ticks;
    uint32_t ticks = 1;
    for (; i < events.size() && events[i].frame <= frame; i++)
        if (events[i].op == script_op::ticks && events[i].frame == frame)
            ticks = static_cast<uint32_t>(events[i].a);
    return ticks;
}

void virtual_frame_end() {
    g_headless.virtual_us += 20000u * frame_ticks(present_frame_count());
    headless_audio_frame();
    present_frame_ended();
}

const host_clock HOST_CLOCK_VIRTUAL = {"virtual",          virtual_counter_us, virtual_wait_vblank,
                                       virtual_date_stamp, virtual_frame_end,  true};

// --- script events ---------------------------------------------------------------------------

void take_shot(present_screen* s, const script_event& ev) {
    char path[4096];
    const char* dir = g_headless.shot_dir;
    int n = dir[0] ? std::snprintf(path, sizeof path, "%s/%s", dir, ev.file.c_str())
                   : std::snprintf(path, sizeof path, "%s", ev.file.c_str());
    uint8_t rgb[768];
    present_palette_rgb(s, rgb);
    bool fits = n >= 0 && static_cast<size_t>(n) < sizeof path;
    if (fits && png_write_indexed(path, s->shown, s->width, s->height, rgb)) return;
    std::fprintf(stderr, "vantrel: could not write the screenshot %s: %s\n", path,
                 std::strerror(fits ? errno : ENAMETOOLONG));
    g_headless.failed_shots++;
}

void print_hash(present_screen* s, const script_event& ev) {
    uint32_t crc = frame_crc32(s->shown, static_cast<size_t>(s->width) * s->height);
    std::printf("frame %lu crc32 %08lx\n", static_cast<unsigned long>(ev.frame),
                static_cast<unsigned long>(crc));
}

void apply(present_screen* s, const script_event& ev, uint32_t now) {
    switch (ev.op) {
    case script_op::down:
        present_input_key(s, ev.a);
        break;
    case script_op::up:
        present_input_key(s, ev.a | 0x80);
        break;
    case script_op::press:
        present_input_key(s, ev.a);
        g_headless.pressed[ev.a] = true;
        g_headless.pressed_at[ev.a] = now;
        break;
    case script_op::mouse:
        present_input_mouse_move(s, ev.a, ev.b);
        g_headless.mouse_moved = true;
        g_headless.mouse_x = ev.a;
        g_headless.mouse_y = ev.b;
        break;
    case script_op::lmb:
    case script_op::rmb:
        present_input_button(s, ev.op == script_op::lmb, ev.a);
        break;
    case script_op::shot:
        take_shot(s, ev);
        break;
    case script_op::hash:
        print_hash(s, ev);
        break;
    case script_op::quit:
        present_quit_raise();
        break;
    case script_op::ticks: // taken when the frame ends
        break;
    }
}

// --- the back end record -------------------------------------------------------------------

int headless_start(const present_settings* settings) {
    g_headless.virtual_us = 0;
    g_headless.next_event = 0;
    g_headless.next_ticks = 0;
    std::memset(g_headless.pressed, 0, sizeof g_headless.pressed);
    g_headless.shot_dir = settings->shot_dir;
    g_headless.failed_shots = 0;
    g_headless.mouse_moved = false;
    g_headless.script.events.clear();
    if (settings->script[0]) {
        char error[256];
        if (!input_script_load(settings->script, &g_headless.script, error, sizeof error)) {
            std::fprintf(stderr, "vantrel: script %s\n", error);
            return 0;
        }
    }
    if (!headless_audio_start(settings->audio_wav, settings->no_sound)) return 0;
    host_clock_select(&HOST_CLOCK_VIRTUAL);
    return 1;
}

void headless_stop() {
    headless_audio_stop();
    host_clock_select(nullptr);
}

int headless_open(present_screen* s, const char*) {
    if (g_headless.mouse_moved) present_input_mouse_move(s, g_headless.mouse_x, g_headless.mouse_y);
    return 1;
}

void headless_close(present_screen*) {}

void headless_to_front(present_screen*) {}

// The screen is the buffer itself: nothing more to show.
void headless_show(present_screen*, int32_t, int32_t) {}

// Delivers every event of the frames ended so far.
void headless_pump(present_screen* s) {
    uint32_t now = present_frame_count();
    for (int k = 0; k < 128; k++) {
        if (g_headless.pressed[k] && g_headless.pressed_at[k] < now) {
            g_headless.pressed[k] = false;
            present_input_key(s, k | 0x80);
        }
    }
    const std::vector<script_event>& events = g_headless.script.events;
    while (g_headless.next_event < events.size() && events[g_headless.next_event].frame <= now)
        apply(s, events[g_headless.next_event++], now);
}

} // namespace

uint32_t headless_failed_shots() {
    return g_headless.failed_shots;
}

const present_backend PRESENT_BACKEND_HEADLESS = {
    "headless",        0,
    headless_start,    headless_stop,
    headless_open,     headless_close,
    headless_to_front, headless_show,
    headless_pump,
};

} // namespace vantrel
