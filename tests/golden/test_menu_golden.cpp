// The menu pages as a player sees them, against reviewed screenshots kept beside this file.
//
// A failure leaves the new screenshot in the test's game directory; after reviewing it, run
// the test with VANTREL_UPDATE_GOLDEN=1 to take it as the new expectation.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <png.h>
#include <string>
#include <vector>

#include "e2e/run_game.h"
#include "platform/frame_crc.h"

namespace vantrel {
namespace {

struct indexed_image {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> palette; // red, green, blue per entry
};

// Reads an 8-bit palettised PNG as stored: the indices and the palette, untransformed.
bool read_indexed_png(const std::string& path, indexed_image* out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    std::vector<png_bytep> rows; // outside the jump: nothing to unwind when libpng fails
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, f);
        png_read_info(png, info);
        if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE &&
            png_get_bit_depth(png, info) == 8) {
            out->width = int(png_get_image_width(png, info));
            out->height = int(png_get_image_height(png, info));
            png_colorp colours = nullptr;
            int count = 0;
            png_get_PLTE(png, info, &colours, &count);
            out->palette.clear();
            for (int i = 0; i < count; i++)
                out->palette.insert(out->palette.end(),
                                    {colours[i].red, colours[i].green, colours[i].blue});
            out->pixels.assign(size_t(out->width) * size_t(out->height), 0);
            for (int y = 0; y < out->height; y++)
                rows.push_back(out->pixels.data() + size_t(y) * size_t(out->width));
            png_read_image(png, rows.data());
            ok = true;
        }
    }
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    std::fclose(f);
    return ok;
}

std::string golden_path(const std::string& name) {
    return std::string(VANTREL_SOURCE_DIR) + "/tests/golden/" + name;
}

// The "hash" line a run prints for the golden image's pixels at that frame.
std::string golden_hash_line(const std::string& shot, int frame) {
    indexed_image want;
    if (!read_indexed_png(golden_path(shot), &want)) return "no golden " + shot;
    char line[64];
    std::snprintf(line, sizeof line, "frame %d crc32 %08x\n", frame,
                  frame_crc32(want.pixels.data(), want.pixels.size()));
    return line;
}

// Compares a screenshot with its golden image and the printed hash with the golden pixels.
void expect_golden(const std::string& dir, const std::string& shot, const std::string& out,
                   int frame) {
    indexed_image got, want;
    ASSERT_TRUE(read_indexed_png(dir + "/" + shot, &got)) << "no screenshot " << shot;
    if (std::getenv("VANTREL_UPDATE_GOLDEN")) {
        std::filesystem::copy_file(dir + "/" + shot, golden_path(shot),
                                   std::filesystem::copy_options::overwrite_existing);
        return;
    }
    ASSERT_TRUE(read_indexed_png(golden_path(shot), &want)) << "no golden " << shot;
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_TRUE(got.pixels == want.pixels) << shot << " differs; new picture in " << dir;
    // Colours the picture uses must match; unused palette entries may change freely.
    ASSERT_EQ(got.palette.size(), want.palette.size());
    for (uint8_t index : want.pixels) {
        size_t at = size_t(index) * 3;
        ASSERT_LT(at + 2, want.palette.size());
        for (size_t c = 0; c < 3; c++)
            ASSERT_EQ(got.palette[at + c], want.palette[at + c])
                << shot << " colour " << int(index);
    }
    std::string line = golden_hash_line(shot, frame);
    EXPECT_NE(out.find(line), std::string::npos) << "expected " << line << "in\n" << out;
}

game_run run_script(const std::string& dir, const std::string& script,
                    const std::string& lang = "C") {
    write_script(dir + "/menu.script", script);
    return run_game(dir, {"--headless", "--script", dir + "/menu.script", "--shot-dir", dir},
                    locale_env(lang));
}

TEST(MenuGolden, MainAndSettingsPages) {
    std::string dir = game_dir_fresh("golden-menu");
    // The title has faded in by frame 40.
    game_run run = run_script(dir, "40 hash\n40 shot menu_main.png\n"
                                   "41 press up\n42 press up\n43 press return\n"
                                   "46 hash\n46 shot menu_settings.png\n47 quit\n");
    EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
    expect_golden(dir, "menu_main.png", run.out, 40);
    expect_golden(dir, "menu_settings.png", run.out, 46);
}

TEST(MenuGolden, CzechMainPage) {
    std::string dir = game_dir_fresh("golden-czech");
    game_run run =
        run_script(dir, "40 hash\n40 shot menu_main_czech.png\n41 quit\n", "cs_CZ.UTF-8");
    EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("\nlanguage: czech\n"), std::string::npos) << run.out;
    expect_golden(dir, "menu_main_czech.png", run.out, 40);
    // The PowerPC build writes no PNG: the cross run compares its hash with this line.
    const std::string hashes = golden_path("menu_czech_hashes.txt");
    if (std::getenv("VANTREL_UPDATE_GOLDEN"))
        write_text(hashes, golden_hash_line("menu_main_czech.png", 40));
    EXPECT_EQ(read_text(hashes), golden_hash_line("menu_main_czech.png", 40));
}

} // namespace
} // namespace vantrel
