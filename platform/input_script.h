// input_script: the headless back end's scripted input: keys, mouse, shots, hashes, quit,
// each tied to the frame after which it is delivered.
//
// One event per line, '#' starts a comment:
//   <frame> down|up|press <key>   <frame> mouse <x> <y>   <frame> lmb|rmb down|up
//   <frame> shot <file.png>       <frame> hash             <frame> quit
//   <frame> ticks <n>             the frame took n 20 ms ticks of game time (1 when not said)
// A key is a raw key code (decimal or 0x..) or a name (esc, return, f1, a, 0, kp_minus ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum class script_op : uint8_t { down, up, press, mouse, lmb, rmb, shot, hash, quit, ticks };

struct script_event {
    uint32_t frame;
    script_op op;
    int32_t a, b;     // key code; mouse x, y; button down = 1 / up = 0; ticks
    std::string file; // shot: a plain file name (no directories)
};

struct input_script {
    std::vector<script_event> events; // in delivery order: by frame, then by line
};

// The longest frame a ticks line may give: a minute.
constexpr int32_t SCRIPT_TICKS_MAX = 3000;

// The raw key code of a key name or number, or -1.
int script_key_code(const char* name);
// The name a script gives a raw key code (0-127): its name, else the code in hex.
void script_key_name(int code, char* out, size_t size);

// Parses a whole script. On a bad line returns 0 and writes "<name> line <n>: <what>" into
// `error`; `out` is then empty.
int input_script_parse(const char* text, size_t size, const char* name, input_script* out,
                       char* error, size_t error_size);
// Reads and parses a script file (through PROGDIR: expansion as every file).
int input_script_load(const char* path, input_script* out, char* error, size_t error_size);

} // namespace vantrel
