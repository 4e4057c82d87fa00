// present_amiga: the frame output paths: planar conversion modes and graphics-card copies,
// whole or delta, with their counters of 32-pixel groups.
#include <cstdlib>
#include <cstring>

#include "platform/c2p_ref.h"
#include "platform/present_amiga.h"

namespace vantrel {

namespace {

constexpr const char* MODE_NAMES[5] = {"mexg", "040", "delta", "rtg", "rtg-delta"};

size_t row_offset(const present_screen* s, int32_t y) {
    return static_cast<size_t>(y) * static_cast<size_t>(s->width);
}

bool delta_buffers(present_screen* s) {
    if (!s->prev) {
        s->prev_size = static_cast<uint32_t>(s->width) * static_cast<uint32_t>(s->height);
        s->prev = static_cast<uint8_t*>(std::malloc(s->prev_size));
    }
    if (!s->row_changed) s->row_changed = static_cast<uint8_t*>(std::calloc(s->height, 1));
    if (s->prev && s->row_changed) return true;
    std::free(s->prev);
    std::free(s->row_changed);
    s->prev = s->row_changed = nullptr;
    s->prev_size = 0;
    return false;
}

void clear_row_table(present_screen* s) {
    if (s->row_changed) std::memset(s->row_changed, 0, static_cast<size_t>(s->height));
}

uint8_t* const* planes_at_row(present_screen* s, uint8_t* const* base, int32_t y, uint8_t** out) {
    size_t at = static_cast<size_t>(y) * static_cast<size_t>(s->bytes_per_row);
    for (int k = 0; k < 8; k++) out[k] = base[k] + at;
    return out;
}

void shadow_planes(present_screen* s, uint8_t** out) {
    for (int k = 0; k < 8; k++) out[k] = s->shadow + static_cast<size_t>(k) * s->plane_size;
}

// The player sees the planes: read the rows back into the shown image.
void show_planar_rows(present_screen* s, int32_t y0, int32_t rows) {
    uint8_t* at[8];
    p2c_rows(planes_at_row(s, s->plane, y0, at), s->bytes_per_row, s->width, rows,
             s->shown + row_offset(s, y0));
    s->backend->show(s, y0, rows);
}

void planar_whole(present_screen* s, const uint8_t* chunky) {
    clear_row_table(s);
    if (static_cast<uint32_t>(s->width * s->height) % 32 == 0 && s->planes_contiguous) {
        c2p_rows(chunky, s->width, s->height, s->plane, s->bytes_per_row);
    } else {
        uint8_t* shadow[8];
        shadow_planes(s, shadow);
        c2p_rows(chunky, s->width, s->height, shadow, s->bytes_per_row);
        for (int k = 0; k < 8; k++) std::memcpy(s->plane[k], shadow[k], s->plane_size);
    }
    show_planar_rows(s, 0, s->height);
}

void planar_rows_full(present_screen* s, const uint8_t* chunky, int32_t y0, int32_t rows) {
    uint8_t* at[8];
    c2p_rows(chunky + row_offset(s, y0), s->width, rows, planes_at_row(s, s->plane, y0, at),
             s->bytes_per_row);
}

// Converts only the 32-pixel groups that differ from the previous frame, and reads just
// those groups back for the player; shows the rows that changed.
uint32_t planar_rows_delta(present_screen* s, const uint8_t* chunky, int32_t y0, int32_t rows) {
    uint32_t written = 0;
    int32_t first = -1, last = -1;
    for (int32_t y = y0; y < y0 + rows; y++) {
        size_t row = row_offset(s, y);
        uint32_t plane_row = static_cast<uint32_t>(y) * static_cast<uint32_t>(s->bytes_per_row);
        for (int32_t x = 0; x < s->width; x += 32) {
            const uint8_t* src = chunky + row + x;
            uint8_t* old = s->prev + row + x;
            if (std::memcmp(src, old, 32) == 0) continue;
            std::memcpy(old, src, 32);
            uint32_t at = plane_row + static_cast<uint32_t>(x / 8);
            c2p_run8(src, 32, s->plane, at);
            uint8_t* group[8];
            for (int k = 0; k < 8; k++) group[k] = s->plane[k] + at;
            p2c_rows(group, s->bytes_per_row, 32, 1, s->shown + row + x);
            written++;
            if (first < 0) first = y;
            last = y;
        }
    }
    s->backend->show(s, first < 0 ? y0 : first, first < 0 ? 0 : last - first + 1);
    return written;
}

void planar_rows(present_screen* s, const uint8_t* chunky, int32_t y0, int32_t rows) {
    uint32_t groups = static_cast<uint32_t>(s->width * rows);
    if (groups % 32 != 0) {
        present_amiga_frame(s, chunky);
        return;
    }
    groups /= 32;
    s->submitted += groups;
    if (s->mode == C2P_MEXG) {
        uint8_t* shadow[8];
        uint8_t* at[8];
        shadow_planes(s, shadow);
        c2p_rows(chunky + row_offset(s, y0), s->width, rows, planes_at_row(s, shadow, y0, at),
                 s->bytes_per_row);
        size_t from = static_cast<size_t>(y0) * static_cast<size_t>(s->bytes_per_row);
        size_t bytes = static_cast<size_t>(rows) * static_cast<size_t>(s->bytes_per_row);
        for (int k = 0; k < 8; k++) std::memcpy(s->plane[k] + from, shadow[k] + from, bytes);
        s->written += groups;
    } else if (s->mode == C2P_040) {
        planar_rows_full(s, chunky, y0, rows);
        s->written += groups;
    } else {
        bool all_marked = s->prev && s->row_changed;
        for (int32_t y = y0; all_marked && y < y0 + rows; y++) all_marked = s->row_changed[y];
        if (all_marked) {
            s->written += planar_rows_delta(s, chunky, y0, rows);
            return;
        }
        planar_rows_full(s, chunky, y0, rows);
        s->written += groups;
        if (s->prev && s->row_changed) {
            std::memcpy(s->prev + row_offset(s, y0), chunky + row_offset(s, y0),
                        static_cast<size_t>(rows) * static_cast<size_t>(s->width));
            std::memset(s->row_changed + y0, 1, static_cast<size_t>(rows));
        }
    }
    show_planar_rows(s, y0, rows);
}

// True when n bytes of a and b differ. Whole 32-byte blocks, nearly all of them, are
// compared as four 64-bit words in line: a library call per block would cost more than
// the comparison.
inline bool block_differs(const uint8_t* a, const uint8_t* b, int32_t n) {
    if (n != 32) return n > 0 && std::memcmp(a, b, static_cast<size_t>(n)) != 0;
    uint64_t wa[4], wb[4];
    std::memcpy(wa, a, sizeof wa);
    std::memcpy(wb, b, sizeof wb);
    return ((wa[0] ^ wb[0]) | (wa[1] ^ wb[1]) | (wa[2] ^ wb[2]) | (wa[3] ^ wb[3])) != 0;
}

// Graphics-card delta copy: unmarked rows whole, marked rows by differing 32-byte blocks,
// each run of differing blocks written as one piece.
void rtg_rows_delta(present_screen* s, const uint8_t* chunky, int32_t y0, int32_t rows) {
    uint32_t row_groups = static_cast<uint32_t>(s->width + 31) / 32;
    int32_t first = -1, last = -1;
    for (int32_t y = y0; y < y0 + rows; y++) {
        size_t row = row_offset(s, y);
        const uint8_t* src = chunky + row;
        uint8_t* old = s->prev + row;
        uint8_t* dst = s->shown + row;
        bool changed = false;
        if (!s->row_changed[y]) {
            std::memcpy(dst, src, static_cast<size_t>(s->width));
            std::memcpy(old, src, static_cast<size_t>(s->width));
            s->row_changed[y] = 1;
            s->written += row_groups;
            changed = true;
        } else {
            int32_t run_start = -1;
            for (int32_t x = 0; x <= s->width; x += 32) {
                int32_t n = s->width - x < 32 ? s->width - x : 32;
                if (block_differs(src + x, old + x, n)) {
                    std::memcpy(old + x, src + x, static_cast<size_t>(n));
                    s->written++;
                    if (run_start < 0) run_start = x;
                } else if (run_start >= 0) {
                    std::memcpy(dst + run_start, src + run_start,
                                static_cast<size_t>(x - run_start));
                    run_start = -1;
                    changed = true;
                }
                if (n < 32) break;
            }
            if (run_start >= 0) {
                std::memcpy(dst + run_start, src + run_start,
                            static_cast<size_t>(s->width - run_start));
                changed = true;
            }
        }
        if (changed) {
            if (first < 0) first = y;
            last = y;
        }
    }
    if (first < 0)
        s->backend->show(s, y0, 0);
    else
        s->backend->show(s, first, last - first + 1);
}

void rtg_rows(present_screen* s, const uint8_t* chunky, int32_t y0, int32_t rows) {
    uint32_t groups = static_cast<uint32_t>(s->width * rows + 31) / 32;
    s->submitted += groups;
    if (s->mode == C2P_RTG_DELTA && s->prev && s->row_changed) {
        rtg_rows_delta(s, chunky, y0, rows);
        return;
    }
    std::memcpy(s->shown + row_offset(s, y0), chunky + row_offset(s, y0),
                static_cast<size_t>(rows) * static_cast<size_t>(s->width));
    s->written += groups;
    s->backend->show(s, y0, rows);
}

} // namespace

int32_t present_amiga_set_c2p_mode(present_screen* s, int32_t requested) {
    if (!s) return 0;
    if (s->gfx_card) {
        s->mode = requested != C2P_RTG && delta_buffers(s) ? C2P_RTG_DELTA : C2P_RTG;
    } else if (requested <= C2P_MEXG || !s->planes_contiguous || !s->rows_unpadded) {
        s->mode = C2P_MEXG;
    } else if (requested == C2P_040) {
        s->mode = C2P_040;
    } else {
        s->mode = delta_buffers(s) ? C2P_DELTA : C2P_040;
    }
    // The next delta frame writes everything: the screen may hold anything by now.
    clear_row_table(s);
    return s->mode;
}

int32_t present_amiga_c2p_mode(const present_screen* s) {
    return s ? s->mode : 0;
}

const char* present_c2p_mode_name(int32_t mode) {
    return mode >= 1 && mode <= 4 ? MODE_NAMES[mode] : MODE_NAMES[0];
}

void present_amiga_c2p_stats(present_screen* s, uint32_t* submitted, uint32_t* written) {
    *submitted = s ? s->submitted : 0;
    *written = s ? s->written : 0;
    if (s) s->submitted = s->written = 0;
}

void present_amiga_frame(present_screen* s, const uint8_t* chunky) {
    if (!s || !chunky) return;
    if (s->gfx_card)
        present_amiga_frame_rows(s, chunky, 0, s->height);
    else
        planar_whole(s, chunky);
}

void present_amiga_frame_rows(present_screen* s, const uint8_t* chunky, int32_t y0, int32_t rows) {
    if (!s || !chunky || y0 < 0 || rows <= 0 || rows > s->height - y0) return;
    if (s->gfx_card)
        rtg_rows(s, chunky, y0, rows);
    else
        planar_rows(s, chunky, y0, rows);
}

} // namespace vantrel
