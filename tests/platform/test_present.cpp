// Screens, palette and input as the game sees them, through the headless back end: the
// key queue, held keys, mouse and drag, the palette rules, scripted input and the virtual
// clock, shots, hashes and the quit signal.
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "platform/frame_crc.h"
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

// Starts the headless back end with the given script text (none when empty) and frames.
class Headless : public ::testing::Test {
  protected:
    std::string script_path;
    present_settings settings;

    void start(const std::string& script = "", long frames = 0, bool planar = false) {
        settings = present_settings{};
        if (!script.empty()) {
            script_path = temp_path("script.txt");
            std::ofstream(script_path) << script;
            settings.script = script_path.c_str();
        }
        settings.frames = frames;
        settings.planar = planar;
        ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
    }
    void TearDown() override {
        PRESENT_BACKEND_HEADLESS.stop();
        if (!script_path.empty()) std::remove(script_path.c_str());
    }
    static void end_frame() {
        static uint32_t last = 0;
        frame_cap_wait(&last, 20000);
    }
    static present_input poll(present_screen* s) {
        present_input in;
        present_amiga_poll_input(s, &in);
        return in;
    }
};

TEST_F(Headless, KeyQueueKeepsTheFirstSixteenInOrder) {
    start();
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    ASSERT_NE(s, nullptr);
    for (int i = 0; i < 17; i++) present_input_key(s, 0x20 + i);
    for (int i = 0; i < 16; i++) EXPECT_EQ(present_amiga_pop_key(s), 0x20 + i);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    // The ring wraps: after draining, new codes still come out in order.
    present_input_key(s, 0x45);
    present_input_key(s, 0x44);
    EXPECT_EQ(present_amiga_pop_key(s), 0x45);
    EXPECT_EQ(present_amiga_pop_key(s), 0x44);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    present_amiga_close(s);
}

TEST_F(Headless, HeldKeysFollowDownAndUp) {
    start();
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    present_input_key(s, 0x4C);
    EXPECT_EQ(present_amiga_key_held(s, 0x4C), 1);
    EXPECT_EQ(present_amiga_key_held(s, 0x4C | 0x80), 0); // up codes are never "held"
    EXPECT_EQ(present_amiga_key_held(s, 128 + 0x4C), 0);
    EXPECT_EQ(present_amiga_key_held(s, -1), 0);
    EXPECT_EQ(present_amiga_key_held(s, 0x4D), 0);
    // Pressed and released before a poll: queued once, not held afterwards.
    present_input_key(s, 0x7F);
    present_input_key(s, 0x7F | 0x80);
    present_input_key(s, 0x4C | 0x80);
    EXPECT_EQ(present_amiga_key_held(s, 0x7F), 0);
    EXPECT_EQ(present_amiga_key_held(s, 0x4C), 0);
    EXPECT_EQ(present_amiga_pop_key(s), 0x4C);
    EXPECT_EQ(present_amiga_pop_key(s), 0x7F);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    present_amiga_close(s);
}

TEST_F(Headless, EscapeAndDragAreReportedByThePoll) {
    start("0 down esc\n0 mouse 10 20\n0 rmb down\n1 mouse 15 12\n2 up esc\n2 rmb up\n"
          "2 lmb down\n");
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    present_input in = poll(s);
    EXPECT_EQ(in.escape, 1);
    EXPECT_EQ(in.rmb, 1);
    EXPECT_EQ(in.mouse_x, 10);
    EXPECT_EQ(in.drag_dx, 0);
    in = poll(s); // nothing new: the escape flag belongs to the poll that saw the key
    EXPECT_EQ(in.escape, 0);
    EXPECT_EQ(present_amiga_key_held(s, 0x45), 1);
    end_frame();
    in = poll(s);
    EXPECT_EQ(in.drag_dx, 5);
    EXPECT_EQ(in.drag_dy, -8);
    EXPECT_EQ(in.mouse_y, 12);
    end_frame();
    in = poll(s);
    EXPECT_EQ(in.rmb, 0);
    EXPECT_EQ(in.lmb, 1);
    EXPECT_EQ(in.drag_dx, 0);
    EXPECT_EQ(in.drag_dy, 0);
    EXPECT_EQ(present_amiga_key_held(s, 0x45), 0);
    EXPECT_EQ(present_amiga_pop_key(s), 0x45);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    present_amiga_close(s);
}

