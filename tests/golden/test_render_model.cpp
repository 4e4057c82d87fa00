// render_model: the built-in door box drawn by the tool gives the recorded frames, the same
// ones the renderer's own tests hash, and the PNG it writes is an indexed image.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

#ifdef VANTREL_RENDER_MODEL
std::string run(const std::string& args) {
    std::string cmd = std::string(VANTREL_RENDER_MODEL) + " " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[256];
    while (p && fgets(buf, sizeof buf, p)) out += buf;
    if (p) out += "exit " + std::to_string(pclose(p) >> 8);
    return out;
}

TEST(RenderModel, DoorBoxGoldenFrames) {
    const char* golden[5] = {"c3c4ef7e", "6054263b", "3f56349b", "1396d46a", "21c9938a"};
    const std::string png = testing::TempDir() + "door_box.png";
    for (int mode = 0; mode < 5; mode++) {
        for (const char* path : {"", " --spans"}) {
            std::string out = run("--door-box --camera 60,30,70 --look -60,-30,-58 --light "
                                  "-200,300,0 --base 16 --ramp 8 --mode " +
                                  std::to_string(mode) + path + " " + png);
            EXPECT_NE(out.find(std::string("crc32 ") + golden[mode]), std::string::npos)
                << "mode " << mode << path << ": " << out;
            EXPECT_NE(out.find("exit 0"), std::string::npos) << out;
        }
    }
    FILE* f = std::fopen(png.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char head[26];
    ASSERT_EQ(std::fread(head, 1, sizeof head, f), sizeof head);
    std::fclose(f);
    EXPECT_EQ(head[1], 'P');
    EXPECT_EQ(head[19], 0x40); // width 320: 0x00000140
    EXPECT_EQ(head[22], 1);    // height 256: 0x00000100
    EXPECT_EQ(head[24], 8);    // bit depth
    EXPECT_EQ(head[25], 3);    // colour type: palette
}

#else
TEST(RenderModel, NeedsLibpng) {
    GTEST_SKIP() << "render_model is built only with libpng";
}
#endif

} // namespace
