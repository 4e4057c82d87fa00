// render_services: hands the renderer the program's services it may not reach by itself.
#include "shell/render_services.h"

#include <cstdio>

#include "platform/prof_amiga.h"
#include "render/import.h"
#include "render/model.h"
#include "render/span.h"
#include "shell/services.h"

namespace vantrel {
namespace {

void console_print(const char* text) {
    std::fputs(text, stdout);
}

} // namespace

void render_services_install() {
    static const render_import IMPORT = {read_file, read_file_free, console_print, read_file_error};
    render_set_import(&IMPORT);
    g_render_timing.now = prof_now;
}

} // namespace vantrel
