// The 8SVX reader on hand-built files: the chunk walk, the refusals, and lengths near 2^32
// that would wrap a 32-bit sum back inside the buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/iff8svx.h"

namespace vantrel {
namespace {

using bytes = std::vector<uint8_t>;

void put32(bytes* b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b->push_back(uint8_t(v >> shift));
}

bytes chunk(const char* id, const bytes& payload, bool pad = true) {
    bytes b(id, id + 4);
    put32(&b, uint32_t(payload.size()));
    b.insert(b.end(), payload.begin(), payload.end());
    if (pad && payload.size() % 2) b.push_back(0);
    return b;
}

bytes vhdr(uint32_t rate, uint8_t octaves = 1, uint8_t compression = 0, size_t size = 20) {
    bytes v(size, 0);
    if (size >= 16)
        v[12] = uint8_t(rate >> 8), v[13] = uint8_t(rate), v[14] = octaves, v[15] = compression;
    return v;
}

// FORM with the true length unless one is given.
bytes form(const std::vector<bytes>& chunks, int64_t length = -1) {
    bytes inner = {'8', 'S', 'V', 'X'};
    for (const bytes& c : chunks) inner.insert(inner.end(), c.begin(), c.end());
    bytes b = {'F', 'O', 'R', 'M'};
    put32(&b, length < 0 ? uint32_t(inner.size()) : uint32_t(length));
    b.insert(b.end(), inner.begin(), inner.end());
    return b;
}

const bytes BODY3 = {1, 0x80, 0x7F};

struct parse_case {
    const char* what;
    bytes file;
    uint32_t length; // 0: refused
    uint32_t rate = 11025;
};

TEST(Iff8svx, AcceptsTheSubsetAndRefusesTheRest) {
    bytes ok_body = chunk("BODY", BODY3);
    // 12 + 8 + 0xFFFFFFF4 wraps to 16 in 32 bits: back inside the buffer.
    bytes wrapping_anno = {'A', 'N', 'N', 'O', 0xFF, 0xFF, 0xFF, 0xF4};
    bytes huge_chunk = form({chunk("VHDR", vhdr(11025)), wrapping_anno, ok_body}, 0xFFFFFFFF);
    bytes unpadded_last = form({chunk("VHDR", vhdr(11025)), chunk("BODY", BODY3, false)});
    const parse_case cases[] = {
        {"plain", form({chunk("VHDR", vhdr(11025)), ok_body}), 3},
        {"odd chunk before BODY walks its pad byte",
         form({chunk("VHDR", vhdr(8000)), chunk("NAME", {'a', 'b', 'c'}), ok_body}), 3, 8000},
        {"octave count 0", form({chunk("VHDR", vhdr(11025, 0)), ok_body}), 3},
        {"first VHDR and BODY count",
         form({chunk("VHDR", vhdr(11025)), ok_body, chunk("VHDR", vhdr(0)), chunk("BODY", {})}), 3},
        {"last odd chunk without its pad byte", unpadded_last, 3},
        {"huge FORM length means the data size",
         form({chunk("VHDR", vhdr(11025)), ok_body}, 0xFFFFFFFF), 3},
        {"compression 1", form({chunk("VHDR", vhdr(11025, 1, 1)), ok_body}), 0},
        {"octave count 2", form({chunk("VHDR", vhdr(11025, 2)), ok_body}), 0},
        {"rate 0", form({chunk("VHDR", vhdr(0)), ok_body}), 0},
        {"short VHDR", form({chunk("VHDR", vhdr(11025, 1, 0, 18)), ok_body}), 0},
        {"no VHDR", form({ok_body}), 0},
        {"no BODY", form({chunk("VHDR", vhdr(11025))}), 0},
        {"empty BODY", form({chunk("VHDR", vhdr(11025)), chunk("BODY", {})}), 0},
        {"BODY past the form's end", form({chunk("VHDR", vhdr(11025)), ok_body}, 4 + 28 + 10), 0},
        {"chunk length near 2^32", huge_chunk, 0},
        {"form shorter than 20", form({}, 8), 0},
        {"not 8SVX",
         [] {
             bytes b = form({chunk("VHDR", vhdr(11025)), chunk("BODY", BODY3)});
             b[8] = 'A';
             return b;
         }(),
         0},
    };
    for (const parse_case& c : cases) {
        iff8svx_sample s{nullptr, 0, 0};
        int ok = iff8svx_parse(c.file.data(), uint32_t(c.file.size()), &s);
        EXPECT_EQ(ok, c.length ? 1 : 0) << c.what;
        if (!ok || !c.length) {
            EXPECT_EQ(s.samples, nullptr) << c.what; // untouched on refusal
            continue;
        }
        EXPECT_EQ(s.length, c.length) << c.what;
        EXPECT_EQ(s.rate, c.rate) << c.what;
        ASSERT_GE(reinterpret_cast<const uint8_t*>(s.samples), c.file.data()) << c.what;
        EXPECT_EQ(s.samples[0], 1) << c.what;
        EXPECT_EQ(s.samples[1], -128) << c.what;
        EXPECT_EQ(s.samples[2], 127) << c.what;
    }
    // Every truncation of a good file is refused or parsed inside the bytes it has.
    bytes good = form({chunk("VHDR", vhdr(11025)), chunk("ANNO", {'x'}), ok_body});
    for (uint32_t size = 0; size < good.size(); size++) {
        iff8svx_sample s{nullptr, 0, 0};
        if (iff8svx_parse(good.data(), size, &s)) {
            EXPECT_LE(reinterpret_cast<const uint8_t*>(s.samples) + s.length, good.data() + size);
        }
    }
}

} // namespace
} // namespace vantrel
