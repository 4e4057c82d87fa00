// The computer's page buttons: the box, its rectangle, and clipping at every edge.
#include <gtest/gtest.h>
#include <vector>

#include "flight/flight_local.h"

namespace vantrel {
namespace {

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
