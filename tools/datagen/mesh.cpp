// mesh: primitive builders and the structural checks every model must pass before it is written.
#include "tools/datagen/mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

namespace vantrel::datagen {

namespace {

constexpr double PI = 3.14159265358979323846;

// Makes the faces added since `first_face` wind outward: a closed shell of negative signed
// volume is inside out, so every face of it is flipped.
void orient_outward(mesh& m, size_t first_face) {
    // Volumes are taken about the part's own centre so that large offsets cost no precision.
    size_t first_vert = m.faces.size() > first_face ? m.faces[first_face].a : m.verts.size();
    for (size_t i = first_face; i < m.faces.size(); i++)
        first_vert =
            std::min<size_t>(first_vert, std::min({m.faces[i].a, m.faces[i].b, m.faces[i].c}));
    dvec centre{0, 0, 0};
    for (size_t i = first_vert; i < m.verts.size(); i++) centre = centre + m.verts[i];
    centre = centre * (1.0 / double(std::max<size_t>(1, m.verts.size() - first_vert)));
    double vol = 0;
    for (size_t i = first_face; i < m.faces.size(); i++) {
        const mesh_face& f = m.faces[i];
        vol += dot(m.verts[f.a] - centre, cross(m.verts[f.b] - centre, m.verts[f.c] - centre));
    }
    if (vol >= 0) return;
    for (size_t i = first_face; i < m.faces.size(); i++) std::swap(m.faces[i].b, m.faces[i].c);
}

uint32_t push(mesh& m, dvec p) {
    m.verts.push_back(p);
    return static_cast<uint32_t>(m.verts.size() - 1);
}

void tri(mesh& m, uint32_t a, uint32_t b, uint32_t c, uint8_t mat) {
    m.faces.push_back({a, b, c, mat});
}

dvec centroid(const std::vector<dvec>& ring) {
    dvec c{0, 0, 0};
    for (dvec p : ring) c = c + p;
    return c * (1.0 / double(ring.size()));
}

} // namespace

dvec cross(dvec a, dvec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(dvec a, dvec b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
double length(dvec a) {
    return std::sqrt(dot(a, a));
}

dvec xform::apply(dvec p) const {
    dvec s{p.x * scale.x, p.y * scale.y, p.z * scale.z};
    return {rot[0][0] * s.x + rot[0][1] * s.y + rot[0][2] * s.z + at.x,
            rot[1][0] * s.x + rot[1][1] * s.y + rot[1][2] * s.z + at.y,
            rot[2][0] * s.x + rot[2][1] * s.y + rot[2][2] * s.z + at.z};
}

xform place(dvec at) {
    xform x;
    x.at = at;
    return x;
}

xform place(dvec at, dvec scale) {
    xform x;
    x.at = at;
    x.scale = scale;
    return x;
}

xform place_rot(dvec at, double rx, double ry, double rz, dvec scale) {
    auto mul = [](const double a[3][3], const double b[3][3], double out[3][3]) {
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                out[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    };
    double cx = std::cos(rx * PI / 180), sx = std::sin(rx * PI / 180);
    double cy = std::cos(ry * PI / 180), sy = std::sin(ry * PI / 180);
    double cz = std::cos(rz * PI / 180), sz = std::sin(rz * PI / 180);
    double mx[3][3] = {{1, 0, 0}, {0, cx, -sx}, {0, sx, cx}};
    double my[3][3] = {{cy, 0, sy}, {0, 1, 0}, {-sy, 0, cy}};
    double mz[3][3] = {{cz, -sz, 0}, {sz, cz, 0}, {0, 0, 1}};
    double t[3][3];
    xform x;
    mul(my, mx, t);
    mul(mz, t, x.rot);
    x.at = at;
    x.scale = scale;
    return x;
}

void add_loft(mesh& m, const std::vector<std::vector<dvec>>& rings, const material_fn& mat,
              const xform& x) {
    size_t first_face = m.faces.size();
    std::vector<std::vector<uint32_t>> idx;
    for (const auto& ring : rings) {
        std::vector<uint32_t> r;
        for (dvec p : ring) r.push_back(push(m, x.apply(p)));
        idx.push_back(r);
    }
    int last = int(rings.size()) - 1;
    for (int i = 0; i < last; i++) {
        const auto& a = idx[i];
        const auto& b = idx[i + 1];
        if (a.size() == 1 && b.size() == 1) continue;
        size_t n = std::max(a.size(), b.size());
        for (size_t j = 0; j < n; j++) {
            size_t k = (j + 1) % n;
            uint8_t mt = mat(i, int(j));
            if (a.size() == 1) {
                tri(m, a[0], b[k], b[j], mt);
            } else if (b.size() == 1) {
                tri(m, a[j], a[k], b[0], mt);
            } else {
                tri(m, a[j], a[k], b[k], mt);
                tri(m, a[j], b[k], b[j], mt);
            }
        }
    }
    // Caps: fans from the centroid of an end ring that is not a pole.
    auto cap = [&](int ring_index, bool front) {
        const auto& r = idx[ring_index];
        if (r.size() < 3) return;
        uint32_t c = push(m, x.apply(centroid(rings[ring_index])));
        for (size_t j = 0; j < r.size(); j++) {
            size_t k = (j + 1) % r.size();
            uint8_t mt = mat(front ? last : -1, int(j));
            if (front)
                tri(m, c, r[j], r[k], mt);
            else
                tri(m, c, r[k], r[j], mt);
        }
    };
    cap(0, false);
    cap(last, true);
    orient_outward(m, first_face);
}

void add_loft(mesh& m, const std::vector<std::vector<dvec>>& rings, uint8_t mat, const xform& x) {
    add_loft(
        m, rings, [mat](int, int) { return mat; }, x);
}

void add_lathe(mesh& m, const std::vector<rz>& profile, int segments, uint8_t mat, const xform& x,
               double phase_deg) {
    std::vector<std::vector<dvec>> rings;
    for (const rz& p : profile) {
        std::vector<dvec> ring;
        if (p.r <= 0) {
            ring.push_back({0, 0, p.z});
        } else {
            for (int s = 0; s < segments; s++) {
                double a = 2 * PI * s / segments + phase_deg * PI / 180;
                ring.push_back({p.r * std::cos(a), p.r * std::sin(a), p.z});
            }
        }
        rings.push_back(ring);
    }
    add_loft(m, rings, mat, x);
}

void add_box(mesh& m, dvec lo, dvec hi, uint8_t mat, const xform& x) {
    std::vector<std::vector<dvec>> rings = {
        {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}},
        {{lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}},
    };
    add_loft(m, rings, mat, x);
}

void add_cylinder(mesh& m, double r, double z0, double z1, int segments, uint8_t mat,
                  const xform& x) {
    add_lathe(m, {{r, z0}, {r, z1}}, segments, mat, x);
}

void add_ellipsoid(mesh& m, dvec radii, int segments, int rings, const material_fn& mat,
                   const xform& x) {
    std::vector<std::vector<dvec>> rs;
    for (int i = 0; i <= rings; i++) {
        double t = PI * i / rings; // 0 at the back pole, pi at the front pole
        double z = -std::cos(t) * radii.z;
        double s = std::sin(t);
        std::vector<dvec> ring;
        if (i == 0 || i == rings) {
            ring.push_back({0, 0, z});
        } else {
            for (int j = 0; j < segments; j++) {
                double a = 2 * PI * j / segments;
                ring.push_back({radii.x * s * std::cos(a), radii.y * s * std::sin(a), z});
            }
        }
        rs.push_back(ring);
    }
    add_loft(m, rs, mat, x);
}

void add_ellipsoid(mesh& m, dvec radii, int segments, int rings, uint8_t mat, const xform& x) {
    add_ellipsoid(
        m, radii, segments, rings, [mat](int, int) { return mat; }, x);
}

void add_torus(mesh& m, double major, double minor, int segments, int sides, uint8_t mat,
               const xform& x) {
    size_t first_face = m.faces.size();
    uint32_t base = static_cast<uint32_t>(m.verts.size());
    for (int i = 0; i < segments; i++) {
        double a = 2 * PI * i / segments;
        for (int j = 0; j < sides; j++) {
            double b = 2 * PI * j / sides;
            double r = major + minor * std::cos(b);
            push(m, x.apply({r * std::cos(a), r * std::sin(a), minor * std::sin(b)}));
        }
    }
    for (int i = 0; i < segments; i++) {
        for (int j = 0; j < sides; j++) {
            uint32_t p = base + i * sides + j;
            uint32_t q = base + ((i + 1) % segments) * sides + j;
            uint32_t r = base + ((i + 1) % segments) * sides + (j + 1) % sides;
            uint32_t s = base + i * sides + (j + 1) % sides;
            tri(m, p, q, r, mat);
            tri(m, p, r, s, mat);
        }
    }
    orient_outward(m, first_face);
}

void add_prism(mesh& m, const std::vector<dvec>& outline_xz, double y0, double y1, uint8_t mat,
               const xform& x) {
    std::vector<dvec> a, b;
    for (dvec p : outline_xz) {
        a.push_back({p.x, y0, p.z});
        b.push_back({p.x, y1, p.z});
    }
    add_loft(m, {a, b}, mat, x);
}

void add_pocket_box(mesh& m, dvec lo, dvec hi, double px, double py0, double py1, double pz0,
                    double pz1, uint8_t outer_mat, uint8_t inner_mat, uint8_t back_mat) {
    size_t first_face = m.faces.size();
    // Shared corner vertices keep the shell closed: collect them once.
    std::map<std::tuple<double, double, double>, uint32_t> shared;
    auto v = [&](double x, double y, double z) {
        auto key = std::make_tuple(x, y, z);
        auto it = shared.find(key);
        if (it != shared.end()) return it->second;
        uint32_t i = push(m, {x, y, z});
        shared[key] = i;
        return i;
    };
    auto q = [&](uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t mat) {
        tri(m, a, b, c, mat);
        tri(m, a, c, d, mat);
    };
    auto poly = [&](std::initializer_list<uint32_t> pts, uint8_t mat) {
        std::vector<uint32_t> p(pts);
        for (size_t i = 1; i + 1 < p.size(); i++) tri(m, p[0], p[i], p[i + 1], mat);
    };
    double X0 = lo.x, X1 = hi.x, Y0 = lo.y, Y1 = hi.y, Z0 = lo.z, Z1 = hi.z;
    // Outer faces. The +x face is a frame around the opening, so the faces that meet it carry
    // the frame's corner points on their shared edges (no T-junctions: the shell stays closed).
    q(v(X0, Y0, Z0), v(X0, Y0, Z1), v(X0, Y1, Z1), v(X0, Y1, Z0), outer_mat); // -x
    poly({v(X0, Y0, Z0), v(X1, Y0, Z0), v(X1, Y0, pz0), v(X1, Y0, pz1), v(X1, Y0, Z1),
          v(X0, Y0, Z1)},
         outer_mat); // -y
    poly({v(X0, Y1, Z0), v(X1, Y1, Z0), v(X1, Y1, pz0), v(X1, Y1, pz1), v(X1, Y1, Z1),
          v(X0, Y1, Z1)},
         outer_mat);                                                          // +y
    q(v(X0, Y0, Z0), v(X0, Y1, Z0), v(X1, Y1, Z0), v(X1, Y0, Z0), outer_mat); // -z
    q(v(X0, Y0, Z1), v(X1, Y0, Z1), v(X1, Y1, Z1), v(X0, Y1, Z1), outer_mat); // +z
    // +x frame: the two side pieces run the full height and carry the opening's corners.
    poly({v(X1, Y0, Z0), v(X1, Y1, Z0), v(X1, Y1, pz0), v(X1, py1, pz0), v(X1, py0, pz0),
          v(X1, Y0, pz0)},
         outer_mat);
    poly({v(X1, Y0, Z1), v(X1, Y1, Z1), v(X1, Y1, pz1), v(X1, py1, pz1), v(X1, py0, pz1),
          v(X1, Y0, pz1)},
         outer_mat);
    q(v(X1, Y0, pz0), v(X1, py0, pz0), v(X1, py0, pz1), v(X1, Y0, pz1), outer_mat);
    q(v(X1, py1, pz0), v(X1, Y1, pz0), v(X1, Y1, pz1), v(X1, py1, pz1), outer_mat);
    // Pocket walls face into the pocket (away from the solid).
    q(v(px, py0, pz0), v(X1, py0, pz0), v(X1, py0, pz1), v(px, py0, pz1), inner_mat); // floor
    q(v(px, py1, pz0), v(px, py1, pz1), v(X1, py1, pz1), v(X1, py1, pz0), inner_mat); // ceiling
    q(v(px, py0, pz0), v(px, py1, pz0), v(X1, py1, pz0), v(X1, py0, pz0), inner_mat); // side
    q(v(px, py0, pz1), v(X1, py0, pz1), v(X1, py1, pz1), v(px, py1, pz1), inner_mat); // side
    q(v(px, py0, pz0), v(px, py0, pz1), v(px, py1, pz1), v(px, py1, pz0), back_mat);  // back
    // Each quad above was listed in one winding by hand; make every face agree with its
    // neighbours by flipping faces until no shared edge runs the same way twice, then orient
    // the whole shell outward.
    size_t n = m.faces.size();
    std::vector<int> done(n - first_face, 0);
    done[0] = 1;
    bool changed = true;
    while (changed) {
        changed = false;
        std::map<std::pair<uint32_t, uint32_t>, size_t> edge_of;
        for (size_t i = first_face; i < n; i++) {
            if (!done[i - first_face]) continue;
            const mesh_face& f = m.faces[i];
            edge_of[{f.a, f.b}] = i;
            edge_of[{f.b, f.c}] = i;
            edge_of[{f.c, f.a}] = i;
        }
        for (size_t i = first_face; i < n; i++) {
            if (done[i - first_face]) continue;
            mesh_face& f = m.faces[i];
            uint32_t e[3][2] = {{f.a, f.b}, {f.b, f.c}, {f.c, f.a}};
            for (auto& ed : e) {
                if (edge_of.count({ed[0], ed[1]})) { // same direction as a settled face: flip
                    std::swap(f.b, f.c);
                    done[i - first_face] = 1;
                    changed = true;
                    break;
                }
                if (edge_of.count({ed[1], ed[0]})) {
                    done[i - first_face] = 1;
                    changed = true;
                    break;
                }
            }
        }
    }
    orient_outward(m, first_face);
}

std::string mesh_check(const std::vector<dvec>& verts, const std::vector<mesh_face>& faces) {
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    for (size_t i = 0; i < faces.size(); i++) {
        const mesh_face& f = faces[i];
        if (f.a >= verts.size() || f.b >= verts.size() || f.c >= verts.size())
            return "face " + std::to_string(i) + " has an index out of range";
        if (f.mat > 5) return "face " + std::to_string(i) + " has material above 5";
        dvec n = cross(verts[f.b] - verts[f.a], verts[f.c] - verts[f.a]);
        if (length(n) < 1e-6) return "face " + std::to_string(i) + " has no area";
        for (auto e :
             {std::make_pair(f.a, f.b), std::make_pair(f.b, f.c), std::make_pair(f.c, f.a)}) {
            if (++edges[e] > 1)
                return "edge used twice in one direction at face " + std::to_string(i);
        }
    }
    for (const auto& [e, count] : edges) {
        if (!edges.count({e.second, e.first}))
            return "open edge " + std::to_string(e.first) + "-" + std::to_string(e.second);
    }
    // Shells: faces joined through shared vertices; each must enclose positive volume.
    std::vector<uint32_t> parent(verts.size());
    std::iota(parent.begin(), parent.end(), 0u);
    auto find = [&](uint32_t a) {
        while (parent[a] != a) a = parent[a] = parent[parent[a]];
        return a;
    };
    for (const mesh_face& f : faces) {
        parent[find(f.b)] = find(f.a);
        parent[find(f.c)] = find(f.a);
    }
    std::map<uint32_t, std::pair<double, dvec>> shells; // root -> volume, reference point
    for (const mesh_face& f : faces) {
        auto it = shells.find(find(f.a));
        if (it == shells.end())
            it = shells.emplace(find(f.a), std::make_pair(0.0, verts[f.a])).first;
        dvec o = it->second.second;
        it->second.first += dot(verts[f.a] - o, cross(verts[f.b] - o, verts[f.c] - o)) / 6;
    }
    for (const auto& [root, shell] : shells) {
        if (shell.first <= 0)
            return "a shell is wound inward (volume " + std::to_string(shell.first) + ")";
    }
    return {};
}

} // namespace vantrel::datagen
