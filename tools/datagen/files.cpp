// files: whole-file reading and writing for the asset builder.
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

} // namespace vantrel::datagen
