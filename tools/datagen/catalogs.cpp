// catalogs: the message catalogs, staged in ISO 8859-2 (the font's encoding) so that the game
// takes their bytes as they are on every machine, with no character-set library.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "shell/catalog_amiga.h"
#include "shell/loc.h"
#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

namespace {

namespace fs = std::filesystem;

// The header field as the source writes it, escaped newline and closing quote included, so
// that only the header's own line matches.
constexpr char UTF8_FIELD[] = "charset=UTF-8\\n\"";
constexpr char LATIN2_FIELD[] = "charset=ISO-8859-2\\n\"";

// What keeps the staged catalog from giving the game exactly the translations the source
// gives it; null when nothing does.
const char* translations_differ(const std::string& source, const std::string& staged) {
    catalog_texts a, b;
    if (!catalog_parse(source.data(), source.size(), &a)) return a.error;
    bool same = catalog_parse(staged.data(), staged.size(), &b);
    for (int id = 0; same && id < LOC_COUNT; id++)
        same = (a.text[id] == nullptr) == (b.text[id] == nullptr) &&
               (!a.text[id] || std::strcmp(a.text[id], b.text[id]) == 0);
    catalog_texts_free(&a);
    catalog_texts_free(&b);
    return same ? nullptr : "its ISO 8859-2 form reads differently (escaped bytes above 127?)";
}

} // namespace

bool latin2_catalog(const std::string& po, const std::string& name, std::string* out) {
    size_t at = po.find(UTF8_FIELD);
    if (at == std::string::npos) {
        std::fprintf(stderr, "datagen: %s: the header must say \"charset=UTF-8\"\n", name.c_str());
        return false;
    }
    std::string relabelled = po;
    relabelled.replace(at, std::strlen(UTF8_FIELD), LATIN2_FIELD);
    if (size_t lost = catalog_utf8_to_latin2(relabelled.data(), relabelled.size(), out)) {
        std::fprintf(stderr,
                     "datagen: %s: %zu characters malformed or without an ISO 8859-2 code\n",
                     name.c_str(), lost);
        return false;
    }
    if (const char* problem = translations_differ(po, *out)) {
        std::fprintf(stderr, "datagen: %s: %s\n", name.c_str(), problem);
        return false;
    }
    return true;
}

bool generate_catalogs(const asset_context& c) {
    std::error_code error;
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(c.assets_dir + "/Catalogs", error))
        if (fs::exists(entry.path() / "vantrel.po")) sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    for (const fs::path& dir : sources) {
        std::string po, staged;
        std::string name = (dir / "vantrel.po").string();
        if (!read_text(name, &po) || !latin2_catalog(po, name, &staged)) return false;
        fs::path out = fs::path(c.out_dir) / "Catalogs" / dir.filename();
        fs::create_directories(out, error);
        if (!write_file((out / "vantrel.catalog").string(),
                        std::vector<uint8_t>(staged.begin(), staged.end())))
            return false;
    }
    return true;
}

} // namespace vantrel::datagen
