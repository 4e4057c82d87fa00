// render_services: hands the renderer the program's services it may not reach by itself.
//
// The renderer never calls the shell; it gets whole-file reading (with PROGDIR: paths),
// the console and the render-timing tick counter through its import record and timing
// record, filled here once at start-up.
#pragma once

namespace vantrel {

void render_services_install();

} // namespace vantrel
