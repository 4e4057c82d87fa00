// datagen: compiles the sources in assets/ into every data file the game reads.
//
//   datagen <assets dir> <game dir>                build the data into the game directory
//   datagen --previews <game dir> <assets dir> <dir>  render PNG preview sheets of the built data
//   datagen --icons <game dir> <dir>               draw the desktop icons from the built logo
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/datagen/datagen.h"

using namespace vantrel::datagen;

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--previews") == 0)
        return write_previews(argv[2], argv[3], argv[4]) ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], "--icons") == 0)
        return write_icons(argv[2], argv[3]) ? 0 : 1;
    if (argc != 3) {
        std::fprintf(stderr, "usage: datagen <assets dir> <game dir>\n"
                             "       datagen --previews <game dir> <assets dir> <preview dir>\n"
                             "       datagen --icons <game dir> <icon dir>\n");
        return 2;
    }
    asset_context c;
    c.assets_dir = argv[1];
    c.out_dir = argv[2];
    c.earth_image = "/usr/share/xplanet/images/earth.jpg";
    bool ok = generate_models(c) && generate_globes(c) && generate_images(c) && generate_panel(c) &&
              generate_catalogs(c) && generate_stars(c) && generate_tables(c) &&
              generate_scenes(c) && generate_sounds(c);
    return ok ? 0 : 1;
}
