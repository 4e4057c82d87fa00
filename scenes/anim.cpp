// anim: loading, saving and sampling keyframed animation clips.
#include "scenes/anim.h"

#include <cstddef>
#include <cstdlib>

namespace vantrel {

namespace {

uint32_t bytes_left(const save_reader* r) {
    return r->error || r->pos > r->size ? 0 : r->size - r->pos;
}

void free_tracks(anim_track* tracks, uint32_t count) {
    for (uint32_t i = 0; i < count; i++) std::free(tracks[i].keys);
    std::free(tracks);
}

// Reads the keys of one track; 0 on a short read or a time earlier than the key before.
int read_keys(anim_key* keys, uint32_t count, save_reader* r) {
    for (uint32_t k = 0; k < count; k++) {
        anim_key* key = &keys[k];
        key->time = save_read_i32(r);
        key->pos.x = save_read_i64(r);
        key->pos.y = save_read_i64(r);
        key->pos.z = save_read_i64(r);
        for (int i = 0; i < 9; i++) key->orient.m[i] = save_read_i32(r);
        if (r->error) return 0;
        if (k > 0 && key->time < keys[k - 1].time) return 0;
    }
    return 1;
}

} // namespace

int anim_clip_load(anim_clip* clip, save_reader* r) {
    *clip = anim_clip{nullptr, 0};
    if (save_read_header(r, ANIM_MAGIC) != ANIM_VERSION) return 0;
    uint32_t track_count = save_read_u32(r);
    if (r->error) return 0;
    // Every track needs at least one key, so a count the remaining bytes cannot hold is a
    // lie; refusing it first keeps the allocation small and its size from wrapping on a
    // 32-bit size_t.
    if (static_cast<uint64_t>(track_count) * ANIM_TRACK_MIN_BYTES > bytes_left(r)) return 0;
    if (track_count == 0) return 1;
    anim_track* tracks = static_cast<anim_track*>(std::calloc(track_count, sizeof(anim_track)));
    if (!tracks) return 0;
    for (uint32_t t = 0; t < track_count; t++) {
        anim_track* track = &tracks[t];
        track->id = save_read_u32(r);
        uint32_t key_count = save_read_u32(r);
        if (r->error || key_count == 0 ||
            static_cast<uint64_t>(key_count) * ANIM_KEY_BYTES > bytes_left(r)) {
            free_tracks(tracks, t);
            return 0;
        }
        // The in-memory key is larger than the on-disk one: on a 32-bit size_t a buffer
        // near 4 GB could still wrap the product, so it is checked too.
        size_t bytes = size_t(key_count) * sizeof(anim_key);
        track->keys = bytes / sizeof(anim_key) == key_count
                          ? static_cast<anim_key*>(std::malloc(bytes))
                          : nullptr;
        if (!track->keys) {
            free_tracks(tracks, t);
            return 0;
        }
        track->key_count = key_count;
        if (!read_keys(track->keys, key_count, r)) {
            free_tracks(tracks, t + 1);
            return 0;
        }
    }
    clip->tracks = tracks;
    clip->track_count = track_count;
    return 1;
}

uint64_t anim_clip_save_size(const anim_clip* clip) {
    uint64_t size = 4 + 2 + 4;
    for (uint32_t t = 0; t < clip->track_count; t++)
        size += 8 + static_cast<uint64_t>(clip->tracks[t].key_count) * ANIM_KEY_BYTES;
    return size;
}

int anim_clip_save(const anim_clip* clip, save_writer* w) {
    uint64_t start = w->pos;
    save_write_header(w, ANIM_MAGIC, ANIM_VERSION);
    save_write_u32(w, clip->track_count);
    for (uint32_t t = 0; t < clip->track_count; t++) {
        const anim_track* track = &clip->tracks[t];
        save_write_u32(w, track->id);
        save_write_u32(w, track->key_count);
        for (uint32_t k = 0; k < track->key_count; k++) {
            const anim_key* key = &track->keys[k];
            save_write_i32(w, key->time);
            save_write_i64(w, key->pos.x);
            save_write_i64(w, key->pos.y);
            save_write_i64(w, key->pos.z);
            for (int i = 0; i < 9; i++) save_write_i32(w, key->orient.m[i]);
        }
    }
    return w->pos - start == anim_clip_save_size(clip);
}

const anim_track* anim_clip_find_track(const anim_clip* clip, uint32_t id) {
    for (uint32_t t = 0; t < clip->track_count; t++)
        if (clip->tracks[t].id == id) return &clip->tracks[t];
    return nullptr;
}

void anim_clip_owned_free(anim_clip* clip) {
    if (clip->tracks) free_tracks(clip->tracks, clip->track_count);
    *clip = anim_clip{nullptr, 0};
}

anim_clip anim_clip_owned_view(const anim_clip* clip) {
    return *clip;
}

void sample_keyframe(anim_pose* out, const anim_key* key) {
    out->pos = key->pos;
    out->orient = key->orient;
}

void anim_track_sample(anim_pose* out, const anim_track* track, int64_t t) {
    const anim_key* keys = track->keys;
    uint32_t last = track->key_count - 1;
    if (track->key_count == 1 || t <= keys[0].time) {
        sample_keyframe(out, &keys[0]);
        return;
    }
    if (t >= keys[last].time) {
        sample_keyframe(out, &keys[last]);
        return;
    }
    // The first pair around t; at a cut (two keys at one time) this is the later key's pair,
    // so the jump happens exactly at the cut's time.
    uint32_t i = 0;
    while (i + 1 < last && !(keys[i].time <= t && t < keys[i + 1].time)) i++;
    const anim_key* a = &keys[i];
    const anim_key* b = &keys[i + 1];
    // Times are 32-bit but their distances need 33 bits; the fraction is below 1.0 here, so
    // the 16.16 quotient is exact where a 32-bit division would overflow.
    int64_t span = static_cast<int64_t>(b->time) - a->time;
    int64_t u = span > 0 ? (t - a->time) * 65536 / span : 0;
    const int64_t* pa[3] = {&a->pos.x, &a->pos.y, &a->pos.z};
    const int64_t* pb[3] = {&b->pos.x, &b->pos.y, &b->pos.z};
    int64_t* po[3] = {&out->pos.x, &out->pos.y, &out->pos.z};
    for (int axis = 0; axis < 3; axis++) {
        fix16 d = fix32_narrow(wrap_sub64(*pb[axis], *pa[axis]));
        *po[axis] = wrap_add64(*pa[axis], static_cast<int64_t>(d) * u);
    }
    mat3 m;
    for (int j = 0; j < 9; j++) {
        int64_t d = static_cast<int64_t>(b->orient.m[j]) - a->orient.m[j];
        m.m[j] = wrap_add32(a->orient.m[j], static_cast<int32_t>((d * u) >> 16));
    }
    mat3_orthonormalize(&out->orient, &m);
}

} // namespace vantrel
