// mesh: closed triangle meshes composed from primitives, for the model recipes of the asset
// builder.
//
// Every primitive is a closed surface by itself and is wound outward (its signed volume is made
// positive), so a ship built from overlapping parts is still a set of closed, outward-facing
// shells. Coordinates are metres; +z is the nose, +y up, +x right.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::datagen {

struct dvec {
    double x, y, z;
};
inline dvec operator+(dvec a, dvec b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline dvec operator-(dvec a, dvec b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline dvec operator*(dvec a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
dvec cross(dvec a, dvec b);
double dot(dvec a, dvec b);
double length(dvec a);

// Placement of a part: p' = rot * (scale * p) + at.
struct xform {
    double rot[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    dvec at{0, 0, 0};
    dvec scale{1, 1, 1};
    dvec apply(dvec p) const;
};
xform place(dvec at);
xform place(dvec at, dvec scale);
// Rotation by angles in degrees about x, then y, then z.
xform place_rot(dvec at, double rx, double ry, double rz, dvec scale = {1, 1, 1});

enum material : uint8_t { HULL = 0, ACCENT = 1, LIGHTS = 2, DARK = 3, GLASS = 4, BLACK = 5 };

struct mesh_face {
    uint32_t a, b, c;
    uint8_t mat;
};

struct mesh_node {
    std::string name, tag;
    dvec at;
};

struct mesh {
    std::vector<dvec> verts;
    std::vector<mesh_face> faces;
};

// Per-face material for a ring segment: ring i (between ring i and i+1, or the caps at -1 and
// rings.size()-1), segment j.
using material_fn = std::function<uint8_t(int ring, int seg)>;

// Rings of points (each ring ordered the same way round), joined in order and capped at both
// ends; a ring of one point is a pole. Caps are fans from the ring's centroid, so end rings must
// be convex.
void add_loft(mesh& m, const std::vector<std::vector<dvec>>& rings, uint8_t mat, const xform& x);
void add_loft(mesh& m, const std::vector<std::vector<dvec>>& rings, const material_fn& mat,
              const xform& x);

// Surface of revolution about the z axis: profile points (radius, z) from back to front; a
// radius of 0 at either end is a pole.
struct rz {
    double r, z;
};
void add_lathe(mesh& m, const std::vector<rz>& profile, int segments, uint8_t mat, const xform& x,
               double phase_deg = 0);
void add_box(mesh& m, dvec lo, dvec hi, uint8_t mat, const xform& x = {});
void add_cylinder(mesh& m, double r, double z0, double z1, int segments, uint8_t mat,
                  const xform& x);
// Ellipsoid with half-axes (rx, ry, rz) about the origin.
void add_ellipsoid(mesh& m, dvec radii, int segments, int rings, uint8_t mat, const xform& x);
void add_ellipsoid(mesh& m, dvec radii, int segments, int rings, const material_fn& mat,
                   const xform& x);
// Torus about the z axis: major radius R, tube radius r.
void add_torus(mesh& m, double major, double minor, int segments, int sides, uint8_t mat,
               const xform& x);
// Prism: a convex outline in the x-z plane extruded from y0 to y1.
void add_prism(mesh& m, const std::vector<dvec>& outline_xz, double y0, double y1, uint8_t mat,
               const xform& x);
// A box [lo, hi] with a rectangular pocket opening in its +x face: the pocket spans
// x in [pocket_x, hi.x], y in [py0, py1], z in [pz0, pz1].
void add_pocket_box(mesh& m, dvec lo, dvec hi, double pocket_x, double py0, double py1, double pz0,
                    double pz1, uint8_t outer_mat, uint8_t inner_mat, uint8_t back_mat);

// Mirror of a part about x = 0 is built by the recipes calling the builder twice; this helper
// returns the mirrored placement point.
inline dvec mirror_x(dvec p) {
    return {-p.x, p.y, p.z};
}

// Structural checks the game relies on: every directed edge used once and matched by its
// reverse (closed and consistently wound), every face of positive area, every shell of positive
// signed volume (outward). Returns an empty string when the mesh passes, else the reason.
std::string mesh_check(const std::vector<dvec>& verts, const std::vector<mesh_face>& faces);

} // namespace vantrel::datagen
