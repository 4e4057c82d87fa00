// model_draw: one level of a model drawn flat-shaded into the frame, and its lighting.
//
// The whole object is culled against the frustum first; only front faces are kept, only
// their vertices transformed; each face gets one palette colour by a shading mode and goes
// to the rasteriser, clipped to the frustum when it crosses a plane.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "core/space.h"
#include "render/model.h"
#include "render/span.h"
#include "render/transform.h"

namespace vantrel {

// Limits of one drawn level.
constexpr uint32_t DRAW_MAX_VERTICES = 16384;
constexpr uint32_t DRAW_MAX_FACES = 16384;

enum shade_mode {
    SHADE_FLAT = 0,      // the base colour
    SHADE_TRIANGLES = 1, // neighbouring faces in different shades of a ramp
    SHADE_LIT_RAMP = 2,  // a ramp shade from the light
    SHADE_MATERIAL = 3,  // livery material at its middle shade
    SHADE_MATERIAL_LIT = 4,
};

// Counters of the frame statistics; the flight loop reads and resets them.
struct render_stats {
    uint32_t tris_drawn;
    uint32_t tris_clipped;
    uint32_t objs_culled;
};
extern render_stats g_render_stats;
// The vertex-math switch: 1 runs the floating-point vertex path.
extern int g_vertex_fpu;

// planes: the level's face planes (drawable::planes), or null; with them most back-face
// tests take one product sum, with the same answers.
void draw_model(uint8_t* frame, int32_t* depth, int width, int height, const model_lod* lod,
                const vec3* normals, fix16 radius, const render_pose* object,
                const render_pose* camera, const view_projection* vp, const frustum_slopes* slopes,
                int mode, const vec3* light, uint8_t base_colour, int ramp_length,
                depth_span* spans, const int64_t* planes = nullptr);

// Between these calls either vertex path keeps the rotated vertices of the last few levels
// it drew, with what their depth alone decides (the projection factor, the frustum's width
// there, the depth value less the frame's base), and reuses them when a later draw of one of
// those levels has the same rotation, the same depth and the same view, in this frame or a
// later one: copies of one model turned alike cost one rotation and one division per vertex
// between them. A copy wholly inside the frustum keeps only its vertices' pixels and depth
// values. The copies also share their faces' colours while the light comes from the same
// side, and the back-face sums of a row of copies whose eyes differ in one coordinate. The
// levels, normals and planes must stay as they are until the end call. The pixels are the
// same as without it.
void draw_model_share_begin();
void draw_model_share_end();

// The back-face test: a face with normal n and corner a is in front of the eye when
// n . (a - eye) < 0 in fix16, each product truncated and the sums wrapping; seen edge-on it
// is not.
inline bool face_front_dot(const vec3* n, const vec3* a, const vec3* eye) {
    vec3 rel;
    vec3_sub(&rel, a, eye);
    return vec3_dot(n, &rel) < 0;
}

// The same test from the face's plane offset n . a (compute_face_planes), for corners and
// eye within FACE_PLANE_REACH and normals within FACE_PLANE_NORMAL on every axis: nothing
// wraps there, and the three truncated products sum to the exact sum s = plane - n . eye (in
// 1/65536 units) less under three units, so s < 0 is in front and s >= 2 units is not;
// only the faces in between, seen almost edge-on, need face_front_dot.
// face_plane_side gives -1 (in front), 1 (not) or 0 (ask face_front_dot).
inline int face_plane_side(int64_t plane, const vec3* n, int64_t eye_x, int64_t eye_y,
                           int64_t eye_z) {
    int64_t s = plane - (n->x * eye_x + n->y * eye_y + n->z * eye_z);
    if (s < 0) return -1;
    return s >= 2 * int64_t{FIX16_ONE} ? 1 : 0;
}
inline bool face_front_plane(int64_t plane, const vec3* n, const vec3* a, const vec3* eye) {
    int side = face_plane_side(plane, n, eye->x, eye->y, eye->z);
    return side < 0 || (side == 0 && face_front_dot(n, a, eye));
}

int material_level(int material, fix16 light_dot);
fix16 turn_sin(uint32_t angle);
void sun_direction(vec3* out);
// Places the star; until then (and after a null position) it sits one astronomical unit out
// along sun_direction.
void light_set_star(const space_pos* position);
void light_from_star(vec3* out, const space_pos* position);
fix16 camera_distance(const space_pos* a, const space_pos* b);

} // namespace vantrel
