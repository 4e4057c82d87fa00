// Screens, palette and input as the game sees them, through the headless back end: the
// key queue, held keys, mouse and drag, the palette rules, scripted input and the virtual
// clock, and the quit signal. Hashes, shots and whole runs that repeat exactly are checked
// against reviewed pictures and recorded hashes by the golden tests.
#include <array>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "platform/headless/headless.h"
#include "platform/present_amiga.h"
#include "platform/prof_amiga.h"
#include "shell/services.h"

namespace vantrel {
namespace {

std::string temp_path(const std::string& leaf) {
    return std::string(::testing::TempDir()) + "vantrel_present_" + std::to_string(getpid()) + "_" +
           leaf;
}

using report = std::array<int32_t, 7>;

// Starts the headless back end with the given script text (none when empty) and frame limit,
// and opens a 320 x 256 screen.
class Headless : public ::testing::Test {
  protected:
    std::string script_path;
    present_screen* s = nullptr;

    void start(const std::string& script = "", uint32_t frames = 0) {
        present_settings settings;
        if (!script.empty()) {
            script_path = temp_path("script.txt");
            std::ofstream(script_path) << script;
            settings.script = script_path.c_str();
        }
        settings.frames = frames;
        ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
        s = present_amiga_open(320, 256, "Vantrel");
        ASSERT_NE(s, nullptr);
    }
    void TearDown() override {
        present_amiga_close(s);
        PRESENT_BACKEND_HEADLESS.stop();
        if (!script_path.empty()) std::remove(script_path.c_str());
    }
    static void end_frame() {
        static uint32_t last = 0;
        frame_cap_wait(&last, 20000);
    }
    // A poll's report: escape, lmb, rmb, mouse x and y, drag x and y.
    report poll() {
        present_input in;
        present_amiga_poll_input(s, &in);
        return {in.escape, in.lmb, in.rmb, in.mouse_x, in.mouse_y, in.drag_dx, in.drag_dy};
    }
};

TEST_F(Headless, KeyQueueKeepsTheFirstSixteenAndHeldKeysFollowDownAndUp) {
    start();
    for (int i = 0; i < 17; i++) present_input_key(s, 0x20 + i);
    for (int i = 0; i < 16; i++) EXPECT_EQ(present_amiga_pop_key(s), 0x20 + i);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    // The ring wraps: after draining, new codes still come out in order.
    present_input_key(s, 0x4C);
    present_input_key(s, 0x44);
    EXPECT_EQ(present_amiga_pop_key(s), 0x4C);
    EXPECT_EQ(present_amiga_pop_key(s), 0x44);
    EXPECT_EQ(present_amiga_pop_key(s), -1);

    EXPECT_EQ(present_amiga_key_held(s, 0x4C), 1);
    for (int code : {0x4C | 0x80, -1, 0x4D}) // up codes are never "held"
        EXPECT_EQ(present_amiga_key_held(s, code), 0) << code;
    // Pressed and released before a poll: queued once, not held afterwards.
    present_input_key(s, 0x7F);
    present_input_key(s, 0x7F | 0x80);
    present_input_key(s, 0x4C | 0x80);
    EXPECT_EQ(present_amiga_key_held(s, 0x7F), 0);
    EXPECT_EQ(present_amiga_key_held(s, 0x4C), 0);
    EXPECT_EQ(present_amiga_pop_key(s), 0x7F);
    EXPECT_EQ(present_amiga_pop_key(s), -1);

    // A reopened screen starts with empty input state.
    present_input_key(s, 0x40);
    present_input_button(s, 0, 1);
    present_amiga_close(s);
    s = present_amiga_open(320, 256, "Vantrel");
    EXPECT_EQ(present_amiga_key_held(s, 0x40), 0);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    EXPECT_EQ(poll(), (report{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(present_amiga_open(0, 256, "x"), nullptr);
    present_amiga_close(nullptr);
}

TEST_F(Headless, EscapeAndDragAreReportedByThePoll) {
    start("0 down esc\n0 mouse 10 20\n0 rmb down\n1 mouse 15 12\n2 up esc\n2 rmb up\n"
          "2 lmb down\n");
    EXPECT_EQ(poll(), (report{1, 0, 1, 10, 20, 0, 0}));
    // Nothing new: the escape flag belongs to the poll that saw the key.
    EXPECT_EQ(poll(), (report{0, 0, 1, 10, 20, 0, 0}));
    EXPECT_EQ(present_amiga_key_held(s, 0x45), 1);
    end_frame();
    EXPECT_EQ(poll(), (report{0, 0, 1, 15, 12, 5, -8}));
    end_frame();
    EXPECT_EQ(poll(), (report{0, 1, 0, 15, 12, 0, 0}));
    EXPECT_EQ(present_amiga_key_held(s, 0x45), 0);
    EXPECT_EQ(present_amiga_pop_key(s), 0x45);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
}

TEST_F(Headless, ScreenWithoutWindowReportsOnlyStoredButtons) {
    start("0 down a\n0 mouse 5 5\n");
    present_amiga_close(s);
    s = present_amiga_open_no_window(320, 200, "Vantrel");
    ASSERT_NE(s, nullptr);
    present_input_button(s, 1, 1); // as if it had been stored before
    EXPECT_EQ(poll(), (report{0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(present_amiga_pop_key(s), -1);
}

TEST_F(Headless, PaletteStartsGreyAndSetColorsValidates) {
    start();
    EXPECT_EQ(present_amiga_width(s), 320);
    EXPECT_EQ(present_amiga_height(s), 256);
    uint8_t rgb[768];
    present_palette_rgb(s, rgb);
    for (int i = 0; i < 256; i++) {
        ASSERT_EQ(rgb[i * 3], i);
        ASSERT_EQ(rgb[i * 3 + 2], i);
    }
    // Each component widens to all four bytes.
    present_amiga_set_color(s, 7, 0x12, 0xAB, 0xFF);
    EXPECT_EQ(s->palette32[21], 0x12121212u);
    EXPECT_EQ(s->palette32[22], 0xABABABABu);
    EXPECT_EQ(s->palette32[23], 0xFFFFFFFFu);
    present_amiga_set_color(s, 256, 1, 1, 1); // out of range: nothing
    present_amiga_set_color(s, -1, 1, 1, 1);

    uint8_t before[768], after[768], three[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    present_palette_rgb(s, before);
    present_amiga_set_colors(s, 10, 0, three);
    present_amiga_set_colors(s, -1, 1, three);
    present_amiga_set_colors(s, 254, 3, three); // 254 + 3 = 257
    present_palette_rgb(s, after);
    EXPECT_EQ(0, memcmp(before, after, 768));
    present_amiga_set_colors(s, 253, 3, three); // ends exactly at 256
    present_palette_rgb(s, after);
    EXPECT_EQ(after[253 * 3], 1);
    EXPECT_EQ(after[255 * 3 + 2], 9);
    EXPECT_EQ(after[252 * 3], 252);
    EXPECT_EQ(s->palette32[253 * 3 + 1], 0x02020202u);

    // Every open starts grey again.
    present_amiga_close(s);
    s = present_amiga_open(320, 200, "Vantrel");
    present_palette_rgb(s, after);
    EXPECT_EQ(after[253 * 3], 253);
}

TEST_F(Headless, ScriptEventsArriveAtTheFirstPollAfterTheirFrame) {
    start("# a comment line\n"
          "2 press space   # pressed after frame 2\n"
          "1 down a\n"
          "3 up a\n");
    poll();
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    end_frame(); // frame 1
    poll();
    EXPECT_EQ(present_amiga_pop_key(s), 0x20);
    EXPECT_EQ(present_amiga_key_held(s, 0x20), 1);
    end_frame(); // frame 2
    poll();
    EXPECT_EQ(present_amiga_key_held(s, 0x40), 1);
    EXPECT_EQ(present_amiga_pop_key(s), 0x40);
    poll(); // the same frame: a press stays down until the next frame
    EXPECT_EQ(present_amiga_key_held(s, 0x40), 1);
    end_frame(); // frame 3
    poll();
    EXPECT_EQ(present_amiga_key_held(s, 0x40), 0);
    EXPECT_EQ(present_amiga_key_held(s, 0x20), 0);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
}

TEST_F(Headless, VirtualClockMovesTwentyMillisecondsPerFrame) {
    start();
    prof_close();
    ASSERT_EQ(prof_init(), 1);
    g_eclock_ok = 1;
    clock_us_reset();
    uint32_t t0 = clock_us();
    amiga_datestamp d0, d1;
    amiga_date_stamp(&d0);
    EXPECT_EQ(d0.days, HEADLESS_START_DAYS);
    EXPECT_EQ(d0.minute, HEADLESS_START_MINUTE);
    EXPECT_EQ(prof_read_cost(), 0u); // reading a virtual clock costs nothing in its time
    uint32_t before = present_frame_count();
    for (int i = 0; i < 3001; i++) end_frame();
    EXPECT_EQ(present_frame_count() - before, 3001u);
    EXPECT_EQ(clock_us() - t0, 3001u * 20000u);
    amiga_date_stamp(&d1);
    EXPECT_EQ(datestamp_elapsed_ms(&d0, &d1), 3001 * 20);
    EXPECT_EQ(d1.minute, d0.minute + 1);
    EXPECT_EQ(d1.tick, 1);
    prof_close();
    g_eclock_ok = 0;
}

TEST_F(Headless, FramesLimitAndScriptQuitRaiseTheQuitSignal) {
    start("", 2);
    poll();
    end_frame();
    poll();
    EXPECT_EQ(present_quit_requested(), 0);
    end_frame();
    EXPECT_EQ(present_quit_requested(), 0); // delivered by the next poll, not the frame end
    poll();
    EXPECT_EQ(present_quit_requested(), 1);
    TearDown();

    start("1 quit\n");
    EXPECT_EQ(present_quit_requested(), 0); // a new run starts without it
    poll();
    EXPECT_EQ(present_quit_requested(), 0);
    end_frame();
    poll();
    EXPECT_EQ(present_quit_requested(), 1);
}

TEST(HeadlessStart, BadScriptIsRefusedWithItsLine) {
    std::string path = temp_path("bad.txt");
    std::ofstream(path) << "0 down a\n5 jump\n";
    present_settings settings;
    settings.script = path.c_str();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 0);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("line 2: unknown event 'jump'"), std::string::npos) << err;
    EXPECT_EQ(present_amiga_open(320, 256, "x"), nullptr); // no back end: no screen
    std::remove(path.c_str());
}

} // namespace
} // namespace vantrel