TEST_F(Headless, ScreenWithoutWindowReportsOnlyStoredButtons) {
    start("0 down a\n0 mouse 5 5\n");
    present_screen* s = present_amiga_open_no_window(320, 200, "Vantrel");
    ASSERT_NE(s, nullptr);
    present_input_button(s, 1, 1); // as if it had been stored before
    present_input in = poll(s);
    EXPECT_EQ(in.lmb, 1);
    EXPECT_EQ(in.mouse_x, 0);
    EXPECT_EQ(in.mouse_y, 0);
    EXPECT_EQ(in.escape, 0);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    present_amiga_close(s);
}

TEST_F(Headless, PaletteStartsGreyAndSetColorsValidates) {
    start();
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
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
    present_amiga_close(s);

    // Every open starts grey again.
    s = present_amiga_open(320, 200, "Vantrel");
    present_palette_rgb(s, after);
    EXPECT_EQ(after[253 * 3], 253);
    present_amiga_close(s);
}

TEST_F(Headless, ReopenStartsWithEmptyInputState) {
    start();
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    present_input_key(s, 0x40);
    present_input_button(s, 0, 1);
    present_amiga_close(s);
    s = present_amiga_open(320, 256, "Vantrel");
    EXPECT_EQ(present_amiga_key_held(s, 0x40), 0);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    EXPECT_EQ(poll(s).rmb, 0);
    present_amiga_close(s);
    EXPECT_EQ(present_amiga_open(0, 256, "x"), nullptr);
    present_amiga_close(nullptr);
}

TEST_F(Headless, ScriptEventsArriveAtTheFirstPollAfterTheirFrame) {
    start("# a comment line\n"
          "2 press space   # pressed after frame 2\n"
          "1 down a\n"
          "3 up a\n");
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    poll(s);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    end_frame(); // frame 1
    poll(s);
    EXPECT_EQ(present_amiga_pop_key(s), 0x20);
    EXPECT_EQ(present_amiga_key_held(s, 0x20), 1);
    end_frame(); // frame 2
    poll(s);
    EXPECT_EQ(present_amiga_key_held(s, 0x40), 1);
    EXPECT_EQ(present_amiga_pop_key(s), 0x40);
    poll(s); // the same frame: a press stays down until the next frame
    EXPECT_EQ(present_amiga_key_held(s, 0x40), 1);
    end_frame(); // frame 3
    poll(s);
    EXPECT_EQ(present_amiga_key_held(s, 0x40), 0);
    EXPECT_EQ(present_amiga_key_held(s, 0x20), 0);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    present_amiga_close(s);
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
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    poll(s);
    end_frame();
    poll(s);
    EXPECT_EQ(present_quit_requested(), 0);
    end_frame();
    EXPECT_EQ(present_quit_requested(), 0); // delivered by the next poll, not the frame end
    poll(s);
    EXPECT_EQ(present_quit_requested(), 1);
    present_amiga_close(s);
    PRESENT_BACKEND_HEADLESS.stop();

    start("1 quit\n");
    EXPECT_EQ(present_quit_requested(), 0); // a new run starts without it
    s = present_amiga_open(320, 256, "Vantrel");
    poll(s);
    EXPECT_EQ(present_quit_requested(), 0);
    end_frame();
    poll(s);
    EXPECT_EQ(present_quit_requested(), 1);
    present_amiga_close(s);
}

