// Model files from any bytes: the loader must refuse or load without reading past the
// input, and whatever it loads must be safe to set up as a drawable and to free.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "render/model.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    // An exact-size copy, so that a read one byte past the input is caught.
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (!copy) return 0;
    if (size) std::memcpy(copy, data, size);
    drawable d = {};
    int rc = model_load(copy, uint32_t(size), &d.mdl);
    if (rc < MODEL_OK || rc > MODEL_NO_MEMORY) std::abort();
    if (rc == MODEL_OK) {
        for (int l = 0; l < d.mdl.level_count; l++)
            for (uint32_t f = 0; f < d.mdl.levels[l].face_count; f++)
                if (d.mdl.levels[l].faces[f].a >= d.mdl.levels[l].vertex_count) std::abort();
        drawable_init(&d, LOD_FAR);
    }
    drawable_free(&d);
    std::free(copy);
    return 0;
}
