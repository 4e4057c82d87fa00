// models: the recipes of every ship, station, planet stand-in and pylon store, and the ".model"
// writer.
//
// Each recipe builds one level of detail from a quality factor: round parts get more segments
// and small parts (lights, stripes, windows, greebles) appear only when the factor is high
// enough to show them. The factor grows with the detail variant and falls with the level.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "render/globe.h"
#include "tools/datagen/datagen.h"

namespace vantrel::datagen {

namespace {

// Quality of a variant ("_lo", "", "_ul", "_cz") and of a level within it.
constexpr double VARIANT_FACTOR[4] = {0.5, 1.0, 1.6, 2.4};
constexpr double LEVEL_FACTOR[3] = {1.0, 0.45, 0.2};

struct quality {
    int variant;
    int level;
    double f;
    // Segments for a round part that has `base` segments at factor 1; even, at least `lo`.
    int seg(int base, int lo = 4) const {
        int n = static_cast<int>(std::lround(base * f / 2)) * 2;
        return n < lo ? lo : n;
    }
    bool fine() const { return f >= 0.7; }   // lights, stripes, windows
    bool finest() const { return f >= 1.5; } // greebles
    bool coarse() const { return f < 0.25; } // the far silhouette only
};

using recipe = std::function<void(mesh&, std::vector<mesh_node>&, const quality&)>;

// A six-point hull section: flat-topped hexagon of half-width w, deck height ht above and keel
// depth hb below the centre line at height y.
std::vector<dvec> hex_ring(double z, double w, double ht, double hb, double y = 0, double top = 0.6,
                           double bottom = 0.7) {
    return {{w, y, z},  {w * top, y + ht, z},     {-w * top, y + ht, z},
            {-w, y, z}, {-w * bottom, y - hb, z}, {w * bottom, y - hb, z}};
}

std::vector<dvec> pole(double z, double y = 0) {
    return {{0, y, z}};
}

// A small light or marker cube.
void add_light(mesh& m, dvec at, double size, uint8_t mat = LIGHTS) {
    dvec h{size / 2, size / 2, size / 2};
    add_box(m, at - h, at + h, mat);
}

// Fins around the z axis for missiles and bombs: a thin prism from radius r0 outward.
void add_fins(mesh& m, int count, double r0, double span, double z0, double z1, double sweep,
              double thick, uint8_t mat, double phase_deg) {
    for (int k = 0; k < count; k++) {
        std::vector<dvec> outline = {
            {r0, 0, z0}, {r0, 0, z1}, {r0 + span, 0, z1 - sweep}, {r0 + span, 0, z0}};
        add_prism(m, outline, -thick / 2, thick / 2, mat,
                  place_rot({0, 0, 0}, 0, 0, phase_deg + 360.0 * k / count));
    }
}

// ---------------------------------------------------------------- the player's fighter, 8 m
void build_stihac(mesh& m, std::vector<mesh_node>& nodes, const quality& q) {
    std::vector<std::vector<dvec>> body = {hex_ring(-3.7, 0.85, 0.42, 0.34)};
    if (!q.coarse()) body.push_back(hex_ring(-2.4, 1.05, 0.58, 0.44));
    body.push_back(hex_ring(-0.9, 1.1, 0.62, 0.46));
    if (q.finest()) body.push_back(hex_ring(0.6, 1.0, 0.58, 0.45, -0.02));
    body.push_back(hex_ring(1.9, 0.78, 0.46, 0.38, -0.04));
    if (!q.coarse()) body.push_back(hex_ring(3.1, 0.42, 0.26, 0.24, -0.06));
    body.push_back(pole(4.1, -0.08));
    add_loft(m, body, HULL, {});

    // Canopy, set into the spine ahead of the wings.
    add_ellipsoid(m, {0.36, 0.32, 1.15}, q.seg(10, 4), q.seg(6, 2), GLASS, place({0, 0.5, 0.8}));

    // Delta wings, swept back, slightly below the centre line.
    for (int side : {1, -1}) {
        std::vector<dvec> wing = {{0.75 * side, 0, 0.5},
                                  {3.7 * side, 0, -2.35},
                                  {3.95 * side, 0, -3.3},
                                  {0.75 * side, 0, -3.3}};
        add_prism(m, wing, -0.22, -0.04, HULL, {});
        if (q.fine()) {
            // Accent tips and the navigation light on each tip (red-green by livery).
            std::vector<dvec> tip = {{3.05 * side, 0, -1.75},
                                     {3.75 * side, 0, -2.3},
                                     {4.0 * side, 0, -3.38},
                                     {3.05 * side, 0, -3.38}};
            add_prism(m, tip, -0.25, -0.01, ACCENT, {});
            add_light(m, {4.02 * side, -0.13, -2.9}, 0.16);
        }
        // Engine pod with its exhaust glow.
        double ex = 0.62 * side;
        add_lathe(m, {{0.36, -4.25}, {0.44, -3.9}, {0.44, -2.2}, {0.22, -1.5}}, q.seg(10, 4), DARK,
                  place({ex, -0.08, 0}));
        add_cylinder(m, 0.3, -4.38, -4.2, q.seg(10, 4), LIGHTS, place({ex, -0.08, 0}));
        // Tail fin, canted outward.
        std::vector<dvec> fin = {{0, 0, -3.9}, {0, 0, -2.1}, {1.05, 0, -3.5}, {1.1, 0, -4.05}};
        add_prism(m, fin, -0.05, 0.05, ACCENT,
                  place_rot({0.5 * side, 0.38, 0}, 0, 0, 90 + 14 * side));
    }

    // Pylons under the wings; the stores hang from the nodes at the stub's lower face.
    const double pylon_x[4] = {1.45, -1.45, 2.45, -2.45};
    const double pylon_z[4] = {-1.25, -1.25, -1.95, -1.95};
    for (int i = 0; i < 4; i++) {
        dvec at{pylon_x[i], -0.38, pylon_z[i]};
        if (!q.coarse()) add_box(m, at + dvec{-0.07, 0, -0.45}, at + dvec{0.07, 0.2, 0.45}, DARK);
        char name[16];
        std::snprintf(name, sizeof name, "hp_pylon_%d", i);
        if (q.level == 0) nodes.push_back({name, "pylon", at});
    }
    if (q.finest()) {
        add_light(m, {0, 0.82, -2.9}, 0.12);                      // beacon
        add_box(m, {-0.12, -0.62, 2.0}, {0.12, -0.4, 3.0}, DARK); // sensor blister
        add_box(m, {-0.5, 0.12, -3.75}, {0.5, 0.4, -3.6}, DARK);  // exhaust baffle
    }
}

// ---------------------------------------------------------------- pylon stores
void build_missile_ir(mesh& m, std::vector<mesh_node>&, const quality& q) {
    const double y = -0.13;
    xform at = place({0, y, 0});
    add_lathe(m, {{0.0, -1.1}, {0.075, -1.1}, {0.09, -1.0}, {0.09, 0.78}, {0.065, 0.96}},
              q.seg(10, 4), HULL, at);
    add_ellipsoid(m, {0.065, 0.065, 0.14}, q.seg(8, 4), q.seg(4, 2), GLASS, place({0, y, 0.96}));
    add_cylinder(m, 0.098, 0.5, 0.64, q.seg(10, 4), ACCENT, at);
    add_fins(m, 4, 0.08, 0.13, -1.05, -0.75, 0.1, 0.02, DARK, 45);
    if (q.fine()) add_fins(m, 4, 0.08, 0.07, 0.55, 0.68, 0.04, 0.015, DARK, 45);
    add_box(m, {-0.03, y + 0.07, -0.3}, {0.03, 0.0, 0.3}, DARK); // hanger
}

void build_missile_radar(mesh& m, std::vector<mesh_node>&, const quality& q) {
    const double y = -0.17;
    xform at = place({0, y, 0});
    add_lathe(m, {{0.0, -1.6}, {0.11, -1.6}, {0.13, -1.45}, {0.13, 1.05}}, q.seg(12, 4), HULL, at);
    add_lathe(m, {{0.13, 1.05}, {0.1, 1.35}, {0.05, 1.55}, {0.0, 1.62}}, q.seg(12, 4), DARK, at);
    add_cylinder(m, 0.138, -1.0, -0.88, q.seg(12, 4), ACCENT, at);
    if (q.fine()) add_cylinder(m, 0.138, 0.8, 0.92, q.seg(12, 4), ACCENT, at);
    add_fins(m, 4, 0.12, 0.2, -1.55, -1.15, 0.12, 0.025, DARK, 45);
    add_fins(m, 4, 0.12, 0.16, -0.2, 0.45, 0.35, 0.02, HULL, 45);
    add_box(m, {-0.035, y + 0.1, -0.45}, {0.035, 0.0, 0.45}, DARK);
}

void build_bomb(mesh& m, std::vector<mesh_node>&, const quality& q) {
    const double y = -0.25;
    xform at = place({0, y, 0});
    add_lathe(m,
              {{0.0, -0.9},
               {0.09, -0.9},
               {0.16, -0.55},
               {0.22, -0.1},
               {0.22, 0.35},
               {0.17, 0.7},
               {0.0, 0.88}},
              q.seg(12, 5), DARK, at);
    add_cylinder(m, 0.225, 0.4, 0.5, q.seg(12, 5), ACCENT, at);
    add_fins(m, 4, 0.05, 0.2, -0.98, -0.6, 0.0, 0.025, HULL, 45);
    if (q.fine()) {
        // Box tail ring joining the fins.
        add_torus(m, 0.22, 0.025, q.seg(12, 6), 4, HULL, place({0, y, -0.8}));
    }
    add_box(m, {-0.03, y + 0.15, -0.25}, {0.03, 0.0, 0.25}, DARK);
}

// ---------------------------------------------------------------- the compact station, r < 30 m
void build_station(mesh& m, std::vector<mesh_node>&, const quality& q) {
    xform up = place_rot({0, 0, 0}, -90, 0, 0); // lathes along +y
    add_lathe(m,
              {{0, -15},
               {3, -15},
               {5, -12.5},
               {5, -5},
               {7, -3.2},
               {7, 3.2},
               {5, 5},
               {5, 12.5},
               {3.2, 14},
               {0, 14}},
              q.seg(16, 6), HULL, up);
    add_torus(m, 23.5, 3.3, q.seg(36, 10), q.seg(10, 4), HULL, up);
    int spokes = 4;
    for (int k = 0; k < spokes; k++) {
        double a = 90.0 * k + 45;
        add_cylinder(m, 1.1, 6.5, 20.5, q.seg(8, 4), DARK, place_rot({0, 0, 0}, 0, a, 0));
    }
    // Docking mast and its ring on top, the antenna dish below.
    add_cylinder(m, 1.5, 13.5, 20.5, q.seg(10, 4), DARK, up);
    add_torus(m, 3.0, 0.7, q.seg(16, 6), q.seg(6, 4), ACCENT, place_rot({0, 20.5, 0}, -90, 0, 0));
    add_lathe(m, {{0, -21.5}, {5.5, -18.5}, {5.0, -18.0}, {0.9, -15.5}}, q.seg(14, 6), ACCENT, up);
    // Accent collar round the hub's waist.
    add_cylinder(m, 7.3, -1.2, 1.2, q.seg(16, 6), ACCENT, up);
    if (q.fine()) {
        // Solar wings on the lower hub.
        for (int side : {1, -1}) {
            add_box(m, {side > 0 ? 5.5 : -18.5, -10.5, -3.5}, {side > 0 ? 18.5 : -5.5, -10.1, 3.5},
                    GLASS);
        }
        // Windows and lights round the ring.
        int n = q.finest() ? 16 : 8;
        for (int k = 0; k < n; k++) {
            double a = 2 * 3.14159265358979 * (k + 0.5) / n;
            dvec dir{std::cos(a), 0, std::sin(a)};
            add_light(m, dir * 23.5 + dvec{0, 3.35, 0}, 0.7);
            if (q.finest()) {
                xform w = place_rot(dir * 26.75, 0,
                                    -std::atan2(dir.z, dir.x) * 180 / 3.14159265358979, 0);
                add_box(m, {-0.2, -1.0, -1.5}, {0.2, 1.0, 1.5}, GLASS, w);
            }
        }
        add_light(m, {0, 21.4, 0}, 0.9);
    }
}

// ---------------------------------------------------------------- the station complex, r ~ 500 m
void build_stanice_dock(mesh& m, std::vector<mesh_node>&, const quality& q) {
    xform along_x = place_rot({0, 0, 0}, 0, 90, 0); // lathes along +x
    // Core: a long drum from the stern (-x) to the bay block.
    // Flat faces of the drum look along +-y and +-z; bands and windows sit on them.
    const int drum = q.seg(24, 8);
    const double phase = 180.0 / drum, apothem = 110 * std::cos(3.14159265358979 / drum);
    add_lathe(m,
              {{0, -430},
               {40, -430},
               {70, -400},
               {105, -360},
               {110, -300},
               {110, 250},
               {95, 305},
               {60, 320}},
              drum, HULL, along_x, phase);
    for (double x : {-250.0, -60.0, 140.0})
        add_lathe(m, {{113, x - 8}, {113, x + 8}}, drum, ACCENT, along_x, phase);
    // The bay block: the docking bay opens toward +x, mouth at x = 510.
    add_pocket_box(m, {300, -62, -85}, {510, 62, 85}, 420, -13.5, 13.5, -25, 25, HULL, DARK, BLACK);
    // Habitat ring on spokes around the drum.
    xform ring_at = place_rot({-120, 0, 0}, 0, 90, 0);
    add_torus(m, 320, 32, q.seg(40, 12), q.seg(10, 4), HULL, ring_at);
    int spokes = q.coarse() ? 3 : 6;
    for (int k = 0; k < spokes; k++) {
        double a = 360.0 * k / spokes + 30;
        add_cylinder(m, 10, 100, 296, q.seg(8, 4), DARK, place_rot({-120, 0, 0}, a - 90, 0, 0));
    }
    // Stern spire with a beacon.
    add_lathe(m, {{0, -495}, {6, -480}, {10, -430}}, q.seg(8, 4), DARK, along_x);
    if (!q.coarse()) {
        // Radiator vanes above and below the drum.
        for (int side : {1, -1}) {
            add_box(m, {-300, side > 0 ? 100.0 : -230.0, -3}, {-150, side > 0 ? 230.0 : -100.0, 3},
                    DARK);
        }
        // Control tower on the bay block.
        add_box(m, {330, 62, -20}, {390, 92, 20}, HULL);
        add_box(m, {388, 80, -18}, {392.5, 88, 18}, GLASS);
    }
    if (!q.coarse()) {
        // Accent frame round the bay mouth, clear of the doors' travel (|z| <= 51, |y| <= 13.5).
        add_box(m, {510, 20, -60}, {512, 25, 60}, ACCENT);
        add_box(m, {510, -25, -60}, {512, -20, 60}, ACCENT);
        add_box(m, {510, -20, -60}, {512, 20, -54}, ACCENT);
        add_box(m, {510, -20, 54}, {512, 20, 60}, ACCENT);
    }
    if (q.fine()) {
        // Guide lights round the bay mouth and a landing strip inside it.
        for (int i = 0; i <= 6; i++) {
            double z = -30 + 10.0 * i;
            add_box(m, {510, 16.5, z - 1.5}, {511.5, 18.5, z + 1.5}, LIGHTS);
            add_box(m, {510, -18.5, z - 1.5}, {511.5, -16.5, z + 1.5}, LIGHTS);
        }
        for (int i = 0; i < 4; i++) {
            double x = 430 + 20.0 * i;
            add_box(m, {x, -13.5, -8}, {x + 6, -13.0, -6}, LIGHTS);
            add_box(m, {x, -13.5, 6}, {x + 6, -13.0, 8}, LIGHTS);
        }
        // Window rows along the drum.
        int n = q.finest() ? 10 : 5;
        for (int i = 0; i < n; i++) {
            double x = -280 + 500.0 * i / n;
            for (int side : {1, -1}) {
                double in = apothem - 1.5, out = apothem + 1.2;
                add_box(m, {x, -6, side > 0 ? in : -out}, {x + 30, 6, side > 0 ? out : -in}, GLASS);
            }
        }
        for (int k = 0; k < 6; k++) {
            double a = 2 * 3.14159265358979 * k / 6;
            add_light(m, {-120, 352 * std::cos(a), 352 * std::sin(a)}, 8);
        }
        add_light(m, {-497, 0, 0}, 6);
    }
    if (q.finest()) {
        // Communication dishes on the drum.
        for (int side : {1, -1}) {
            xform d = place_rot({-340, 0, 112.0 * side}, side > 0 ? 0 : 180, 0, 0);
            add_lathe(m, {{0, 0}, {30, 18}, {28, 20}, {0, 6}}, q.seg(10, 6), ACCENT, d);
        }
    }
}

// ---------------------------------------------------------------- the freighter, 125 m
void build_transport(mesh& m, std::vector<mesh_node>&, const quality& q) {
    add_box(m, {-3, -3, -50}, {3, 3, 48}, DARK); // spine
    // Bridge block, deck house with its window band, and the blunt nose.
    add_box(m, {-8, -5, 46}, {8, 5, 58}, HULL);
    add_loft(m,
             {{{8, -5, 58}, {8, 5, 58}, {-8, 5, 58}, {-8, -5, 58}},
              {{5.5, -3.5, 63.5}, {5.5, 3, 63.5}, {-5.5, 3, 63.5}, {-5.5, -3.5, 63.5}}},
             HULL, {});
    add_box(m, {-6, 5, 47}, {6, 8.5, 56}, HULL);
    add_box(m, {-5.4, 6.3, 55.7}, {5.4, 7.7, 56.4}, GLASS);
    // Containers round the spine: four per bay; far levels merge them into long blocks.
    int bays = q.coarse() ? 1 : 6;
    double z0 = -44, z1 = 42, pitch = (z1 - z0) / bays;
    const uint8_t COLOURS[5] = {HULL, ACCENT, DARK, HULL, ACCENT};
    for (int b = 0; b < bays; b++) {
        double a = z0 + pitch * b + 0.5, c = z0 + pitch * (b + 1) - 0.5;
        for (int k = 0; k < 4; k++) {
            double sx = (k & 1) ? 1 : -1, sy = (k & 2) ? 1 : -1;
            dvec lo{sx > 0 ? 3.3 : -12.5, sy > 0 ? 0.25 : -6.25, a};
            dvec hi{sx > 0 ? 12.5 : -3.3, sy > 0 ? 6.25 : -0.25, c};
            add_box(m, lo, hi, q.coarse() ? uint8_t(HULL) : COLOURS[(b * 3 + k) % 5]);
        }
    }
    // Engine block with four bells and their glow.
    add_box(m, {-10, -8, -58}, {10, 8, -46}, HULL);
    for (int k = 0; k < 4; k++) {
        double x = (k & 1) ? 4.6 : -4.6, y = (k & 2) ? 3.6 : -3.6;
        xform at = place({x, y, 0});
        add_lathe(m, {{2.0, -58}, {3.2, -62.4}, {2.2, -61.8}}, q.seg(12, 6), DARK, at);
        add_cylinder(m, 2.3, -62.6, -62.2, q.seg(12, 6), LIGHTS, at);
    }
    // Radiator wings and the mast.
    for (int side : {1, -1}) {
        add_box(m, {side > 0 ? 10.0 : -26.0, -0.4, -56}, {side > 0 ? 26.0 : -10.0, 0.4, -44}, DARK);
        if (q.fine()) add_light(m, {26.6 * side, 0, -50}, 1.2);
    }
    if (!q.coarse()) {
        add_cylinder(m, 0.5, 8.5, 16, q.seg(6, 4), DARK, place_rot({0, 0, 50}, -90, 0, 0));
        add_ellipsoid(m, {2.6, 0.6, 2.6}, q.seg(10, 6), q.seg(4, 2), ACCENT, place({0, 16.4, 50}));
    }
    if (q.fine()) {
        add_light(m, {8.6, 0, 52}, 1.0);
        add_light(m, {-8.6, 0, 52}, 1.0);
        add_light(m, {0, -5.6, 61}, 1.0);
    }
    if (q.finest()) {
        // Hand rails of container clamps along the spine's top and bottom.
        for (int b = 0; b <= bays; b++) {
            double z = z0 + pitch * b;
            add_box(m, {-13, -0.25, z - 0.6}, {13, 0.25, z + 0.6}, DARK);
        }
    }
}

// ---------------------------------------------------------------- enemy and scene ships
// Organic fighter: a segmented carapace with mandibles, membranes and a tail, about 9 m.
void build_bio_stihacka(mesh& m, std::vector<mesh_node>&, const quality& q) {
    // Round parts are many and small: their segment counts stop growing at the finer variants.
    int s = std::min(q.seg(8, 6), 16), r = std::min(q.seg(5, 3), 9);
    add_ellipsoid(m, {1.6, 1.15, 1.7}, s, r, HULL, place({0, 0.1, 1.2}));
    add_ellipsoid(m, {1.9, 1.3, 1.9}, s, r, ACCENT, place({0, 0.05, -0.4}));
    add_ellipsoid(m, {1.5, 0.8, 2.4}, s, r, DARK, place({0, -0.55, 0.3}));
    // Tail of shrinking segments curling upward, with a fin.
    const double tail[4][4] = {{-2.4, 0.25, 1.2, 1.0},
                               {-3.5, 0.5, 0.9, 0.8},
                               {-4.4, 0.85, 0.65, 0.6},
                               {-5.1, 1.25, 0.42, 0.45}};
    int segs = q.coarse() ? 2 : 4;
    for (int i = 0; i < segs; i++) {
        add_ellipsoid(m, {tail[i][2], tail[i][2] * 0.8, tail[i][3]}, s, r, i % 2 ? ACCENT : HULL,
                      place_rot({0, tail[i][1], tail[i][0]}, -12.0 * i, 0, 0));
    }
    if (!q.coarse())
        add_ellipsoid(m, {0.12, 0.85, 0.75}, s, r, ACCENT, place_rot({0, 1.55, -5.35}, 35, 0, 0));
    for (int side : {1, -1}) {
        // Mandibles: three segments bending inward ahead of the head.
        const double jaw[3][5] = {{1.25, -0.25, 2.5, 0.42, 0.8},
                                  {1.35, -0.35, 3.6, 0.32, 0.7},
                                  {0.9, -0.4, 4.5, 0.22, 0.55}};
        int n = q.coarse() ? 2 : 3;
        for (int i = 0; i < n; i++) {
            double yaw = side * (i == 0 ? 12 : i == 1 ? -10 : -35);
            add_ellipsoid(m, {jaw[i][3], jaw[i][3] * 0.8, jaw[i][4]}, s, r, HULL,
                          place_rot({jaw[i][0] * side, jaw[i][1], jaw[i][2]}, 0, yaw, 0));
        }
        // Membrane wings, swept back.
        add_ellipsoid(m, {2.6, 0.1, 1.15}, s, r, GLASS,
                      place_rot({2.5 * side, 0.35, -0.9}, 0, side * -28.0, side * 12.0));
        if (!q.coarse()) {
            // Glowing eyes.
            add_ellipsoid(m, {0.22, 0.18, 0.2}, q.seg(6, 4), q.seg(4, 2), LIGHTS,
                          place({0.62 * side, 0.72, 2.45}));
        }
        if (q.fine()) {
            // Ribs along the carapace.
            for (int k = 0; k < 3; k++)
                add_ellipsoid(m, {0.18, 0.5, 0.18}, q.seg(6, 4), q.seg(4, 2), DARK,
                              place_rot({1.55 * side, 0.35, 0.6 - 0.9 * k}, 0, 0, side * -25.0));
        }
        if (q.finest()) {
            add_ellipsoid(m, {0.15, 0.15, 0.55}, q.seg(6, 4), q.seg(4, 2), LIGHTS,
                          place_rot({1.3 * side, -1.0, -0.3}, 0, side * 10.0, 0));
        }
    }
}

// Light frigate, 42 m: a slim hull with two engine booms on a cross wing (an H from above).
void build_lehka_fregata(mesh& m, std::vector<mesh_node>&, const quality& q) {
    std::vector<std::vector<dvec>> hull = {hex_ring(-19, 3.2, 2.4, 2.2)};
    if (!q.coarse()) hull.push_back(hex_ring(-4, 3.8, 3.0, 2.6));
    hull.push_back(hex_ring(10, 3.2, 2.6, 2.2));
    if (!q.coarse()) hull.push_back(hex_ring(18, 2.0, 1.6, 1.4, -0.3));
    hull.push_back(pole(23.5, -0.6));
    add_loft(m, hull, HULL, {});
    add_ellipsoid(m, {1.5, 1.0, 3.2}, q.seg(10, 4), q.seg(6, 2), GLASS, place({0, 2.5, 12}));
    add_prism(m, {{-14, 0, -13}, {14, 0, -13}, {12, 0, -3}, {-12, 0, -3}}, -0.6, 0.6, DARK, {});
    for (int side : {1, -1}) {
        xform at = place({14.0 * side, 0, 0});
        add_lathe(m, {{1.6, -21}, {2.3, -19.5}, {2.3, 2}, {1.6, 6}, {0.0, 8.5}}, q.seg(10, 4),
                  ACCENT, at);
        add_cylinder(m, 1.5, -21.5, -20.8, q.seg(10, 4), LIGHTS, at);
        // Dorsal fins on the booms.
        add_prism(m, {{0, 0, -19}, {0, 0, -9}, {3.2, 0, -16}, {3.4, 0, -20}}, -0.3, 0.3, HULL,
                  place_rot({14.0 * side, 1.8, 0}, 0, 0, 90));
        if (q.fine()) add_light(m, {14.0 * side, 0, 8.7}, 0.7);
    }
    if (q.fine()) {
        // Sensor mast and a ventral turret.
        add_box(m, {-0.4, 2.8, -12}, {0.4, 6.5, -8}, DARK);
        add_cylinder(m, 1.4, -0.6, 0.6, q.seg(10, 6), DARK, place_rot({0, -2.4, 4}, 90, 0, 0));
        add_box(m, {-0.25, -2.7, 4}, {0.25, -2.2, 9}, DARK);
    }
    if (q.finest()) {
        for (int k = 0; k < 4; k++) add_light(m, {0, -2.3, -14 + 7.0 * k}, 0.5);
    }
}

// Cruiser, 96 m: an arrowhead hull, command tower aft, engine pods on outriggers, turrets.
void build_kriznik(mesh& m, std::vector<mesh_node>&, const quality& q) {
    std::vector<std::vector<dvec>> hull = {hex_ring(-42, 11, 6, 5, 0, 0.4, 0.6)};
    if (!q.coarse()) hull.push_back(hex_ring(-12, 13.5, 7.5, 6, 0, 0.4, 0.6));
    hull.push_back(hex_ring(20, 9, 5, 4.5, 0, 0.4, 0.6));
    if (q.fine()) hull.push_back(hex_ring(38, 4.5, 2.8, 2.6, -0.3, 0.4, 0.6));
    hull.push_back(pole(54, -0.8));
    add_loft(m, hull, DARK, {});
    // Accent ridge along the spine.
    add_loft(m,
             {{{0.8, 5.5, -40}, {0, 7.6, -40}, {-0.8, 5.5, -40}},
              {{0.8, 6.8, -12}, {0, 9.0, -12}, {-0.8, 6.8, -12}},
              {{0.6, 4.4, 20}, {0, 6.0, 20}, {-0.6, 4.4, 20}}},
             ACCENT, {});
    // Command tower with its bridge windows.
    add_box(m, {-4.5, 5, -38}, {4.5, 16, -22}, HULL);
    add_box(m, {-5.5, 12.5, -30}, {5.5, 19, -21}, HULL);
    add_box(m, {-5.0, 15, -21.2}, {5.0, 17, -20.5}, GLASS);
    // Engine pods on outriggers.
    for (int side : {1, -1}) {
        xform at = place({17.0 * side, -2, 0});
        add_lathe(m, {{3.2, -47}, {4.2, -45}, {4.2, -24}, {3.0, -20}}, q.seg(10, 6), HULL, at);
        add_cylinder(m, 3.0, -47.6, -46.8, q.seg(10, 6), LIGHTS, at);
        add_box(m, {side > 0 ? 9.0 : -14.0, -3.2, -40}, {side > 0 ? 14.0 : -9.0, -0.8, -27}, DARK);
        add_cylinder(m, 4.35, -27, -25, q.seg(10, 6), ACCENT, at);
        if (q.fine()) add_light(m, {21.6 * side, -2, -30}, 1.0);
    }
    add_cylinder(m, 3.5, -43.5, -42, q.seg(10, 6), LIGHTS, place({0, 0, 0}));
    // Turrets on the deck, barrels forward.
    int turrets = q.coarse() ? 0 : q.fine() ? 3 : 2;
    for (int t = 0; t < turrets; t++) {
        double z = -4 + 14.0 * t;
        double deck = 7.5 - (z + 12) * (2.5 / 32.0) + 0.2;
        add_cylinder(m, 2.2, 0, 1.6, q.seg(10, 6), HULL, place_rot({0, deck, z}, -90, 0, 0));
        for (int b : {-1, 1})
            add_box(m, {0.5 * b - 0.2, deck + 0.6, z}, {0.5 * b + 0.2, deck + 1.0, z + 5}, DARK);
    }
    if (q.finest()) {
        add_box(m, {-0.3, 19, -27}, {0.3, 25, -25}, DARK); // antenna
        add_light(m, {0, 25.5, -26}, 0.8);
        for (int side : {1, -1})
            for (int k = 0; k < 4; k++)
                add_box(m, {side > 0 ? 9.8 : -10.6, -0.5, -8.0 + 8 * k},
                        {side > 0 ? 10.6 : -9.8, 0.5, -5.0 + 8 * k}, LIGHTS);
    }
}

// ---------------------------------------------------------------- planet and moon stand-ins
// Materials by texel class, read by the flight loop with a ramp base (152 planet, 176 moon):
// planet ocean 1 (bright blue), land 3 (bright green), ice and cloud 5 (bright white);
// moon highlands (ice-ramp texels) 5, maria (regolith texels) 4.
uint8_t planet_material(uint8_t texel) {
    int cls = (texel - GLOBE_RAMP_FIRST) / GLOBE_SHADES;
    if (cls == GLOBE_ICE) return 5;
    if (cls == GLOBE_VEGETATION || cls == GLOBE_DESERT) return 3;
    return 1;
}

uint8_t moon_material(uint8_t texel) {
    int cls = (texel - GLOBE_RAMP_FIRST) / GLOBE_SHADES;
    return cls == GLOBE_ICE ? 5 : 4;
}

void build_sphere_from_map(mesh& m, const globe_map& map, const quality& q,
                           uint8_t (*material)(uint8_t), int base_segments) {
    int segs = q.seg(base_segments, 8);
    int rings = segs / 2;
    // The material of a face is the most common class over a grid of samples in its cell.
    auto mat = [&](int ring, int seg) -> uint8_t {
        int counts[6] = {0, 0, 0, 0, 0, 0};
        for (int sy = 0; sy < 4; sy++) {
            for (int sx = 0; sx < 4; sx++) {
                double lat = (ring + (sy + 0.5) / 4) / rings; // 0 south .. 1 north
                double lon = (seg + (sx + 0.5) / 4) / segs;
                int row = std::min(map.height - 1, int((1 - lat) * map.height));
                int col = std::min(map.width - 1, int(lon * map.width));
                counts[material(map.texels[row * map.width + col])]++;
            }
        }
        int best = 0;
        for (int i = 1; i < 6; i++)
            if (counts[i] > counts[best]) best = i;
        return static_cast<uint8_t>(best);
    };
    double r = map.radius;
    add_ellipsoid(m, {r, r, r}, segs, rings, mat, place_rot({0, 0, 0}, -90, 0, 0));
}

struct recipe_entry {
    const char* name;
    int levels;
    recipe build;
};

} // namespace

int32_t to_fix16(double metres) {
    return static_cast<int32_t>(std::lround(metres * 65536.0));
}

std::vector<uint8_t> model_file_bytes(const model_asset& a) {
    bytes b;
    b.tag("FMDL");
    b.u16(1);
    b.u16(static_cast<uint32_t>(a.levels.size()));
    b.u16(static_cast<uint32_t>(a.nodes.size()));
    b.u16(0);
    for (const model_level& l : a.levels) {
        b.u32(static_cast<uint32_t>(l.m.verts.size()));
        b.u32(static_cast<uint32_t>(l.m.faces.size()));
    }
    for (const model_level& l : a.levels) {
        for (dvec v : l.m.verts) {
            b.i32(to_fix16(v.x));
            b.i32(to_fix16(v.y));
            b.i32(to_fix16(v.z));
        }
        for (const mesh_face& f : l.m.faces) {
            b.u16(f.a);
            b.u16(f.b);
            b.u16(f.c);
            b.u8(f.mat);
            b.u8(0);
        }
    }
    for (const mesh_node& n : a.nodes) {
        char name[16] = {}, tag[16] = {};
        std::snprintf(name, sizeof name, "%s", n.name.c_str());
        std::snprintf(tag, sizeof tag, "%s", n.tag.c_str());
        b.raw(reinterpret_cast<const uint8_t*>(name), 16);
        b.raw(reinterpret_cast<const uint8_t*>(tag), 16);
        b.i32(to_fix16(n.at.x));
        b.i32(to_fix16(n.at.y));
        b.i32(to_fix16(n.at.z));
        for (int i = 0; i < 9; i++) b.i32(i % 4 == 0 ? 65536 : 0); // identity orientation
    }
    return b.data;
}

std::vector<model_asset> build_all_models(const globe_map& earth, const globe_map& moon) {
    auto planet = [&](mesh& m, std::vector<mesh_node>&, const quality& q) {
        build_sphere_from_map(m, earth, q, planet_material, 40);
    };
    auto moon_fn = [&](mesh& m, std::vector<mesh_node>&, const quality& q) {
        build_sphere_from_map(m, moon, q, moon_material, 32);
    };
    const std::vector<recipe_entry> recipes = {
        {"stihac", 3, build_stihac},
        {"station", 3, build_station},
        {"stanice_dock", 3, build_stanice_dock},
        {"transport", 3, build_transport},
        {"bio_stihacka", 3, build_bio_stihacka},
        {"lehka_fregata", 3, build_lehka_fregata},
        {"kriznik", 3, build_kriznik},
        {"zeme", 3, planet},
        {"mesic", 3, moon_fn},
        {"missile_ir", 2, build_missile_ir},
        {"missile_radar", 2, build_missile_radar},
        {"bomb", 2, build_bomb},
    };
    std::vector<model_asset> out;
    for (const recipe_entry& r : recipes) {
        for (int v = 0; v < 4; v++) {
            model_asset a;
            a.name = r.name;
            a.variant = v;
            for (int l = 0; l < r.levels; l++) {
                quality q{v, l, VARIANT_FACTOR[v] * LEVEL_FACTOR[l]};
                model_level level;
                std::vector<mesh_node> nodes;
                r.build(level.m, nodes, q);
                if (l == 0) a.nodes = nodes;
                a.levels.push_back(std::move(level));
            }
            out.push_back(std::move(a));
        }
    }
    return out;
}

bool generate_models(const asset_context& c) {
    globe_map earth;
    if (!build_earth_map(c.earth_image, &earth)) return false;
    globe_map moon = build_moon_map();
    bool ok = true;
    for (const model_asset& a : build_all_models(earth, moon)) {
        std::string file = a.name + VARIANT_SUFFIX[a.variant] + ".model";
        for (size_t l = 0; l < a.levels.size(); l++) {
            const mesh& m = a.levels[l].m;
            std::string why = mesh_check(m.verts, m.faces);
            if (why.empty() && (m.verts.size() > 16384 || m.faces.size() > 16384))
                why = "more than 16384 vertices or faces";
            if (!why.empty()) {
                std::fprintf(stderr, "datagen: %s level %zu: %s\n", file.c_str(), l, why.c_str());
                ok = false;
            }
        }
        if (ok && !write_file(c.out_dir + "/" + file, model_file_bytes(a))) ok = false;
    }
    return ok;
}

} // namespace vantrel::datagen
