// Program-wide helpers: whole-file reading, the microsecond clock, the frame-rate cap and the
// on-screen message, driven by a scripted host clock; the date line in the corner of the flight
// and map screens; the console report of an open screen.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/prof_amiga.h"
#include "render/text.h"
#include "shell/services.h"

namespace vantrel {
namespace {

// A host clock the test moves by hand; every vertical-blank wait advances it 20 ms.
struct fake_clock_state {
    uint64_t us = 0;
    int vblank_waits = 0;
    amiga_datestamp date = {100, 600, 0};
};
fake_clock_state g_fake;

uint64_t fake_counter() {
    return g_fake.us;
}
void fake_vblank() {
    g_fake.vblank_waits++;
    g_fake.us += 20000;
}
void fake_date(amiga_datestamp* out) {
    *out = g_fake.date;
}
void fake_frame_end() {}
const host_clock FAKE_CLOCK = {"fake", fake_counter, fake_vblank, fake_date, fake_frame_end, false};

class ServicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_fake = fake_clock_state{};
        host_clock_select(&FAKE_CLOCK);
        prof_close();
        ASSERT_EQ(prof_init(), 1);
        g_eclock_ok = 1;
        clock_us_reset();
    }
    void TearDown() override {
        prof_close();
        g_eclock_ok = 0;
        host_clock_select(nullptr);
    }
};

std::string temp_path(const char* name) {
    return std::string(::testing::TempDir()) + "vantrel_" + std::to_string(getpid()) + "_" + name;
}

TEST(ReadFile, WholeFilesAndFailures) {
    const std::string path = temp_path("data.bin"), empty = temp_path("empty.bin");
    std::ofstream(path, std::ios::binary).write("\x00\x01\x02\xff", 4);
    std::ofstream(empty, std::ios::binary).flush();
    uint32_t size = 0;
    uint8_t* buf = read_file(path.c_str(), &size);
    ASSERT_NE(buf, nullptr);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(buf[3], 0xFF);
    read_file_free(buf);
    buf = read_file(empty.c_str(), &size);
    ASSERT_NE(buf, nullptr);
    EXPECT_EQ(size, 0u);
    read_file_free(buf);
    std::remove(path.c_str());
    std::remove(empty.c_str());
    EXPECT_EQ(read_file(path.c_str(), &size), nullptr);
    EXPECT_EQ(read_file(::testing::TempDir().c_str(), &size), nullptr); // a directory
}

TEST(ReadFile, ProgdirMapsToTheExecutablesDirectory) {
    char out[4096];
    ASSERT_EQ(progdir_path("PROGDIR:stars.catalog", out, sizeof out), 1);
    EXPECT_EQ(std::string(out), std::string(progdir()) + "stars.catalog");
    EXPECT_EQ(std::string(progdir()).back(), '/');
    ASSERT_EQ(progdir_path("/abs/file", out, sizeof out), 1);
    EXPECT_STREQ(out, "/abs/file");
    char tiny[8];
    EXPECT_EQ(progdir_path("PROGDIR:stars.catalog", tiny, sizeof tiny), 0);
}

TEST(ReadFile, MemFileReadNeverReadsPastTheEnd) {
    const uint8_t data[6] = {1, 2, 3, 4, 5, 6};
    mem_file file = {data, 6};
    uint8_t out[6] = {};
    EXPECT_EQ(mem_file_read(file, 2, out, 4), 1);
    EXPECT_EQ(out[3], 6);
    out[0] = 0xAA;
    EXPECT_EQ(mem_file_read(file, 3, out, 4), 0);
    EXPECT_EQ(out[0], 0xAA); // nothing copied
    EXPECT_EQ(mem_file_read(file, 6, out, 0), 1);
    EXPECT_EQ(mem_file_read(file, 7, out, 0), 0);
    EXPECT_EQ(mem_file_read(file, 0xFFFFFFFFu, out, 2), 0);
}

TEST_F(ServicesTest, ClockCountsMicrosecondsAndCapsLongPauses) {
    g_fake.us = 5000000;
    EXPECT_EQ(clock_us(), 0u); // the first call only remembers the reading
    g_fake.us += 1234;
    EXPECT_EQ(clock_us(), 1234u);
    g_fake.us += 10000000; // a ten-second pause counts as two seconds
    EXPECT_EQ(clock_us(), 1234u + 2000000u);
}

TEST_F(ServicesTest, ClockWithoutTimerUsesTheDateStamp) {
    g_eclock_ok = 0;
    g_fake.date = {5, 61, 25};
    EXPECT_EQ(clock_us(), (25u * 20u + 61u * 60000u) * 1000u);
}

