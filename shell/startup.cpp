// startup: banner, settings and catalog, screen mode, processor and timer at program start.
#include "shell/startup.h"

#include <cstdio>

#include "platform/cpu_detect.h"
#include "platform/input_record.h"
#include "platform/present_amiga.h"
#include "platform/prof_amiga.h"
#include "shell/catalog_amiga.h"
#include "shell/graphics.h"
#include "shell/services.h"
#include "shell/settings_file.h"
#include "shell/ui_config.h"
#include "shell/version.h"

namespace vantrel {

int32_t detected_cpu = 0;
int g_has_fpu = 0;

namespace {

void close_timer() {
    prof_close();
    g_eclock_ok = 0;
}

// A recorded session notes what shapes its frames besides the input: the settings, as the
// bytes of the settings file that gives them, and the language.
void record_settings() {
    if (!input_record_active()) return;
    uint8_t bytes[SETTINGS_FILE_CAPACITY];
    uint32_t size = settings_file_build(&gfx_cfg, &ui_cfg, bytes);
    char text[2 * SETTINGS_FILE_CAPACITY + 64];
    int at = std::snprintf(text, sizeof text, "settings (the bytes of %s): ", SETTINGS_FILE_NAME);
    for (uint32_t i = 0; i < size; i++)
        at += std::snprintf(text + at, sizeof text - at, "%02x", bytes[i]);
    input_record_comment(text);
    std::snprintf(text, sizeof text, "language: %s", amiga_catalog_language());
    input_record_comment(text);
}

} // namespace

void startup_banner() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    start_log("Vantrel %s%s: main", VANTREL_VERSION, VANTREL_VARIANT);
    std::printf("Vantrel %s%s\n", VANTREL_VERSION, VANTREL_VARIANT);
    std::printf("fastram_cache_enable: SKIPPED (this build variant)\n");
}

void startup_settings_and_catalog() {
    graphics_config_defaults(&gfx_cfg);
    ui_config_defaults(&ui_cfg);
    settings_file_read(&gfx_cfg, &ui_cfg);
    amiga_catalog_open(ui_cfg.language[0] ? ui_cfg.language : nullptr);
    shell_at_exit(amiga_catalog_close);
    std::printf("language: %s\n", amiga_catalog_language());
    start_log("settings + catalog ok (%s)", amiga_catalog_language());
    record_settings();
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

} // namespace vantrel
