// The "FSAT" record: exact bytes, round trip, refused versions and short buffers.
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

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

std::vector<uint8_t> saved(const flight_state& s, uint32_t room = FSAT_SIZE + 10) {
    std::vector<uint8_t> buf(room, 0xEE);
    save_writer w;
    save_writer_init(&w, buf.data(), room);
    flight_state_save(&s, &w);
    buf.resize(w.pos);
    return buf;
}

int load(flight_state* s, const std::vector<uint8_t>& b, uint32_t len, save_reader* r) {
    save_reader_init(r, b.data(), len);
    return flight_state_load(s, r);
}

TEST(FlightStateRecord, BigEndianFieldsInOrderAndABitIdenticalRoundTrip) {
    flight_state s = sample();
    auto b = saved(s);
    ASSERT_EQ(b.size(), FSAT_SIZE);
    const uint8_t head[] = {'F', 'S', 'A', 'T', 0, 1, 0x80, 0, 0, 0, 0, 0, 0, 7};
    EXPECT_EQ(std::memcmp(b.data(), head, sizeof head), 0);
    const uint8_t pos_z[] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    EXPECT_EQ(std::memcmp(&b[22], pos_z, 8), 0);
    const uint8_t vel[] = {0xFF, 0xFF, 0xFF, 0xFB, 0x7F, 0xFF, 0xFF, 0xFF, 0, 1, 0, 0};
    EXPECT_EQ(std::memcmp(&b[30], vel, 12), 0);
    const uint8_t m0[] = {0xFF, 0xFD, 0x8F, 0x00}; // -160000
    EXPECT_EQ(std::memcmp(&b[42], m0, 4), 0);
    EXPECT_EQ(b[89], 3);

    flight_state back;
    std::memset(&back, 0x55, sizeof back);
    save_reader r;
    EXPECT_EQ(load(&back, b, FSAT_SIZE, &r), 1);
    EXPECT_TRUE(same(s, back));
    // A writer without room keeps inside its buffer.
    EXPECT_LE(saved(s, 40).size(), 40u);
}

TEST(FlightStateRecord, RefusedChunksLeaveTheStateAlone) {
    auto b = saved(sample());
    flight_state keep{};
    keep.orientation = IDENTITY;
    flight_state s = keep;
    save_reader r;
    b[5] = 2; // another version: refused with the flag clear
    EXPECT_EQ(load(&s, b, FSAT_SIZE, &r), 0);
    EXPECT_EQ(r.error, 0);
    EXPECT_TRUE(same(s, keep));
    b[5] = 1;
    b[0] = 'G'; // another chunk altogether
    EXPECT_EQ(load(&s, b, FSAT_SIZE, &r), 0);
    EXPECT_NE(r.error, 0);
    EXPECT_TRUE(same(s, keep));
    b[0] = 'F';
    // Every short buffer, including one ending inside the orientation (offset 50), fails
    // and keeps the old state instead of a half-read ship with a zero orientation.
    for (uint32_t len = 0; len < FSAT_SIZE; len++) {
        EXPECT_EQ(load(&s, b, len, &r), 0) << len;
        EXPECT_TRUE(same(s, keep)) << len;
    }
}

} // namespace
} // namespace vantrel
