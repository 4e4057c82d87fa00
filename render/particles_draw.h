// particles_draw: the live particles as small squares, depth-tested against the scene but
// never writing depth, so particles neither hide each other nor later geometry.
#pragma once

#include <cstdint>

#include "render/particles.h"
#include "render/span.h"
#include "render/transform.h"

namespace vantrel {

// Returns the number of particles drawn.
int particles_draw(const particles* system, const particle_ramp* ramps, const render_pose* camera,
                   const view_projection* projection, const depth_frame* df, uint8_t* frame,
                   const int32_t* depth, int width, int height);

} // namespace vantrel
