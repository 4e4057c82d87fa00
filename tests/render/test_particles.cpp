// The particle pool: limits, deaths that compact the pool, bursts from a hash and ageing
// through the colour ramp.
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

#include "render/particles.h"

namespace vantrel {
namespace {

class ParticlesTest : public ::testing::Test {
  protected:
    particle pool[8];
    particles sys;
    void SetUp() override { particles_init(&sys, pool, 8); }
    void emit(fix16 x, uint16_t lifetime) {
        vec3 p = {x, 0, 0}, v = {65536, 0, 0};
        ASSERT_EQ(particles_emit(&sys, &p, &v, lifetime, 0, 0), 1);
    }
};

TEST_F(ParticlesTest, EmitRespectsLimitAndLifetime) {
    sys.limit = 2;
    emit(1, 100);
    emit(2, 100);
    vec3 p = {3, 0, 0}, v = {};
    particle before = pool[2];
    EXPECT_EQ(particles_emit(&sys, &p, &v, 100, 0, 0), 0);
    EXPECT_EQ(sys.count, 2);
    EXPECT_EQ(std::memcmp(&before, &pool[2], sizeof before), 0);
    sys.limit = 8;
    EXPECT_EQ(particles_emit(&sys, &p, &v, 0, 0, 0), 0); // no zero lifetimes
    EXPECT_EQ(pool[0].inverse_lifetime, (100 + 65535) / 100);
    emit(4, 1);
    EXPECT_EQ(pool[2].inverse_lifetime, 65535); // capped
}

TEST_F(ParticlesTest, DeathsCompactThePoolAndRecheckTheSlot) {
    emit(10, 100); // dies
    emit(20, 500);
    emit(30, 100); // dies too, after being moved into slot 0
    emit(40, 500);
    particles_update(&sys, 100); // lifetime must exceed age + elapsed to live
    ASSERT_EQ(sys.count, 2);
    EXPECT_EQ(pool[0].lifetime, 500);
    EXPECT_EQ(pool[1].lifetime, 500);
    // Survivors aged and moved one tenth of a second at 1.0 per second.
    EXPECT_EQ(pool[0].age, 100);
    EXPECT_EQ(pool[0].position.x, 40 + 6553);
    EXPECT_EQ(pool[1].position.x, 20 + 6553);
}

TEST_F(ParticlesTest, BurstStopsAtTheLimitAndIsReproducible) {
    vec3 centre = {5 << 16, 0, 0}, dir = {0, 0, 65536};
    sys.limit = 5;
    particles_burst(&sys, 1234, 20, &centre, &dir, 10 << 16, 16384, 1000, 1, 2);
    ASSERT_EQ(sys.count, 5);
    particle first[5];
    std::copy(pool, pool + 5, first);
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(pool[i].position, centre);
        // lifetime - lifetime/4 .. lifetime - lifetime/4 + lifetime/2
        EXPECT_GE(pool[i].lifetime, 750);
        EXPECT_LE(pool[i].lifetime, 1250);
        // Speed 10 +-50 %, mostly forward.
        EXPECT_GE(pool[i].velocity.z, 4 << 16);
        EXPECT_LE(pool[i].velocity.z, 16 << 16);
    }
    particles_init(&sys, pool, 8);
    sys.limit = 5;
    particles_burst(&sys, 1234, 20, &centre, &dir, 10 << 16, 16384, 1000, 1, 2);
    for (int i = 0; i < 5; i++) EXPECT_EQ(std::memcmp(&first[i], &pool[i], sizeof(particle)), 0);
    EXPECT_EQ(particles_hash(0), 0u);
    EXPECT_NE(particles_hash(1), particles_hash(2));
}

TEST_F(ParticlesTest, ColourWalksTheRampFirstToLast) {
    emit(0, 1000);
    particle& p = pool[0];
    EXPECT_EQ(particle_color(&p, FX_RAMPS), 248);
    p.age = 260;
    EXPECT_EQ(particle_color(&p, FX_RAMPS), 249);
    p.age = 999;
    EXPECT_EQ(particle_color(&p, FX_RAMPS), 251);
    p.ramp = 1;
    EXPECT_EQ(particle_color(&p, FX_RAMPS), 254);
}

} // namespace
} // namespace vantrel
