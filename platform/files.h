// files: PROGDIR: paths and whole-file reading, the game's only way to its data files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// The directory of the running executable, with a trailing '/'. Read once from
// /proc/self/exe; "./" when that cannot be read.
const char* progdir();
// Points PROGDIR: at another directory (tools and benchmarks that run beside the game).
void progdir_set(const char* directory);
// Expands a "PROGDIR:" prefix into the executable's directory; other paths pass through.
// Returns 0 when the result would not fit.
int progdir_path(const char* name, char* out, size_t size);

// Reads a whole regular file into a new buffer (free with read_file_free); null on any
// failure. FIFOs, devices and directories are refused without waiting on them.
uint8_t* read_file(const char* path, uint32_t* out_size);
// Why the last read_file returned null: null when the file does not exist, else a short
// reason ("not a regular file", "too large", or the system's text) for a file that exists
// but could not be read.
const char* read_file_error();
void read_file_free(uint8_t* buffer);

struct mem_file {
    const uint8_t* data;
    uint32_t size;
};
int mem_file_read(mem_file file, uint32_t offset, void* dest, uint32_t count);
// The same as a read callback whose handle points at a mem_file (the star catalog's reader).
int mem_file_read_at(void* handle, uint32_t offset, void* dest, uint32_t count);

} // namespace vantrel
