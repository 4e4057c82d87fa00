// Animation clips from any bytes: what loads must save to exactly the bytes it was read
// from, and load again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "scenes/anim.h"

using namespace vantrel;

namespace {

// Saves a clip into a fresh exact-size buffer; null when it did not all fit.
uint8_t* save_exact(const anim_clip* clip, uint32_t size) {
    uint8_t* out = static_cast<uint8_t*>(std::malloc(size));
    if (!out) return nullptr;
    save_writer w;
    save_writer_init(&w, out, size);
    if (!anim_clip_save(clip, &w) || w.pos != size) {
        std::free(out);
        return nullptr;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!copy) return 0;
    if (size) std::memcpy(copy, data, size);
    save_reader r;
    save_reader_init(&r, copy, uint32_t(size));
    anim_clip clip;
    if (anim_clip_load(&clip, &r)) {
        // The block's own bytes are the ones read; anything after it is not the clip's.
        uint32_t used = r.pos;
        if (anim_clip_save_size(&clip) != used) std::abort();
        uint8_t* saved = save_exact(&clip, used);
        if (!saved || std::memcmp(saved, copy, used) != 0) std::abort();
        save_reader again;
        save_reader_init(&again, saved, used);
        anim_clip reloaded;
        if (!anim_clip_load(&reloaded, &again) || again.pos != used) std::abort();
        uint8_t* resaved = save_exact(&reloaded, used);
        if (!resaved || std::memcmp(resaved, saved, used) != 0) std::abort();
        std::free(resaved);
        std::free(saved);
        anim_clip_owned_free(&reloaded);
    }
    anim_clip_owned_free(&clip);
    std::free(copy);
    return 0;
}
