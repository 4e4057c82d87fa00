// menu_loop: the menu's screen and frames, and each chosen mode run from begin to finish.
#include "shell/menu_loop.h"

#include <cstdio>
#include <cstring>

#include "platform/present_amiga.h"
#include "render/model.h"
#include "render/model_draw.h"
#include "shell/game_models.h"
#include "shell/graphics.h"
#include "shell/menu.h"
#include "shell/services.h"
#include "shell/settings_file.h"
#include "shell/startup.h"
#include "shell/startup_assets.h"
#include "shell/ui_config.h"

namespace vantrel {

int g_music_muted = 0;

namespace {

constexpr int SCREEN_WIDTH = 320, SCREEN_HEIGHT = 256;
constexpr size_t SCREEN_PIXELS = size_t(SCREEN_WIDTH) * SCREEN_HEIGHT;

// The program's one set of screen buffers, in static storage: the menu and every mode draw
// into them in turn, nothing is allocated per visit, and they sit at the same addresses on
// every run.
alignas(16) uint8_t g_chunky[SCREEN_PIXELS];
alignas(16) int32_t g_depth[SCREEN_PIXELS];
alignas(16) depth_span g_spans[SPAN_CAPACITY];

const menu_backdrop* g_backdrop = nullptr;

// The menu's open screen and what its frames keep from one to the next.
struct menu_screen {
    present_screen* screen;
    uint8_t palette[768];
    int y0;
    int faded; // the last frame's palette was faded or flashed
    amiga_datestamp opened, previous;
};

// The backdrop of this moment, then the page over it.
void menu_compose(menu_screen* ms, const menu_state* m, const menu_facts* facts) {
    amiga_datestamp now;
    amiga_date_stamp(&now);
    uint32_t t = static_cast<uint32_t>(datestamp_elapsed_ms(&ms->opened, &now));
    uint32_t dt = static_cast<uint32_t>(datestamp_elapsed_ms(&ms->previous, &now));
    ms->previous = now;
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    const frame_target target = menu_screen_buffers();
    g_backdrop->draw(&target, t, dt, g.shading == 2 ? SHADE_MATERIAL_LIT : SHADE_MATERIAL,
                     ms->palette);
    menu_draw(m, target.chunky, SCREEN_WIDTH, SCREEN_HEIGHT, ms->y0, &gfx_cfg, facts);
    g_backdrop->show_palette(ms->screen, t, ms->palette, &ms->faded);
}

constexpr int MENU_MUSIC_VOLUME = 56; // of 64

// The title music plays in the menu unless the player switched it off.
void menu_music_start() {
    if (g_music_muted) return;
    if (!music_play(g_music, MENU_MUSIC_VOLUME) && g_music)
        std::printf("music: no free audio channels\n");
}

void menu_music_switch() {
    g_music_muted = !g_music_muted;
    if (g_music_muted)
        music_stop(g_music);
    else
        music_play(g_music, MENU_MUSIC_VOLUME);
}

// Frames of the menu until a choice is made; the presentation layer's quit signal counts
// as QUIT.
int menu_frames(menu_screen* ms) {
    menu_state m;
    menu_reset(&m);
    uint32_t cap_last = clock_us();
    const menu_facts facts = {static_cast<uint32_t>(detected_cpu), g_has_fpu, g_have_dock};
    present_screen* screen = ms->screen;
    uint8_t* frame = g_chunky;
    amiga_date_stamp(&ms->opened);
    ms->previous = ms->opened;
    for (;;) {
        menu_compose(ms, &m, &facts);
        music_update(g_music);
        frame_cap_wait(&cap_last, fps_cap_period_us(gfx_cfg.fps_cap));
        present_amiga_frame(screen, frame);
        present_input input;
        present_amiga_poll_input(screen, &input);
        for (int key; (key = present_amiga_pop_key(screen)) >= 0;) {
            int r = menu_key(&m, key, &gfx_cfg, &facts);
            if (r == MENU_SAVE) {
                settings_file_write(&gfx_cfg, &ui_cfg);
            } else if (r == MENU_MUSIC) {
                menu_music_switch();
            } else if (r >= 0) {
                return r;
            }
        }
        if (present_quit_requested()) return MENU_QUIT;
    }
}

// One visit of the main menu: its screen and frames. Returns the choice, or MENU_START when
// the menu cannot be shown (the game then starts directly).
int menu_visit() {
    static menu_screen ms;
    ms.screen = present_amiga_open(SCREEN_WIDTH, SCREEN_HEIGHT, "Vantrel");
    if (!ms.screen) return MENU_START;
    ms.y0 = g_backdrop->open(ms.palette);
    ms.faded = 0;
    present_amiga_set_palette(ms.screen, ms.palette);
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    present_amiga_set_c2p_mode(ms.screen, g.output_path == 2 ? C2P_DELTA : C2P_MEXG);
    menu_music_start();
    int choice = menu_frames(&ms);
    music_stop(g_music);
    present_amiga_close(ms.screen);
    ms.screen = nullptr;
    return choice;
}

// The game's models at the detail the settings ask for; every mode with ships needs them.
bool mode_models_ready() {
    graphics_resolved g;
    graphics_resolve(&g, &gfx_cfg, static_cast<uint32_t>(detected_cpu));
    return load_detail_models(static_cast<int>(g.detail)) != 0;
}

// Runs one mode from begin to finish. Returns 1 when the program must end with a failure,
// 0 to go back to the menu.
int run_mode(const game_mode* mode) {
    if (mode->needs_models && !mode_models_ready()) return 1;
    const mode_request request = {mode->variant, menu_screen_buffers()};
    if (!mode->begin(&request)) return 1;
    while (mode->step()) {
    }
    mode->finish();
    return 0;
}

} // namespace

frame_target menu_screen_buffers() {
    return frame_target{g_chunky, g_depth, g_spans, SCREEN_WIDTH, SCREEN_HEIGHT};
}

int menu_loop(const game_mode modes[MENU_MODE_COUNT], const menu_backdrop* backdrop) {
    g_backdrop = backdrop;
    for (;;) {
        int choice = menu_visit();
        if (choice == MENU_QUIT) return 0;
        if (choice >= 0 && choice < MENU_MODE_COUNT && run_mode(&modes[choice]) != 0) return 1;
        if (present_quit_requested()) return 0;
    }
}

} // namespace vantrel
