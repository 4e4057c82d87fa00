// model_draw: one level of a model drawn flat-shaded into the frame, and its lighting.
#include "render/model_draw.h"

#include "render/transform_fpu.h"

namespace vantrel {

render_stats g_render_stats = {};
int g_vertex_fpu = 0;

namespace {

// Per-draw scratch, sized for the largest level ever drawn: nothing is allocated per frame.
vec3 g_view[DRAW_MAX_VERTICES];
uint8_t g_outcode[DRAW_MAX_VERTICES];
projected_vertex g_projected[DRAW_MAX_VERTICES];
uint8_t g_used[DRAW_MAX_VERTICES];
uint16_t g_front[DRAW_MAX_FACES]; // the front faces, in file order

// The shared rotations (draw_model_share_begin). Each slot keeps one: what it was made for
// and, in its own stretch of the vertex caches, per vertex the rotated point, focal / z, the
// frustum's half-width and half-height at its depth and the depth value less the frame's
// base, so a rotation outlives the frame it was made in. A level with more vertices than a
// stretch takes them all. When every slot is taken the one used longest ago gives way.
constexpr int SHARE_SLOTS = 8;
constexpr uint32_t SHARE_SLOT_VERTICES = DRAW_MAX_VERTICES / SHARE_SLOTS;
struct shared_vertex {
    vec3 rotated;
    fix16 scale, sx, sy;
    uint32_t depth; // depth_frame_vertex less the frame's base
};
struct shared_rotation {
    bool used;
    bool wide; // holds every stretch
    bool fpu;  // which vertex path filled it: each keeps its own values there
    const model_lod* lod;
    mat3 m;
    fix16 z;
    view_projection vp;
    frustum_slopes slopes;
    int32_t depth_scale;
    uint32_t last_use;
};
struct shared_rotations {
    bool on;
    uint32_t clock;
    shared_rotation slot[SHARE_SLOTS];
};
shared_rotations g_share = {};
shared_vertex g_shared[DRAW_MAX_VERTICES];
// The float path's shared rotation: per vertex the rotated x and y before the translation,
// and what the depth alone decides (view z, the frustum's half-sizes there, focal / z and its
// fix16 scale), each worked out as fpu_transform_vertices does.
struct shared_float_vertex {
    float rx, ry, vz, sx, sy, k;
    int32_t z, scale;
    uint32_t depth;
};
shared_float_vertex g_shared_float[DRAW_MAX_VERTICES];
uint8_t g_have[DRAW_MAX_VERTICES];

// The depth value of a vertex with projection scale `scale`, less the frame's base.
uint32_t depth_above_base(int32_t scale) {
    return static_cast<uint32_t>(depth_frame_vertex(&g_depth_frame, scale)) - g_depth_frame.base;
}

// Face colours kept under a shared rotation: copies turned alike see the light from the same
// side, so a face's colour is worked out once for them all. An entry holds while its
// generation is the current one; a new level, light or shading starts a new generation.
struct shared_colours {
    const model_lod* lod;
    const vec3* normals;
    vec3 light;
    int mode, ramp_length;
    uint8_t base;
    uint32_t generation;
};
shared_colours g_colours = {};
uint8_t g_colour[DRAW_MAX_FACES];
uint32_t g_colour_generation[DRAW_MAX_FACES];

// The generation of face colours for this draw, a new one when what they depend on changed.
uint32_t colour_generation(const model_lod* lod, const vec3* normals, const vec3& light, int mode,
                           uint8_t base, int ramp_length) {
    shared_colours& c = g_colours;
    if (c.generation != 0 && c.lod == lod && c.normals == normals && c.light.x == light.x &&
        c.light.y == light.y && c.light.z == light.z && c.mode == mode && c.base == base &&
        c.ramp_length == ramp_length)
        return c.generation;
    if (++c.generation == 0) { // every stale entry must be told apart from the new ones
        for (uint32_t& g : g_colour_generation) g = 0;
        c.generation = 1;
    }
    c.lod = lod, c.normals = normals, c.light = light, c.mode = mode, c.base = base;
    c.ramp_length = ramp_length;
    return c.generation;
}

// 5/6 and 1/6 in fix16: a light dot product of 0..1 becomes 1/6..1 of the shade range.
constexpr fix16 DOT_SCALE = 54614;
constexpr fix16 DOT_BIAS = 10922;

uint32_t timing_now() {
    return g_render_timing.now ? g_render_timing.now() : 0;
}

// The face's colour for the modes that do not advance per face.
uint8_t face_colour(int mode, const model_face& f, const vec3& n, const vec3& light, uint8_t base,
                    int ramp_length) {
    switch (mode) {
    case SHADE_LIT_RAMP: {
        fix16 d = vec3_dot(&n, &light);
        if (d < 0) d = 0;
        if (d > FIX16_ONE) d = FIX16_ONE;
        int top = ramp_length > 1 ? ramp_length - 1 : 0;
        fix16 level = fix16_mul(wrap_add32(fix16_mul(d, DOT_SCALE), DOT_BIAS),
                                static_cast<fix16>(static_cast<uint32_t>(top) << 16));
        int shade = level >> 16;
        if (shade > top) shade = top;
        return static_cast<uint8_t>(base + shade);
    }
    case SHADE_MATERIAL:
    case SHADE_MATERIAL_LIT: {
        int m = f.material > 5 ? 0 : f.material;
        fix16 dot = mode == SHADE_MATERIAL ? -1 : vec3_dot(&n, &light);
        return static_cast<uint8_t>(base + 4 * m + material_level(m, dot));
    }
    default:
        return base;
    }
}

// A face is in front when the eye lies on its outer side; seen edge-on it is not.
inline bool face_front(const model_lod* lod, const vec3* normals, uint32_t f, const vec3& eye) {
    return face_front_dot(&normals[f], &lod->vertices[lod->faces[f].a], &eye);
}

bool within_reach(const vec3& v, int32_t reach) {
    return v.x <= reach && v.x >= -reach && v.y <= reach && v.y >= -reach && v.z <= reach &&
           v.z >= -reach;
}

// Lists the faces `front(f, corner a)` keeps, in file order, and marks their corners used;
// returns their count. The level is read into locals first: the byte stores of the marks
// could alias anything, and would make the loop load it again for every face.
template <typename Front>
uint32_t collect_faces(const model_lod* lod, Front front) {
    const model_face* faces = lod->faces;
    const vec3* vertices = lod->vertices;
    const uint32_t nf = lod->face_count;
    uint32_t count = 0;
    for (uint32_t f = 0; f < nf; f++) {
        const model_face& face = faces[f];
        if (!front(f, vertices[face.a])) continue;
        g_front[count++] = static_cast<uint16_t>(f);
        g_used[face.a] = g_used[face.b] = g_used[face.c] = 1;
    }
    return count;
}

// The front faces, by face planes when given. The eye is copied for the same reason.
template <bool Planes>
uint32_t collect_front(const model_lod* lod, const vec3* normals, const int64_t* planes,
                       const vec3& eye_in) {
    const vec3 eye = eye_in;
    const int64_t ex = eye.x, ey = eye.y, ez = eye.z;
    return collect_faces(lod, [=](uint32_t f, const vec3& a) {
        if (!Planes) return face_front_dot(&normals[f], &a, &eye);
        int side = face_plane_side(planes[f], &normals[f], ex, ey, ez);
        return side < 0 || (side == 0 && face_front_dot(&normals[f], &a, &eye));
    });
}

// Under a shared rotation the copies of a row differ in one eye coordinate only (the same
// depth and height, turned alike), so each face's plane sum less the products of the two
// fixed coordinates is kept for the row: its back-face test is then one product. The sums
// are made on the second copy, once the coordinate that varies is known; the first and any
// copy off the row take the whole plane sum.
struct plane_row {
    const int64_t* planes;
    const vec3* normals;
    vec3 eye; // the last eye drawn with these planes
    int axis; // the coordinate that varies along the row, or -1: no sums made
};
plane_row g_row = {};
int64_t g_row_sum[DRAW_MAX_FACES];

int64_t component(const vec3& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

// The row's sums for this eye (their varying coordinate in *axis), or null.
const int64_t* row_sums(const model_lod* lod, const vec3* normals, const int64_t* planes,
                        const vec3& eye, int* axis) {
    plane_row& r = g_row;
    const bool same = r.planes == planes && r.normals == normals;
    const bool differs[3] = {eye.x != r.eye.x, eye.y != r.eye.y, eye.z != r.eye.z};
    r.eye = eye;
    if (same && r.axis >= 0 && !differs[(r.axis + 1) % 3] && !differs[(r.axis + 2) % 3]) {
        *axis = r.axis;
        return g_row_sum;
    }
    const int count = differs[0] + differs[1] + differs[2];
    if (!same || count != 1) {
        r.planes = planes, r.normals = normals, r.axis = -1;
        return nullptr;
    }
    r.axis = differs[0] ? 0 : differs[1] ? 1 : 2;
    const int j = (r.axis + 1) % 3, k = (r.axis + 2) % 3;
    const int64_t ej = component(eye, j), ek = component(eye, k);
    for (uint32_t f = 0; f < lod->face_count; f++)
        g_row_sum[f] = planes[f] - (component(normals[f], j) * ej + component(normals[f], k) * ek);
    *axis = r.axis;
    return g_row_sum;
}

// collect_front<true> from a row's sums, the varying coordinate being Axis.
template <int Axis>
uint32_t collect_front_row(const model_lod* lod, const vec3* normals, const int64_t* sums,
                           const vec3& eye_in) {
    const vec3 eye = eye_in;
    const int64_t e = Axis == 0 ? eye.x : Axis == 1 ? eye.y : eye.z;
    return collect_faces(lod, [=](uint32_t f, const vec3& a) {
        const vec3& n = normals[f];
        const int64_t s = sums[f] - (Axis == 0 ? n.x : Axis == 1 ? n.y : n.z) * e;
        return s < 0 || (s < 2 * int64_t{FIX16_ONE} && face_front_dot(&n, &a, &eye));
    });
}

uint32_t collect_front_planes(const model_lod* lod, const vec3* normals, const int64_t* planes,
                              const vec3& eye) {
    int axis = -1;
    const int64_t* sums = g_share.on ? row_sums(lod, normals, planes, eye, &axis) : nullptr;
    if (!sums) return collect_front<true>(lod, normals, planes, eye);
    if (axis == 0) return collect_front_row<0>(lod, normals, sums, eye);
    if (axis == 1) return collect_front_row<1>(lod, normals, sums, eye);
    return collect_front_row<2>(lod, normals, sums, eye);
}

// True when every face of the level has zero area on the screen (view_box_on_one_line).
bool lod_on_one_line(const model_lod* lod, const mat3* m, const vec3* t, const view_projection* vp,
                     const frustum_slopes* slopes) {
    if (lod->vertex_count == 0) return false;
    vec3 lo = lod->vertices[0], hi = lo;
    for (uint32_t i = 1; i < lod->vertex_count; i++) {
        const vec3& v = lod->vertices[i];
        if (v.x < lo.x) lo.x = v.x;
        if (v.x > hi.x) hi.x = v.x;
        if (v.y < lo.y) lo.y = v.y;
        if (v.y > hi.y) hi.y = v.y;
        if (v.z < lo.z) lo.z = v.z;
        if (v.z > hi.z) hi.z = v.z;
    }
    // Whole units: the centre is rounded down and the half size up.
    model_box box;
    const int32_t l[3] = {lo.x, lo.y, lo.z}, h[3] = {hi.x, hi.y, hi.z};
    for (int k = 0; k < 3; k++) {
        int64_t sum = int64_t{l[k]} + h[k];
        box.centre[k] = sum >> 1;
        box.half[k] = int64_t{h[k]} - box.centre[k];
    }
    return view_box_on_one_line(m, t, &box, vp, slopes);
}

// The triangle-view shade of face f: each face 7 further along the ramp than the one
// before it in the file, wrapping around the ramp.
int triangle_shade(uint32_t f, int ramp_length) {
    if (ramp_length <= 0) return 0;
    return static_cast<int>(7 * f % static_cast<uint32_t>(ramp_length));
}

// Projects a clipped polygon's vertex. Intersections with the near plane lie exactly on it,
// where projection refuses a point; they are projected one unit beyond instead, which
// lands on the same pixel instead of the screen's corner.
void project_clipped(projected_vertex* out, const vec3& v, const view_projection* vp) {
    vec3 p = v;
    if (p.z <= vp->near) p.z = wrap_add32(vp->near, 1);
    project_view_vertex(out, &p, vp);
}

bool same_mat3(const mat3& a, const mat3& b) {
    for (int i = 0; i < 9; i++)
        if (a.m[i] != b.m[i]) return false;
    return true;
}

// True when a sphere around c holding every vertex of the level (radius r, a unit more than
// the farthest vertex, which covers the rotation's rounding) lies beyond the near plane and
// inside the four side planes with room to spare: then every vertex gets outcode 0. Far
// from wrapping only; the side tests are the outcode's, in 64 bits, with the slope's
// rounding down and the plane normal's length both allowed for.
bool sphere_well_inside(const vec3& c, fix16 r, fix16 near, const frustum_slopes* s) {
    constexpr int64_t LIMIT = int64_t{1} << 28;
    constexpr int64_t SPARE = int64_t{16} << 16;
    const int64_t x = c.x, y = c.y, z = c.z, rr = r;
    if (rr <= 0 || rr >= LIMIT || x <= -LIMIT || x >= LIMIT || y <= -LIMIT || y >= LIMIT ||
        z >= LIMIT || z - rr <= int64_t{near} + 16)
        return false;
    const int64_t zx = z * s->slope_x, zy = z * s->slope_y;
    const int64_t mx = rr * (int64_t{s->norm_x} + 2) + SPARE;
    const int64_t my = rr * (int64_t{s->norm_y} + 2) + SPARE;
    return zx - x * 65536 >= mx && zx + x * 65536 >= mx && zy - y * 65536 >= my &&
           zy + y * 65536 >= my;
}

// sphere_well_inside for the float vertex path. Its rotated points and outcodes round in
// single precision: each of the few roundings between the exact view point and an outcode
// test is within 2^-24 of the values involved, which are at most the translation's size
// (times the larger slope for a side plane's z) plus a few radii. The sphere is grown by
// 2^-16 of those sizes and 16 units, far more than all those roundings can move a vertex, so
// a sphere that passes leaves every vertex's float outcode 0 as well.
bool fpu_sphere_well_inside(const vec3& c, fix16 r, fix16 near, const frustum_slopes* s) {
    const int64_t ax = c.x < 0 ? -int64_t{c.x} : c.x, ay = c.y < 0 ? -int64_t{c.y} : c.y;
    const int64_t az = c.z < 0 ? -int64_t{c.z} : c.z;
    const int64_t slope = s->slope_x > s->slope_y ? s->slope_x : s->slope_y;
    const int64_t sizes = ax + ay + az + ((az * (slope < 0 ? 0 : slope)) >> 16) + 4 * int64_t{r};
    const int64_t grown = int64_t{r} + (sizes >> 16) + 16;
    return grown < (int64_t{1} << 28) && sphere_well_inside(c, static_cast<fix16>(grown), near, s);
}

bool same_rotation(const shared_rotation& r, bool fpu, const model_lod* lod, const mat3* m,
                   const vec3* t, const view_projection* vp, const frustum_slopes* slopes) {
    return r.used && r.fpu == fpu && r.lod == lod && r.z == t->z && same_mat3(r.m, *m) &&
           r.vp.focal == vp->focal && r.vp.near == vp->near && r.vp.centre_x == vp->centre_x &&
           r.vp.centre_y == vp->centre_y && r.slopes.slope_x == slopes->slope_x &&
           r.slopes.slope_y == slopes->slope_y && r.depth_scale == g_depth_frame.scale;
}

// Starts a draw through a shared rotation: the first vertex of the stretch that keeps this
// level's rotation, depth and view, a fresh one when no slot does.
uint32_t shared_prepare(const model_lod* lod, const mat3* m, const vec3* t,
                        const view_projection* vp, const frustum_slopes* slopes) {
    shared_rotations& s = g_share;
    const bool fpu = g_vertex_fpu != 0;
    s.clock++;
    int pick = 0;
    for (int k = 0; k < SHARE_SLOTS; k++) {
        shared_rotation& r = s.slot[k];
        if (same_rotation(r, fpu, lod, m, t, vp, slopes)) {
            r.last_use = s.clock;
            return static_cast<uint32_t>(k) * SHARE_SLOT_VERTICES;
        }
        if (s.slot[pick].used && (!r.used || r.last_use < s.slot[pick].last_use)) pick = k;
    }
    const bool wide = lod->vertex_count > SHARE_SLOT_VERTICES;
    if (wide || s.slot[0].wide) {
        for (shared_rotation& r : s.slot) r.used = false;
        pick = 0;
    }
    s.slot[pick] =
        shared_rotation{true, wide, fpu, lod, *m, t->z, *vp, *slopes, g_depth_frame.scale, s.clock};
    const uint32_t first = static_cast<uint32_t>(pick) * SHARE_SLOT_VERTICES;
    for (uint32_t i = 0; i < lod->vertex_count; i++) g_have[first + i] = 0;
    return first;
}

// Rotates a vertex for the shared rotation, with what its depth alone decides.
void rotate_shared(shared_vertex* c, const vec3& vertex, const mat3* m, const vec3* t,
                   const view_projection* vp, const frustum_slopes* slopes) {
    mat3_apply(&c->rotated, m, &vertex);
    fix16 z = wrap_add32(c->rotated.z, t->z);
    c->sx = fix16_mul(z, slopes->slope_x);
    c->sy = fix16_mul(z, slopes->slope_y);
    c->scale = vp->near < z ? fix16_div(vp->focal, z) : 0;
    c->depth = depth_above_base(c->scale);
}

// Vertex i of the shared rotation whose stretch starts at `first`, rotated when first needed.
inline const shared_vertex& shared_at(const model_lod* lod, uint32_t first, uint32_t i,
                                      const mat3* m, const vec3* t, const view_projection* vp,
                                      const frustum_slopes* slopes) {
    shared_vertex& c = g_shared[first + i];
    if (!g_have[first + i]) {
        rotate_shared(&c, lod->vertices[i], m, t, vp, slopes);
        g_have[first + i] = 1;
    }
    return c;
}

// The pixel and depth value of each used vertex, for a level whose every vertex is inside
// the frustum (sphere_well_inside): nothing is clipped and no outcode is read, so the draw
// needs only these, worked out as transform_vertices and the drawing pass would.
screen_vertex g_pixel[DRAW_MAX_VERTICES];
int32_t g_pixel_depth[DRAW_MAX_VERTICES];

void transform_shared_inside(const model_lod* lod, const mat3* m, const vec3* t,
                             const view_projection* vp, const frustum_slopes* slopes) {
    const uint32_t first = shared_prepare(lod, m, t, vp, slopes);
    const uint32_t base = g_depth_frame.base;
    const int32_t tx = t->x, ty = t->y, cx = vp->centre_x, cy = vp->centre_y;
    for (uint32_t i = 0; i < lod->vertex_count; i++) {
        if (!g_used[i]) continue;
        const shared_vertex& c = shared_at(lod, first, i, m, t, vp, slopes);
        const int64_t x = wrap_add32(c.rotated.x, tx), y = wrap_add32(c.rotated.y, ty);
        int32_t dx = static_cast<int32_t>((static_cast<int64_t>(c.scale) * x) >> 32);
        int32_t dy = static_cast<int32_t>((static_cast<int64_t>(c.scale) * y) >> 32);
        g_pixel[i] = screen_vertex{static_cast<int16_t>(wrap_add32(cx, dx)),
                                   static_cast<int16_t>(wrap_sub32(cy, dy))};
        g_pixel_depth[i] = static_cast<int32_t>(c.depth + base);
    }
}

// transform_vertices through the shared rotation: the same view points, outcodes and
// projections, each worked out as that function does, and the same or-ed outcodes returned.
uint8_t transform_shared(const model_lod* lod, const mat3* m, const vec3* t,
                         const view_projection* vp, const frustum_slopes* slopes) {
    const uint32_t first = shared_prepare(lod, m, t, vp, slopes);
    const uint32_t nv = lod->vertex_count;
    const fix16 near = vp->near;
    uint8_t any = 0;
    for (uint32_t i = 0; i < nv; i++) {
        if (!g_used[i]) continue;
        const shared_vertex& c = shared_at(lod, first, i, m, t, vp, slopes);
        vec3 v;
        vec3_add(&v, &c.rotated, t);
        g_view[i] = v;
        uint8_t code = 0;
        if (v.z <= near) code |= OUT_NEAR;
        if (wrap_sub32(c.sx, v.x) < 0) code |= OUT_RIGHT;
        if (wrap_add32(v.x, c.sx) < 0) code |= OUT_LEFT;
        if (wrap_sub32(c.sy, v.y) < 0) code |= OUT_TOP;
        if (wrap_add32(v.y, c.sy) < 0) code |= OUT_BOTTOM;
        g_outcode[i] = code;
        any |= code;
        if (code & OUT_NEAR) continue;
        projected_vertex& out = g_projected[i];
        int32_t dx = static_cast<int32_t>((static_cast<int64_t>(c.scale) * v.x) >> 32);
        int32_t dy = static_cast<int32_t>((static_cast<int64_t>(c.scale) * v.y) >> 32);
        out.z = v.z;
        out.scale = c.scale;
        out.screen_x = static_cast<int16_t>(wrap_add32(vp->centre_x, dx));
        out.screen_y = static_cast<int16_t>(wrap_sub32(vp->centre_y, dy));
        out.valid = 1;
    }
    return any;
}

// Rotates a vertex for the float path's shared rotation, as fpu_transform_vertices does.
void rotate_shared_float(shared_float_vertex* c, const vec3& vertex, const fpu_view& v) {
    const float* m = v.m;
    const float x = static_cast<float>(vertex.x);
    const float y = static_cast<float>(vertex.y);
    const float z = static_cast<float>(vertex.z);
    c->rx = fpu_fma_grid(m[2], z, fpu_fma_grid(m[0], x, m[1] * y));
    c->ry = fpu_fma_grid(m[5], z, fpu_fma_grid(m[3], x, m[4] * y));
    c->vz = fpu_fma_grid(m[8], z, fpu_fma_grid(m[6], x, m[7] * y)) + v.t[2];
    c->z = fpu_to_int(c->vz);
    c->sx = v.slope_x * c->vz;
    c->sy = v.slope_y * c->vz;
    c->k = c->vz <= v.near ? 0.0f : v.focal / c->vz;
    c->scale = fpu_to_int(c->k * 65536.0f);
    c->depth = depth_above_base(c->scale);
}

// Vertex i of the float path's shared rotation whose stretch starts at `first`, rotated
// when first needed.
inline const shared_float_vertex& shared_float_at(const model_lod* lod, uint32_t first, uint32_t i,
                                                  const fpu_view& v) {
    shared_float_vertex& c = g_shared_float[first + i];
    if (!g_have[first + i]) {
        rotate_shared_float(&c, lod->vertices[i], v);
        g_have[first + i] = 1;
    }
    return c;
}

// fpu_transform_vertices through the shared rotation: the translation is added to the kept
// rotated point, as that function adds it, so the view points, outcodes and projections are
// the same bits. Each used vertex's pixel and depth value go to g_pixel; the view points and
// projections are filled in only when some vertex is outside the frustum and faces may need
// clipping. Returns the or-ed outcodes. Inside: the level is known to be wholly inside
// (fpu_sphere_well_inside), so every outcode is 0 and none is worked out.
template <bool Inside>
uint8_t fpu_transform_shared(const model_lod* lod, const mat3* m, const vec3* t,
                             const view_projection* vp, const frustum_slopes* slopes) {
    const uint32_t first = shared_prepare(lod, m, t, vp, slopes);
    const uint32_t base = g_depth_frame.base;
    fpu_view v;
    fpu_view_setup(&v, m, t, vp);
    const uint32_t nv = lod->vertex_count;
    uint8_t any = 0;
    for (uint32_t i = 0; i < nv; i++) {
        if (!g_used[i]) continue;
        const shared_float_vertex& c = shared_float_at(lod, first, i, v);
        const float vx = c.rx + v.t[0], vy = c.ry + v.t[1];
        uint8_t code = 0;
        if (!Inside) {
            if (c.vz <= v.near) code |= OUT_NEAR;
            if (c.sx - vx < 0.0f) code |= OUT_RIGHT;
            if (vx + c.sx < 0.0f) code |= OUT_LEFT;
            if (c.sy - vy < 0.0f) code |= OUT_TOP;
            if (vy + c.sy < 0.0f) code |= OUT_BOTTOM;
            g_outcode[i] = code;
            any |= code;
            if (code & OUT_NEAR) continue;
        }
        // Inside the frustum |x| <= z * centre / focal, so x * focal / z is within the
        // screen's half-width in fix16 and converts without the saturating checks.
        const float px = vx * c.k, py = vy * c.k;
        const int32_t dx = code ? fpu_to_int(px) : static_cast<int32_t>(px);
        const int32_t dy = code ? fpu_to_int(py) : static_cast<int32_t>(py);
        g_pixel[i] = screen_vertex{static_cast<int16_t>(wrap_add32(v.centre_x, dx >> 16)),
                                   static_cast<int16_t>(wrap_sub32(v.centre_y, dy >> 16))};
        g_pixel_depth[i] = static_cast<int32_t>(c.depth + base);
    }
    if (any == 0) return 0;
    for (uint32_t i = 0; i < nv; i++) {
        if (!g_used[i]) continue;
        const shared_float_vertex& c = g_shared_float[first + i];
        g_view[i] = vec3{fpu_to_int(c.rx + v.t[0]), fpu_to_int(c.ry + v.t[1]), c.z};
        if (g_outcode[i] & OUT_NEAR) continue;
        g_projected[i] = projected_vertex{g_pixel[i].x, g_pixel[i].y, c.z, 1, c.scale};
    }
    return any;
}

void raster_clipped(uint8_t* frame, int32_t* depth, int width, int height, const vec3 tri[3],
                    const view_projection* vp, uint8_t colour, depth_span* spans) {
    vec3 poly[CLIP_MAX_VERTS];
    int n = clip_triangle_frustum(tri, vp, poly);
    screen_vertex sv[CLIP_MAX_VERTS];
    int32_t z[CLIP_MAX_VERTS];
    for (int i = 0; i < n; i++) {
        projected_vertex pv;
        project_clipped(&pv, poly[i], vp);
        sv[i] = screen_vertex{pv.screen_x, pv.screen_y};
        z[i] = depth_frame_vertex(&g_depth_frame, pv.scale);
    }
    for (int i = 1; i + 1 < n; i++) {
        screen_triangle t = {{sv[0], sv[i], sv[i + 1]}};
        int32_t d[3] = {z[0], z[i], z[i + 1]};
        raster_screen_triangle(frame, depth, width, height, &t, d, colour, spans);
    }
}

} // namespace

void draw_model_share_begin() {
    g_share = shared_rotations{};
    g_share.on = true;
    g_colours.lod = nullptr;
    g_row = plane_row{};
}

void draw_model_share_end() {
    g_share = shared_rotations{};
    g_colours.lod = nullptr;
    g_row = plane_row{};
}

int material_level(int material, fix16 light_dot) {
    if (material == 2) return 3;
    if (light_dot < 0) return 2;
    int level = wrap_add32(fix16_mul(light_dot, DOT_SCALE), DOT_BIAS) >> 14;
    return level > 3 ? 3 : level;
}

fix16 turn_sin(uint32_t angle) {
    // A parabola through the half-turn, bent toward the sine by 0.225 (14746) of p^2 - p.
    int64_t x = angle & 0x7FFF;
    fix16 p = static_cast<fix16>(16 * x * (32768 - x) / 65536);
    fix16 r = wrap_add32(p, fix16_mul(wrap_sub32(fix16_mul(p, p), p), 14746));
    return (angle & 0x8000) ? wrap_sub32(0, r) : r;
}

void sun_direction(vec3* out) {
    static vec3 dir;
    static bool made = false;
    if (!made) {
        vec3 raw = {36044, 22937, -49807};
        vec3_normalize(&dir, &raw);
        made = true;
    }
    *out = dir;
}

namespace {

space_pos g_star;
bool g_star_set = false;

} // namespace

void light_set_star(const space_pos* position) {
    if (position) g_star = *position;
    g_star_set = position != nullptr;
}

void light_from_star(vec3* out, const space_pos* position) {
    if (!g_star_set) {
        // One astronomical unit (149 598 000 km) along the sun direction, in 1/4096 m:
        // component * AU metres * 4096 / 65536.
        vec3 d;
        sun_direction(&d);
        constexpr int64_t AU_M = 149598000000;
        g_star = space_pos{d.x * AU_M >> 4, d.y * AU_M >> 4, d.z * AU_M >> 4};
        g_star_set = true;
    }
    space_direction(out, &g_star, position);
}

fix16 camera_distance(const space_pos* a, const space_pos* b) {
    vec3 d = space_delta(a, b);
    return vec3_length(&d);
}

void draw_model(uint8_t* frame, int32_t* depth, int width, int height, const model_lod* lod,
                const vec3* normals, fix16 radius, const render_pose* object,
                const render_pose* camera, const view_projection* vp, const frustum_slopes* slopes,
                int mode, const vec3* light, uint8_t base_colour, int ramp_length,
                depth_span* spans, const int64_t* planes) {
    if (!lod || !normals || lod->vertex_count > DRAW_MAX_VERTICES ||
        lod->face_count > DRAW_MAX_FACES)
        return;
    mat3 m;
    vec3 t;
    view_transform_build(&m, &t, object, camera);
    if (radius > 0 && view_sphere_culled(&t, radius, vp->near, slopes)) {
        g_render_stats.objs_culled++;
        return;
    }
    mat3 mt;
    mat3_transpose(&mt, &m);
    vec3 eye = {wrap_sub32(0, t.x), wrap_sub32(0, t.y), wrap_sub32(0, t.z)};
    mat3_apply(&eye, &mt, &eye);
    vec3 l = {0, 0, 0};
    if (mode == SHADE_LIT_RAMP || mode == SHADE_MATERIAL_LIT) {
        vec3_sub(&l, light, &t);
        vec3_normalize_fast(&l, &l);
        mat3_apply(&l, &mt, &l);
    }

    if (view_sphere_tiny(&t, radius, vp, 4) && lod_on_one_line(lod, &m, &t, vp, slopes)) {
        // A distant object seen as a dot or a line draws nothing; its front faces still
        // count as drawn, as they would after the transform.
        for (uint32_t f = 0; f < lod->face_count; f++)
            if (face_front(lod, normals, f, eye)) g_render_stats.tris_drawn++;
        return;
    }

    render_timing& rt = g_render_timing;
    bool timed = rt.on && rt.now;
    uint32_t t0 = timed ? timing_now() : 0;
    const uint32_t nv = lod->vertex_count;
    for (uint32_t i = 0; i < nv; i++) g_used[i] = 0;
    const uint32_t front_count = planes && within_reach(eye, FACE_PLANE_REACH)
                                     ? collect_front_planes(lod, normals, planes, eye)
                                     : collect_front<false>(lod, normals, nullptr, eye);
    uint32_t t1 = timed ? timing_now() : 0;
    uint8_t any_out = 0; // 0: every used vertex inside the frustum, no face needs clipping
    // With pixels_only the drawing pass reads each vertex's pixel and depth value from g_pixel.
    bool pixels_only =
        g_share.on && (g_vertex_fpu ? fpu_sphere_well_inside(t, radius, vp->near, slopes)
                                    : sphere_well_inside(t, radius, vp->near, slopes));
    if (pixels_only) {
        if (g_vertex_fpu)
            fpu_transform_shared<true>(lod, &m, &t, vp, slopes);
        else
            transform_shared_inside(lod, &m, &t, vp, slopes);
    } else if (g_vertex_fpu && g_share.on) {
        any_out = fpu_transform_shared<false>(lod, &m, &t, vp, slopes);
        pixels_only = any_out == 0;
    } else if (g_vertex_fpu) {
        fpu_view fv;
        fpu_view_setup(&fv, &m, &t, vp);
        any_out = fpu_transform_vertices(&fv, lod->vertices, g_used, static_cast<int>(nv), g_view,
                                         g_outcode, g_projected);
    } else if (g_share.on) {
        any_out = transform_shared(lod, &m, &t, vp, slopes);
    } else {
        any_out = transform_vertices(&m, &t, vp, slopes, lod->vertices, g_used,
                                     static_cast<int>(nv), g_view, g_outcode, g_projected);
    }
    if (timed) {
        uint32_t t2 = timing_now();
        rt.backface += t1 - t0;
        rt.verts += t2 - t1;
        rt.reads += 3;
    }

    // Untimed on the fused path, the dispatcher would only pass the triangle on.
    const bool direct = !timed && !g_raster_no_depth && g_raster_fused;
    // The triangle-view shade advances over every face in file order, back faces included.
    const bool triangle_view = mode == SHADE_TRIANGLES;
    const uint32_t generation =
        g_share.on ? colour_generation(lod, normals, l, mode, base_colour, ramp_length) : 0;
    auto colour_work = [&](uint32_t f) {
        uint8_t c = triangle_view
                        ? static_cast<uint8_t>(base_colour + triangle_shade(f, ramp_length))
                        : face_colour(mode, lod->faces[f], normals[f], l, base_colour, ramp_length);
        if (generation) g_colour[f] = c, g_colour_generation[f] = generation;
        return c;
    };
    auto colour_of = [&](uint32_t f) {
        return generation && g_colour_generation[f] == generation ? g_colour[f] : colour_work(f);
    };
    // With every vertex inside, every front face is drawn whole: its outcodes need no look.
    const bool clip = any_out != 0;
    if (!clip) g_render_stats.tris_drawn += front_count;
    for (uint32_t i = 0; i < front_count; i++) {
        const uint32_t f = g_front[i];
        const model_face& face = lod->faces[f];
        if (pixels_only) {
            const screen_vertex a = g_pixel[face.a], b = g_pixel[face.b], c = g_pixel[face.c];
            if (screen_cross(a.x, a.y, b.x, b.y, c.x, c.y) <= 0) continue;
            const screen_triangle tri = {{a, b, c}};
            const int32_t d[3] = {g_pixel_depth[face.a], g_pixel_depth[face.b],
                                  g_pixel_depth[face.c]};
            if (direct)
                raster_front_triangle_w(frame, depth, width, height, &tri, d, colour_of(f));
            else
                raster_screen_triangle(frame, depth, width, height, &tri, d, colour_of(f), spans);
            continue;
        }
        uint8_t oa = 0, ob = 0, oc = 0;
        if (clip) {
            oa = g_outcode[face.a], ob = g_outcode[face.b], oc = g_outcode[face.c];
            if (oa & ob & oc) continue;
            g_render_stats.tris_drawn++;
        }
        if ((oa | ob | oc) == 0) {
            const projected_vertex& a = g_projected[face.a];
            const projected_vertex& b = g_projected[face.b];
            const projected_vertex& c = g_projected[face.c];
            // Most faces of a distant model are smaller than a pixel: their corners land on one
            // pixel or turn the wrong way on the screen, and the rasteriser would draw nothing.
            if (screen_cross(a.screen_x, a.screen_y, b.screen_x, b.screen_y, c.screen_x,
                             c.screen_y) <= 0)
                continue;
            screen_triangle tri = {
                {{a.screen_x, a.screen_y}, {b.screen_x, b.screen_y}, {c.screen_x, c.screen_y}}};
            uint8_t colour = colour_of(f);
            int32_t d[3] = {depth_frame_vertex(&g_depth_frame, a.scale),
                            depth_frame_vertex(&g_depth_frame, b.scale),
                            depth_frame_vertex(&g_depth_frame, c.scale)};
            if (direct)
                raster_front_triangle_w(frame, depth, width, height, &tri, d, colour);
            else
                raster_screen_triangle(frame, depth, width, height, &tri, d, colour, spans);
        } else {
            g_render_stats.tris_clipped++;
            uint8_t colour = colour_of(f);
            const vec3 tri[3] = {g_view[face.a], g_view[face.b], g_view[face.c]};
            raster_clipped(frame, depth, width, height, tri, vp, colour, spans);
        }
    }
}

} // namespace vantrel
