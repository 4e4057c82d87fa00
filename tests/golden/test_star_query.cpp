// star_query over the built catalog: the neighbourhood and the Sun's system exactly as
// recorded (the PowerPC build must print the same), and its exit codes.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

struct tool_run {
    int status;
    std::string out;
};

tool_run star_query(const std::string& args) {
    std::string command = std::string(VANTREL_STAR_QUERY) + " " + args + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    tool_run r{-1, ""};
    if (!p) return r;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) r.out.append(buffer, n);
    int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string golden(const char* name) {
    return read_text(std::string(VANTREL_SOURCE_DIR) + "/tests/golden/" + name);
}

TEST(StarQuery, TheNeighbourhoodAndTheSunAsRecorded) {
    tool_run all = star_query("");
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.out, golden("star_query_neighbourhood.txt"));
    tool_run sun = star_query("--system 0 --radius 0.5");
    EXPECT_EQ(sun.status, 0);
    EXPECT_EQ(sun.out, golden("star_query_sun.txt"));
}

TEST(StarQuery, ExitCodesNameTheFault) {
    std::string bad = ::testing::TempDir() + "/not-a-catalog";
    write_text(bad, "STC2 nothing like a star catalog, long enough for a header......");
    const struct {
        std::string args;
        int status;
        std::string says;
    } cases[] = {
        {"--catalog " + bad, 1, bad + ": open"},
        {"--catalog " + bad + ".missing", 1, ": cannot be read"},
        {"--radius -1", 2, "--radius"},
        {"--centre 1,2", 2, "--centre"},
        {"--system 999999999", 2, "no star 999999999"},
    };
    for (const auto& c : cases) {
        tool_run r = star_query(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << c.args << ": " << r.out;
    }
}

} // namespace
} // namespace vantrel
