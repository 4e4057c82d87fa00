// sdl_window: SDL2 window, renderer and texture; host keys; screenshots.
#include "platform/sdl/sdl_window.h"

#include <SDL2/SDL.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/frame_crc.h"
#include "platform/host.h"
#include "platform/input_record.h"
#include "platform/input_script.h"
#include "platform/png_indexed.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_keymap.h"
#include "platform/window_view.h"

namespace vantrel {

namespace {

struct sdl_state {
    bool video;         // SDL's video subsystem is up
    SDL_Window* window; // kept for the whole run, across screens
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    int32_t tex_w, tex_h;
    uint32_t xrgb[256];    // the palette as texture pixels
    uint32_t palette_seen; // palette serial the table was built from
    bool table_valid;
    bool fullscreen;
    int scale;
    bool aspect_4_3; // stretched to 4:3 instead of whole scales of square pixels
    const char* shot_dir;
    present_screen* screen;                // the open screen with the window, if any
    bool host_key_down[SDL_NUM_SCANCODES]; // host keys whose release the game must not see
    // While recording: game time in whole ticks, the real time it has caught up to, and the
    // hash of the frame shown at the first input of the latest frame.
    uint64_t record_us, record_real_us;
    uint32_t record_frame, record_crc;
    bool record_hashed;
};

sdl_state g_sdl;

// The window back end runs on real time; only the frame count is its own.
uint64_t sdl_counter_us() {
    return HOST_CLOCK_REAL.counter_us();
}
void sdl_wait_vblank() {
    HOST_CLOCK_REAL.wait_vblank();
}
void sdl_date_stamp(amiga_datestamp* out) {
    HOST_CLOCK_REAL.date_stamp(out);
}
void sdl_frame_end() {
    present_frame_ended();
}
const host_clock HOST_CLOCK_SDL = {"real",         sdl_counter_us, sdl_wait_vblank,
                                   sdl_date_stamp, sdl_frame_end,  false};

// The recording clock: the game sees time move only when a frame ends, by the whole 20 ms
// ticks of real time the frame took (at least one: the frame waits for it here), which the
// record writes down for the replay's virtual clock.
uint64_t record_counter_us() {
    return g_sdl.record_us;
}
void record_wait_vblank() {}
void record_date_stamp(amiga_datestamp* out) {
    virtual_date_stamp_at(g_sdl.record_us, out);
}
void record_frame_end() {
    constexpr uint64_t TICK_US = 20000;
    uint64_t now = HOST_CLOCK_REAL.counter_us();
    while (now < g_sdl.record_real_us + TICK_US) {
        HOST_CLOCK_REAL.wait_vblank();
        now = HOST_CLOCK_REAL.counter_us();
    }
    uint64_t ticks = (now - g_sdl.record_real_us) / TICK_US;
    if (ticks > SCRIPT_TICKS_MAX) { // a machine that slept: the game does not see it all
        ticks = SCRIPT_TICKS_MAX;
        g_sdl.record_real_us = now;
    } else {
        g_sdl.record_real_us += ticks * TICK_US;
    }
    g_sdl.record_us += ticks * TICK_US;
    input_record_ticks(present_frame_count(), static_cast<uint32_t>(ticks));
    present_frame_ended();
}
const host_clock HOST_CLOCK_RECORD = {"recorded",        record_counter_us, record_wait_vblank,
                                      record_date_stamp, record_frame_end,  true};

void rebuild_table(present_screen* s) {
    for (int i = 0; i < 256; i++) {
        uint32_t r = s->palette32[i * 3] >> 24, g = s->palette32[i * 3 + 1] >> 24,
                 b = s->palette32[i * 3 + 2] >> 24;
        g_sdl.xrgb[i] = 0xFF000000u | r << 16 | g << 8 | b;
    }
    g_sdl.palette_seen = s->palette_serial;
    g_sdl.table_valid = true;
}

void upload_rows(present_screen* s, int32_t y0, int32_t rows) {
    if (rows <= 0) return;
    SDL_Rect rect = {0, y0, s->width, rows};
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(g_sdl.texture, &rect, &pixels, &pitch) != 0) return;
    sdl_expand_rows(s->shown + static_cast<size_t>(y0) * s->width, s->width, rows, g_sdl.xrgb,
                    static_cast<uint8_t*>(pixels), pitch);
    SDL_UnlockTexture(g_sdl.texture);
}

view_rect current_view(const present_screen* s) {
    int out_w = 0, out_h = 0;
    SDL_GetRendererOutputSize(g_sdl.renderer, &out_w, &out_h);
    if (g_sdl.aspect_4_3) return view_fit_aspect(out_w, out_h, 4, 3);
    return view_fit(out_w, out_h, s->width, s->height);
}

void draw(present_screen* s) {
    int out_w = 0, out_h = 0;
    SDL_GetRendererOutputSize(g_sdl.renderer, &out_w, &out_h);
    view_rect v = current_view(s);
    // Borders only exist when the image does not fill the window; clearing a window the
    // copy covers anyway would cost a whole extra pass over its pixels.
    if (v.x != 0 || v.y != 0 || v.w != out_w || v.h != out_h) {
        SDL_SetRenderDrawColor(g_sdl.renderer, 0, 0, 0, 255);
        SDL_RenderClear(g_sdl.renderer);
    }
    SDL_Rect src = {0, 0, s->width, s->height};
    SDL_Rect dst = {v.x, v.y, v.w, v.h};
    SDL_RenderCopy(g_sdl.renderer, g_sdl.texture, &src, &dst);
}

// Puts rows of `shown` on the texture (all rows when the palette changed) and the texture
// on the window.
void refresh(present_screen* s, int32_t y0, int32_t rows) {
    if (!g_sdl.table_valid || g_sdl.palette_seen != s->palette_serial) {
        rebuild_table(s);
        y0 = 0;
        rows = s->height;
    }
    upload_rows(s, y0, rows);
    draw(s);
    SDL_RenderPresent(g_sdl.renderer);
}

bool create_window(const present_screen* s, const char* title) {
    if (!g_sdl.video) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::printf("vantrel: no window (%s); --headless runs without one\n", SDL_GetError());
            return false;
        }
        g_sdl.video = true;
    }
    // Nearest-neighbour scaling keeps every game pixel a sharp block.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (g_sdl.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    int window_w = s->width * g_sdl.scale;
    int window_h = g_sdl.aspect_4_3 ? window_w * 3 / 4 : s->height * g_sdl.scale;
    g_sdl.window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, window_w,
                                    window_h, flags);
    if (!g_sdl.window) {
        std::printf("vantrel: no window (%s)\n", SDL_GetError());
        return false;
    }
    // Vsync where the machine offers it; any renderer at all otherwise.
    const Uint32 tries[] = {SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC,
                            SDL_RENDERER_ACCELERATED, SDL_RENDERER_SOFTWARE};
    for (Uint32 t : tries) {
        g_sdl.renderer = SDL_CreateRenderer(g_sdl.window, -1, t);
        if (g_sdl.renderer) break;
    }
    if (!g_sdl.renderer) {
        std::printf("vantrel: no renderer (%s)\n", SDL_GetError());
        SDL_DestroyWindow(g_sdl.window);
        g_sdl.window = nullptr;
        return false;
    }
    SDL_ShowCursor(SDL_DISABLE);
    return true;
}

