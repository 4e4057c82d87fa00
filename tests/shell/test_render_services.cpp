// The renderer's services: model files are found under PROGDIR: and its console lines reach
// standard output exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "render/model.h"
#include "render/span.h"
#include "shell/game_models.h"
#include "shell/render_services.h"
#include "shell/services.h"

namespace vantrel {
namespace {

TEST(RenderServices, ModelLoaderReadsProgdirAndPrintsItsLines) {
    render_services_install();
    EXPECT_NE(g_render_timing.now, nullptr);
    // No hull in the test's program directory: the loader says so on the console.
    char path[512];
    ASSERT_TRUE(progdir_path("PROGDIR:stihac.model", path, sizeof path));
    std::remove(path);
    game_models_free();
    testing::internal::CaptureStdout();
    EXPECT_EQ(load_detail_models(1), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "detail: malo\nFAILED: could not load PROGDIR:stihac*.model\n");

    // A 12-byte empty model named "stihac_lo" in the program directory is found and loaded.
    ASSERT_TRUE(progdir_path("PROGDIR:stihac_lo.model", path, sizeof path));
    FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    const unsigned char empty[12] = {'F', 'M', 'D', 'L'};
    std::fwrite(empty, 1, sizeof empty, f);
    std::fclose(f);
    testing::internal::CaptureStdout();
    EXPECT_EQ(load_detail_models(1), 1);
    out = testing::internal::GetCapturedStdout();
    std::remove(path);
    EXPECT_EQ(out.rfind("detail: malo\n  PROGDIR:stihac_lo.model: 0 tris\n", 0), 0u) << out;
    EXPECT_NE(out.find("dock demo models: missing (stanice_dock*.model, transport*.model)\n"),
              std::string::npos);
    game_models_free();
}

} // namespace
} // namespace vantrel
