// present_amiga: the screen, its palette, frame output and keyboard/mouse input, over a
// back end (SDL window or headless memory screen) chosen once at run time.
//
// The game draws 8-bit chunky frames into its own buffers and hands them here; keys arrive
// as Amiga raw key codes (0-127 down, bit 7 set for up) whatever the host keyboard is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// Raw key codes the game itself names.
constexpr int RAWKEY_MINUS = 0x0B;
constexpr int RAWKEY_EQUALS = 0x0C;
constexpr int RAWKEY_SPACE = 0x40;
constexpr int RAWKEY_TAB = 0x42;
constexpr int RAWKEY_RETURN = 0x44;
constexpr int RAWKEY_ESCAPE = 0x45;
constexpr int RAWKEY_KP_MINUS = 0x4A;
constexpr int RAWKEY_UP = 0x4C;
constexpr int RAWKEY_DOWN = 0x4D;
constexpr int RAWKEY_RIGHT = 0x4E;
constexpr int RAWKEY_LEFT = 0x4F;
constexpr int RAWKEY_F1 = 0x50; // F1-F10 are 0x50-0x59
constexpr int RAWKEY_KP_PLUS = 0x5E;
// Letters and digits by their place on the keyboard: the top row of digits from 0x01, the
// letter rows from 0x10 (Q), 0x20 (A) and 0x31 (Z).
constexpr int RAWKEY_1 = 0x01, RAWKEY_2 = 0x02, RAWKEY_3 = 0x03, RAWKEY_4 = 0x04;
constexpr int RAWKEY_Q = 0x10, RAWKEY_W = 0x11, RAWKEY_E = 0x12, RAWKEY_R = 0x13;
constexpr int RAWKEY_T = 0x14, RAWKEY_I = 0x17, RAWKEY_P = 0x19;
constexpr int RAWKEY_A = 0x20, RAWKEY_S = 0x21, RAWKEY_D = 0x22, RAWKEY_G = 0x24;
constexpr int RAWKEY_H = 0x25, RAWKEY_C = 0x33, RAWKEY_V = 0x34, RAWKEY_N = 0x36;
constexpr int RAWKEY_M = 0x37, RAWKEY_COMMA = 0x38, RAWKEY_PERIOD = 0x39;

constexpr int KEY_QUEUE_SIZE = 16;

// Output modes: 0-2 convert to bit-planes, 3-4 copy chunky pixels to a graphics card.
enum : int32_t {
    C2P_MEXG = 0,
    C2P_040 = 1,
    C2P_DELTA = 2,
    C2P_RTG = 3,
    C2P_RTG_DELTA = 4,
};

struct present_backend;

struct present_screen {
    // What the screen is.
    uint32_t mode_id;
    int32_t width, height; // the image callers render
    int32_t screen_width, screen_height;
    int32_t image_x, image_y; // the image's corner on a larger screen
    int has_window;           // input arrives only through a window
    int gfx_card;             // chunky pixels are copied, no planar conversion
    int lock;                 // the screen memory can be written directly
    int32_t mode;             // output mode, C2P_*
    // Emulated bit-planes of a planar screen: one block, plane k at plane[k].
    uint8_t* own_planes;
    uint32_t own_planes_size;
    uint8_t* plane[8];
    int32_t bytes_per_row;
    uint32_t plane_size; // bytes_per_row x height
    int planes_contiguous;
    int rows_unpadded;
    uint8_t* shadow; // fast-memory copy of the eight planes
    uint32_t shadow_size;
    // Delta modes.
    uint8_t* prev;
    uint32_t prev_size;
    uint8_t* row_changed;        // per row: 1 when prev holds the row
    uint32_t submitted, written; // 32-pixel groups, read and reset by c2p_stats
    // Input.
    int32_t rmb, lmb, drag_x, drag_y;
    int32_t mouse_x, mouse_y; // the pointer, in image pixels
    uint8_t held[16];         // bit k: raw key k is down
    uint8_t queue[KEY_QUEUE_SIZE];
    int32_t queue_head, queue_count;
    int32_t escape; // an Escape key-down arrived during this poll
    // Palette: each 8-bit component widened to 32 bits (c x 0x01010101).
    uint32_t palette32[256 * 3];
    uint32_t palette_serial; // bumped on every change, so back ends rebuild lazily
    // The image as the player sees it: for a graphics-card screen its memory; for a planar
    // screen the planes converted back.
    uint8_t* shown;
    const present_backend* backend;
    void* backend_data;
};

struct present_input {
    int32_t drag_dx, drag_dy;
    int32_t rmb, lmb;
    int32_t escape;
    int32_t mouse_x, mouse_y;
};