bool ensure_texture(const present_screen* s) {
    if (g_sdl.texture && g_sdl.tex_w == s->width && g_sdl.tex_h == s->height) return true;
    if (g_sdl.texture) SDL_DestroyTexture(g_sdl.texture);
    g_sdl.texture = SDL_CreateTexture(g_sdl.renderer, SDL_PIXELFORMAT_RGB888,
                                      SDL_TEXTUREACCESS_STREAMING, s->width, s->height);
    g_sdl.tex_w = g_sdl.texture ? s->width : 0;
    g_sdl.tex_h = g_sdl.texture ? s->height : 0;
    return g_sdl.texture != nullptr;
}

void save_screenshot(present_screen* s) {
    char name[64], path[4096];
    time_t now = time(nullptr);
    tm local;
    localtime_r(&now, &local);
    std::strftime(name, sizeof name, "vantrel-%Y%m%d-%H%M%S.png", &local);
    const char* dir = g_sdl.shot_dir;
    int n = dir[0] ? std::snprintf(path, sizeof path, "%s/%s", dir, name)
                   : std::snprintf(path, sizeof path, "%s", name);
    uint8_t rgb[768];
    present_palette_rgb(s, rgb);
    bool fits = n > 0 && static_cast<size_t>(n) < sizeof path;
    if (fits && png_write_indexed(path, s->shown, s->width, s->height, rgb))
        std::printf("screenshot: %s\n", path);
    else
        std::printf("screenshot: could not write %s: %s\n", path,
                    std::strerror(fits ? errno : ENAMETOOLONG));
}

