// amiga_flight_demo: start-up sequence and the main loop of the game.
#include "shell/amiga_flight_demo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "flight/flight_loop.h"
#include "platform/cpu_detect.h"
#include "platform/present_amiga.h"
#include "platform/prof_amiga.h"
#include "render/model.h"
#include "render/palette.h"
#include "shell/catalog_amiga.h"
#include "shell/graphics.h"
#include "shell/menu.h"
#include "shell/render_services.h"
#include "shell/services.h"
#include "shell/settings_file.h"
#include "shell/startup_assets.h"
#include "shell/ui_config.h"
#include "shell/version.h"

namespace vantrel {

int32_t detected_cpu = 0;
int g_has_fpu = 0;
int g_music_muted = 0;
int32_t g_scene = 0;

namespace {

void startup_banner() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    start_log("Vantrel %s%s: main", VANTREL_VERSION, VANTREL_VARIANT);
    std::printf("Vantrel %s%s\n", VANTREL_VERSION, VANTREL_VARIANT);
    std::printf("fastram_cache_enable: SKIPPED (this build variant)\n");
}

// Settings first (the catalog language is one of them), then the catalog, so that every
// text shown from here on is in the player's language.
void startup_settings_and_catalog() {
    graphics_config_defaults(&gfx_cfg);
    ui_config_defaults(&ui_cfg);
    settings_file_read(&gfx_cfg, &ui_cfg);
    amiga_catalog_open(ui_cfg.language[0] ? ui_cfg.language : nullptr);
    shell_at_exit(amiga_catalog_close);
    std::printf("language: %s\n", amiga_catalog_language());
    start_log("settings + catalog ok (%s)", amiga_catalog_language());
}

void startup_screen_mode(uint32_t mode_id) {
    present_amiga_request_mode(mode_id);
    std::printf("screen mode: %s $%08lx\n", mode_id != 0 ? "setup" : "default AGA",
                static_cast<unsigned long>(mode_id));
}

void startup_cpu() {
    detected_cpu = amiga_detect_cpu();
    uint16_t attn = amiga_attn_flags();
    start_log("cpu %s, AttnFlags $%04x", cpu_class_name(static_cast<uint32_t>(detected_cpu)), attn);
    uint32_t pcr = amiga_read_pcr();
    start_log("PCR $%08lx", static_cast<unsigned long>(pcr));
    g_has_fpu = amiga_has_fpu();
    const char* fpu = g_has_fpu ? "present" : "none";
    std::printf("CPU: AttnFlags $%04x, PCR $%08lx, FPU %s\n", attn, static_cast<unsigned long>(pcr),
                fpu);
    start_log("fpu %s", fpu);
}

void close_timer() {
    prof_close();
    g_eclock_ok = 0;
}

void startup_timer() {
    if (prof_init()) {
        g_eclock_ok = 1;
        clock_us_reset();
        shell_at_exit(close_timer);
        // The cost is that of 100 reads, so it is one read's cost in hundredths of a tick.
        unsigned long cost = prof_read_cost();
        std::printf("EClock %lu Hz, one read = %lu.%02lu ticks\n",
                    static_cast<unsigned long>(prof_hz()), cost / 100, cost % 100);
        if (cost > 2000) {
            g_prof_on = 0;
            std::printf("render timing: off by default (timer reads are slow here and would "
                        "skew it; F5 turns it on)\n");
        }
    } else {
        g_prof_on = 0;
    }
    start_log("timer ok");
}

constexpr int MENU_WIDTH = 320, MENU_HEIGHT = 256;
constexpr size_t MENU_FRAME_BYTES = size_t(MENU_WIDTH) * MENU_HEIGHT;
// The title scene player's work buffers: four bytes per pixel of depth, and span storage.
constexpr size_t MENU_DEPTH_BYTES = 327680, MENU_SPAN_BYTES = 16384;

struct menu_buffers {
    uint8_t* frame;
    uint8_t* depth;
    uint8_t* spans;
};

void menu_buffers_free(menu_buffers* b) {
    std::free(b->frame);
    std::free(b->depth);
    std::free(b->spans);
    *b = menu_buffers{};
}

bool menu_buffers_alloc(menu_buffers* b) {
    b->frame = static_cast<uint8_t*>(std::malloc(MENU_FRAME_BYTES));
    b->depth = static_cast<uint8_t*>(std::malloc(MENU_DEPTH_BYTES));
    b->spans = static_cast<uint8_t*>(std::malloc(MENU_SPAN_BYTES));
    if (b->frame && b->depth && b->spans) return true;
    menu_buffers_free(b);
    return false;
}

// The game palette with the menu's own colours: three star greys, menu text, highlight and
// text shadow at 90-95.
void menu_palette(uint8_t* rgb768) {
    static const uint8_t MENU_COLOURS[6][3] = {{70, 75, 95},    {140, 145, 170}, {230, 235, 255},
                                               {150, 150, 165}, {255, 90, 60},   {0, 0, 0}};
    build_game_palette();
    std::memcpy(rgb768, g_game_palette, 768);
    std::memcpy(rgb768 + 90 * 3, MENU_COLOURS, sizeof MENU_COLOURS);
}

// Frames of the menu until a choice is made; the presentation layer's quit signal counts
// as QUIT.
int menu_frames(present_screen* screen, uint8_t* frame) {
    menu_state m;
    menu_reset(&m);
    uint32_t cap_last = clock_us();
    const menu_facts facts = {static_cast<uint32_t>(detected_cpu), g_has_fpu, g_have_dock};
    for (;;) {
        // No title scene yet: the menu stands on black.
        std::memset(frame, 0, MENU_FRAME_BYTES);
        menu_draw(&m, frame, MENU_WIDTH, MENU_HEIGHT, MENU_DEFAULT_Y0, &gfx_cfg, &facts);
        frame_cap_wait(&cap_last, fps_cap_period_us(gfx_cfg.fps_cap));
        present_amiga_frame(screen, frame);
        present_input input;
        present_amiga_poll_input(screen, &input);
        for (int key; (key = present_amiga_pop_key(screen)) >= 0;) {
            int r = menu_key(&m, key, &gfx_cfg, &facts);
            if (r == MENU_SAVE) {
                settings_file_write(&gfx_cfg, &ui_cfg);
            } else if (r == MENU_MUSIC) {
                g_music_muted = !g_music_muted; // the title music follows once audio exists
            } else if (r >= 0) {
                return r;
            }
        }
        if (present_quit_requested()) return MENU_QUIT;
    }
}

// One visit of the main menu: its screen, buffers and frames. Returns the choice, or
// MENU_START when the menu cannot be shown (the game then starts directly).
int menu_visit() {
    present_screen* screen = present_amiga_open(MENU_WIDTH, MENU_HEIGHT, "Vantrel");
    if (!screen) return MENU_START;
    uint8_t palette[768];
    menu_palette(palette);
    present_amiga_set_palette(screen, palette);
    menu_buffers buffers{};
    if (!menu_buffers_alloc(&buffers)) {
        present_amiga_close(screen);
        return MENU_START;
    }
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    present_amiga_set_c2p_mode(screen, g.output_path == 2 ? C2P_DELTA : C2P_MEXG);
    int choice = menu_frames(screen, buffers.frame);
    menu_buffers_free(&buffers);
    present_amiga_close(screen);
    return choice;
}

// The game's models at the detail the settings ask for; every mode with ships needs them.
bool mode_models_ready() {
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    return load_detail_models(static_cast<int>(g.detail)) != 0;
}

// Runs one chosen mode. Returns 1 when the program must end with a failure, 0 to go back
// to the menu. Modes whose code is not in this build say so and come straight back.
int run_mode(int choice) {
    switch (choice) {
    case MENU_START:
    case MENU_DEMO_ORBIT:
    case MENU_DEMO_DOCK:
        g_scene = choice == MENU_START ? 0 : choice == MENU_DEMO_ORBIT ? 1 : 2;
        if (!mode_models_ready()) return 1;
        return run_flight() != 0 ? 1 : 0;
    case MENU_DEMO_SHIPS:
        if (!mode_models_ready()) return 1;
        std::printf("scene lode: not in this build yet\n");
        return 0;
    case MENU_ARCADE:
        if (!mode_models_ready()) return 1;
        std::printf("arcade: not in this build yet\n");
        return 0;
    case MENU_SYSTEM_MAP:
        // The map starts from the star catalog, which this build does not read yet.
        std::printf("maps: PROGDIR:stars.catalog missing or unreadable\n");
        return 0;
    case MENU_PORT:
        std::printf("port: not in this build yet\n");
        return 0;
    default:
        return 0;
    }
}

// Menu, mode, menu again, until QUIT (or the quit signal): 0, or 1 when a mode fails.
int menu_loop() {
    for (;;) {
        int choice = menu_visit();
        if (choice == MENU_QUIT) return 0;
        if (run_mode(choice) != 0) return 1;
        if (present_quit_requested()) return 0;
    }
}

} // namespace

int game_main(const launch_options& options) {
    startup_banner();
    render_services_install();
    startup_settings_and_catalog();
    startup_screen_mode(gfx_cfg.screen_mode_id);
    startup_cpu();
    startup_timer();
    if (!startup_models(options)) return 1;
    startup_scenery();
    return menu_loop();
}

} // namespace vantrel
