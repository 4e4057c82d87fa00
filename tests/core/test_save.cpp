// The byte-buffer writer and the sticky-error reader.
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "core/save.h"

namespace vantrel {
namespace {

constexpr uint32_t GRFX = save_magic("GRFX");

// Writes one record of every width; the full record is 1+2+4+8+4+8+3 = 30 bytes.
void write_record(save_writer* w) {
    save_write_u8(w, 0xA1);
    save_write_u16(w, 0xB2C3);
    save_write_u32(w, 0xD4E5F607);
    save_write_u64(w, 0x0102030405060708ull);
    save_write_i32(w, -2);
    save_write_i64(w, INT64_MIN + 5);
    save_write_bytes(w, "xyz", 3);
}

TEST(Save, BigEndianOnEveryHost) {
    const uint8_t bytes[] = {0x12, 0x34};
    save_reader r;
    save_reader_init(&r, bytes, 2);
    EXPECT_EQ(save_read_u16(&r), 0x1234);
    EXPECT_EQ(r.error, 0);
}

TEST(Save, RoundTripWithTruncationAtEveryCapacity) {
    for (uint32_t cap = 0; cap <= 31; cap++) {
        std::vector<uint8_t> buf(cap + 1, 0xEE);
        save_writer w;
        save_writer_init(&w, buf.data(), cap);
        write_record(&w);
        // Fields that do not fit are dropped one by one; nothing lands past the capacity.
        EXPECT_LE(w.pos, cap);
        EXPECT_EQ(buf[cap], 0xEE) << cap;

        save_reader r;
        save_reader_init(&r, buf.data(), w.pos);
        uint8_t a = save_read_u8(&r);
        uint16_t b = save_read_u16(&r);
        uint32_t c = save_read_u32(&r);
        uint64_t d = save_read_u64(&r);
        int32_t e = save_read_i32(&r);
        int64_t f = save_read_i64(&r);
        char g[3];
        save_read_bytes(&r, g, 3);
        if (cap >= 30) {
            ASSERT_EQ(w.pos, 30u);
            const uint8_t head[] = {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x07, 1,    2,   3,
                                    4,    5,    6,    7,    8,    0xFF, 0xFF, 0xFF, 0xFE};
            EXPECT_EQ(std::memcmp(buf.data(), head, sizeof head), 0); // big-endian on every host
            EXPECT_EQ(r.error, 0);
            EXPECT_EQ(a, 0xA1);
            EXPECT_EQ(b, 0xB2C3);
            EXPECT_EQ(c, 0xD4E5F607u);
            EXPECT_EQ(d, 0x0102030405060708ull);
            EXPECT_EQ(e, -2);
            EXPECT_EQ(f, INT64_MIN + 5);
            EXPECT_EQ(std::memcmp(g, "xyz", 3), 0);
        } else {
            EXPECT_EQ(r.error, 1) << cap;
            EXPECT_EQ(std::memcmp(g, "\0\0\0", 3), 0);
        }
    }
}

TEST(Save, SmallerFieldsStillFitAfterADroppedOne) {
    uint8_t buf[3];
    save_writer w;
    save_writer_init(&w, buf, 3);
    save_write_u32(&w, 0x11223344); // dropped
    save_write_u16(&w, 0x5566);     // fits
    EXPECT_EQ(w.pos, 2u);
    EXPECT_EQ(buf[0], 0x55);
}

TEST(Save, ErrorFlagIsSticky) {
    const uint8_t bytes[] = {1, 2, 3};
    save_reader r;
    save_reader_init(&r, bytes, 3);
    EXPECT_EQ(save_read_u32(&r), 0u);
    EXPECT_EQ(r.error, 1);
    EXPECT_EQ(r.pos, 0u);
    EXPECT_EQ(save_read_u8(&r), 0); // would fit, still refused
    EXPECT_EQ(r.pos, 0u);
    uint8_t dest[4] = {9, 9, 9, 9};
    save_reader_init(&r, bytes, 3);
    save_read_u8(&r);
    save_read_bytes(&r, dest, 4);
    EXPECT_EQ(r.error, 1);
    EXPECT_EQ(std::memcmp(dest, "\0\0\0\0", 4), 0);
}

TEST(Save, Headers) {
    const uint8_t grfx[] = {'G', 'R', 'F', 'X', 0x00, 0x07, 0xAB};
    save_reader r;
    save_reader_init(&r, grfx, sizeof grfx);
    EXPECT_EQ(save_read_header(&r, GRFX), 7);
    EXPECT_EQ(r.pos, 6u);
    save_reader_init(&r, grfx, sizeof grfx);
    EXPECT_EQ(save_read_header(&r, save_magic("IMG8")), 0);
    EXPECT_EQ(r.error, 1);
    EXPECT_EQ(r.pos, 6u);
    save_reader_init(&r, grfx, 5);
    EXPECT_EQ(save_read_header(&r, GRFX), 0);
    EXPECT_EQ(r.pos, 4u);
    save_reader_init(&r, grfx, 3);
    EXPECT_EQ(save_read_header(&r, GRFX), 0);
    EXPECT_EQ(r.pos, 0u);

    uint8_t buf[8];
    save_writer w;
    save_writer_init(&w, buf, 5);
    save_write_header(&w, GRFX, 7);
    EXPECT_EQ(w.pos, 4u);
    EXPECT_EQ(std::memcmp(buf, "GRFX", 4), 0);
}

} // namespace
} // namespace vantrel
