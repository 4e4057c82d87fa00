// flight_state: the "FSAT" record, big-endian, field by field.
#include "flight/flight_state.h"

namespace vantrel {

namespace {

void write_vec3(save_writer* w, const vec3* v) {
    save_write_i32(w, v->x);
    save_write_i32(w, v->y);
    save_write_i32(w, v->z);
}

vec3 read_vec3(save_reader* r) {
    vec3 v;
    v.x = save_read_i32(r);
    v.y = save_read_i32(r);
    v.z = save_read_i32(r);
    return v;
}

} // namespace

void flight_state_save(const flight_state* state, save_writer* w) {
    save_write_header(w, FSAT_MAGIC, FSAT_VERSION);
    save_write_i64(w, state->position.x);
    save_write_i64(w, state->position.y);
    save_write_i64(w, state->position.z);
    write_vec3(w, &state->velocity);
    for (fix16 e : state->orientation.m) save_write_i32(w, e);
    write_vec3(w, &state->angular_velocity);
}

int flight_state_load(flight_state* state, save_reader* r) {
    uint16_t version = save_read_header(r, FSAT_MAGIC);
    if (r->error || version != FSAT_VERSION) return 0;
    // Read into a copy and commit only a complete record, so a short buffer cannot leave
    // the caller with a ship whose orientation is partly zero.
    flight_state s;
    s.position.x = save_read_i64(r);
    s.position.y = save_read_i64(r);
    s.position.z = save_read_i64(r);
    s.velocity = read_vec3(r);
    for (fix16& e : s.orientation.m) e = save_read_i32(r);
    s.angular_velocity = read_vec3(r);
    if (r->error) return 0;
    *state = s;
    return 1;
}

} // namespace vantrel
