// globe: parsing of ".globe" textures, the shade rule and the 16-slot texture cache.
#include "render/globe.h"

#include <cstdio>
#include <cstring>

#include "core/save.h"
#include "render/import.h"

namespace vantrel {

namespace {

constexpr uint32_t GLOBE_MAGIC = save_magic("GLOB");
constexpr uint32_t GLOBE_HEADER_SIZE = 14;
constexpr size_t GLOBE_NAME_MAX = 15;

struct globe_slot {
    char name[GLOBE_NAME_MAX + 1];
    int used;
    uint8_t* buffer;
    globe_texture texture;
    int ok;
};

globe_slot g_globe_cache[GLOBE_CACHE_SLOTS];

uint16_t log2_exact(uint16_t v) {
    uint16_t shift = 0;
    while ((1u << shift) < v) shift++;
    return shift;
}

void print_line(const char* format, const char* name, const char* file, const char* why = "") {
    char line[200];
    std::snprintf(line, sizeof line, format, name, file, why);
    render_print(line);
}

bool load_slot(globe_slot* slot, const char* name) {
    char file[64];
    std::snprintf(file, sizeof file, "PROGDIR:%s.globe", name);
    uint32_t size = 0;
    slot->buffer = render_read_file(file, &size);
    // A missing globe is normal (the body is drawn without one); a file that is there but
    // cannot be used is named, so that it is not taken for a missing one.
    if (!slot->buffer) {
        const char* why = render_read_error();
        if (why) print_line("globe %s: %s cannot be read (%s)\n", name, file, why);
        return false;
    }
    if (!globe_texture_parse(slot->buffer, size, &slot->texture)) {
        print_line("globe %s: %s invalid\n", name, file);
        render_free_file(slot->buffer);
        slot->buffer = nullptr;
        return false;
    }
    char line[160];
    std::snprintf(line, sizeof line, "globe %s: %ux%u, radius %lu m\n", name,
                  unsigned(slot->texture.width), unsigned(slot->texture.height),
                  static_cast<unsigned long>(slot->texture.radius));
    render_print(line);
    return true;
}

} // namespace

int globe_texture_parse(const uint8_t* data, uint32_t size, globe_texture* out) {
    *out = globe_texture{};
    if (!data || size < GLOBE_HEADER_SIZE) return 0;
    save_reader r;
    save_reader_init(&r, data, size);
    if (save_read_header(&r, GLOBE_MAGIC) != 1) return 0;
    uint16_t width = save_read_u16(&r);
    uint16_t height = save_read_u16(&r);
    uint32_t radius = save_read_u32(&r);
    if (r.error) return 0;
    // A power of two has exactly one bit set; 0 has none.
    if (width == 0 || (width & (width - 1)) != 0 || height == 0) return 0;
    if (GLOBE_HEADER_SIZE + uint64_t(width) * height > size) return 0;
    out->width = width;
    out->shift = log2_exact(width);
    out->height = height;
    out->radius = radius;
    out->pixels = data + GLOBE_HEADER_SIZE;
    return 1;
}

uint8_t globe_shade(uint8_t texel, int light) {
    if (texel < GLOBE_RAMP_FIRST || texel >= GLOBE_RAMP_FIRST + GLOBE_RAMP_COUNT * GLOBE_SHADES)
        return texel;
    if (light < 0) light = 0;
    if (light > GLOBE_SHADES - 1) light = GLOBE_SHADES - 1;
    int rel = texel - GLOBE_RAMP_FIRST;
    int ramp_base = GLOBE_RAMP_FIRST + (rel & ~(GLOBE_SHADES - 1));
    int shade = (rel & (GLOBE_SHADES - 1)) + light - (GLOBE_SHADES - 1);
    return static_cast<uint8_t>(ramp_base + (shade > 0 ? shade : 0));
}

const globe_texture* globe_lookup(const char* name) {
    // Names are kept whole in the cache: a longer name could only be stored cut short, and
    // two bodies sharing the first 15 characters would then share one texture.
    if (!name || !name[0] || std::strlen(name) > GLOBE_NAME_MAX) return nullptr;
    for (globe_slot& slot : g_globe_cache) {
        if (slot.used && std::strcmp(slot.name, name) == 0)
            return slot.ok ? &slot.texture : nullptr;
    }
    for (globe_slot& slot : g_globe_cache) {
        if (slot.used) continue;
        slot.used = 1;
        std::memcpy(slot.name, name, std::strlen(name) + 1);
        slot.ok = load_slot(&slot, name) ? 1 : 0;
        return slot.ok ? &slot.texture : nullptr;
    }
    return nullptr;
}

void globe_cache_clear() {
    for (globe_slot& slot : g_globe_cache) {
        if (slot.buffer) render_free_file(slot.buffer);
        slot = globe_slot{};
    }
}

} // namespace vantrel
