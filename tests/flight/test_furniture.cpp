// Screen furniture without the panel file: gauge colours and fill, the bar layout, digits,
// and the computer's page buttons.
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "flight/flight_local.h"
#include "flight/furniture.h"
#include "render/text.h"

namespace vantrel {
namespace {

constexpr int W = 320;

int count_in_row(const std::vector<uint8_t>& a, int row, uint8_t colour) {
    return static_cast<int>(std::count(a.begin() + row * W, a.begin() + (row + 1) * W, colour));
}

TEST(Furniture, GaugeFillAndColours) {
    std::vector<uint8_t> strip(W * GAUGE_STRIP_ROWS, 0);
    draw_gauge(strip.data(), W, 4, "HULL", 0, 0);
    EXPECT_EQ(count_in_row(strip, 12, 12), 72);
    EXPECT_EQ(count_in_row(strip, 17, 12), 72);
    EXPECT_EQ(strip[12 * W + 3], 0);
    EXPECT_EQ(strip[12 * W + 76], 0);
    draw_gauge(strip.data(), W, 4, "HULL", 150, 0);
    EXPECT_EQ(count_in_row(strip, 14, 9), 72);
    draw_gauge(strip.data(), W, 4, "HULL", 10, 1); // inverted: 10 % is judged as 90 %
    EXPECT_EQ(count_in_row(strip, 14, 9), 7);
    draw_gauge(strip.data(), W, 4, "HULL", 50, 0);
    EXPECT_EQ(count_in_row(strip, 14, 10), 36);
    draw_gauge(strip.data(), W, 4, "HULL", 25, 0);
    EXPECT_EQ(count_in_row(strip, 14, 11), 18);
    EXPECT_GT(std::count(strip.begin(), strip.begin() + 10 * W, 8), 0); // the label
    // A gauge hanging over the right edge stays inside its rows.
    draw_gauge(strip.data(), W, 300, "X", 100, 0);
    EXPECT_EQ(count_in_row(strip, 13, 9), 20);
}

TEST(Furniture, BarLayoutFromBothEdges) {
    int x0[BAR_ITEMS], x1[BAR_ITEMS];
    screen_bar_layout(W, x0, x1);
    EXPECT_EQ(x0[0], 0);
    EXPECT_EQ(x1[0], 13); // "<" is 8 pixels plus 6
    EXPECT_EQ(x0[1], 14);
    EXPECT_EQ(x1[1], 14 + 32 + 6 - 1); // "MAPS"
    EXPECT_EQ(x0[2], x1[1] + 1);
    EXPECT_EQ(x1[6], W - 1);
    EXPECT_EQ(x0[6], W - 30);
    for (int i = 3; i < 6; i++) EXPECT_EQ(x1[i], x0[i + 1] - 1);
    EXPECT_STREQ(bar_label(9), ">>>");

    std::vector<uint8_t> bar(W * BAR_ROWS, 0);
    bar_item(bar.data(), W, x0[3], x1[3], bar_label(3), 1, 2);
    EXPECT_EQ(bar[0 * W + x0[3]], 153);
    EXPECT_EQ(bar[11 * W + x1[3]], 153);
    EXPECT_EQ(bar[0 * W + x0[3] - 1], 0);
    bar_item(bar.data(), W, x0[4], x1[4], bar_label(4), 0, 2);
    EXPECT_EQ(bar[0 * W + x0[4]], 0);
    EXPECT_GT(std::count(bar.begin(), bar.end(), 156), 0);
}

TEST(Furniture, NumbersInBigDigits) {
    auto lit_columns = [](int32_t value) {
        std::vector<uint8_t> f(W * 16, 0);
        draw_number(f.data(), W, 16, 100, 2, value);
        int leftmost = W;
        for (int y = 0; y < 16; y++)
            for (int x = 0; x < W; x++)
                if (f[y * W + x] == 255) leftmost = std::min(leftmost, x);
        return 100 - leftmost;
    };
    EXPECT_EQ(lit_columns(0), lit_columns(-5));
    EXPECT_LE(lit_columns(0), 8);
    EXPECT_GT(lit_columns(10), 8);
    EXPECT_LE(lit_columns(123456), 40); // only the last five digits
    EXPECT_GT(lit_columns(123456), 32);
    std::vector<uint8_t> a(W * 16, 0), b(W * 16, 0);
    draw_number(a.data(), W, 16, 100, 2, 123456);
    draw_number(b.data(), W, 16, 100, 2, 23456);
    EXPECT_EQ(a, b);
    // Clipped at every edge of a small frame, with canaries around it.
    std::vector<uint8_t> small(8 * 8 + 32, 0xCC);
    for (int right : {-4, 0, 4, 8, 20})
        for (int y : {-9, -2, 4, 7}) draw_number(small.data() + 16, 8, 8, right, y, 88888);
    for (int i = 0; i < 16; i++) {
        EXPECT_EQ(small[i], 0xCC);
        EXPECT_EQ(small[16 + 64 + i], 0xCC);
    }
}

// The box, its rectangle, and clipping at every edge.
TEST(PageButton, BoxRectangleAndClipping) {
    constexpr int W = 40, H = 20, GUARD = 64;
    const struct {
        int x, y;
        int filled; // pixels of the box inside the frame
    } cases[] = {{2, 3, 24 * 12}, {30, 12, 10 * 8}, {-5, -3, 19 * 9}, {50, 2, 0}, {2, 25, 0}};
    for (const auto& c : cases) {
        std::vector<uint8_t> frame(W * H + GUARD, 0);
        int rect[4];
        draw_button(frame.data(), W, H, c.x, c.y, "AB", rect);
        EXPECT_EQ(rect[0], c.x);
        EXPECT_EQ(rect[1], c.y);
        EXPECT_EQ(rect[2], c.x + 23); // two characters + 8, inclusive
        EXPECT_EQ(rect[3], c.y + 11);
        int box = 0;
        for (int i = 0; i < W * H; i++) box += frame[i] != 0;
        EXPECT_EQ(box, c.filled) << c.x << "," << c.y; // the text lies inside the box
        for (int i = W * H; i < W * H + GUARD; i++) ASSERT_EQ(frame[i], 0) << c.x << "," << c.y;
    }
}

} // namespace
} // namespace vantrel
