// view_draw: one 3D view drawn into a frame the caller owns: the frame and depth target, the
// camera and its projection, placed models at their level of detail lit by the star.
//
// The flight, the scene player and the in-flight pages each keep a `view_scene` for their
// view and decide what goes into it; this module only draws.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "render/model.h"
#include "render/span.h"
#include "render/transform.h"

namespace vantrel {

// The rows of a frame that hold the view, with a depth buffer of the same size.
struct view_target {
    uint8_t* frame;
    int32_t* depth;
    int width, height;
};

struct view_scene {
    view_target target;
    const render_pose* camera;
    const view_projection* vp;
    const frustum_slopes* slopes;
    depth_span* spans; // SPAN_CAPACITY entries of rasteriser work space
};

// A new frame: the depth frame moves on (nothing is cleared) and the view is cleared to 0.
void view_begin(const view_scene* view, depth_frame* df);

// A point 4096 m from the object towards the star, in view space: draw_model lights each face
// from the direction of that point.
vec3 view_light_point(const render_pose* object, const render_pose* camera);

// Draws one placed drawable at the level of detail its distance picks, shaded by mode (a
// shade_mode) over the palette block at base. Returns the level drawn, -1 when nothing was.
int view_draw_object(const view_scene* view, const drawable* d, const render_pose* pose,
                     uint8_t base, int mode);

// How far the far side of a sphere of the given radius around pose lies from the camera.
fix16 view_far_edge(const render_pose* camera, const render_pose* pose, fix16 radius);

} // namespace vantrel
