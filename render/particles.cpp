// particles: emission, bursts from a hash, ageing and the colour ramp.
#include "render/particles.h"

namespace vantrel {

uint32_t particles_hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

void particles_init(particles* system, particle* pool, int capacity) {
    system->pool = pool;
    system->capacity = capacity;
    system->limit = capacity;
    system->count = 0;
}

int particles_emit(particles* system, const vec3* position, const vec3* velocity, uint16_t lifetime,
                   uint8_t ramp, uint8_t size) {
    int limit = system->limit < system->capacity ? system->limit : system->capacity;
    if (lifetime == 0 || system->count >= limit) return 0;
    particle* p = &system->pool[system->count++];
    p->position = *position;
    p->velocity = *velocity;
    p->age = 0;
    p->lifetime = lifetime;
    uint32_t inverse = (lifetime + 65535u) / lifetime;
    p->inverse_lifetime = static_cast<uint16_t>(inverse > 65535u ? 65535u : inverse);
    p->ramp = ramp;
    p->size = size;
    return 1;
}

namespace {

// A hash value's 17-bit field centred on zero: -1.0 .. +1.0 in fix16.
fix16 centred_17(uint32_t bits) {
    return static_cast<fix16>(bits & 0x1FFFFu) - 0x10000;
}

} // namespace

void particles_burst(particles* system, uint32_t seed, int count, const vec3* centre,
                     const vec3* direction, fix16 speed, fix16 spread, uint16_t lifetime,
                     uint8_t ramp, uint8_t size) {
    for (int i = 0; i < count; i++) {
        uint32_t h1 = particles_hash(seed ^ particles_hash(static_cast<uint32_t>(i)));
        uint32_t h2 = particles_hash(h1);
        fix16 r = centred_17(h1) >> 1; // -0.5 .. 0.5
        fix16 s = wrap_add32(speed, fix16_mul(r, speed));
        fix16 w = fix16_mul(s, spread);
        vec3 v;
        vec3_scale(&v, direction, s);
        vec3 scatter = {fix16_mul(centred_17(h2), w), fix16_mul(centred_17(h2 >> 7), w),
                        fix16_mul(centred_17(h2 >> 14), w)};
        vec3_add(&v, &v, &scatter);
        uint32_t span = lifetime / 2u + 1u;
        uint16_t life = static_cast<uint16_t>((h1 >> 20) % span + lifetime - lifetime / 4u);
        if (!particles_emit(system, centre, &v, life, ramp, size)) return;
    }
}

void particles_update(particles* system, uint32_t elapsed_ms) {
    // Milliseconds to fix16 seconds: 65536 / 1000 = 8192 / 125.
    fix16 dt =
        static_cast<fix16>(static_cast<uint32_t>(static_cast<uint64_t>(elapsed_ms) * 8192u / 125u));
    int i = 0;
    while (i < system->count) {
        particle* p = &system->pool[i];
        if (p->lifetime <= static_cast<uint32_t>(p->age) + elapsed_ms) {
            // The last live particle fills the hole, and this slot is examined again.
            *p = system->pool[--system->count];
            continue;
        }
        p->age = static_cast<uint16_t>(p->age + elapsed_ms);
        p->position.x = wrap_add32(p->position.x, fix16_mul(p->velocity.x, dt));
        p->position.y = wrap_add32(p->position.y, fix16_mul(p->velocity.y, dt));
        p->position.z = wrap_add32(p->position.z, fix16_mul(p->velocity.z, dt));
        i++;
    }
}

uint8_t particle_color(const particle* p, const particle_ramp* ramps) {
    const particle_ramp& ramp = ramps[p->ramp];
    if (ramp.length == 0) return ramp.first;
    // t runs 0 .. 255 over the life; young particles take the ramp's first colour.
    uint32_t t = (static_cast<uint32_t>(p->age) * p->inverse_lifetime) >> 8;
    uint32_t k = (t * ramp.length) >> 8;
    if (k > static_cast<uint32_t>(ramp.length) - 1u) k = ramp.length - 1u;
    return static_cast<uint8_t>(ramp.first + k);
}

} // namespace vantrel
