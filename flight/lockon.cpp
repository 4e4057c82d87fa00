// lockon: accumulation and reset rules of the lock timer.
#include "flight/lockon.h"

namespace vantrel {

void lockon_state_init(lockon_state* s) {
    s->id = 0;
    s->time = 0;
}

void lockon_tick(lockon_state* s, int32_t id, int in_frame, fix16 dt) {
    if (!in_frame) {
        s->id = id;
        s->time = 0;
    } else if (s->id == id) {
        // Saturates rather than wraps: a lock held for hours under time warp would
        // otherwise turn negative and drop the lock for no reason.
        int64_t t = int64_t{s->time} + dt;
        s->time = t > FIX16_MAX ? FIX16_MAX : t < FIX16_MIN ? FIX16_MIN : static_cast<fix16>(t);
    } else {
        s->id = id;
        s->time = dt;
    }
}

int lockon_is_locked(const lockon_state* s, int32_t id, fix16 required) {
    return s->id == id && s->time >= required ? 1 : 0;
}

fix16 lockon_required_time(fix16 a, fix16 b) {
    return b > 0 ? fix16_div(a, b) : a;
}

} // namespace vantrel
