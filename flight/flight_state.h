// flight_state: the state of one flying ship and its "FSAT" byte record.
#pragma once

#include <cstdint>

#include "core/fixmath.h"
#include "core/save.h"
#include "core/space.h"

namespace vantrel {

// The fields are in the order the record stores them.
struct flight_state {
    space_local position;  // fix32 metres in the flight's local frame
    vec3 velocity;         // m/s
    mat3 orientation;      // columns: the ship's right, up and forward axes
    vec3 angular_velocity; // rad/s about the ship's own right, up and forward axes
};

constexpr uint32_t FSAT_MAGIC = save_magic("FSAT");
constexpr uint16_t FSAT_VERSION = 1;
constexpr uint32_t FSAT_SIZE = 90;

// Writes the header and every field; a writer without room truncates the chunk.
void flight_state_save(const flight_state* state, save_writer* w);
// Returns 1 when a whole version-1 chunk was read into state. On any failure state keeps
// its previous contents: a half-read record would leave a zero orientation behind.
int flight_state_load(flight_state* state, save_reader* r);

} // namespace vantrel