// --- the operations the game calls --------------------------------------------------------

void present_amiga_request_mode(uint32_t mode_id);
present_screen* present_amiga_open(int32_t width, int32_t height, const char* title);
present_screen* present_amiga_open_no_window(int32_t width, int32_t height, const char* title);
void present_amiga_close(present_screen* s);
int32_t present_amiga_width(const present_screen* s);
int32_t present_amiga_height(const present_screen* s);
void present_amiga_to_front(present_screen* s);

void present_amiga_set_palette(present_screen* s, const uint8_t* rgb768);
void present_amiga_set_color(present_screen* s, int32_t index, uint8_t r, uint8_t g, uint8_t b);
void present_amiga_set_colors(present_screen* s, int32_t first, int32_t count, const uint8_t* rgb);

void present_amiga_frame(present_screen* s, const uint8_t* chunky);
void present_amiga_frame_rows(present_screen* s, const uint8_t* chunky, int32_t y0, int32_t rows);

void present_amiga_poll_input(present_screen* s, present_input* out);
int present_amiga_pop_key(present_screen* s);
int present_amiga_key_held(const present_screen* s, int code);

int present_amiga_describe(const present_screen* s, char* buffer, size_t size);
long present_amiga_chip_write_kbs(present_screen* s);

int32_t present_amiga_set_c2p_mode(present_screen* s, int32_t requested);
int32_t present_amiga_c2p_mode(const present_screen* s);
const char* present_c2p_mode_name(int32_t mode);
void present_amiga_c2p_stats(present_screen* s, uint32_t* submitted, uint32_t* written);

// --- the quit signal and the frame count ---------------------------------------------------

// Raised by closing the window, by --frames N after frame N and by a script's quit; every
// mode loop returns when it is set, and the program ends as after QUIT.
int present_quit_requested();
void present_quit_raise();
// Frames ended so far in the run (calls of frame_cap_wait), counted from 1.
uint32_t present_frame_count();

// --- the back end behind the operations -----------------------------------------------------

struct present_settings {
    bool planar = false;        // emulated bit-planes instead of a graphics-card screen
    bool fullscreen = false;    // window back end: start in desktop fullscreen
    int scale = 3;              // window back end: starting size in multiples of the image
    bool aspect_4_3 = false;    // window back end: stretch the image to 4:3, not square pixels
    uint32_t frames = 0;        // raise the quit signal after this many frames (0 = never)
    const char* script = "";    // headless input script (empty = none); texts are copied
    const char* shot_dir = "";  // where screenshots go (empty = current directory)
    const char* audio_wav = ""; // headless: write the sound mix here (empty = nowhere)
    bool no_sound = false;      // every audio channel refused
    const char* record = "";    // window back end: write the session as a script here
    const char* version = "";   // the program's version, for the record's header
};

// One back end: a display and an input source. The shared code does everything the game
// can observe (modes, counters, queue, palette); the back end only shows rows of `shown`
// and feeds input events.
struct present_backend {
    const char* name; // named in the describe line
    int real_time;    // 0 when time is virtual (nothing can be measured against it)
    int (*start)(const present_settings* settings); // 1, or 0 with a line printed
    void (*stop)();
    int (*open)(present_screen* s, const char* title); // 1, or 0 when no display
    void (*close)(present_screen* s);
    void (*to_front)(present_screen* s);
    void (*show)(present_screen* s, int32_t y0, int32_t rows); // rows of `shown` changed
    void (*pump)(present_screen* s);                           // feed pending input
};

// Chooses and starts the back end (once, before the game starts); stopped at exit.
int present_backend_start(const present_backend* backend, const present_settings* settings);
const present_backend* present_backend_current();
const present_settings* present_current_settings();

// Called by the back ends' clocks at the end of each frame (from frame_cap_wait).
void present_frame_ended();

// Input events, in the order they happened, from a back end's pump.
void present_input_key(present_screen* s, int raw_code);
void present_input_mouse_move(present_screen* s, int32_t x, int32_t y);
void present_input_button(present_screen* s, int left, int down);

// The palette entry as 8-bit red, green, blue (the widened component's top byte).
void present_palette_rgb(const present_screen* s, uint8_t* rgb768);

// The screens back ends open without a graphics-card mode of their own use this id: its
// monitor part is none of the native chipset's, as a graphics card's mode would be.
constexpr uint32_t PRESENT_HOST_MODE_ID = 0x50001000u;
constexpr uint32_t PRESENT_PAL_LORES_ID = 0x00021000u;

// Test hook: gap in bytes left between emulated planes (0 = contiguous), for the next open.
void present_planar_gap_for_tests(uint32_t gap);

} // namespace vantrel
