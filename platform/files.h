// files: PROGDIR: paths and whole-file reading, the game's only way to its data files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// Where the game's data is, with a trailing '/': the directory of the running executable
// (read once from /proc/self/exe) when the data sits beside it, the portable layout; else
// the installed data directory, VANTREL_DATA_FROM_EXE below the executable's directory, so
// that an installed tree can be moved as a whole. "./" when the executable cannot be found.
const char* progdir();
// Points PROGDIR: at another directory (tools and benchmarks that run beside the game).
void progdir_set(const char* directory);
// Expands a "PROGDIR:" prefix into the executable's directory; other paths pass through.
// Returns 0 when the result would not fit.
int progdir_path(const char* name, char* out, size_t size);

// The files the game writes (settings, the start-up log) live beside the data in a portable
// game directory the player can write to. Otherwise they go to the player's own directories:
// $XDG_CONFIG_HOME/vantrel/ (default ~/.config) for settings, $XDG_STATE_HOME/vantrel/
// (default ~/.local/state) for logs. An installed game never writes into its data directory.
enum user_file_kind { USER_CONFIG, USER_STATE };
// 1 when the game writes beside its data (the portable layout, writable).
int progdir_is_writable();
// Where a "PROGDIR:<name>" file the game writes goes, creating the user directory on the way.
// Null on success; otherwise a short reason ("no home directory", the system's text).
const char* user_file_path(const char* name, user_file_kind kind, char* out, size_t size);
// Reads a file the game both reads and writes: the player's copy first, then PROGDIR:'s.
uint8_t* read_user_file(const char* name, user_file_kind kind, uint32_t* out_size);

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
