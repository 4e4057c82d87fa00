// sounds: the 8SVX writer and the build step that renders every recipe in assets/sounds/.
#include "tools/datagen/sounds.h"

#include <cstdio>
#include <filesystem>

#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

namespace {

// A chunk with its length; an odd payload gets the pad byte IFF readers step over.
void put_chunk(bytes* b, const char* id, const uint8_t* payload, size_t size) {
    b->tag(id);
    b->u32(uint32_t(size));
    b->raw(payload, size);
    if (size % 2) b->u8(0);
}

void put_text_chunk(bytes* b, const char* id, const std::string& text) {
    put_chunk(b, id, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

bool write_sound(const std::string& path, const std::vector<int8_t>& samples, uint32_t rate,
                 bool loop, const std::string& name, const std::string& source) {
    return write_file(path, sound_8svx_bytes(samples, rate, loop, name, source));
}

bool generate_effects(const asset_context& c) {
    const std::string path = c.assets_dir + "/sounds/effects.txt";
    std::string text, error;
    std::vector<sound_recipe> recipes;
    if (!read_text(path, &text)) return false;
    if (!sound_read_effects(text, path, &recipes, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    // The game loads the bank by these names: a missing one would leave an effect silent.
    for (const char* name : SFX_NAMES) {
        bool found = false;
        for (const sound_recipe& r : recipes) found = found || r.name == name;
        if (!found) {
            std::fprintf(stderr, "%s: no sound '%s' for the effect bank\n", path.c_str(), name);
            return false;
        }
    }
    std::error_code ignored;
    std::filesystem::create_directories(c.out_dir + "/Sfx", ignored);
    for (const sound_recipe& r : recipes)
        if (!write_sound(c.out_dir + "/Sfx/" + r.name + ".iff", sound_render(r), r.rate, r.loop,
                         r.name, r.source))
            return false;
    return true;
}

bool generate_music(const asset_context& c) {
    const std::string path = c.assets_dir + "/sounds/music1.txt";
    std::string text, error;
    music_recipe m;
    if (!read_text(path, &text)) return false;
    if (!sound_read_music(text, path, &m, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return write_sound(c.out_dir + "/music1.iff", music_render(m), m.rate, true, "music1",
                       m.source);
}

} // namespace

std::vector<uint8_t> sound_8svx_bytes(const std::vector<int8_t>& samples, uint32_t rate, bool loop,
                                      const std::string& name, const std::string& annotation) {
    uint32_t length = uint32_t(samples.size());
    bytes vhdr;
    vhdr.u32(loop ? 0 : length); // oneShotHiSamples
    vhdr.u32(loop ? length : 0); // repeatHiSamples
    vhdr.u32(0);                 // samplesPerHiCycle: not a musical instrument
    vhdr.u16(rate);
    vhdr.u8(1);        // ctOctave
    vhdr.u8(0);        // sCompression: none
    vhdr.u32(0x10000); // volume: full, 16.16
    bytes body;
    for (int8_t s : samples) body.u8(uint8_t(s));
    bytes inner;
    inner.tag("8SVX");
    put_chunk(&inner, "VHDR", vhdr.data.data(), vhdr.data.size());
    put_text_chunk(&inner, "NAME", name);
    put_text_chunk(&inner, "ANNO", annotation);
    put_chunk(&inner, "BODY", body.data.data(), body.data.size());
    bytes file;
    file.tag("FORM");
    file.u32(uint32_t(inner.data.size()));
    file.raw(inner.data);
    return file.data;
}

bool generate_sounds(const asset_context& c) {
    return generate_effects(c) && generate_music(c);
}

} // namespace vantrel::datagen
