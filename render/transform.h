// transform: model-to-view transform, projection to screen pixels, frustum tests and clipping.
//
// View space has x right, y up and z forward; a point is in front when z > near. Screen
// space has y down. Everything is fix16; the side planes are x = +-slope_x * z and
// y = +-slope_y * z, slopes derived from the frame size and the focal length.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "core/space.h"

namespace vantrel {

// The game's projection: 280 pixels focal length, near plane at 25 units.
constexpr fix16 VIEW_FOCAL = 0x1180000;
constexpr fix16 VIEW_NEAR = 1638400;

struct view_projection {
    fix16 focal;
    fix16 near;
    int16_t centre_x, centre_y;
};

struct frustum_slopes {
    fix16 slope_x, slope_y;
    fix16 norm_x, norm_y;
};

struct projected_vertex {
    int16_t screen_x, screen_y;
    fix16 z;
    int32_t valid;
    fix16 scale; // focal / z, the projection factor the depth value comes from
};

// A body placed in the world: position and orientation (columns are its axes).
struct render_pose {
    space_pos pos;
    mat3 orient;
};

enum : uint8_t {
    OUT_NEAR = 1,
    OUT_RIGHT = 2,
    OUT_LEFT = 4,
    OUT_TOP = 8,
    OUT_BOTTOM = 16,
};

// A near-clipped triangle has at most 4 vertices, and each side plane adds at most one.
constexpr int CLIP_MAX_VERTS = 8;

// a - b per axis, wrapped in 64 bits and narrowed to fix16 metres.
vec3 space_delta(const space_pos* a, const space_pos* b);
// Centre from the frame size (integer halves), focal and near as given.
view_projection view_projection_make(int width, int height, fix16 focal, fix16 near);

void transform_to_view(vec3* out, const vec3* point, const render_pose* object,
                       const render_pose* camera);
void project_view_vertex(projected_vertex* out, const vec3* view, const view_projection* vp);
void transform_and_project(projected_vertex* out, const vec3* point, const render_pose* object,
                           const render_pose* camera, const view_projection* vp);
void make_frustum_slopes(frustum_slopes* out, const view_projection* vp);

// The model-to-view transform: M = C^T * O, t = C^T * narrow(object - camera).
void view_transform_build(mat3* m, vec3* t, const render_pose* object, const render_pose* camera);
uint8_t view_outcode(const vec3* v, fix16 near, const frustum_slopes* slopes);
// True when a sphere of radius r (> 0) around view-space centre c is wholly outside.
bool view_sphere_culled(const vec3* c, fix16 r, fix16 near, const frustum_slopes* slopes);

// An axis-aligned box around a mesh's vertices in model space, in raw fix16 units.
struct model_box {
    int64_t centre[3];
    int64_t half[3]; // >= 0
};

// True when a sphere of radius r around view-space centre c lies in front of the near plane
// and covers under `pixels` pixels across on the screen: worth a closer look.
bool view_sphere_tiny(const vec3* c, fix16 r, const view_projection* vp, int pixels);
// True when a mesh inside `box`, drawn with model-to-view transform m, t, lies wholly inside
// the frustum and every point of it projects onto one pixel row or one pixel column, on
// either vertex path: then every vertex gets outcode 0 and every face has zero area on the
// screen, so the mesh draws no pixel. The bounds are widened well past the rounding of
// either path.
bool view_box_on_one_line(const mat3* m, const vec3* t, const model_box* box,
                          const view_projection* vp, const frustum_slopes* slopes);

fix16 dist_right(const vec3* p, fix16 slope);
fix16 dist_left(const vec3* p, fix16 slope);
fix16 dist_top(const vec3* p, fix16 slope);
fix16 dist_bottom(const vec3* p, fix16 slope);
using clip_dist_fn = fix16 (*)(const vec3*, fix16);

// Returns 0, 3 or 4 vertices in out (room for 4).
int clip_triangle_near(const vec3 tri[3], fix16 near, vec3 out[4]);
// Sutherland-Hodgman against one plane. out has room for `capacity` vertices; vertices
// past it are dropped (a convex input never needs more than count + 1).
int clip_polygon_plane(const vec3* in, int count, clip_dist_fn dist, fix16 slope, vec3* out,
                       int capacity);
// 0, or 3..8 vertices of a convex view-space polygon inside the frustum.
int clip_triangle_frustum(const vec3 tri[3], const view_projection* vp, vec3 out[CLIP_MAX_VERTS]);

// thresholds: count signed 64-bit distances in increasing order.
int select_lod(int count, const int64_t* thresholds, int64_t distance);

// Vertex transform over the used vertices of a mesh, the integer path. Returns the outcodes
// of the used vertices or-ed together: 0 when every one lies inside the frustum.
uint8_t transform_vertices(const mat3* m, const vec3* t, const view_projection* vp,
                           const frustum_slopes* slopes, const vec3* vertices, const uint8_t* used,
                           int count, vec3* view, uint8_t* outcodes, projected_vertex* projected);

} // namespace vantrel
