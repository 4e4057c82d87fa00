// Program-wide helpers: whole-file reading, the start log, the microsecond clock, the
// frame-rate cap and the on-screen message, driven by a scripted host clock.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "platform/prof_amiga.h"
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
    std::string path = temp_path("data.bin");
    {
        std::ofstream f(path, std::ios::binary);
        f.write("\x00\x01\x02\xff", 4);
    }
    uint32_t size = 0;
    uint8_t* buf = read_file(path.c_str(), &size);
    ASSERT_NE(buf, nullptr);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(buf[3], 0xFF);
    read_file_free(buf);
    std::remove(path.c_str());
    EXPECT_EQ(read_file(path.c_str(), &size), nullptr);
    EXPECT_EQ(read_file(::testing::TempDir().c_str(), &size), nullptr); // a directory

    std::string empty = temp_path("empty.bin");
    { std::ofstream f(empty, std::ios::binary); }
    buf = read_file(empty.c_str(), &size);
    ASSERT_NE(buf, nullptr);
    EXPECT_EQ(size, 0u);
    read_file_free(buf);
    std::remove(empty.c_str());
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

} // namespace
} // namespace vantrel
