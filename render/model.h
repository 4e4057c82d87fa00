// model: the ".model" file (magic "FMDL"), levels of detail and drawables.
//
// A model holds up to four levels, each an indexed triangle mesh, plus named nodes that mark
// attachment points. A drawable adds what drawing needs: face normals and a bounding radius
// per level and the squared distances at which the next level takes over. Files come in up
// to four detail variants chosen by the graphics detail setting, with fall-backs. The
// game's own cast of models is shell/game_models.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "core/space.h"

namespace vantrel {

struct model_face {
    uint16_t a, b, c;
    uint8_t material;
    uint8_t flags;     // bit 0: the file carried the six extra words
    uint32_t extra[6]; // zero when the file carried none
};

struct model_lod {
    uint32_t vertex_count, face_count;
    vec3* vertices;
    model_face* faces;
};

struct model_node {
    char name[17];
    char tag[17];
    vec3 position;
    mat3 orientation;
};

struct model {
    uint16_t level_count;
    model_lod* levels;
    uint16_t node_count;
    model_node* nodes;
};

constexpr int DRAWABLE_MAX_LEVELS = 4;

// The reach of the back-face test by face planes: corners within FACE_PLANE_REACH and unit
// normals (within FACE_PLANE_NORMAL) on every axis keep its sums far from wrapping.
constexpr int32_t FACE_PLANE_REACH = 1 << 27;
constexpr int32_t FACE_PLANE_NORMAL = 1 << 17;

struct drawable {
    model mdl;
    vec3* normals[DRAWABLE_MAX_LEVELS];
    int64_t* planes[DRAWABLE_MAX_LEVELS]; // per face n . its first corner, exact; or null
    fix16 radius[DRAWABLE_MAX_LEVELS];
    int64_t switch_dist[DRAWABLE_MAX_LEVELS - 1]; // squared; level i is used below entry i
};

enum model_result { MODEL_OK = 0, MODEL_NOT_MODEL = 1, MODEL_TRUNCATED = 2, MODEL_NO_MEMORY = 3 };

// What the model loader needs from outside: whole-file reading and a console. The game
// installs its own services; without them no file is found and nothing is printed.

// Switch distances that never switch: a drawable that keeps its first level.
extern const fix16 LOD_FAR[3];

int model_load(const uint8_t* data, uint32_t size, model* out);
void model_free(model* m);
vec3* compute_face_normals(const model_lod* lod);
// Each face's normal . its first corner in 64 bits; null when a corner or normal lies out
// of the planes' reach (the level keeps the corner test) or memory runs out.
int64_t* compute_face_planes(const model_lod* lod, const vec3* normals);

int drawable_init(drawable* d, const fix16 distances[3]);
void drawable_free(drawable* d);
int drawable_pick_lod(const drawable* d, const space_pos* object, const space_pos* camera);
// The detail suffixes to try for a detail level (1 "_lo", 2 none, 3 "_ul", 4 "_cz"), in order.
const char* const* detail_try_order(int level);
const char* detail_name(int level);
int load_drawable_detail(drawable* d, const char* base_path, int level, const fix16 distances[3]);
} // namespace vantrel