TEST_F(Headless, HashPrintsTheCrcOfTheShownFrame) {
    start("1 hash\n1 hash\n");
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    std::vector<uint8_t> frame(320 * 256);
    for (size_t i = 0; i < frame.size(); i++) frame[i] = static_cast<uint8_t>(i * 7);
    present_amiga_frame(s, frame.data());
    end_frame();
    ::testing::internal::CaptureStdout();
    poll(s);
    std::string out = ::testing::internal::GetCapturedStdout();
    char expect[64];
    std::snprintf(expect, sizeof expect, "frame 1 crc32 %08lx\n",
                  static_cast<unsigned long>(crc32_table_update(0, frame.data(), frame.size())));
    EXPECT_EQ(out, std::string(expect) + expect);
    present_amiga_close(s);
}

#if VANTREL_HAVE_PNG
TEST_F(Headless, ShotWritesAnIndexedPngIntoTheShotDirectory) {
    std::string dir = std::string(::testing::TempDir());
    std::string leaf = "vantrel_shot_" + std::to_string(getpid()) + ".png";
    settings = present_settings{};
    script_path = temp_path("shot.txt");
    std::ofstream(script_path) << "0 shot " << leaf << "\n";
    settings.script = script_path.c_str();
    settings.shot_dir = dir.c_str();
    ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
    present_screen* s = present_amiga_open(64, 32, "Vantrel");
    poll(s);
    present_amiga_close(s);
    std::string path = dir + "/" + leaf;
    std::ifstream f(path, std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(static_cast<uint8_t>(png[19]), 64); // width
    EXPECT_EQ(static_cast<uint8_t>(png[23]), 32); // height
    EXPECT_EQ(static_cast<uint8_t>(png[24]), 8);  // bit depth
    EXPECT_EQ(static_cast<uint8_t>(png[25]), 3);  // palette colour type
    EXPECT_NE(png.find("PLTE"), std::string::npos);
    std::remove(path.c_str());
}
#endif

// One scripted run: frames drawn from the frame number, hashes printed, a shot taken.
std::string scripted_run(const std::string& script, bool planar) {
    present_settings settings;
    std::string path = temp_path("determinism.txt");
    std::ofstream(path) << script;
    settings.script = path.c_str();
    settings.planar = planar;
    std::string dir = ::testing::TempDir(); // the back end keeps its own copy
    settings.shot_dir = dir.c_str();
    EXPECT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
    ::testing::internal::CaptureStdout();
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    present_amiga_set_c2p_mode(s, 2);
    std::vector<uint8_t> frame(320 * 256);
    uint32_t last = 0;
    while (!present_quit_requested()) {
        present_input in;
        present_amiga_poll_input(s, &in);
        for (int k; (k = present_amiga_pop_key(s)) >= 0;) std::printf("key %d\n", k);
        uint32_t n = present_frame_count();
        for (size_t i = 0; i < frame.size(); i++)
            frame[i] = static_cast<uint8_t>((i / 320) * n + (i % 320) + in.mouse_x);
        frame_cap_wait(&last, 20000);
        present_amiga_frame_rows(s, frame.data(), 0, 256);
    }
    present_amiga_close(s);
    PRESENT_BACKEND_HEADLESS.stop();
    std::remove(path.c_str());
    std::string out = ::testing::internal::GetCapturedStdout();
    std::string shot = std::string(::testing::TempDir()) + "/det.png";
    std::ifstream f(shot, std::ios::binary);
    out += std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::remove(shot.c_str());
    return out;
}

TEST(HeadlessRuns, SameScriptSameOutputAndFrames) {
    const std::string script = "1 hash\n2 press a\n2 mouse 17 3\n3 hash\n4 shot det.png\n"
                               "5 hash\n6 quit\n";
    for (bool planar : {false, true}) {
        std::string first = scripted_run(script, planar);
        EXPECT_NE(first.find("frame 3 crc32 "), std::string::npos) << first;
        EXPECT_NE(first.find("key 32\n"), std::string::npos);
        EXPECT_EQ(scripted_run(script, planar), first);
    }
    // Both kinds of screen show the same pixels, so hashes and shots agree too.
    std::string rtg = scripted_run(script, false), planar = scripted_run(script, true);
    EXPECT_EQ(rtg, planar);
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
