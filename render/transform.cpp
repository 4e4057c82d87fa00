// transform: model-to-view transform, projection to screen pixels, frustum tests and clipping.
#include "render/transform.h"

namespace vantrel {

vec3 space_delta(const space_pos* a, const space_pos* b) {
    return vec3{fix32_narrow(wrap_sub64(a->x, b->x)), fix32_narrow(wrap_sub64(a->y, b->y)),
                fix32_narrow(wrap_sub64(a->z, b->z))};
}

namespace {

// P + (Q - P) * t per coordinate, wrapping like every other fix16 sum.
vec3 lerp_point(const vec3& p, const vec3& q, fix16 t) {
    return vec3{wrap_add32(p.x, fix16_mul(wrap_sub32(q.x, p.x), t)),
                wrap_add32(p.y, fix16_mul(wrap_sub32(q.y, p.y), t)),
                wrap_add32(p.z, fix16_mul(wrap_sub32(q.z, p.z), t))};
}

} // namespace

view_projection view_projection_make(int width, int height, fix16 focal, fix16 near) {
    return view_projection{focal, near, static_cast<int16_t>(width / 2),
                           static_cast<int16_t>(height / 2)};
}

void view_transform_build(mat3* m, vec3* t, const render_pose* object, const render_pose* camera) {
    mat3 ct;
    mat3_transpose(&ct, &camera->orient);
    mat3_mul(m, &ct, &object->orient);
    vec3 d = space_delta(&object->pos, &camera->pos);
    mat3_apply(t, &ct, &d);
}

void transform_to_view(vec3* out, const vec3* point, const render_pose* object,
                       const render_pose* camera) {
    vec3 world;
    mat3_apply(&world, &object->orient, point);
    vec3 d = space_delta(&object->pos, &camera->pos);
    vec3_add(&world, &world, &d);
    mat3 ct;
    mat3_transpose(&ct, &camera->orient);
    mat3_apply(out, &ct, &world);
}

void project_view_vertex(projected_vertex* out, const vec3* view, const view_projection* vp) {
    out->z = view->z;
    if (vp->near < view->z) {
        fix16 scale = fix16_div(vp->focal, view->z);
        // 64-bit products shifted arithmetically: offsets round toward minus infinity.
        int32_t dx = static_cast<int32_t>((static_cast<int64_t>(scale) * view->x) >> 32);
        int32_t dy = static_cast<int32_t>((static_cast<int64_t>(scale) * view->y) >> 32);
        out->scale = scale;
        out->screen_x = static_cast<int16_t>(wrap_add32(vp->centre_x, dx));
        out->screen_y = static_cast<int16_t>(wrap_sub32(vp->centre_y, dy));
        out->valid = 1;
    } else {
        out->scale = 0;
        out->screen_x = 0;
        out->screen_y = 0;
        out->valid = 0;
    }
}

void transform_and_project(projected_vertex* out, const vec3* point, const render_pose* object,
                           const render_pose* camera, const view_projection* vp) {
    vec3 v;
    transform_to_view(&v, point, object, camera);
    project_view_vertex(out, &v, vp);
}

void make_frustum_slopes(frustum_slopes* out, const view_projection* vp) {
    out->slope_x =
        fix16_div(static_cast<fix16>(static_cast<uint32_t>(vp->centre_x) << 16), vp->focal);
    out->slope_y =
        fix16_div(static_cast<fix16>(static_cast<uint32_t>(vp->centre_y) << 16), vp->focal);
    out->norm_x = fix16_sqrt(wrap_add32(fix16_mul(out->slope_x, out->slope_x), FIX16_ONE));
    out->norm_y = fix16_sqrt(wrap_add32(fix16_mul(out->slope_y, out->slope_y), FIX16_ONE));
}

uint8_t view_outcode(const vec3* v, fix16 near, const frustum_slopes* slopes) {
    uint8_t code = 0;
    if (v->z <= near) code |= OUT_NEAR;
    fix16 sx = fix16_mul(v->z, slopes->slope_x);
    fix16 sy = fix16_mul(v->z, slopes->slope_y);
    if (wrap_sub32(sx, v->x) < 0) code |= OUT_RIGHT;
    if (wrap_add32(v->x, sx) < 0) code |= OUT_LEFT;
    if (wrap_sub32(sy, v->y) < 0) code |= OUT_TOP;
    if (wrap_add32(v->y, sy) < 0) code |= OUT_BOTTOM;
    return code;
}

bool view_sphere_culled(const vec3* c, fix16 r, fix16 near, const frustum_slopes* slopes) {
    if (r <= 0) return false;
    if (near >= wrap_add32(c->z, r)) return true;
    fix16 sx = fix16_mul(c->z, slopes->slope_x);
    fix16 mx = wrap_sub32(0, fix16_mul(r, slopes->norm_x));
    if (wrap_sub32(sx, c->x) < mx || wrap_add32(c->x, sx) < mx) return true;
    fix16 sy = fix16_mul(c->z, slopes->slope_y);
    fix16 my = wrap_sub32(0, fix16_mul(r, slopes->norm_y));
    return wrap_sub32(sy, c->y) < my || wrap_add32(c->y, sy) < my;
}

namespace {

// floor(n / d) for d > 0.
int64_t floor_div(int64_t n, int64_t d) {
    int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

int64_t abs64(int64_t v) {
    return v < 0 ? -v : v;
}

// A view-space interval of one coordinate: [lo, hi], in raw fix16 units.
struct extent {
    int64_t lo, hi;
};

// Every point of [a.lo, a.hi] x [z.lo, z.hi] (z > 0) projects, at focal length `focal`,
// into one pixel of the screen axis: offsets a * focal / z (in 1/65536 pixel) lie in one
// cell of 65536. The integer path's truncated focal / z puts its offset within |a| / 65536
// of the exact one, the float path within a few units; eps allows for both.
bool projects_into_one_pixel(extent a, extent z, fix16 focal) {
    int64_t largest = abs64(a.lo) > abs64(a.hi) ? abs64(a.lo) : abs64(a.hi);
    if (focal <= 0 || largest > (INT64_MAX >> 2) / focal) return false;
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    for (int64_t av : {a.lo, a.hi}) {
        for (int64_t zv : {z.lo, z.hi}) {
            int64_t q = floor_div(av * focal, zv);
            if (q < lo) lo = q;
            if (q > hi) hi = q;
        }
    }
    int64_t eps = (largest >> 16) + ((abs64(lo) + abs64(hi)) >> 18) + 1024;
    return ((lo - eps) >> 16) == ((hi + eps) >> 16);
}

} // namespace

bool view_sphere_tiny(const vec3* c, fix16 r, const view_projection* vp, int pixels) {
    int64_t z_near = int64_t{c->z} - r;
    if (r <= 0 || z_near <= vp->near) return false;
    // Across 2 r focal / (z - r) pixels; compared in 1/65536 pixel without a division.
    return 2 * int64_t{r} * vp->focal < z_near * pixels * 65536;
}

bool view_box_on_one_line(const mat3* m, const vec3* t, const model_box* box,
                          const view_projection* vp, const frustum_slopes* slopes) {
    // Each view coordinate is t + row . (centre + d) with |d| <= half per axis, so it lies
    // within row . centre +- |row| . half of t. The margin covers the rounding of either
    // path (a few units for the integer one, a float's last place of the largest term for
    // the other); the sums must stay far from wrapping on the integer path.
    extent view[3];
    const int64_t tv[3] = {t->x, t->y, t->z};
    for (int row = 0; row < 3; row++) {
        int64_t centre = 0, half = 0, bound = 0;
        for (int col = 0; col < 3; col++) {
            int64_t e = m->m[3 * row + col];
            centre += e * box->centre[col];
            half += abs64(e) * box->half[col];
            bound += abs64(e) * (abs64(box->centre[col]) + box->half[col]);
        }
        centre = floor_div(centre, 65536) + tv[row];
        half >>= 16;
        if ((bound >> 16) + abs64(tv[row]) >= (int64_t{1} << 30)) return false;
        int64_t margin = 256 + ((abs64(centre) + half) >> 18);
        view[row] = extent{centre - half - margin, centre + half + margin};
    }
    const extent& x = view[0];
    const extent& y = view[1];
    const extent& z = view[2];
    if (z.lo <= int64_t{vp->near} + 256) return false;
    // Inside every side plane, where the plane distances are smallest (the near end of the
    // box), by more than the slopes' own rounding over that depth.
    const int64_t inside = (z.hi >> 15) + FIX16_ONE;
    const int64_t sx = (int64_t{slopes->slope_x} * z.lo) >> 16;
    const int64_t sy = (int64_t{slopes->slope_y} * z.lo) >> 16;
    if (sx - x.hi < inside || x.lo + sx < inside) return false;
    if (sy - y.hi < inside || y.lo + sy < inside) return false;
    return projects_into_one_pixel(y, z, vp->focal) || projects_into_one_pixel(x, z, vp->focal);
}

fix16 dist_right(const vec3* p, fix16 slope) {
    return wrap_sub32(fix16_mul(slope, p->z), p->x);
}
fix16 dist_left(const vec3* p, fix16 slope) {
    return wrap_add32(p->x, fix16_mul(slope, p->z));
}
fix16 dist_top(const vec3* p, fix16 slope) {
    return wrap_sub32(fix16_mul(slope, p->z), p->y);
}
fix16 dist_bottom(const vec3* p, fix16 slope) {
    return wrap_add32(p->y, fix16_mul(slope, p->z));
}

int clip_triangle_near(const vec3 tri[3], fix16 near, vec3 out[4]) {
    int n = 0;
    const vec3* order[4] = {&tri[2], &tri[0], &tri[1], &tri[2]};
    for (int e = 0; e < 3; e++) {
        const vec3& p = *order[e];
        const vec3& q = *order[e + 1];
        bool p_in = near < p.z;
        bool q_in = near < q.z;
        if (p_in != q_in) {
            fix16 t = fix16_div(wrap_sub32(near, p.z), wrap_sub32(q.z, p.z));
            vec3 v = lerp_point(p, q, t);
            v.z = near;
            out[n++] = v;
        }
        if (q_in) out[n++] = q;
    }
    return n;
}

int clip_polygon_plane(const vec3* in, int count, clip_dist_fn dist, fix16 slope, vec3* out,
                       int capacity) {
    int n = 0;
    if (count <= 0) return 0;
    const vec3* p = &in[count - 1];
    fix16 dp = dist(p, slope);
    for (int i = 0; i < count; i++) {
        const vec3* q = &in[i];
        fix16 dq = dist(q, slope);
        if ((dq < 0) != (dp < 0) && n < capacity)
            out[n++] = lerp_point(*p, *q, fix16_div(dp, wrap_sub32(dp, dq)));
        if (dq >= 0 && n < capacity) out[n++] = *q;
        p = q;
        dp = dq;
    }
    return n;
}

int clip_triangle_frustum(const vec3 tri[3], const view_projection* vp, vec3 out[CLIP_MAX_VERTS]) {
    // Stages get twice the room a convex polygon needs: rounded intersection points can
    // make a polygon very slightly concave, and an overfull result is dropped, not spilled.
    vec3 a[2 * CLIP_MAX_VERTS], b[2 * CLIP_MAX_VERTS];
    int n = clip_triangle_near(tri, vp->near, a);
    if (n < 3) return 0;
    fix16 sx = fix16_div(static_cast<fix16>(static_cast<uint32_t>(vp->centre_x) << 16), vp->focal);
    fix16 sy = fix16_div(static_cast<fix16>(static_cast<uint32_t>(vp->centre_y) << 16), vp->focal);
    constexpr int CAP = 2 * CLIP_MAX_VERTS;
    n = clip_polygon_plane(a, n, dist_right, sx, b, CAP);
    if (n < 3) return 0;
    n = clip_polygon_plane(b, n, dist_left, sx, a, CAP);
    if (n < 3) return 0;
    n = clip_polygon_plane(a, n, dist_top, sy, b, CAP);
    if (n < 3) return 0;
    n = clip_polygon_plane(b, n, dist_bottom, sy, a, CAP);
    if (n < 3 || n > CLIP_MAX_VERTS) return 0;
    for (int i = 0; i < n; i++) out[i] = a[i];
    return n;
}

int select_lod(int count, const int64_t* thresholds, int64_t distance) {
    if (count <= 1) return 0;
    for (int i = 0; i < count - 1; i++)
        if (thresholds[i] > distance) return i;
    return count - 1;
}

uint8_t transform_vertices(const mat3* m, const vec3* t, const view_projection* vp,
                           const frustum_slopes* slopes, const vec3* vertices, const uint8_t* used,
                           int count, vec3* view, uint8_t* outcodes, projected_vertex* projected) {
    uint8_t any = 0;
    for (int i = 0; i < count; i++) {
        if (!used[i]) continue;
        vec3 v;
        mat3_apply(&v, m, &vertices[i]);
        vec3_add(&v, &v, t);
        view[i] = v;
        uint8_t code = view_outcode(&v, vp->near, slopes);
        outcodes[i] = code;
        any |= code;
        if (!(code & OUT_NEAR)) project_view_vertex(&projected[i], &v, vp);
    }
    return any;
}

} // namespace vantrel
