// The cabinet's screen hole, the arcade's centred, wrapped texts and its frame time.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "arcade/arcade_screen.h"
#include "render/text.h"

namespace vantrel {
namespace {

TEST(ArcadeScreen, HoleOfAnOddShapeAndOfNone) {
    std::vector<uint8_t> pic(ARCADE_SCREEN_W * ARCADE_SCREEN_H, 7);
    cabinet_hole hole;
    EXPECT_FALSE(cabinet_hole_scan(pic.data(), &hole));

    // A trapezoid narrowing downwards, rows 20-29, with a gap in row 25 and one stray hole
    // pixel further down and left.
    for (int y = 20; y < 30; y++)
        for (int x = 100 + (y - 20); x <= 200 - (y - 20); x++)
            if (!(y == 25 && x > 110 && x < 150)) pic[size_t(y * ARCADE_SCREEN_W + x)] = 0;
    pic[40 * ARCADE_SCREEN_W + 90] = 0;
    ASSERT_TRUE(cabinet_hole_scan(pic.data(), &hole));
    EXPECT_EQ(hole.left, 90);
    EXPECT_EQ(hole.top, 20);
    EXPECT_EQ(hole.width, 111);
    EXPECT_EQ(hole.height, 21);
    const int rows[][3] = {{19, -1, -1},   {20, 100, 200}, {25, 105, 195},
                           {29, 109, 191}, {35, -1, -1},   {40, 90, 90}};
    for (const auto& r : rows) {
        EXPECT_EQ(hole.first[r[0]], r[1]) << "row " << r[0];
        EXPECT_EQ(hole.last[r[0]], r[2]) << "row " << r[0];
    }
}

TEST(ArcadeScreen, TextBreaksCentresAndSpacesItsLines) {
    struct row {
        int width;
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string long_word(70, 'W');
    const row rows[] = {
        {156, "GAME OVER", {"GAME OVER"}},
        {156, "arrows move, space fire, ESC back", {"arrows move, space", "fire, ESC back"}},
        // Nineteen characters fit 156 - 3 pixels: a word ending there breaks at its space.
        {156, "abcdefghi jklmnopqr stuv", {"abcdefghi jklmnopqr", "stuv"}},
        {156, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", {"ABCDEFGHIJKLMNOPQRS", "TUVWXYZ"}},
        {600, long_word, {long_word.substr(0, 63), long_word.substr(63)}},
    };
    for (const row& r : rows) {
        const int height = 40;
        std::vector<uint8_t> got(size_t(r.width * height), 0), want = got;
        EXPECT_EQ(arcade_text(got.data(), r.width, height, 5, r.text.c_str(), 93),
                  5 + 10 * int(r.lines.size()))
            << r.text;
        for (size_t i = 0; i < r.lines.size(); i++) {
            const char* line = r.lines[i].c_str();
            text_draw_shadow(want.data(), r.width, height, (r.width - text_width(line)) / 2,
                             5 + 10 * int(i), line, 93, 95);
        }
        EXPECT_EQ(got, want) << r.text;
    }
}

TEST(ArcadeScreen, FrameTimeFromTheDateStamp) {
    const struct {
        amiga_datestamp before, now;
        int32_t ms;
    } rows[] = {
        {{9000, 600, 10}, {9000, 600, 10}, 0},    {{9000, 600, 10}, {9000, 600, 11}, 20},
        {{9000, 600, 2999}, {9000, 601, 9}, 200}, {{9000, 600, 0}, {9000, 600, 11}, 20},
        {{9000, 1439, 2999}, {9001, 0, 0}, 20}, // midnight: the day is not in the difference
    };
    for (const auto& r : rows) EXPECT_EQ(arcade_frame_ms(&r.before, &r.now), r.ms);
}

} // namespace
} // namespace vantrel
