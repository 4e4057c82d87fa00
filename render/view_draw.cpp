// view_draw: placed models drawn into a view at their level of detail, lit by the star.
#include "render/view_draw.h"

#include "render/fast_clear.h"
#include "render/model_draw.h"

namespace vantrel {

void view_begin(const view_scene* view, depth_frame* df) {
    const view_target& t = view->target;
    uint32_t pixels = static_cast<uint32_t>(t.width * t.height);
    depth_frame_begin(df, t.depth, pixels);
    fast_clear_frame(t.frame, pixels, 0);
}

vec3 view_light_point(const render_pose* object, const render_pose* camera) {
    vec3 dir, view_dir, t;
    light_from_star(&dir, &object->pos);
    mat3 ct;
    mat3_transpose(&ct, &camera->orient);
    mat3_apply(&view_dir, &ct, &dir);
    const vec3 origin = {0, 0, 0};
    transform_to_view(&t, &origin, object, camera);
    return vec3{wrap_add32(t.x, view_dir.x << 12), wrap_add32(t.y, view_dir.y << 12),
                wrap_add32(t.z, view_dir.z << 12)};
}

int view_draw_object(const view_scene* view, const drawable* d, const render_pose* pose,
                     uint8_t base, int mode) {
    if (!d || d->mdl.level_count == 0) return -1;
    int level = drawable_pick_lod(d, &pose->pos, &view->camera->pos);
    if (level < 0 || level >= d->mdl.level_count) return -1;
    vec3 light = view_light_point(pose, view->camera);
    int ramp = mode == SHADE_LIT_RAMP ? 8 : 4;
    const view_target& t = view->target;
    draw_model(t.frame, t.depth, t.width, t.height, &d->mdl.levels[level], d->normals[level],
               d->radius[level], pose, view->camera, view->vp, view->slopes, mode, &light, base,
               ramp, view->spans, d->planes[level]);
    return level;
}

fix16 view_far_edge(const render_pose* camera, const render_pose* pose, fix16 radius) {
    return wrap_add32(camera_distance(&pose->pos, &camera->pos), radius);
}

} // namespace vantrel
