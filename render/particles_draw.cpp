// particles_draw: projection of each particle and its square, tested against the depth buffer.
#include "render/particles_draw.h"

namespace vantrel {

namespace {

int integer_part(fix16 v) {
    return v >> 16;
}

} // namespace

int particles_draw(const particles* system, const particle_ramp* ramps, const render_pose* camera,
                   const view_projection* projection, const depth_frame* df, uint8_t* frame,
                   const int32_t* depth, int width, int height) {
    mat3 to_view;
    mat3_transpose(&to_view, &camera->orient);
    const vec3 eye = {fix32_narrow(camera->pos.x), fix32_narrow(camera->pos.y),
                      fix32_narrow(camera->pos.z)};
    int drawn = 0;
    for (int i = 0; i < system->count; i++) {
        const particle* p = &system->pool[i];
        vec3 v;
        vec3_sub(&v, &p->position, &eye);
        mat3_apply(&v, &to_view, &v);
        if (v.z <= projection->near) continue;
        fix16 k = fix16_mul(projection->focal, fix16_recip(v.z));
        int x = projection->centre_x + integer_part(fix16_mul(k, v.x));
        int y = projection->centre_y - integer_part(fix16_mul(k, v.y));
        int side = 1;
        if (p->size > 0) {
            // An integer world size times the projection factor, wrapping like any fix16 product.
            int s = integer_part(static_cast<fix16>(static_cast<uint32_t>(k) * p->size));
            side = s < 1 ? 1 : (s > 3 ? 3 : s);
        }
        if (x < 0 || y < 0 || x + side > width || y + side > height) continue;
        int32_t w = depth_frame_vertex(df, k);
        uint8_t colour = particle_color(p, ramps);
        for (int row = 0; row < side; row++) {
            int offset = (y + row) * width + x;
            for (int col = 0; col < side; col++)
                if (depth[offset + col] < w) frame[offset + col] = colour;
        }
        drawn++;
    }
    return drawn;
}

} // namespace vantrel
