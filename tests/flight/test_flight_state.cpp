// The "FSAT" record: exact bytes, round trip, refused versions and short buffers.
#include <cstring>
#include <gtest/gtest.h>

#include "flight/flight_state.h"

namespace vantrel {
namespace {

// Field by field: the record has padding after the orientation on some targets.
bool same(const flight_state& a, const flight_state& b) {
    return a.position.x == b.position.x && a.position.y == b.position.y &&
           a.position.z == b.position.z && a.velocity == b.velocity &&
           a.orientation == b.orientation && a.angular_velocity == b.angular_velocity;
}

flight_state sample() {
    flight_state s;
    s.position = space_local{INT64_MIN + 7, -1, 0x0123456789ABCDEFll};
    s.velocity = vec3{-5, 0x7FFFFFFF, 65536};
    for (int i = 0; i < 9; i++) s.orientation.m[i] = (i - 4) * 40000 + i;
    s.angular_velocity = vec3{1, -2, 3};
    return s;
}

std::vector<uint8_t> saved(const flight_state& s) {
    std::vector<uint8_t> buf(FSAT_SIZE + 10, 0xEE);
    save_writer w;
    save_writer_init(&w, buf.data(), static_cast<uint32_t>(buf.size()));
    flight_state_save(&s, &w);
    buf.resize(w.pos);
    return buf;
}

TEST(FlightStateRecord, LayoutIsBigEndianInFieldOrder) {
    auto b = saved(sample());
    ASSERT_EQ(b.size(), FSAT_SIZE);
    const uint8_t head[] = {'F', 'S', 'A', 'T', 0, 1, 0x80, 0, 0, 0, 0, 0, 0, 7};
    EXPECT_EQ(std::memcmp(b.data(), head, sizeof head), 0);
    const uint8_t pos_z[] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    EXPECT_EQ(std::memcmp(&b[22], pos_z, 8), 0);
    const uint8_t vel[] = {0xFF, 0xFF, 0xFF, 0xFB, 0x7F, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0};
    EXPECT_EQ(std::memcmp(&b[30], vel, 12), 0);
    // Orientation element 0 is (0-4)*40000 = -160000 = 0xFFFD8F00; element 5 ends at 62.
    const uint8_t m0[] = {0xFF, 0xFD, 0x8F, 0x00};
    EXPECT_EQ(std::memcmp(&b[42], m0, 4), 0);
    const uint8_t w_z[] = {0, 0, 0, 3};
    EXPECT_EQ(std::memcmp(&b[86], w_z, 4), 0);
}

TEST(FlightStateRecord, RoundTripIsBitIdentical) {
    flight_state s = sample();
    auto b = saved(s);
    flight_state back;
    std::memset(&back, 0x55, sizeof back);
    save_reader r;
    save_reader_init(&r, b.data(), static_cast<uint32_t>(b.size()));
    EXPECT_EQ(flight_state_load(&back, &r), 1);
    EXPECT_EQ(same(s, back), true);
    EXPECT_EQ(r.pos, FSAT_SIZE);
}

TEST(FlightStateRecord, AnotherVersionIsRefusedUntouched) {
    auto b = saved(sample());
    b[5] = 2;
    flight_state keep{};
    keep.velocity.x = 99;
    flight_state s = keep;
    save_reader r;
    save_reader_init(&r, b.data(), static_cast<uint32_t>(b.size()));
    EXPECT_EQ(flight_state_load(&s, &r), 0);
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(same(s, keep), true);

    b[5] = 1;
    b[0] = 'G'; // another chunk altogether
    save_reader_init(&r, b.data(), static_cast<uint32_t>(b.size()));
    EXPECT_EQ(flight_state_load(&s, &r), 0);
    EXPECT_NE(r.error, 0);
    EXPECT_EQ(same(s, keep), true);
}

TEST(FlightStateRecord, EveryShortBufferFailsAndKeepsTheOldState) {
    auto b = saved(sample());
    flight_state keep{};
    keep.orientation = IDENTITY;
    // Ends inside the orientation (offset 50) and at every other length short of whole.
    for (uint32_t len = 0; len < FSAT_SIZE; len++) {
        flight_state s = keep;
        save_reader r;
        save_reader_init(&r, b.data(), len);
        EXPECT_EQ(flight_state_load(&s, &r), 0) << len;
        EXPECT_EQ(same(s, keep), true) << len;
    }
}

TEST(FlightStateRecord, AWriterWithoutRoomTruncates) {
    uint8_t buf[50];
    std::memset(buf, 0xEE, sizeof buf);
    save_writer w;
    save_writer_init(&w, buf, 40);
    flight_state s = sample();
    flight_state_save(&s, &w);
    EXPECT_LE(w.pos, 40u);
    EXPECT_EQ(buf[40], 0xEE);
}

} // namespace
} // namespace vantrel
