// save: the big-endian byte-buffer writer and the reader with a sticky error flag.
//
// Every file format the game defines is a flat run of big-endian fields, usually opened by
// a four-character magic and a 16-bit version. The writer drops any field that does not fit
// (each field judged by itself); the reader sets a sticky error flag on the first short
// read, after which every read returns 0, so a parser reads its whole record and tests once.
#pragma once

#include <cstdint>

namespace vantrel {

struct save_writer {
    uint8_t* data;
    uint32_t capacity;
    uint32_t pos;
};

struct save_reader {
    const uint8_t* data;
    uint32_t size;
    uint32_t pos;
    int error;
};

// "GRFX" -> 0x47524658: first character in the most significant byte.
constexpr uint32_t save_magic(const char (&s)[5]) {
    return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
           (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

void save_writer_init(save_writer* w, uint8_t* buffer, uint32_t capacity);
void save_write_u8(save_writer* w, uint8_t v);
void save_write_u16(save_writer* w, uint16_t v);
void save_write_u32(save_writer* w, uint32_t v);
void save_write_u64(save_writer* w, uint64_t v);
void save_write_i32(save_writer* w, int32_t v);
void save_write_i64(save_writer* w, int64_t v);
void save_write_bytes(save_writer* w, const void* source, uint32_t count);
void save_write_header(save_writer* w, uint32_t magic, uint16_t version);

void save_reader_init(save_reader* r, const uint8_t* buffer, uint32_t size);
uint8_t save_read_u8(save_reader* r);
uint16_t save_read_u16(save_reader* r);
uint32_t save_read_u32(save_reader* r);
uint64_t save_read_u64(save_reader* r);
int32_t save_read_i32(save_reader* r);
int64_t save_read_i64(save_reader* r);
void save_read_bytes(save_reader* r, void* destination, uint32_t count);
// Returns the version, or 0 (with the error flag set) on a short buffer or another magic.
uint16_t save_read_header(save_reader* r, uint32_t expected_magic);

} // namespace vantrel
