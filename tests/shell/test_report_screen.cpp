// The console report of an open screen: its description, the chip-write line only for
// planar screens when asked, and the remembered output mode given to every new screen.
#include <gtest/gtest.h>
#include <string>

#include "platform/headless/headless.h"
#include "shell/services.h"

namespace vantrel {
namespace {

std::string report(present_screen* s, int bench) {
    ::testing::internal::CaptureStdout();
    report_screen(s, bench);
    return ::testing::internal::GetCapturedStdout();
}

TEST(ReportScreen, GraphicsCardAndPlanarScreens) {
    present_settings settings;
    ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
    g_c2p_mode = 0;
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    // No chip-write line on a graphics-card screen; the remembered mode 0 becomes the
    // graphics card's delta mode, and that is what is remembered from now on.
    EXPECT_EQ(report(s, 1), "screen: ModeID $50001000 (headless) 320x256, RTG via LockBitMap, "
                            "image 320x256 at 0,0\n"
                            "c2p mode: rtg-delta (F3 cycles mexg/040/delta)\n");
    EXPECT_EQ(g_c2p_mode, C2P_RTG_DELTA);
    present_amiga_close(s);
    PRESENT_BACKEND_HEADLESS.stop();

    settings.planar = true;
    ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_HEADLESS, &settings), 1);
    g_c2p_mode = C2P_040;
    s = present_amiga_open(320, 256, "Vantrel");
    std::string out = report(s, 1);
    EXPECT_NE(out.find(" c2p direct\nChip write with game screen: 0 kB/s\n"
                       "c2p mode: 040 (F3 cycles mexg/040/delta)\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(present_amiga_c2p_mode(s), C2P_040);
    g_c2p_mode = C2P_RTG_DELTA; // a planar screen cannot take it: the best it can is delta
    out = report(s, 0);
    EXPECT_EQ(out.find("Chip write"), std::string::npos);
    EXPECT_NE(out.find("c2p mode: delta (F3"), std::string::npos) << out;
    EXPECT_EQ(g_c2p_mode, C2P_DELTA);
    present_amiga_close(s);
    PRESENT_BACKEND_HEADLESS.stop();
}

} // namespace
} // namespace vantrel
