// present_amiga: screens, palette, input state and the back-end choice.
#include "platform/present_amiga.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/host.h"

namespace vantrel {

namespace {

// The run's requested display mode: 0 and 0xFFFFFFFF both mean "choose automatically".
uint32_t g_requested_mode = 0;
const present_backend* g_backend = nullptr;
present_settings g_settings;
int g_quit = 0;
uint32_t g_frames = 0;
uint32_t g_planar_gap = 0;

// A palette load table as the system takes it: a header word (count << 16 | first), count
// x three widened components, then a terminating zero word. Static and large enough for
// all 256 entries, so building one never allocates.
uint32_t g_load_table[1 + 256 * 3 + 1];

uint32_t widen(uint8_t c) {
    return static_cast<uint32_t>(c) * 0x01010101u;
}

void load_rgb32(present_screen* s, const uint32_t* table) {
    uint32_t count = table[0] >> 16, first = table[0] & 0xFFFFu;
    std::memcpy(&s->palette32[first * 3], table + 1, count * 3 * sizeof(uint32_t));
    s->palette_serial++;
}

void set_rgb32(present_screen* s, int32_t index, uint8_t r, uint8_t g, uint8_t b) {
    uint32_t* e = &s->palette32[index * 3];
    e[0] = widen(r);
    e[1] = widen(g);
    e[2] = widen(b);
    s->palette_serial++;
}

void* alloc_zeroed(size_t size) {
    return std::calloc(size > 0 ? size : 1, 1);
}

// Planes as the screen's own bitmap: rows rounded up to 64 pixels, one block, plane k at
// k x plane size (plus the test gap, to exercise scattered planes).
bool alloc_planes(present_screen* s) {
    int32_t rounded = (s->width + 63) / 64 * 64;
    s->bytes_per_row = rounded / 8;
    s->plane_size = static_cast<uint32_t>(s->bytes_per_row) * static_cast<uint32_t>(s->height);
    uint32_t stride = s->plane_size + g_planar_gap;
    s->own_planes_size = 8 * stride;
    s->own_planes = static_cast<uint8_t*>(alloc_zeroed(s->own_planes_size));
    s->shadow_size = 8 * s->plane_size;
    s->shadow = static_cast<uint8_t*>(alloc_zeroed(s->shadow_size));
    if (!s->own_planes || !s->shadow) return false;
    for (int k = 0; k < 8; k++) s->plane[k] = s->own_planes + static_cast<uint32_t>(k) * stride;
    s->planes_contiguous = 1;
    for (int k = 1; k < 8; k++)
        if (s->plane[k] != s->plane[k - 1] + s->plane_size) s->planes_contiguous = 0;
    s->rows_unpadded = s->bytes_per_row * 8 == s->width;
    return true;
}

void free_buffers(present_screen* s) {
    std::free(s->prev);
    std::free(s->row_changed);
    std::free(s->shadow);
    std::free(s->own_planes);
    std::free(s->shown);
    std::free(s);
}

present_screen* open_screen(int32_t width, int32_t height, const char* title, int window) {
    if (!g_backend || width <= 0 || height <= 0 || width > 4096 || height > 4096) return nullptr;
    auto* s = static_cast<present_screen*>(alloc_zeroed(sizeof(present_screen)));
    if (!s) return nullptr;
    s->backend = g_backend;
    s->width = s->screen_width = width;
    s->height = s->screen_height = height;
    s->has_window = window;
    s->shown = static_cast<uint8_t*>(
        alloc_zeroed(static_cast<size_t>(width) * static_cast<size_t>(height)));
    bool ok = s->shown != nullptr;
    if (ok && g_settings.planar) {
        // No graphics card: the native low-resolution mode at exactly the image size.
        s->mode_id = PRESENT_PAL_LORES_ID;
        s->mode = C2P_MEXG;
        ok = alloc_planes(s);
    } else if (ok) {
        bool requested = g_requested_mode != 0 && g_requested_mode != 0xFFFFFFFFu;
        s->mode_id = requested ? g_requested_mode : PRESENT_HOST_MODE_ID;
        s->gfx_card = 1;
        s->lock = 1;
        s->mode = C2P_RTG;
    }
    if (!ok || !g_backend->open(s, title ? title : "")) {
        free_buffers(s);
        return nullptr;
    }
    uint8_t grey[768];
    for (int i = 0; i < 256; i++) grey[i * 3] = grey[i * 3 + 1] = grey[i * 3 + 2] = uint8_t(i);
    present_amiga_set_palette(s, grey);
    return s;
}

void stop_backend() {
    if (g_backend && g_backend->stop) g_backend->stop();
}

} // namespace

// --- back end --------------------------------------------------------------------------------

int present_backend_start(const present_backend* backend, const present_settings* settings) {
    // The settings are kept for the whole run, with copies of their texts, so that callers
    // need not keep theirs alive.
    static std::string script, shot_dir, audio_wav, record, version;
    script = settings->script ? settings->script : "";
    record = settings->record ? settings->record : "";
    version = settings->version ? settings->version : "";
    shot_dir = settings->shot_dir ? settings->shot_dir : "";
    audio_wav = settings->audio_wav ? settings->audio_wav : "";
    g_backend = backend;
    g_settings = *settings;
    g_settings.script = script.c_str();
    g_settings.shot_dir = shot_dir.c_str();
    g_settings.audio_wav = audio_wav.c_str();
    g_settings.record = record.c_str();
    g_settings.version = version.c_str();
    g_quit = 0;
    g_frames = 0;
    if (!backend->start(&g_settings)) {
        g_backend = nullptr;
        return 0;
    }
    static bool registered = false;
    if (!registered) std::atexit(stop_backend);
    registered = true;
    return 1;
}

const present_backend* present_backend_current() {
    return g_backend;
}

const present_settings* present_current_settings() {
    return &g_settings;
}

void present_frame_ended() {
    g_frames++;
}

uint32_t present_frame_count() {
    return g_frames;
}

int present_quit_requested() {
    return g_quit;
}

void present_quit_raise() {
    g_quit = 1;
}

void present_planar_gap_for_tests(uint32_t gap) {
    g_planar_gap = gap;
}

// --- screens ---------------------------------------------------------------------------------

void present_amiga_request_mode(uint32_t mode_id) {
    g_requested_mode = mode_id;
}

present_screen* present_amiga_open(int32_t width, int32_t height, const char* title) {
    return open_screen(width, height, title, 1);
}

present_screen* present_amiga_open_no_window(int32_t width, int32_t height, const char* title) {
    return open_screen(width, height, title, 0);
}

void present_amiga_close(present_screen* s) {
    if (!s) return;
    s->backend->close(s);
    free_buffers(s);
}

int32_t present_amiga_width(const present_screen* s) {
    return s ? s->width : 0;
}

int32_t present_amiga_height(const present_screen* s) {
    return s ? s->height : 0;
}

void present_amiga_to_front(present_screen* s) {
    if (s) s->backend->to_front(s);
}

// --- palette ---------------------------------------------------------------------------------

void present_amiga_set_palette(present_screen* s, const uint8_t* rgb768) {
    if (!s || !rgb768) return;
    for (int32_t i = 0; i < 256; i++)
        set_rgb32(s, i, rgb768[i * 3], rgb768[i * 3 + 1], rgb768[i * 3 + 2]);
}

void present_amiga_set_color(present_screen* s, int32_t index, uint8_t r, uint8_t g, uint8_t b) {
    if (!s || index < 0 || index > 255) return;
    set_rgb32(s, index, r, g, b);
}

void present_amiga_set_colors(present_screen* s, int32_t first, int32_t count, const uint8_t* rgb) {
    if (!s || !rgb || count < 1 || first < 0 || first + count > 256) return;
    // One table, loaded in one call: every changed entry takes effect together.
    g_load_table[0] = (static_cast<uint32_t>(count) << 16) | static_cast<uint32_t>(first);
    for (int32_t i = 0; i < count * 3; i++) g_load_table[1 + i] = widen(rgb[i]);
    g_load_table[1 + count * 3] = 0;
    load_rgb32(s, g_load_table);
}

void present_palette_rgb(const present_screen* s, uint8_t* rgb768) {
    for (int i = 0; i < 768; i++) rgb768[i] = static_cast<uint8_t>(s->palette32[i] >> 24);
}

// --- input -----------------------------------------------------------------------------------

void present_input_key(present_screen* s, int raw_code) {
    int code = raw_code & 127;
    if (raw_code & 128) {
        s->held[code >> 3] &= static_cast<uint8_t>(~(1u << (code & 7)));
        return;
    }
    s->held[code >> 3] |= static_cast<uint8_t>(1u << (code & 7));
    // A full queue drops the newest code: the player's first 16 presses are the ones kept.
    if (s->queue_count < KEY_QUEUE_SIZE) {
        s->queue[(s->queue_head + s->queue_count) % KEY_QUEUE_SIZE] = static_cast<uint8_t>(code);
        s->queue_count++;
    }
    if (code == RAWKEY_ESCAPE) s->escape = 1;
}

void present_input_mouse_move(present_screen* s, int32_t x, int32_t y) {
    s->mouse_x = x;
    s->mouse_y = y;
}

void present_input_button(present_screen* s, int left, int down) {
    if (left) {
        s->lmb = down ? 1 : 0;
    } else if (down) {
        s->rmb = 1;
        s->drag_x = s->mouse_x;
        s->drag_y = s->mouse_y;
    } else {
        s->rmb = 0;
    }
}

void present_amiga_poll_input(present_screen* s, present_input* out) {
    *out = present_input{};
    if (!s) return;
    s->escape = 0;
    const present_settings& cfg = g_settings;
    if (cfg.frames > 0 && g_frames >= static_cast<uint64_t>(cfg.frames)) g_quit = 1;
    if (s->has_window) s->backend->pump(s);
    out->rmb = s->rmb;
    out->lmb = s->lmb;
    if (!s->has_window) return;
    out->escape = s->escape;
    out->mouse_x = s->mouse_x;
    out->mouse_y = s->mouse_y;
    if (s->rmb) {
        out->drag_dx = s->mouse_x - s->drag_x;
        out->drag_dy = s->mouse_y - s->drag_y;
    }
}

int present_amiga_pop_key(present_screen* s) {
    if (!s || s->queue_count == 0) return -1;
    int code = s->queue[s->queue_head];
    s->queue_head = (s->queue_head + 1) % KEY_QUEUE_SIZE;
    s->queue_count--;
    return code;
}

int present_amiga_key_held(const present_screen* s, int code) {
    if (!s || code < 0 || code > 127) return 0;
    return (s->held[code >> 3] >> (code & 7)) & 1;
}

// --- description and the chip-memory test ------------------------------------------------------

int present_amiga_describe(const present_screen* s, char* buffer, size_t size) {
    if (!s || !buffer || size == 0) return 0;
    int n;
    if (s->gfx_card) {
        n = std::snprintf(buffer, size,
                          "screen: ModeID $%08lx (%s) %dx%d, RTG via %s, image %dx%d at %d,%d",
                          static_cast<unsigned long>(s->mode_id), s->backend->name, s->screen_width,
                          s->screen_height, s->lock ? "LockBitMap" : "WriteChunkyPixels", s->width,
                          s->height, s->image_x, s->image_y);
    } else {
        // The planes live in emulated chip memory; their address there is fixed, so that
        // runs print the same line on every machine.
        constexpr unsigned long EMULATED_CHIP_PLANES = 0x00020000ul;
        char name[64];
        std::snprintf(name, sizeof name, "%s, emulated planes", s->backend->name);
        n = std::snprintf(
            buffer, size,
            "screen: ModeID $%08lx (%s) %dx%d, BytesPerRow %d%s%s, %s bitmap @ $%08lx %s, c2p %s",
            static_cast<unsigned long>(s->mode_id), name, s->screen_width, s->screen_height,
            s->bytes_per_row, "", s->rows_unpadded ? "" : " padded", "own", EMULATED_CHIP_PLANES,
            "Chip RAM", s->planes_contiguous ? "direct" : "via offscreen+memcpy");
    }
    if (n < 0) return 0;
    return static_cast<size_t>(n) < size ? n : static_cast<int>(size - 1);
}

long present_amiga_chip_write_kbs(present_screen* s) {
    // Without real time there is nothing to measure against (and a virtual date stamp would
    // never move), so such runs report 0 rather than wait for ever.
    if (!s || s->gfx_card || !s->backend->real_time || host_clock_current()->virtual_time) return 0;
    auto now_ms = [] {
        amiga_datestamp ds;
        amiga_date_stamp(&ds);
        return static_cast<int64_t>(ds.minute) * 60000 + static_cast<int64_t>(ds.tick) * 20;
    };
    int64_t start = now_ms();
    while (now_ms() == start) {
    }
    start = now_ms();
    uint32_t pass = s->planes_contiguous ? s->plane_size * 8 : s->plane_size & ~3u;
    uint64_t bytes = 0;
    int64_t elapsed = 0;
    while ((elapsed = now_ms() - start) < 300) {
        // Past midnight the time of day starts again: start the count again with it.
        if (elapsed < 0) {
            start = now_ms();
            bytes = 0;
        }
        std::memset(s->plane[0], 0, pass);
        bytes += pass;
    }
    return static_cast<long>(bytes / static_cast<uint64_t>(elapsed) * 125 / 128);
}

} // namespace vantrel