void toggle_fullscreen(present_screen* s) {
    g_sdl.fullscreen = !g_sdl.fullscreen;
    SDL_SetWindowFullscreen(g_sdl.window, g_sdl.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    refresh(s, 0, 0);
}

// F11, Alt+Enter and Print Screen belong to the host; true when the key was one of them.
bool host_key(present_screen* s, const SDL_KeyboardEvent& key) {
    SDL_Scancode sc = key.keysym.scancode;
    bool alt_enter =
        (sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER) && (key.keysym.mod & KMOD_ALT);
    if (key.type == SDL_KEYUP) {
        bool was = g_sdl.host_key_down[sc];
        g_sdl.host_key_down[sc] = false;
        return was;
    }
    if (sc != SDL_SCANCODE_F11 && sc != SDL_SCANCODE_PRINTSCREEN && !alt_enter) return false;
    g_sdl.host_key_down[sc] = true;
    if (key.repeat) return true;
    if (sc == SDL_SCANCODE_PRINTSCREEN)
        save_screenshot(s);
    else
        toggle_fullscreen(s);
    return true;
}

void pointer_to_image(present_screen* s, int32_t wx, int32_t wy) {
    int win_w = 0, win_h = 0, out_w = 0, out_h = 0;
    SDL_GetWindowSize(g_sdl.window, &win_w, &win_h);
    SDL_GetRendererOutputSize(g_sdl.renderer, &out_w, &out_h);
    // Window points to output pixels (they differ on high-DPI screens), then to the image.
    int32_t px = win_w > 0 ? static_cast<int32_t>(static_cast<int64_t>(wx) * out_w / win_w) : wx;
    int32_t py = win_h > 0 ? static_cast<int32_t>(static_cast<int64_t>(wy) * out_h / win_h) : wy;
    int32_t ix, iy;
    view_map_point(current_view(s), s->width, s->height, px, py, &ix, &iy);
    input_record_mouse(present_frame_count(), ix - s->image_x, iy - s->image_y);
    present_input_mouse_move(s, ix - s->image_x, iy - s->image_y);
}

void handle_event(present_screen* s, const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT:
        input_record_quit(present_frame_count());
        present_quit_raise();
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            input_record_quit(present_frame_count());
            present_quit_raise();
        }
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
            e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            refresh(s, 0, 0);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        if (host_key(s, e.key)) break;
        // The Amiga sends one down per press: the host's auto-repeat is not passed on.
        if (e.key.repeat) break;
        int raw = sdl_scancode_to_raw(e.key.keysym.scancode);
        if (raw < 0) break;
        input_record_key(present_frame_count(), e.type == SDL_KEYUP ? raw | 0x80 : raw);
        present_input_key(s, e.type == SDL_KEYUP ? raw | 0x80 : raw);
        break;
    }
    case SDL_MOUSEMOTION:
        pointer_to_image(s, e.motion.x, e.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) break;
        pointer_to_image(s, e.button.x, e.button.y);
        input_record_button(present_frame_count(), e.button.button == SDL_BUTTON_LEFT,
                            e.type == SDL_MOUSEBUTTONDOWN);
        present_input_button(s, e.button.button == SDL_BUTTON_LEFT, e.type == SDL_MOUSEBUTTONDOWN);
        break;
    default:
        break;
    }
}

// --- the back end record -------------------------------------------------------------------

int sdl_start(const present_settings* settings) {
    g_sdl.fullscreen = settings->fullscreen;
    g_sdl.scale = settings->scale > 0 ? settings->scale : 3;
    g_sdl.aspect_4_3 = settings->aspect_4_3;
    g_sdl.shot_dir = settings->shot_dir;
    host_clock_select(&HOST_CLOCK_SDL);
    if (settings->record[0]) {
        if (!input_record_open(settings->record, settings->version)) return 0;
        g_sdl.record_us = 0;
        g_sdl.record_real_us = HOST_CLOCK_REAL.counter_us();
        g_sdl.record_frame = 0;
        g_sdl.record_crc = 0;
        g_sdl.record_hashed = false;
        host_clock_select(&HOST_CLOCK_RECORD);
    }
    sdl_audio_start(settings->no_sound);
    return 1;
}

