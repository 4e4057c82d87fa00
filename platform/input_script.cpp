// input_script: parsing of the headless input script.
#include "platform/input_script.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace vantrel {

namespace {

struct key_name {
    const char* name;
    int code;
};

// Named keys with their Amiga raw codes. Letters and digits follow the keyboard's rows
// and are generated below; these are the rest.
constexpr key_name KEY_NAMES[] = {
    {"esc", 0x45},   {"return", 0x44},    {"enter", 0x43},    {"space", 0x40},
    {"tab", 0x42},   {"backspace", 0x41}, {"up", 0x4C},       {"down", 0x4D},
    {"right", 0x4E}, {"left", 0x4F},      {"minus", 0x0B},    {"equals", 0x0C},
    {"comma", 0x38}, {"period", 0x39},    {"kp_minus", 0x4A}, {"kp_plus", 0x5E},
};

// The letter rows of the Amiga keyboard, each starting at its first raw code.
struct key_row {
    const char* letters;
    int first;
};
constexpr key_row LETTER_ROWS[] = {{"qwertyuiop", 0x10}, {"asdfghjkl", 0x20}, {"zxcvbnm", 0x31}};

int letter_code(char c) {
    for (const key_row& row : LETTER_ROWS) {
        const char* at = std::strchr(row.letters, c);
        if (at) return row.first + static_cast<int>(at - row.letters);
    }
    return -1;
}

int digit_value(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// v = v * base + digit when the result stays within bound; checked before the step, so the
// value cannot wrap.
bool append_digit(unsigned long* v, unsigned long digit, int base, unsigned long bound) {
    if (digit > bound || *v > (bound - digit) / static_cast<unsigned long>(base)) return false;
    *v = *v * static_cast<unsigned long>(base) + digit;
    return true;
}

// A whole word as a number in [min, max]: decimal, or hexadecimal after "0x"; a minus sign
// only where negatives are allowed. strtol's octal, its "+" and its leading blanks are not
// part of the language: "010" is ten and "f+1" is no key.
bool parse_int(const char* word, long min, long max, long* out) {
    bool negative = word[0] == '-' && min < 0;
    const char* p = word + (negative ? 1 : 0);
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (!*p) return false;
    unsigned long bound =
        negative ? 0ul - static_cast<unsigned long>(min) : static_cast<unsigned long>(max);
    unsigned long v = 0;
    for (; *p; p++) {
        int d = digit_value(*p, base);
        if (d < 0 || !append_digit(&v, static_cast<unsigned long>(d), base, bound)) return false;
    }
    if (!negative && static_cast<long>(v) < min) return false;
    *out = negative ? -static_cast<long>(v) : static_cast<long>(v);
    return true;
}

// Splits a line (comment already cut) into at most `max` words; returns the word count,
// or max + 1 when there are more.
int split_words(char* line, char** words, int max) {
    int n = 0;
    for (char* p = line;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r') p++;
        if (!*p) return n;
        if (n == max) return max + 1;
        words[n++] = p;
        while (*p && *p != ' ' && *p != '\t' && *p != '\r') p++;
        if (*p) *p++ = '\0';
    }
}

struct verb_info {
    const char* name;
    script_op op;
    int args;
};
constexpr verb_info VERBS[] = {
    {"down", script_op::down, 1},   {"up", script_op::up, 1},     {"press", script_op::press, 1},
    {"mouse", script_op::mouse, 2}, {"lmb", script_op::lmb, 1},   {"rmb", script_op::rmb, 1},
    {"shot", script_op::shot, 1},   {"hash", script_op::hash, 0}, {"quit", script_op::quit, 0},
    {"ticks", script_op::ticks, 1},
};

// Fills `ev` from the words after the frame; returns null or what is wrong.
const char* parse_event(char** words, int count, script_event* ev, char* why, size_t why_size) {
    const verb_info* verb = nullptr;
    for (const verb_info& v : VERBS)
        if (std::strcmp(words[1], v.name) == 0) verb = &v;
    if (!verb) {
        std::snprintf(why, why_size, "unknown event '%s'", words[1]);
        return why;
    }
    if (count - 2 != verb->args) {
        std::snprintf(why, why_size, "'%s' takes %d argument%s", verb->name, verb->args,
                      verb->args == 1 ? "" : "s");
        return why;
    }
    ev->op = verb->op;
    long x = 0, y = 0;
    switch (verb->op) {
    case script_op::down:
    case script_op::up:
    case script_op::press:
        ev->a = script_key_code(words[2]);
        if (ev->a < 0) {
            std::snprintf(why, why_size, "unknown key '%s'", words[2]);
            return why;
        }
        break;
    case script_op::mouse:
        if (!parse_int(words[2], -100000, 100000, &x) || !parse_int(words[3], -100000, 100000, &y))
            return "mouse needs two whole numbers";
        ev->a = static_cast<int32_t>(x);
        ev->b = static_cast<int32_t>(y);
        break;
    case script_op::lmb:
    case script_op::rmb:
        if (std::strcmp(words[2], "down") != 0 && std::strcmp(words[2], "up") != 0)
            return "a button goes 'down' or 'up'";
        ev->a = std::strcmp(words[2], "down") == 0;
        break;
    case script_op::shot:
        // Shots land in the shot directory and nowhere else.
        if (std::strchr(words[2], '/') || std::strcmp(words[2], ".") == 0 ||
            std::strcmp(words[2], "..") == 0)
            return "a shot is a plain file name, without directories";
        ev->file = words[2];
        break;
    case script_op::ticks:
        if (!parse_int(words[2], 1, SCRIPT_TICKS_MAX, &x)) return "ticks are 1 to 3000";
        ev->a = static_cast<int32_t>(x);
        break;
    case script_op::hash:
    case script_op::quit:
        break;
    }
    return nullptr;
}

void set_error(char* error, size_t size, const char* format, ...) {
    if (!error || size == 0) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(error, size, format, args);
    va_end(args);
}

} // namespace

int script_key_code(const char* name) {
    long v;
    if (name[0] >= '0' && name[0] <= '9' && name[1] != '\0') {
        // Numbers of more than one digit are raw codes; single digits are the digit keys.
        return parse_int(name, 0, 127, &v) ? static_cast<int>(v) : -1;
    }
    if (name[0] && !name[1]) {
        char c = name[0];
        if (c >= '1' && c <= '9') return c - '0'; // raw codes 1-9 are the digits 1-9
        if (c == '0') return 0x0A;
        return letter_code(c);
    }
    for (const key_name& k : KEY_NAMES)
        if (std::strcmp(name, k.name) == 0) return k.code;
    if (name[0] == 'f' && parse_int(name + 1, 1, 10, &v) && name[1] != '0')
        return 0x50 + static_cast<int>(v) - 1;
    return -1;
}

void script_key_name(int code, char* out, size_t size) {
    for (const key_name& k : KEY_NAMES) {
        if (k.code != code) continue;
        std::snprintf(out, size, "%s", k.name);
        return;
    }
    for (const key_row& row : LETTER_ROWS) {
        int at = code - row.first;
        if (at >= 0 && at < static_cast<int>(std::strlen(row.letters))) {
            std::snprintf(out, size, "%c", row.letters[at]);
            return;
        }
    }
    if (code >= 1 && code <= 9)
        std::snprintf(out, size, "%d", code);
    else if (code == 0x0A)
        std::snprintf(out, size, "0");
    else if (code >= 0x50 && code <= 0x59)
        std::snprintf(out, size, "f%d", code - 0x50 + 1);
    else
        std::snprintf(out, size, "0x%02x", code);
}

int input_script_parse(const char* text, size_t size, const char* name, input_script* out,
                       char* error, size_t error_size) {
    out->events.clear();
    std::string line;
    int line_no = 0;
    size_t pos = 0;
    while (pos < size) {
        size_t end = pos;
        while (end < size && text[end] != '\n') end++;
        line.assign(text + pos, end - pos);
        pos = end + 1;
        line_no++;
        if (line.find('\0') != std::string::npos) {
            set_error(error, error_size, "%s line %d: not a text line", name, line_no);
            out->events.clear();
            return 0;
        }
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        char* words[5];
        int count = split_words(line.data(), words, 4);
        if (count == 0) continue;
        long frame = 0;
        const char* what = nullptr;
        char why[96];
        script_event ev{0, script_op::quit, 0, 0, {}};
        if (count > 4)
            what = "too many words";
        else if (!parse_int(words[0], 0, 0x7FFFFFFF, &frame))
            what = "a line starts with a frame number";
        else if (count < 2)
            what = "an event follows the frame number";
        else
            what = parse_event(words, count, &ev, why, sizeof why);
        if (what) {
            set_error(error, error_size, "%s line %d: %s", name, line_no, what);
            out->events.clear();
            return 0;
        }
        ev.frame = static_cast<uint32_t>(frame);
        out->events.push_back(std::move(ev));
    }
    std::stable_sort(
        out->events.begin(), out->events.end(),
        [](const script_event& a, const script_event& b) { return a.frame < b.frame; });
    return 1;
}

int input_script_load(const char* path, input_script* out, char* error, size_t error_size) {
    uint32_t size = 0;
    uint8_t* data = read_file(path, &size);
    if (!data) {
        const char* why = read_file_error();
        if (why)
            set_error(error, error_size, "%s: cannot be read (%s)", path, why);
        else
            set_error(error, error_size, "%s: cannot be read", path);
        return 0;
    }
    int ok =
        input_script_parse(reinterpret_cast<const char*>(data), size, path, out, error, error_size);
    read_file_free(data);
    return ok;
}

} // namespace vantrel
