// scene_draw: the parts of a scene frame beyond the models: the logo and its colours, beams,
// wrecks, the cockpit overlay and the captions.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/trig.h"
#include "flight/flight_loop.h"
#include "flight/panel_draw.h"
#include "render/palette.h"
#include "render/text.h"
#include "render/view_draw.h"
#include "scenes/scene_parts.h"
#include "shell/startup_assets.h"

namespace vantrel {

namespace {

// --- the logo --------------------------------------------------------------------------------

constexpr int32_t LEVEL[3] = {90, 166, 256};

// The three shades of a colour at 96 + 3k (or wherever first points).
void shade_triplet(uint8_t* palette, int first, const int32_t rgb[3]) {
    for (int j = 0; j < 3; j++)
        for (int ch = 0; ch < 3; ch++)
            palette[(first + j) * 3 + ch] = static_cast<uint8_t>(rgb[ch] * LEVEL[j] >> 8);
}

// How strongly a highlight at distance d (in 4096ths of the bands) lights a band: 0 to 256.
int32_t band_light(int32_t d) {
    int32_t v = 256 - d * 85 / 256;
    return v < 0 ? 0 : v;
}

// --- beams -----------------------------------------------------------------------------------

struct line_end {
    int64_t x, y;
};

int64_t projected(fix16 coord, fix16 focal, fix16 z) {
    return (int64_t(coord) * focal / z) >> 16;
}

// Cohen-Sutherland region bits against the frame.
int region(const line_end& p, int width, int height) {
    return (p.x < 0) | (p.x >= width) << 1 | (p.y < 0) << 2 | (p.y >= height) << 3;
}

// Clips the segment to the frame; false when nothing of it is inside.
bool clip_to_frame(line_end* a, line_end* b, int width, int height) {
    for (int guard = 0; guard < 8; guard++) {
        int ra = region(*a, width, height), rb = region(*b, width, height);
        if (!(ra | rb)) return true;
        if (ra & rb) return false;
        line_end* p = ra ? a : b;
        const line_end& q = ra ? *b : *a;
        int r = ra ? ra : rb;
        int64_t dx = q.x - p->x, dy = q.y - p->y;
        if (r & 3) {
            int64_t x = (r & 1) ? 0 : width - 1;
            p->y += dy * (x - p->x) / dx;
            p->x = x;
        } else {
            int64_t y = (r & 4) ? 0 : height - 1;
            p->x += dx * (y - p->y) / dy;
            p->y = y;
        }
    }
    return false;
}

void plot_line(uint8_t* frame, int width, int height, line_end a, line_end b, uint8_t colour) {
    if (!clip_to_frame(&a, &b, width, height)) return;
    int x = int(a.x), y = int(a.y), x1 = int(b.x), y1 = int(b.y);
    int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
    int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1, err = dx + dy;
    for (;;) {
        if (x >= 0 && x < width && y >= 0 && y < height) frame[y * width + x] = colour;
        if (x == x1 && y == y1) return;
        int e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
}

// The view-space segment cut at the near plane, projected and drawn without depth.
void draw_beam(const scene_frame* f, vec3 a, vec3 b, uint8_t colour) {
    const fix16 near = f->vp.near;
    if (a.z <= near && b.z <= near) return;
    if (a.z <= near || b.z <= near) {
        vec3& behind = a.z <= near ? a : b;
        const vec3& front = a.z <= near ? b : a;
        int64_t num = int64_t(near) - behind.z, den = int64_t(front.z) - behind.z;
        behind.x = static_cast<fix16>(behind.x + (int64_t(front.x) - behind.x) * num / den);
        behind.y = static_cast<fix16>(behind.y + (int64_t(front.y) - behind.y) * num / den);
        behind.z = near;
    }
    const view_projection& vp = f->vp;
    line_end pa = {vp.centre_x + projected(a.x, vp.focal, a.z),
                   vp.centre_y - projected(a.y, vp.focal, a.z)};
    line_end pb = {vp.centre_x + projected(b.x, vp.focal, b.z),
                   vp.centre_y - projected(b.y, vp.focal, b.z)};
    plot_line(f->frame, f->view->width, f->view->height, pa, pb, colour);
}

vec3 narrowed(const space_pos& p) {
    return vec3{fix32_narrow(p.x), fix32_narrow(p.y), fix32_narrow(p.z)};
}

space_pos moved(const space_pos& p, const vec3& metres) {
    return space_pos{wrap_add64(p.x, int64_t(metres.x) * 65536),
                     wrap_add64(p.y, int64_t(metres.y) * 65536),
                     wrap_add64(p.z, int64_t(metres.z) * 65536)};
}

void beam_sparks(scene_frame* f, int event, const space_pos& from, const space_pos& to) {
    vec3 back = space_delta(&from, &to), dir;
    vec3_normalize(&dir, &back);
    vec3 at = narrowed(to);
    uint32_t seed = particles_hash(static_cast<uint32_t>(event) * 0x9E3779B1u ^ f->ms);
    particles_burst(&f->view->fx, seed, 4, &at, &dir, 8 * FIX16_ONE, FIX16_ONE, 300, 0, 0);
}

// --- wrecks ----------------------------------------------------------------------------------

constexpr fix16 WRECK_OUTWARD = 6 * FIX16_ONE; // metres a second
constexpr int WRECK_EMBERS = 40;

// Rotation by angle about a unit axis (Rodrigues), rows first.
mat3 axis_rotation(const vec3& u, bangle angle) {
    fix16 c = trig_cos(angle) >> 14, s = trig_sin(angle) >> 14, t = FIX16_ONE - c;
    auto m = [](fix16 a, fix16 b) { return fix16_mul(a, b); };
    fix16 xy = m(m(t, u.x), u.y), xz = m(m(t, u.x), u.z), yz = m(m(t, u.y), u.z);
    return mat3{{m(m(t, u.x), u.x) + c, xy - m(s, u.z), xz + m(s, u.y), //
                 xy + m(s, u.z), m(m(t, u.y), u.y) + c, yz - m(s, u.x), //
                 xz - m(s, u.y), yz + m(s, u.x), m(m(t, u.z), u.z) + c}};
}

vec3 spin_axis(int event, int part) {
    uint32_t h = particles_hash(static_cast<uint32_t>(event * SCENE_WRECK_PARTS + part) + 1);
    vec3 raw = {static_cast<fix16>((h & 0x3FF) - 512) << 6,
                static_cast<fix16>(((h >> 10) & 0x3FF) - 512) << 6,
                static_cast<fix16>(((h >> 20) & 0x3FF) - 512) << 6};
    if (raw == vec3{0, 0, 0}) return vec3{0, FIX16_ONE, 0};
    vec3 u;
    vec3_normalize(&u, &raw);
    return u;
}

struct wreck_motion {
    render_pose at; // the object at the moment it broke up
    vec3 velocity;  // metres a second
    fix16 seconds;  // since then
    uint32_t ms;
};

void draw_wreck(scene_frame* f, int event, const scene_wreck& w, const wreck_motion& m,
                const view_scene* vs, uint8_t base) {
    for (int k = 0; k < w.count; k++) {
        vec3 rc, out, spun_c;
        mat3_apply(&rc, &m.at.orient, &w.centre[k]);
        vec3_normalize(&out, &rc);
        mat3 spin = axis_rotation(spin_axis(event, k), bangle(uint64_t(BANGLE_90) * m.ms / 1000));
        render_pose part;
        mat3_mul(&part.orient, &m.at.orient, &spin);
        mat3_apply(&spun_c, &part.orient, &w.centre[k]);
        vec3 speed, shift;
        vec3_scale(&speed, &out, WRECK_OUTWARD);
        vec3_add(&speed, &speed, &m.velocity);
        vec3_scale(&shift, &speed, m.seconds);
        vec3_add(&shift, &shift, &rc);
        vec3_sub(&shift, &shift, &spun_c);
        part.pos = moved(m.at.pos, shift);
        view_draw_object(vs, &w.parts[k], &part, base, f->shading);
    }
}

// --- cockpit ---------------------------------------------------------------------------------

constexpr int64_t RADAR_RANGE = 4000; // metres
constexpr uint8_t BLIP_FRIEND = 12, BLIP_HOSTILE = 13;

struct blip {
    int64_t distance2;
    vec3 at;
    uint8_t colour;
};

int nearest_blips(const scene_frame* f, blip out[PANEL_MAX_BLIPS]) {
    int count = 0;
    const scene& s = f->view->sc;
    for (int i = 0; i < s.object_count; i++) {
        if (!f->shown[i]) continue;
        const space_pos& p = f->poses[i].pos;
        const space_pos& c = f->camera.pos;
        int64_t d[3] = {wrap_sub64(p.x, c.x) >> 32, wrap_sub64(p.y, c.y) >> 32,
                        wrap_sub64(p.z, c.z) >> 32};
        if (std::llabs(d[0]) > RADAR_RANGE || std::llabs(d[1]) > RADAR_RANGE ||
            std::llabs(d[2]) > RADAR_RANGE)
            continue;
        blip b;
        scene_view_point(&b.at, &f->camera, &p);
        int64_t x = b.at.x >> 16, y = b.at.y >> 16, z = b.at.z >> 16;
        b.distance2 = x * x + y * y + z * z;
        if (b.distance2 > RADAR_RANGE * RADAR_RANGE) continue;
        b.colour = scene_object_is_role(&s.objects[i]) ? BLIP_HOSTILE : BLIP_FRIEND;
        // Insertion into the nearest eight, nearest first.
        int k = count < PANEL_MAX_BLIPS ? count++ : PANEL_MAX_BLIPS;
        while (k > 0 && out[k - 1].distance2 > b.distance2) {
            if (k < PANEL_MAX_BLIPS) out[k] = out[k - 1];
            k--;
        }
        if (k < PANEL_MAX_BLIPS) out[k] = b;
    }
    return count;
}

} // namespace

// --- the logo --------------------------------------------------------------------------------

void scene_logo_place(const scene_frame* f, scene_logo* logo) {
    const scene_view* v = f->view;
    const scene& s = v->sc;
    logo->shown = (s.flags & SCENE_SHOW_LOGO) && g_logo.loaded;
    logo->glint = scene_wave(f->ms, scene_period_ms(s.glint_period));
    if (!logo->shown) return;
    fix16 bob = scene_wave(f->ms, scene_period_ms(s.logo_bob_period));
    logo->x = (v->width - 320 * v->scale) / 2 + s.logo_x * v->scale;
    logo->y = (s.logo_y + ((s.logo_bob_amplitude * bob + 0x8000) >> 16)) * v->scale;
    fix16 factor = s.logo_depth_factor;
    if (factor <= 0 || factor > FIX16_ONE) factor = FIX16_ONE;
    fix16 z = fix16_div(v->near, factor);
    logo->depth = depth_frame_vertex(&g_depth_frame, fix16_div(v->focal, z));
}

void scene_logo_draw(const scene_frame* f, const scene_logo* logo) {
    if (!logo->shown) return;
    const image8& im = g_logo.image;
    const int width = f->view->width, height = f->view->height, scale = f->view->scale;
    // The rows and columns of the frame the picture covers, clipped once.
    const int y0 = logo->y < 0 ? 0 : logo->y, x0 = logo->x < 0 ? 0 : logo->x;
    const int y1 = std::min(height, logo->y + im.height * scale);
    const int x1 = std::min(width, logo->x + im.width * scale);
    for (int y = y0; y < y1; y++) {
        const uint8_t* src = im.pixels + (y - logo->y) / scale * im.width;
        uint8_t* out = f->frame + y * width;
        int32_t* depth = f->depth + y * width;
        if (scale == 1) {
            for (int x = x0, i = x0 - logo->x; x < x1; x++, i++)
                if (src[i]) out[x] = src[i], depth[x] = logo->depth;
            continue;
        }
        for (int x = x0; x < x1; x++) {
            uint8_t c = src[(x - logo->x) / scale];
            if (c) out[x] = c, depth[x] = logo->depth;
        }
    }
}

void scene_logo_glint(const scene_frame* f, const scene_logo* logo) {
    if (!logo->shown) return;
    const int width = f->view->width, height = f->view->height, scale = f->view->scale;
    int32_t g = (logo->glint + FIX16_ONE) >> 9, g2 = g * g >> 8;
    const int arms[2] = {((g2 * 28 >> 8) + 5) * scale, ((g2 * 18 >> 8) + 3) * scale};
    const int cx = logo->x + g_logo.centre_x * scale, cy = logo->y + g_logo.centre_y * scale;
    for (int arm = 0; arm < 2; arm++) {
        int half = arms[arm];
        for (int d = -half; d <= half; d++) {
            int x = arm ? cx : cx + d, y = arm ? cy + d : cy;
            if (x < 0 || x >= width || y < 0 || y >= height) continue;
            int p = y * width + x;
            if (f->depth[p] > logo->depth) continue;
            f->frame[p] = static_cast<uint8_t>(195 + 4 * std::abs(d) / (half + 1));
        }
    }
}

void scene_logo_palette(const scene_view* view, uint32_t ms, fix16 glint, uint8_t* palette) {
    const scene& s = view->sc;
    int32_t p1 = scene_phase(ms, scene_period_ms(s.band1_period), 6144);
    int32_t p2 = scene_phase(ms, scene_period_ms(s.band2_period), 4096);
    for (int k = 0; k < 16; k++) {
        int32_t c = 128 + 256 * k;
        int32_t ia = band_light(std::abs(p1 - 1024 - c));
        int32_t db = std::abs(p2 - c);
        int32_t ib = band_light(db > 2048 ? 4096 - db : db);
        int32_t a[3], b[3];
        for (int ch = 0; ch < 3; ch++) {
            int32_t ac = s.band1_rgb[ch], bc = s.band2_rgb[ch];
            a[ch] = ac + (255 - ac) * ia * 205 / 65536;
            b[ch] = bc + ((255 - bc) * ib >> 8);
        }
        shade_triplet(palette, 96 + 3 * k, a);
        shade_triplet(palette, 144 + 3 * k, b);
    }
    int32_t g = (glint + FIX16_ONE) >> 9, g2 = g * g >> 8, e = 200 + (g2 * 56 >> 8);
    int32_t centre[3];
    for (int ch = 0; ch < 3; ch++) centre[ch] = s.centre_rgb[ch] * e >> 8;
    shade_triplet(palette, 192, centre);
    static const int32_t GLINT_LEVEL[4] = {256, 180, 115, 60};
    for (int j = 0; j < 4; j++)
        for (int ch = 0; ch < 3; ch++)
            palette[(195 + j) * 3 + ch] =
                static_cast<uint8_t>(s.glint_rgb[ch] * GLINT_LEVEL[j] >> 8);
}

// --- beams -----------------------------------------------------------------------------------

void scene_draw_beams(scene_frame* f) {
    const scene& s = f->view->sc;
    for (int i = 0; i < s.event_count; i++) {
        const scene_event& e = s.events[i];
        if (e.kind != SCENE_EVENT_BEAM) continue;
        uint32_t start = scene_event_ms(&e), t = f->clip_ms - start;
        if (f->clip_ms < start || t >= scene_period_ms(e.duration)) continue;
        int from = scene_object_index(&s, e.target);
        render_pose to;
        if (from < 0 || !f->shown[from] || !scene_object_at(&s.clip, e.value, f->clip, &to))
            continue;
        if ((e.param & 16) && t % 240 >= 110) continue;
        vec3 a, b;
        scene_view_point(&a, &f->camera, &f->poses[from].pos);
        scene_view_point(&b, &f->camera, &to.pos);
        draw_beam(f, a, b, static_cast<uint8_t>(96 + (e.param & 3)));
        if (!(e.param & 32)) beam_sparks(f, i, f->poses[from].pos, to.pos);
    }
}

// --- wrecks ----------------------------------------------------------------------------------

int scene_wreck_build(scene_wreck* wreck, const drawable* d) {
    scene_wreck_free(wreck);
    if (!d || d->mdl.level_count == 0) return 0;
    const model_lod& lod = d->mdl.levels[d->mdl.level_count > 1 ? 1 : 0];
    // Each face goes to the octant of the sum of its three vertices.
    uint32_t counts[SCENE_WRECK_PARTS] = {};
    auto octant = [&lod](const model_face& face) {
        const vec3 *a = &lod.vertices[face.a], *b = &lod.vertices[face.b],
                   *c = &lod.vertices[face.c];
        int64_t x = int64_t(a->x) + b->x + c->x, y = int64_t(a->y) + b->y + c->y,
                z = int64_t(a->z) + b->z + c->z;
        return (x > 0) + 2 * (y > 0) + 4 * (z > 0);
    };
    auto valid = [&lod](const model_face& face) {
        return face.a < lod.vertex_count && face.b < lod.vertex_count && face.c < lod.vertex_count;
    };
    for (uint32_t i = 0; i < lod.face_count; i++)
        if (valid(lod.faces[i])) counts[octant(lod.faces[i])]++;
    for (int k = 0; k < SCENE_WRECK_PARTS; k++) {
        if (!counts[k]) continue;
        model_lod* level = new (std::nothrow) model_lod[1]();
        vec3* vertices = new (std::nothrow) vec3[lod.vertex_count];
        model_face* faces = new (std::nothrow) model_face[counts[k]];
        if (!level || !vertices || !faces) {
            delete[] level;
            delete[] vertices;
            delete[] faces;
            continue; // a fragment without memory is left out
        }
        std::memcpy(vertices, lod.vertices, sizeof(vec3) * lod.vertex_count);
        *level = model_lod{lod.vertex_count, counts[k], vertices, faces};
        drawable& part = wreck->parts[wreck->count];
        part.mdl.levels = level;
        part.mdl.level_count = 1;
        int64_t sum[3] = {0, 0, 0};
        uint32_t n = 0;
        for (uint32_t i = 0; i < lod.face_count; i++) {
            const model_face& face = lod.faces[i];
            if (!valid(face) || octant(face) != k) continue;
            faces[n++] = face;
            const vec3& v = lod.vertices[face.a];
            sum[0] += v.x >> 4, sum[1] += v.y >> 4, sum[2] += v.z >> 4;
        }
        wreck->centre[wreck->count] =
            vec3{static_cast<fix16>(sum[0] / n * 16), static_cast<fix16>(sum[1] / n * 16),
                 static_cast<fix16>(sum[2] / n * 16)};
        if (!drawable_init(&part, LOD_FAR)) {
            drawable_free(&part);
            continue;
        }
        wreck->count++;
    }
    return wreck->count;
}

void scene_wreck_free(scene_wreck* wreck) {
    for (int k = 0; k < SCENE_WRECK_PARTS; k++) drawable_free(&wreck->parts[k]);
    wreck->count = 0;
}

void scene_draw_wrecks(scene_frame* f) {
    scene_view* view = f->view;
    const scene& s = view->sc;
    view_scene vs = {
        {f->frame, f->depth, view->width, view->height}, &f->camera, &f->vp, &f->slopes, f->spans};
    for (int i = 0; i < s.event_count; i++) {
        const scene_wreck& w = view->wrecks[i];
        const scene_event& e = s.events[i];
        uint32_t start = scene_event_ms(&e);
        if (e.kind != SCENE_EVENT_DESTROY || !w.count || f->clip_ms < start ||
            f->clip_ms - start >= SCENE_EFFECT_MS)
            continue;
        wreck_motion m;
        render_pose before;
        scene_object_at(&s.clip, e.target, scene_clip_time(&s, start), &m.at);
        scene_object_at(&s.clip, e.target, scene_clip_time(&s, start > 100 ? start - 100 : 0),
                        &before);
        vec3 step = space_delta(&m.at.pos, &before.pos);
        m.velocity = vec3{static_cast<fix16>(uint32_t(step.x) * 10u),
                          static_cast<fix16>(uint32_t(step.y) * 10u),
                          static_cast<fix16>(uint32_t(step.z) * 10u)};
        m.ms = f->clip_ms - start;
        m.seconds = static_cast<fix16>(uint64_t(m.ms) * 65536 / 1000);
        if (scene_moment_passed(view, start, f->clip_ms)) {
            vec3 at = narrowed(m.at.pos), heading = m.velocity;
            particles_burst(&view->fx, particles_hash(static_cast<uint32_t>(i)), WRECK_EMBERS, &at,
                            &heading, FIX16_ONE, 10 * FIX16_ONE, 1500, 1, 1);
        }
        int index = scene_object_index(&s, e.target);
        int paint = index >= 0 ? view->paint[index] : 0;
        draw_wreck(f, i, w, m, &vs, static_cast<uint8_t>(LIVERY_BASE[paint]));
    }
}

// --- cockpit and captions --------------------------------------------------------------------

void scene_draw_cockpit(const scene_frame* f) {
    const scene_view* view = f->view;
    uint8_t variant = 0;
    if (!scene_cockpit(&view->sc, f->clip_ms, &variant) || !g_cp_ok ||
        g_cp_panel.width != view->width)
        return;
    uint8_t values[PANEL_VALUES_SIZE] = {};
    const uint8_t gauges[5] = {100, 80, 60, 0, 50};
    std::memcpy(values + PV_GAUGES, gauges, sizeof gauges);
    values[PV_LAMP_HIDDEN] = static_cast<uint8_t>((f->ms / 500) & 1);
    if (variant == 1) {
        values[PV_RADAR_ON] = 1;
        blip blips[PANEL_MAX_BLIPS];
        int count = nearest_blips(f, blips);
        values[PV_BLIP_COUNT] = static_cast<uint8_t>(count);
        for (int k = 0; k < count; k++)
            panel_values_set_blip(values, k, blips[k].at.x >> 16, blips[k].at.z >> 16,
                                  blips[k].at.y >> 16, blips[k].colour);
    }
    cockpit_panel_draw(&g_cp_panel, values, f->frame,
                       f->frame + (view->height - g_cp_panel.bottom_rows) * view->width,
                       view->width);
}

void scene_draw_captions(const scene_frame* f, uint8_t* palette) {
    const scene_view* view = f->view;
    const scene& s = view->sc;
    for (int i = 0; i < s.caption_count; i++) {
        const scene_caption& c = s.captions[i];
        if (f->clip_ms < scene_period_ms(c.start) || f->clip_ms >= scene_period_ms(c.end)) continue;
        int y = c.y < 0 ? view->height * 3 / 4 : c.y * view->scale;
        int x = (view->width - text_width(c.text)) >> 1;
        text_draw_shadow(f->frame, view->width, view->height, x, y, c.text, 199, 95);
        std::memcpy(palette + 199 * 3, c.rgb, 3);
    }
}

} // namespace vantrel
