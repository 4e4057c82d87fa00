// Scene files from any bytes: the loader must refuse or load without reading past the
// input, and a loaded scene must answer every timing question and sample every track.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "scenes/scene.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    // An exact-size copy, so that a read one byte past the input is caught.
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!copy) return 0;
    if (size) std::memcpy(copy, data, size);
    static scene s; // a few kilobytes: kept off the stack
    if (scene_load(&s, copy, uint32_t(size))) {
        const uint32_t times[] = {0, 1, 499, 20000, 655360, 0x7FFFFFFFu, 0xFFFFFFFFu};
        for (uint32_t ms : times) {
            uint8_t variant = 0;
            int32_t fade = scene_fade(&s, ms), flash = scene_flash(&s, ms);
            if (fade < 0 || fade > 256 || flash < 0 || flash > 256) std::abort();
            scene_cockpit(&s, ms, &variant);
            scene_finished(&s, ms);
            scene_wave(ms, scene_period_ms(s.logo_bob_period));
            int32_t phase = scene_phase(ms, scene_period_ms(s.band1_period), 6144);
            if (phase < 0 || phase >= 6144) std::abort();
            for (int o = 0; o < s.object_count; o++) scene_object_visible(&s, s.objects[o].id, ms);
            int64_t t = scene_clip_time(&s, ms);
            for (uint32_t i = 0; i < s.clip.track_count; i++) {
                anim_pose pose;
                anim_track_sample(&pose, &s.clip.tracks[i], t);
            }
        }
    }
    scene_free(&s);
    std::free(copy);
    return 0;
}
