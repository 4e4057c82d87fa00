// flight_stats: the three statistics lines of every 20 frames, and the developer trace of
// what the pilot sees on screen (--trace).
#include <cstdio>
#include <cstring>

#include "flight/flight_local.h"
#include "platform/prof_amiga.h"
#include "render/model_draw.h"
#include "render/span.h"
#include "shell/loc.h"

namespace vantrel {

void flight_print_stats(flight* f) {
    uint32_t now = clock_us();
    long ms;
    if (g_eclock_ok && now - f->stat_frames_start_us >= 1000) {
        ms = static_cast<long>((now - f->stat_frames_start_us) / 1000);
    } else {
        amiga_datestamp ds;
        amiga_date_stamp(&ds);
        ms = datestamp_elapsed_ms(&f->stat_start, &ds);
    }
    long fps_whole = ms > 0 ? 20000 / ms : 0;
    long fps_frac = ms > 0 ? (2000000 / ms) % 100 : 0;
    const phase_timers& t = f->timers;
    std::printf("20 frames in %ld ms (%ld.%02ld fps) input=%ld physics=%ld clear=%ld station=%ld "
                "decoys=%ld "
                "fx=%ld render=%ld present=%ld ms, particles=%u\n",
                ms, fps_whole, fps_frac, static_cast<long>(t.input / 1000),
                static_cast<long>(t.physics / 1000), static_cast<long>(t.clear / 1000),
                static_cast<long>(t.station / 1000), static_cast<long>(t.decoys / 1000),
                static_cast<long>(t.fx / 1000), static_cast<long>(t.render / 1000),
                static_cast<long>(t.present / 1000), static_cast<unsigned>(f->fx.count));
    uint32_t submitted = 0, written = 0;
    present_amiga_c2p_stats(f->screen, &submitted, &written);
    long share =
        submitted ? static_cast<long>(static_cast<uint64_t>(written) * 100 / submitted) : 0;
    std::printf(
        "  tris/20f: drawn=%lu clipped=%lu objs_culled=%lu station_lod=%u | c2p=%s blocks written "
        "%ld%% | sim steps %lu\n",
        static_cast<unsigned long>(g_render_stats.tris_drawn),
        static_cast<unsigned long>(g_render_stats.tris_clipped),
        static_cast<unsigned long>(g_render_stats.objs_culled),
        static_cast<unsigned>(f->station_lod < 0 ? 0 : f->station_lod),
        present_c2p_mode_name(present_amiga_c2p_mode(f->screen)), share,
        static_cast<unsigned long>(f->sim_steps));
    const render_timing& rt = g_render_timing;
    auto per_frame_us = [](uint32_t ticks) {
        return static_cast<unsigned long>(prof_ticks_to_us(ticks) / STAT_FRAMES);
    };
    std::printf("  render us/frame: backface=%lu verts=%lu setup=%lu fill=%lu | px/frame=%lu "
                "reads/frame=%lu | "
                "%s raster=%s | globe=%lu px=%lu %s\n",
                per_frame_us(rt.backface), per_frame_us(rt.verts), per_frame_us(rt.setup),
                per_frame_us(rt.fill), static_cast<unsigned long>(rt.pixels / STAT_FRAMES),
                static_cast<unsigned long>(rt.reads / STAT_FRAMES),
                g_vertex_fpu ? "FPU" : "integer (fix16)", g_raster_fused ? "fused" : "spans",
                per_frame_us(rt.globe), static_cast<unsigned long>(rt.globe_pixels / STAT_FRAMES),
                rt.globe_level == 0 ? "full" : (rt.globe_level == 1 ? "coarse x2" : "coarse x4"));
    g_render_stats = render_stats{0, 0, 0};
    int on = g_render_timing.on;
    uint32_t (*reader)() = g_render_timing.now;
    g_render_timing = render_timing{};
    g_render_timing.on = on;
    g_render_timing.now = reader;
    f->timers = phase_timers{};
    f->sim_steps = 0;
    f->stat_frames_start_us = now;
    amiga_date_stamp(&f->stat_start);
}

void flight_trace_frame(flight* f) {
    const cockpit& c = f->cp;
    unsigned frame = present_frame_count();
    // A centre message is new when it changed or its display time started again.
    if (c.message != 0 && c.message_ms > 0 &&
        (c.message != f->traced_message || c.message_ms > f->traced_message_ms))
        std::printf("trace %u: message %s\n", frame, loc(c.message));
    f->traced_message = c.message;
    f->traced_message_ms = c.message_ms;
    if (g_osd_on && std::strcmp(g_osd_text, f->traced_osd) != 0)
        std::printf("trace %u: osd %s\n", frame, g_osd_text);
    std::snprintf(f->traced_osd, sizeof f->traced_osd, "%s", g_osd_on ? g_osd_text : "");
    if (c.target >= 0 && frame % 10 == 0)
        std::printf("trace %u: target %s %u m%s\n", frame, f->targets[c.target].name,
                    c.dist[c.target], c.proj[c.target].visible ? "" : " (off screen)");
}

} // namespace vantrel
