// save: field-by-field big-endian encoding; never a struct cast over the bytes.
#include "core/save.h"

#include <cstring>

namespace vantrel {

namespace {

bool writer_has_room(const save_writer* w, uint32_t width) {
    return static_cast<uint64_t>(w->pos) + width <= w->capacity;
}

void write_be(save_writer* w, uint64_t v, uint32_t width) {
    if (!writer_has_room(w, width)) return;
    for (uint32_t i = 0; i < width; i++)
        w->data[w->pos + i] = static_cast<uint8_t>(v >> (8 * (width - 1 - i)));
    w->pos += width;
}

uint64_t read_be(save_reader* r, uint32_t width) {
    if (r->error) return 0;
    if (static_cast<uint64_t>(r->pos) + width > r->size) {
        r->error = 1;
        return 0;
    }
    uint64_t v = 0;
    for (uint32_t i = 0; i < width; i++) v = (v << 8) | r->data[r->pos + i];
    r->pos += width;
    return v;
}

} // namespace

void save_writer_init(save_writer* w, uint8_t* buffer, uint32_t capacity) {
    w->data = buffer;
    w->capacity = capacity;
    w->pos = 0;
}

void save_write_u8(save_writer* w, uint8_t v) {
    write_be(w, v, 1);
}
void save_write_u16(save_writer* w, uint16_t v) {
    write_be(w, v, 2);
}
void save_write_u32(save_writer* w, uint32_t v) {
    write_be(w, v, 4);
}
void save_write_u64(save_writer* w, uint64_t v) {
    write_be(w, v, 8);
}
void save_write_i32(save_writer* w, int32_t v) {
    write_be(w, static_cast<uint32_t>(v), 4);
}
void save_write_i64(save_writer* w, int64_t v) {
    write_be(w, static_cast<uint64_t>(v), 8);
}

void save_write_bytes(save_writer* w, const void* source, uint32_t count) {
    if (!writer_has_room(w, count)) return;
    if (count > 0) std::memcpy(w->data + w->pos, source, count);
    w->pos += count;
}

void save_write_header(save_writer* w, uint32_t magic, uint16_t version) {
    save_write_u32(w, magic);
    save_write_u16(w, version);
}

void save_reader_init(save_reader* r, const uint8_t* buffer, uint32_t size) {
    r->data = buffer;
    r->size = size;
    r->pos = 0;
    r->error = 0;
}

uint8_t save_read_u8(save_reader* r) {
    return static_cast<uint8_t>(read_be(r, 1));
}
uint16_t save_read_u16(save_reader* r) {
    return static_cast<uint16_t>(read_be(r, 2));
}
uint32_t save_read_u32(save_reader* r) {
    return static_cast<uint32_t>(read_be(r, 4));
}
uint64_t save_read_u64(save_reader* r) {
    return read_be(r, 8);
}
int32_t save_read_i32(save_reader* r) {
    return static_cast<int32_t>(read_be(r, 4));
}
int64_t save_read_i64(save_reader* r) {
    return static_cast<int64_t>(read_be(r, 8));
}

void save_read_bytes(save_reader* r, void* destination, uint32_t count) {
    if (r->error || static_cast<uint64_t>(r->pos) + count > r->size) {
        r->error = 1;
        if (count > 0) std::memset(destination, 0, count);
        return;
    }
    if (count > 0) std::memcpy(destination, r->data + r->pos, count);
    r->pos += count;
}

uint16_t save_read_header(save_reader* r, uint32_t expected_magic) {
    uint32_t magic = save_read_u32(r);
    uint16_t version = save_read_u16(r);
    if (r->error) return 0;
    if (magic != expected_magic) {
        r->error = 1;
        return 0;
    }
    return version;
}

} // namespace vantrel
