// The input script language: key names, event forms, comments, ordering and the errors a
// mistyped line gets.
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>

#include "platform/input_script.h"

namespace vantrel {
namespace {

int parse(const std::string& text, input_script* out, std::string* error = nullptr) {
    char buf[200] = "";
    int ok = input_script_parse(text.data(), text.size(), "t.script", out, buf, sizeof buf);
    if (error) *error = buf;
    return ok;
}

TEST(ScriptKeys, NamesAndNumbers) {
    // Names, the keyboard rows behind the letters and digits, and raw numbers; up codes,
    // F11, unknown spellings and signs are refused; numbers are decimal (010 is ten) or 0x.
    const std::pair<const char*, int> keys[] = {
        {"esc", 0x45},      {"return", 0x44},    {"enter", 0x43}, {"space", 0x40},
        {"tab", 0x42},      {"backspace", 0x41}, {"up", 0x4C},    {"left", 0x4F},
        {"f1", 0x50},       {"f10", 0x59},       {"q", 0x10},     {"p", 0x19},
        {"a", 0x20},        {"d", 0x22},         {"l", 0x28},     {"z", 0x31},
        {"m", 0x37},        {"1", 0x01},         {"9", 0x09},     {"0", 0x0A},
        {"minus", 0x0B},    {"equals", 0x0C},    {"comma", 0x38}, {"period", 0x39},
        {"kp_minus", 0x4A}, {"kp_plus", 0x5E},   {"0x42", 0x42},  {"69", 69},
        {"127", 127},       {"128", -1},         {"0x80", -1},    {"f11", -1},
        {"f0", -1},         {"Esc", -1},         {"", -1},        {"-", -1},
        {"010", 10},        {"+69", -1},         {"f+1", -1},     {"f0x1", -1},
    };
    for (const auto& [name, code] : keys) EXPECT_EQ(script_key_code(name), code) << name;
    // A recorded session names every key so that it reads back as the same key.
    for (int code = 0; code < 128; code++) {
        char name[16];
        script_key_name(code, name, sizeof name);
        EXPECT_EQ(script_key_code(name), code) << name;
    }
}

TEST(ScriptParse, EveryEventFormInFrameOrder) {
    input_script s;
    ASSERT_EQ(parse("# header\n"
                    "\n"
                    "5 hash\n"
                    "0x3 down esc\r\n"
                    "3\tup 0x45 # trailing comment\n"
                    "  4 press f3\n"
                    "4 mouse -7 300\n"
                    "4 lmb down\n"
                    "4 rmb up\n"
                    "010 mouse 010 -0x10\n" // numbers are decimal or hex
                    "6 shot title.png\n"
                    "9 quit\n"
                    "9 ticks 3000",
                    &s),
              1);
    // Sorted by frame; lines of one frame keep their order.
    const struct {
        uint32_t frame;
        script_op op;
        int32_t a, b;
    } WANT[] = {{3, script_op::down, 0x45, 0},  {3, script_op::up, 0x45, 0},
                {4, script_op::press, 0x52, 0}, {4, script_op::mouse, -7, 300},
                {4, script_op::lmb, 1, 0},      {4, script_op::rmb, 0, 0},
                {5, script_op::hash, 0, 0},     {6, script_op::shot, 0, 0},
                {9, script_op::quit, 0, 0},     {9, script_op::ticks, 3000, 0},
                {10, script_op::mouse, 10, -16}};
    ASSERT_EQ(s.events.size(), std::size(WANT));
    for (size_t i = 0; i < s.events.size(); i++) {
        const script_event& e = s.events[i];
        EXPECT_EQ(std::tie(e.frame, e.op, e.a, e.b),
                  std::tie(WANT[i].frame, WANT[i].op, WANT[i].a, WANT[i].b))
            << "event " << i;
    }
    EXPECT_EQ(s.events[7].file, "title.png");

    EXPECT_EQ(parse("", &s), 1);
    EXPECT_TRUE(s.events.empty());
}

TEST(ScriptParse, BadLinesNameTheLineAndTheFault) {
    struct bad {
        std::string text;
        const char* error;
    } cases[] = {
        {"0 down a\nx down a\n", "t.script line 2: a line starts with a frame number"},
        {"-1 down a\n", "t.script line 1: a line starts with a frame number"},
        {"99999999999 quit\n", "t.script line 1: a line starts with a frame number"},
        {"3\n", "t.script line 1: an event follows the frame number"},
        {"3 fly\n", "t.script line 1: unknown event 'fly'"},
        {"3 down\n", "t.script line 1: 'down' takes 1 argument"},
        {"3 down a b\n", "t.script line 1: 'down' takes 1 argument"},
        {"3 hash now\n", "t.script line 1: 'hash' takes 0 arguments"},
        {"3 press shift\n", "t.script line 1: unknown key 'shift'"},
        {"3 mouse 1 y\n", "t.script line 1: mouse needs two whole numbers"},
        {"3 lmb pressed\n", "t.script line 1: a button goes 'down' or 'up'"},
        {"\n\n3 shot ../x.png\n",
         "t.script line 3: a shot is a plain file name, without directories"},
        {"3 shot ..\n", "t.script line 1: a shot is a plain file name, without directories"},
        {"1 mouse 1 2 3\n", "t.script line 1: too many words"},
        {"+1 quit\n", "t.script line 1: a line starts with a frame number"},
        {"3 mouse +1 2\n", "t.script line 1: mouse needs two whole numbers"},
        {"3 ticks 0\n", "t.script line 1: ticks are 1 to 3000"},
        {"3 ticks 3001\n", "t.script line 1: ticks are 1 to 3000"},
        {std::string("1 quit\n2 q\0it\n", 14), "t.script line 2: not a text line"},
    };
    for (const bad& c : cases) {
        input_script s;
        s.events.push_back(script_event{});
        std::string error;
        EXPECT_EQ(parse(c.text, &s, &error), 0) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_TRUE(s.events.empty());
    }
}

TEST(ScriptParse, MissingFileIsAnError) {
    input_script s;
    char error[200];
    EXPECT_EQ(input_script_load("/nonexistent/dir/x.script", &s, error, sizeof error), 0);
    EXPECT_STREQ(error, "/nonexistent/dir/x.script: cannot be read");
}

} // namespace
} // namespace vantrel
