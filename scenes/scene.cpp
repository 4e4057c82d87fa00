// scene: the scene file and the per-frame timing functions.
#include "scenes/scene.h"

#include <cstring>

#include "core/trig.h"

namespace vantrel {

namespace {

// A fixed 16-byte name field whose last byte is forced to NUL, so it is always a string.
void read_name16(save_reader* r, char* out) {
    save_read_bytes(r, out, 16);
    out[15] = 0;
}

void read_rgb(save_reader* r, uint8_t* rgb) {
    for (int i = 0; i < 3; i++) rgb[i] = save_read_u8(r);
}

int read_object(save_reader* r, scene_object* o) {
    o->id = save_read_u32(r);
    read_name16(r, o->name);
    read_name16(r, o->model_name);
    o->paint = save_read_u8(r);
    o->emitter_count = save_read_u8(r);
    if (r->error || o->emitter_count > SCENE_MAX_EMITTERS) return 0;
    for (int i = 0; i < o->emitter_count; i++) {
        scene_emitter* e = &o->emitters[i];
        e->offset.x = save_read_i32(r);
        e->offset.y = save_read_i32(r);
        e->offset.z = save_read_i32(r);
        e->kind = save_read_u8(r);
        e->interval_ms = save_read_u16(r);
        e->param16 = save_read_u16(r);
        e->param_a = save_read_i32(r);
        e->param_b = save_read_i32(r);
        e->param8 = save_read_u8(r);
    }
    return !r->error;
}

int read_caption(save_reader* r, scene_caption* c) {
    c->start = save_read_i32(r);
    c->end = save_read_i32(r);
    c->y = static_cast<int16_t>(save_read_u16(r));
    read_rgb(r, c->rgb);
    uint8_t length = save_read_u8(r);
    if (r->error || length > 63) return 0;
    save_read_bytes(r, c->text, length);
    c->text[length] = 0;
    return !r->error;
}

void read_event(save_reader* r, scene_event* e) {
    e->time = save_read_i32(r);
    e->kind = save_read_u8(r);
    e->param = save_read_u8(r);
    e->target = save_read_u32(r);
    e->value = save_read_u32(r);
    e->duration = save_read_i32(r);
}

int load_body(scene* s, save_reader* r) {
    uint16_t version = save_read_header(r, SCENE_MAGIC);
    if (version != 2 && version != 3) return 0;
    uint8_t name_length = save_read_u8(r);
    if (r->error || name_length > 31) return 0;
    save_read_bytes(r, s->name, name_length);
    s->duration = save_read_i32(r);
    s->flags = save_read_u8(r);
    s->fade_in = save_read_i32(r);
    s->fade_out = save_read_i32(r);
    s->projection_depth = save_read_i32(r);
    s->focal_length = save_read_i32(r);
    s->star_count = save_read_u16(r);
    s->star_seed = save_read_u32(r);
    s->star_drift_x = save_read_i32(r);
    s->star_drift_y = save_read_i32(r);
    s->logo_x = static_cast<int16_t>(save_read_u16(r));
    s->logo_y = static_cast<int16_t>(save_read_u16(r));
    s->logo_depth_factor = save_read_i32(r);
    s->logo_bob_amplitude = save_read_u8(r);
    s->logo_bob_period = save_read_i32(r);
    s->band1_period = save_read_i32(r);
    s->band2_period = save_read_i32(r);
    s->glint_period = save_read_i32(r);
    read_rgb(r, s->band1_rgb);
    read_rgb(r, s->band2_rgb);
    read_rgb(r, s->centre_rgb);
    read_rgb(r, s->glint_rgb);
    s->menu_y = static_cast<int16_t>(save_read_u16(r));
    if (r->error || s->duration <= 0 || s->projection_depth <= 0 || s->focal_length <= 0) return 0;

    uint16_t objects = save_read_u16(r);
    if (r->error || objects > SCENE_MAX_OBJECTS) return 0;
    for (s->object_count = 0; s->object_count < objects; s->object_count++)
        if (!read_object(r, &s->objects[s->object_count])) return 0;

    uint16_t captions = save_read_u16(r);
    if (r->error || captions > SCENE_MAX_CAPTIONS) return 0;
    for (s->caption_count = 0; s->caption_count < captions; s->caption_count++)
        if (!read_caption(r, &s->captions[s->caption_count])) return 0;

    if (version == 3) {
        uint16_t events = save_read_u16(r);
        if (r->error || events > SCENE_MAX_EVENTS) return 0;
        for (int i = 0; i < events; i++) read_event(r, &s->events[i]);
        if (r->error) return 0;
        s->event_count = events;
    }
    return anim_clip_load(&s->clip, r);
}

// An event time as a moment in ms: a time at or before the start counts as the start.
uint32_t event_ms(const scene_event* e) {
    return scene_period_ms(e->time);
}

// (t mod period) x scale / period: the product needs more than 32 bits for periods past
// 16.7 s at a scale of 256, so it is formed in 64.
int64_t phase_of(uint32_t t, uint32_t period_ms, int64_t scale) {
    uint32_t m = (t & 0x7FFFFFFFu) % period_ms;
    return static_cast<int64_t>(m) * scale / period_ms;
}

} // namespace

int scene_load(scene* s, const uint8_t* data, uint32_t size) {
    std::memset(s, 0, sizeof(*s));
    save_reader r;
    save_reader_init(&r, data, size);
    return load_body(s, &r);
}

void scene_free(scene* s) {
    anim_clip_owned_free(&s->clip);
}

int scene_object_is_role(const scene_object* object) {
    return object->name[0] == '@';
}

uint32_t scene_period_ms(fix16 x) {
    if (x <= 0) return 0;
    uint32_t u = static_cast<uint32_t>(x);
    return (u >> 16) * 1000 + (((u & 0xFFFF) * 1000) >> 16);
}

int64_t scene_clip_time(const scene* s, uint32_t ms) {
    uint32_t d = scene_period_ms(s->duration);
    uint32_t t = ms;
    if (d > 0) {
        if (s->flags & SCENE_LOOP)
            t = (ms & 0x7FFFFFFFu) % d;
        else if (t > d)
            t = d;
    }
    return (static_cast<int64_t>(t / 20) << 16) + (t % 20) * 65536 / 20;
}

fix16 scene_wave(uint32_t t, uint32_t period_ms) {
    if (period_ms == 0) return 0;
    uint32_t p = static_cast<uint32_t>(phase_of(t, period_ms, 256));
    uint32_t i = p & 63;
    switch (p >> 6) {
    case 0:
        return QUARTER_SINE[i];
    case 1:
        return QUARTER_SINE[64 - i];
    case 2:
        return -QUARTER_SINE[i];
    default:
        return -QUARTER_SINE[64 - i];
    }
}

int32_t scene_phase(uint32_t t, uint32_t period_ms, int32_t scale) {
    if (period_ms == 0) return 0;
    return static_cast<int32_t>(phase_of(t, period_ms, scale));
}

int scene_object_visible(const scene* s, uint32_t id, uint32_t ms) {
    int seen = 0;
    int visible = 1;
    for (int i = 0; i < s->event_count; i++) {
        const scene_event* e = &s->events[i];
        if (e->target != id || e->kind < SCENE_EVENT_SHOW || e->kind > SCENE_EVENT_DESTROY)
            continue;
        int shows = e->kind == SCENE_EVENT_SHOW || e->kind == SCENE_EVENT_ARRIVE;
        // The first event says what the object was before anything happened to it.
        if (!seen) visible = !shows;
        seen = 1;
        uint32_t moment = event_ms(e);
        if (e->kind == SCENE_EVENT_ARRIVE) moment += 500;
        if (e->kind == SCENE_EVENT_LEAVE) moment += 350;
        if (ms >= moment) visible = shows;
    }
    return visible;
}

int scene_cockpit(const scene* s, uint32_t ms, uint8_t* variant_out) {
    const scene_event* last = nullptr;
    for (int i = 0; i < s->event_count; i++) {
        const scene_event* e = &s->events[i];
        if ((e->kind == SCENE_EVENT_COCKPIT_ON || e->kind == SCENE_EVENT_COCKPIT_OFF) &&
            event_ms(e) <= ms)
            last = e;
    }
    if (!last || last->kind != SCENE_EVENT_COCKPIT_ON) return 0;
    if (variant_out) *variant_out = last->param;
    return 1;
}

int32_t scene_flash(const scene* s, uint32_t ms) {
    int32_t level = 0;
    for (int i = 0; i < s->event_count; i++) {
        const scene_event* e = &s->events[i];
        if (e->kind != SCENE_EVENT_FLASH) continue;
        uint32_t d = scene_period_ms(e->duration);
        uint32_t start = event_ms(e);
        if (d == 0 || ms < start || ms - start >= d) continue;
        int32_t l = 256 - static_cast<int32_t>(static_cast<uint64_t>(ms - start) * 256 / d);
        if (l > level) level = l;
    }
    return level;
}

int32_t scene_fade(const scene* s, uint32_t ms) {
    uint32_t fade_in = scene_period_ms(s->fade_in);
    int32_t in = 256;
    if (fade_in > 0 && ms < fade_in)
        in = static_cast<int32_t>(static_cast<uint64_t>(ms) * 256 / fade_in);
    uint32_t fade_out = scene_period_ms(s->fade_out);
    if (fade_out == 0 || (s->flags & SCENE_LOOP)) return in;
    uint32_t d = scene_period_ms(s->duration);
    int32_t out = 0;
    if (ms < d) {
        uint32_t left = d - ms;
        out = left < fade_out ? static_cast<int32_t>(static_cast<uint64_t>(left) * 256 / fade_out)
                              : 256;
    }
    return in < out ? in : out;
}

int scene_finished(const scene* s, uint32_t ms) {
    if (s->flags & SCENE_LOOP) return 0;
    if (s->duration <= 0) return 1;
    return ms >= scene_period_ms(s->duration);
}

} // namespace vantrel