TEST_F(ServicesTest, FrameCapWaitsForTheRemainderOfThePeriod) {
    uint32_t last = clock_us();
    g_fake.us += 5000; // a fast frame: waits one blank (25 ms with the 3 ms slack)
    frame_cap_wait(&last, 20000);
    EXPECT_EQ(g_fake.vblank_waits, 1);
    EXPECT_EQ(last, 25000u);

    g_fake.us += 30000; // a slow frame does not wait at all
    frame_cap_wait(&last, 20000);
    EXPECT_EQ(g_fake.vblank_waits, 1);

    frame_cap_wait(&last, 0); // no cap: never waits, still records the time
    EXPECT_EQ(g_fake.vblank_waits, 1);
    g_fake.us += 7;
    frame_cap_wait(&last, 0);
    EXPECT_EQ(last, 55007u);

    frame_cap_wait(&last, 1000000); // at most four blanks, however long the period
    EXPECT_EQ(g_fake.vblank_waits, 5);
}

TEST_F(ServicesTest, OsdMessageReplacesAndTruncates) {
    osd_show("first %d", 1);
    EXPECT_STREQ(g_osd_text, "first 1");
    EXPECT_EQ(g_osd_on, 1);
    g_fake.date.tick = 40;
    osd_show("%s", std::string(100, 'x').c_str());
    EXPECT_EQ(std::string(g_osd_text), std::string(47, 'x'));
    EXPECT_EQ(g_osd_start.tick, 40);
    amiga_datestamp later = g_osd_start;
    later.minute += 1;
    later.tick -= 10;
    EXPECT_EQ(datestamp_elapsed_ms(&g_osd_start, &later), 59800);
}

constexpr int W = 320, H = 64; // the clock's strip of the screen

std::vector<uint8_t> expected(const std::string& left, const std::string& right) {
    std::vector<uint8_t> f(W * H, 0);
    text_draw_shadow(f.data(), W, H, 4, 4, left.c_str(), 155, 163);
    if (!right.empty())
        text_draw_shadow(f.data(), W, H, W - 4 - text_width(right.c_str()), 4, right.c_str(), 156,
                         163);
    return f;
}

std::vector<uint8_t> drawn(const world_time& t, const char* rate) {
    std::vector<uint8_t> f(W * H, 0);
    screen_clock(f.data(), W, H, &t, rate);
    return f;
}

// The date and the rate beside it are pinned by the maps and port golden frames; the stardate
// shows only one day a year.
TEST(ScreenClock, EighthOfSeptemberShowsTheStardate) {
    world_time t = WORLD_TIME_START;
    world_date d = world_time_date(&t);
    for (int days = 0; days < 400 && !(d.month == 9 && d.day == 8); days++) {
        world_time_add_minutes(&t, 24 * 60);
        d = world_time_date(&t);
    }
    ASSERT_TRUE(d.month == 9 && d.day == 8);
    char number[32];
    world_stardate_format(world_date_stardate10(&d), number, sizeof number);
    EXPECT_EQ(drawn(t, nullptr), expected(std::string("stardate ") + number, ""));
    // The day after is a plain date again.
    world_time_add_minutes(&t, 24 * 60);
    EXPECT_EQ(drawn(t, nullptr), expected("09.09.2279 12:00", ""));
}

// The chip-write line only for planar screens when asked, and the remembered output mode given
// to every new screen.
std::string report(present_screen* s, int bench) {
    ::testing::internal::CaptureStdout();
    report_screen(s, bench);
    return ::testing::internal::GetCapturedStdout();
}

TEST(ReportScreen, GraphicsCardAndPlanarScreens) {
    present_settings settings;
    ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
    g_c2p_mode = 0;
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    // No chip-write line on a graphics-card screen; the remembered mode 0 becomes the
    // graphics card's delta mode, and that is what is remembered from now on.
    EXPECT_EQ(report(s, 1), "screen: ModeID $50001000 (headless) 320x256, RTG via LockBitMap, "
                            "image 320x256 at 0,0\n"
                            "c2p mode: rtg-delta (F3 cycles mexg/040/delta)\n");
    EXPECT_EQ(g_c2p_mode, C2P_RTG_DELTA);
    present_amiga_close(s);
    PRESENT_BACKEND_HEADLESS.stop();

    settings.planar = true;
    ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
    g_c2p_mode = C2P_040;
    s = present_amiga_open(320, 256, "Vantrel");
    std::string out = report(s, 1);
    EXPECT_NE(out.find(" c2p direct\nChip write with game screen: 0 kB/s\n"
                       "c2p mode: 040 (F3 cycles mexg/040/delta)\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(present_amiga_c2p_mode(s), C2P_040);
    g_c2p_mode = C2P_RTG_DELTA; // a planar screen cannot take it: the best it can is delta
    out = report(s, 0);
    EXPECT_EQ(out.find("Chip write"), std::string::npos);
    EXPECT_NE(out.find("c2p mode: delta (F3"), std::string::npos) << out;
    EXPECT_EQ(g_c2p_mode, C2P_DELTA);
    present_amiga_close(s);
    PRESENT_BACKEND_HEADLESS.stop();
}

} // namespace
} // namespace vantrel
