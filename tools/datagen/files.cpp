// files: whole-file reading and writing for the asset builder.
#include <png.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

bool write_file(const std::string& path, const std::vector<uint8_t>& data) {
    std::ifstream old(path, std::ios::binary);
    if (old) {
        std::vector<uint8_t> have((std::istreambuf_iterator<char>(old)),
                                  std::istreambuf_iterator<char>());
        if (have == data) return true;
    }
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    if (!f) {
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool read_text(const std::string& path, std::string* out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        std::fprintf(stderr, "datagen: cannot read %s\n", path.c_str());
        return false;
    }
    out->assign((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    return true;
}

} // namespace vantrel::datagen

namespace vantrel::datagen {

bool read_glyphs(const std::string& path, glyph_set* out) {
    std::string text;
    if (!read_text(path, &text)) return false;
    out->clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.size() >= 2 && line[0] == '#' && line[1] == ' ') continue;
        if (line.size() == 3 && line[0] == '=' && line[1] == ' ') {
            out->push_back({line[2], {}});
        } else if (!line.empty() && !out->empty()) {
            out->back().second.push_back(line);
        }
    }
    return !out->empty();
}

const std::vector<std::string>* find_glyph(const glyph_set& set, char c) {
    for (const auto& g : set)
        if (g.first == c) return &g.second;
    return nullptr;
}

bool write_png_pixels(const std::string& path, int width, int height, int channels,
                      const uint8_t* pixels) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; y++) png_write_row(png, pixels + size_t(y) * width * channels);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

} // namespace vantrel::datagen
