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
