// Headless input scripts from any bytes: a refused script names its line and keeps no events;
// an accepted one holds only events the game can deliver, in frame order, and written back
// out as script lines it reads the same again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/input_script.h"

using namespace vantrel;

namespace {

constexpr const char* OP_NAMES[] = {"down", "up",   "press", "mouse", "lmb",
                                    "rmb",  "shot", "hash",  "quit",  "ticks"};

bool key_op(script_op op) {
    return op == script_op::down || op == script_op::up || op == script_op::press;
}

bool deliverable(const script_event& ev) {
    if (ev.frame > 0x7FFFFFFFu ||
        static_cast<size_t>(ev.op) > static_cast<size_t>(script_op::ticks))
        return false;
    if (key_op(ev.op)) return ev.a >= 0 && ev.a <= 127;
    if (ev.op == script_op::mouse)
        return ev.a >= -100000 && ev.a <= 100000 && ev.b >= -100000 && ev.b <= 100000;
    if (ev.op == script_op::lmb || ev.op == script_op::rmb) return ev.a == 0 || ev.a == 1;
    if (ev.op == script_op::ticks) return ev.a >= 1 && ev.a <= SCRIPT_TICKS_MAX;
    if (ev.op == script_op::shot)
        return !ev.file.empty() && ev.file.find('/') == std::string::npos && ev.file != "." &&
               ev.file != "..";
    return true;
}

// One line per event in the script's own syntax; key codes in hex, since a lone digit
// names a digit key rather than a raw code.
std::string write_back(const input_script& script) {
    std::string text;
    char line[64];
    for (const script_event& ev : script.events) {
        const char* op = OP_NAMES[static_cast<size_t>(ev.op)];
        if (key_op(ev.op))
            std::snprintf(line, sizeof line, "%u %s 0x%x\n", ev.frame, op, unsigned(ev.a));
        else if (ev.op == script_op::mouse)
            std::snprintf(line, sizeof line, "%u mouse %d %d\n", ev.frame, ev.a, ev.b);
        else if (ev.op == script_op::lmb || ev.op == script_op::rmb)
            std::snprintf(line, sizeof line, "%u %s %s\n", ev.frame, op, ev.a ? "down" : "up");
        else if (ev.op == script_op::ticks)
            std::snprintf(line, sizeof line, "%u ticks %d\n", ev.frame, ev.a);
        else
            std::snprintf(line, sizeof line, "%u %s ", ev.frame, op);
        text += line;
        if (ev.op == script_op::shot) text += ev.file;
        if (ev.op >= script_op::shot && ev.op <= script_op::quit) text += '\n';
    }
    return text;
}

bool same_events(const input_script& x, const input_script& y) {
    if (x.events.size() != y.events.size()) return false;
    for (size_t i = 0; i < x.events.size(); i++) {
        const script_event &p = x.events[i], &q = y.events[i];
        if (p.frame != q.frame || p.op != q.op || p.a != q.a || p.b != q.b || p.file != q.file)
            return false;
    }
    return true;
}

void check_accepted(const input_script& script, size_t lines) {
    if (script.events.size() > lines) std::abort();
    for (size_t i = 0; i < script.events.size(); i++) {
        if (!deliverable(script.events[i])) std::abort();
        if (i > 0 && script.events[i - 1].frame > script.events[i].frame) std::abort();
    }
    std::string text = write_back(script);
    input_script again;
    char error[160];
    if (!input_script_parse(text.data(), text.size(), "again", &again, error, sizeof error) ||
        !same_events(script, again))
        std::abort();
}

void check_refused(const input_script& script, const char* error, size_t error_size, size_t lines) {
    if (!script.events.empty() || !std::memchr(error, '\0', error_size)) std::abort();
    unsigned long line = 0;
    if (std::sscanf(error, "fuzz line %lu: ", &line) != 1 || line == 0 || line > lines)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 16) return 0;
    // Exact-size copies, so a read past the text or a write past the message is caught.
    char* text = static_cast<char*>(std::malloc(size ? size : 1));
    constexpr size_t ERROR_SIZE = 64;
    char* error = static_cast<char*>(std::malloc(ERROR_SIZE));
    if (!text || !error) std::abort();
    if (size) std::memcpy(text, data, size);
    size_t lines = size > 0 && text[size - 1] != '\n';
    for (size_t i = 0; i < size; i++) lines += text[i] == '\n';
    input_script script;
    script.events.resize(3); // a refused script must not keep what was there
    if (input_script_parse(text, size, "fuzz", &script, error, ERROR_SIZE))
        check_accepted(script, lines);
    else
        check_refused(script, error, ERROR_SIZE, lines);
    std::free(error);
    std::free(text);
    return 0;
}
