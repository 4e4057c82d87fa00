// render_model: draws a model file (or the built-in door box) into a 320x256 frame with the
// game palette and writes it as an indexed PNG; prints the frame's CRC-32.
//
//   render_model [options] <file.model | --door-box> <out.png>
//     --camera X,Y,Z   camera position in model units (default: 2.5 radii out, up and right)
//     --look X,Y,Z     viewing direction (default: toward the model's origin)
//     --light X,Y,Z    light position in view space (default: up and to the left)
//     --mode N         shading mode 0-4 (default 4)
//     --base N         base palette index (default 16, the first livery block)
//     --ramp N         ramp length for modes 1 and 2 (default 8)
//     --level N        level of detail to draw (default 0)
//     --spans          use the two-stage span path instead of the fused walker
//     --fpu            use the floating-point vertex path
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/png_indexed.h"
#include "render/model_draw.h"
#include "render/palette.h"
#include "shell/game_models.h"

using namespace vantrel;

namespace {

struct options {
    const char* input = nullptr;
    const char* output = nullptr;
    bool door_box = false;
    bool has_camera = false, has_look = false;
    vec3 camera = {}, look = {};
    vec3 light = {-200 * FIX16_ONE, 300 * FIX16_ONE, 0};
    int mode = 4, base = 16, ramp = 8, level = 0;
    bool spans = false, fpu = false;
};

// "X,Y,Z" in decimal model units, kept as fix16 without going through floating point.
bool parse_fix16(const char* s, const char** end, fix16* out) {
    bool negative = *s == '-';
    if (*s == '-' || *s == '+') s++;
    if (*s < '0' || *s > '9') return false;
    int64_t whole = 0, frac = 0, scale = 1;
    while (*s >= '0' && *s <= '9') whole = whole * 10 + (*s++ - '0');
    if (*s == '.') {
        s++;
        while (*s >= '0' && *s <= '9' && scale < 100000000) {
            frac = frac * 10 + (*s++ - '0');
            scale *= 10;
        }
        while (*s >= '0' && *s <= '9') s++;
    }
    if (whole > 32767) return false;
    int64_t v = (whole << 16) + frac * 65536 / scale;
    *out = static_cast<fix16>(negative ? -v : v);
    *end = s;
    return true;
}

bool parse_vec3(const char* s, vec3* out) {
    fix16* c[3] = {&out->x, &out->y, &out->z};
    for (int i = 0; i < 3; i++) {
        if (!parse_fix16(s, &s, c[i])) return false;
        if (i < 2 && *s++ != ',') return false;
    }
    return *s == '\0';
}

bool parse_args(int argc, char** argv, options* o) {
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(a, "--door-box") == 0) {
            o->door_box = true;
        } else if (std::strcmp(a, "--spans") == 0) {
            o->spans = true;
        } else if (std::strcmp(a, "--fpu") == 0) {
            o->fpu = true;
        } else if (next && std::strcmp(a, "--camera") == 0) {
            if (!parse_vec3(argv[++i], &o->camera)) return false;
            o->has_camera = true;
        } else if (next && std::strcmp(a, "--look") == 0) {
            if (!parse_vec3(argv[++i], &o->look)) return false;
            o->has_look = true;
        } else if (next && std::strcmp(a, "--light") == 0) {
            if (!parse_vec3(argv[++i], &o->light)) return false;
        } else if (next && std::strcmp(a, "--mode") == 0) {
            o->mode = std::atoi(argv[++i]);
        } else if (next && std::strcmp(a, "--base") == 0) {
            o->base = std::atoi(argv[++i]);
        } else if (next && std::strcmp(a, "--ramp") == 0) {
            o->ramp = std::atoi(argv[++i]);
        } else if (next && std::strcmp(a, "--level") == 0) {
            o->level = std::atoi(argv[++i]);
        } else if (a[0] == '-' && a[1] == '-') {
            return false;
        } else if (!o->input && !o->door_box) {
            o->input = a;
        } else if (!o->output) {
            o->output = a;
        } else {
            return false;
        }
    }
    return o->output && (o->input || o->door_box) && o->base >= 0 && o->base <= 255;
}

