// import: what the renderer takes from the program: reading and freeing whole files and
// printing a line. The renderer never reaches the shell or the files itself; the program
// installs these once at start (tests install their own).
#pragma once

#include <cstdint>

namespace vantrel {

struct render_import {
    uint8_t* (*read_file)(const char* path, uint32_t* size);
    void (*free_file)(uint8_t* buffer);
    void (*print)(const char* text);
    // Why the last read_file failed, or null when the file does not exist (may be null).
    const char* (*read_error)();
};
void render_set_import(const render_import* imp);

// The installed services; without an import nothing is read and nothing printed.
uint8_t* render_read_file(const char* path, uint32_t* size);
void render_free_file(uint8_t* buffer);
void render_print(const char* text);
const char* render_read_error();

} // namespace vantrel
