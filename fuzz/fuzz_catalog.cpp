// Catalog (PO) text from any bytes: parsing ends, and every kept text takes the same
// printf arguments as its English original.
#include <cstdint>
#include <cstdlib>

#include "shell/catalog_amiga.h"
#include "shell/loc.h"

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 16) return 0;
    catalog_texts texts;
    if (!catalog_parse(reinterpret_cast<const char*>(data), size, &texts)) return 0;
    for (int id = 0; id < LOC_COUNT; id++)
        if (texts.text[id] && !catalog_formats_agree(loc_builtin[id], texts.text[id])) std::abort();
    catalog_texts_free(&texts);
    return 0;
}