bool read_whole(const char* path, std::vector<uint8_t>* out) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        out->insert(out->end(), chunk, chunk + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    options o;
    if (!parse_args(argc, argv, &o)) {
        std::fprintf(stderr, "usage: render_model [--camera X,Y,Z] [--look X,Y,Z] [--light X,Y,Z]"
                             " [--mode N] [--base N] [--ramp N] [--level N] [--spans] [--fpu]"
                             " <file.model | --door-box> <out.png>\n");
        return 2;
    }
    drawable d = {};
    if (o.door_box) {
        if (!door_box_build(&d)) return 1;
    } else {
        std::vector<uint8_t> bytes;
        if (!read_whole(o.input, &bytes)) {
            std::fprintf(stderr, "render_model: cannot read %s\n", o.input);
            return 1;
        }
        int rc = model_load(bytes.data(), uint32_t(bytes.size()), &d.mdl);
        if (rc != MODEL_OK || !drawable_init(&d, LOD_FAR)) {
            std::fprintf(stderr, "render_model: %s is not a usable model (code %d)\n", o.input, rc);
            drawable_free(&d);
            return 1;
        }
    }
    if (o.level < 0 || o.level >= d.mdl.level_count) {
        std::fprintf(stderr, "render_model: no level %d (the model has %d)\n", o.level,
                     d.mdl.level_count);
        drawable_free(&d);
        return 1;
    }

    constexpr int W = 320, H = 256;
    std::vector<uint8_t> frame(W * H, 0);
    std::vector<int32_t> depth(W * H, 0);
    static depth_span spans[SPAN_CAPACITY];
    view_projection vp = view_projection_make(W, H, VIEW_FOCAL, VIEW_NEAR);
    frustum_slopes slopes;
    make_frustum_slopes(&slopes, &vp);
    depth_frame_init(&g_depth_frame, vp.near, vp.focal);
    depth_frame_begin(&g_depth_frame, depth.data(), W * H);
    build_game_palette();
    g_raster_fused = o.spans ? 0 : 1;
    g_vertex_fpu = o.fpu ? 1 : 0;

    // By default the camera stands 2.5 bounding radii out, above and to the right.
    fix16 r = d.radius[o.level];
    vec3 cam = o.has_camera ? o.camera
                            : vec3{fix16_mul(r, 2 * FIX16_ONE / 3 * 2), fix16_mul(r, FIX16_ONE),
                                   fix16_mul(r, 2 * FIX16_ONE)};
    vec3 look = o.has_look ? o.look : vec3{-cam.x, -cam.y, -cam.z};
    vec3 up = {0, FIX16_ONE, 0};
    render_pose object = {{0, 0, 0}, IDENTITY};
    render_pose camera = {};
    camera.pos = space_pos{int64_t(cam.x) << 16, int64_t(cam.y) << 16, int64_t(cam.z) << 16};
    mat3_look_at(&camera.orient, &look, &up);
    const model_lod& lod = d.mdl.levels[o.level];
    draw_model(frame.data(), depth.data(), W, H, &lod, d.normals[o.level], d.radius[o.level],
               &object, &camera, &vp, &slopes, o.mode, &o.light, uint8_t(o.base), o.ramp, spans);
    uLong crc = crc32(0L, frame.data(), uInt(frame.size()));
    std::printf("crc32 %08lx drawn %u clipped %u culled %u\n", crc, g_render_stats.tris_drawn,
                g_render_stats.tris_clipped, g_render_stats.objs_culled);
    bool ok = png_write_indexed(o.output, frame.data(), W, H, g_game_palette) != 0;
    drawable_free(&d);
    if (!ok) {
        std::fprintf(stderr, "render_model: cannot write %s\n", o.output);
        return 1;
    }
    return 0;
}
