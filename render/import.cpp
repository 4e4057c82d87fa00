// import: the renderer's services from the program, installed once.
#include "render/import.h"

namespace vantrel {

namespace {

render_import g_import = {};

} // namespace

void render_set_import(const render_import* imp) {
    g_import = imp ? *imp : render_import{};
}

uint8_t* render_read_file(const char* path, uint32_t* size) {
    return g_import.read_file ? g_import.read_file(path, size) : nullptr;
}

void render_free_file(uint8_t* buffer) {
    if (g_import.free_file) g_import.free_file(buffer);
}

void render_print(const char* text) {
    if (g_import.print) g_import.print(text);
}

const char* render_read_error() {
    return g_import.read_error ? g_import.read_error() : nullptr;
}

} // namespace vantrel