void sdl_stop() {
    if (input_record_active()) input_record_close(g_sdl.record_frame, g_sdl.record_crc);
    sdl_audio_stop();
    if (g_sdl.texture) SDL_DestroyTexture(g_sdl.texture);
    if (g_sdl.renderer) SDL_DestroyRenderer(g_sdl.renderer);
    if (g_sdl.window) SDL_DestroyWindow(g_sdl.window);
    if (g_sdl.video) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    g_sdl.texture = nullptr;
    g_sdl.renderer = nullptr;
    g_sdl.window = nullptr;
    g_sdl.video = false;
    g_sdl.screen = nullptr;
    host_clock_select(nullptr);
}

int sdl_open(present_screen* s, const char* title) {
    // A screen without a window shows nothing on the host; it lives in memory only.
    if (!s->has_window) return 1;
    if (!g_sdl.window && !create_window(s, title)) return 0;
    SDL_SetWindowTitle(g_sdl.window, title);
    if (!ensure_texture(s)) return 0;
    g_sdl.screen = s;
    g_sdl.table_valid = false;
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    pointer_to_image(s, x, y);
    return 1;
}

void sdl_close(present_screen* s) {
    if (g_sdl.screen == s) g_sdl.screen = nullptr;
}

void sdl_to_front(present_screen* s) {
    if (g_sdl.screen == s && g_sdl.window) SDL_RaiseWindow(g_sdl.window);
}

void sdl_show(present_screen* s, int32_t y0, int32_t rows) {
    if (g_sdl.screen != s) return;
    // Nothing changed (a delta present of the same frame): the window already shows it.
    if (rows == 0 && g_sdl.table_valid && g_sdl.palette_seen == s->palette_serial) return;
    refresh(s, y0, rows);
}

// The frame the replay hashes at its end: the one shown when the latest frame's first input
// was taken, which is where the replay delivers that frame's events.
void record_shown_frame(present_screen* s) {
    uint32_t frame = present_frame_count();
    if (!input_record_active() || (frame == g_sdl.record_frame && g_sdl.record_hashed)) return;
    g_sdl.record_hashed = true;
    g_sdl.record_frame = frame;
    g_sdl.record_crc = frame_crc32(s->shown, static_cast<size_t>(s->width) * s->height);
}

void sdl_pump(present_screen* s) {
    if (g_sdl.screen != s) return;
    record_shown_frame(s);
    SDL_Event e;
    while (SDL_PollEvent(&e)) handle_event(s, e);
    // A palette change shows at once, as a hardware palette does, even without a present.
    if (g_sdl.table_valid && g_sdl.palette_seen != s->palette_serial) refresh(s, 0, 0);
}

} // namespace

void sdl_expand_rows(const uint8_t* src, int32_t width, int32_t rows, const uint32_t* table,
                     uint8_t* dst, int32_t dst_pitch) {
    for (int32_t y = 0; y < rows; y++) {
        const uint8_t* in = src + static_cast<size_t>(y) * static_cast<size_t>(width);
        auto* out = reinterpret_cast<uint32_t*>(dst + static_cast<size_t>(y) * dst_pitch);
        for (int32_t x = 0; x < width; x++) out[x] = table[in[x]];
    }
}

int sdl_window_capture(uint32_t* pixels, int32_t capacity, int32_t* width, int32_t* height) {
    if (!g_sdl.screen || !g_sdl.renderer) return 0;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(g_sdl.renderer, &w, &h);
    if (static_cast<int64_t>(w) * h > capacity) return 0;
    draw(g_sdl.screen);
    if (SDL_RenderReadPixels(g_sdl.renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels, w * 4) != 0)
        return 0;
    *width = w;
    *height = h;
    return 1;
}

const present_backend PRESENT_BACKEND_SDL = {
    "SDL2 window", 1, sdl_start, sdl_stop, sdl_open, sdl_close, sdl_to_front, sdl_show, sdl_pump,
};

} // namespace vantrel
