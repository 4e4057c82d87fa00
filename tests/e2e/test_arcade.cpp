// ARCADE through the menu, headless with --trace, as a player plays it.
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

// The menu's four downs and Return open ARCADE at frame first + 8.
std::string open_arcade(int first) {
    std::string s;
    for (int i = 0; i < 4; i++) s += std::to_string(first + 2 * i) + " press down\n";
    return s + std::to_string(first + 8) + " press return\n";
}

// The player sweeping left and right, switching every `period` frames.
std::string weave(int from, int to, int period) {
    std::string s = std::to_string(from) + " down right\n";
    bool left = true;
    for (int f = from + period; f < to; f += period, left = !left)
        s += std::to_string(f) + (left ? " up right\n" : " up left\n") + std::to_string(f) +
             (left ? " down left\n" : " down right\n");
    return s + std::to_string(to) + " up left\n" + std::to_string(to) + " up right\n";
}

game_run arcade_run(const std::string& name, const std::string& script,
                    const std::vector<std::string>& remove = {}) {
    std::string dir = game_dir_fresh("arcade-" + name);
    for (const std::string& file : remove) std::filesystem::remove(dir + "/" + file);
    write_script(dir + "/script.txt", script);
    return run_game(dir, {"--headless", "--trace", "--script", dir + "/script.txt"}, locale_env());
}

// The lines the arcade prints, in order.
std::vector<std::string> arcade_lines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("arcade", 0) == 0 || line.rfind("scene model", 0) == 0 ||
            line.find(": arcade ") != std::string::npos)
            lines.push_back(line);
    return lines;
}

const char* CABINET = "arcade: cabinet PROGDIR:automat34.img8, screen 156x210 at 82,23";

TEST(Arcade, OpensTheCabinetOrWhatIsLeftOfIt) {
    const std::string twice =
        open_arcade(2) + "20 press esc\n" + open_arcade(22) + "40 press esc\n44 quit\n";
    // Without its ships the arcade comes straight back to the menu, which takes the next keys.
    const std::string back = open_arcade(2) + open_arcade(12) + "30 quit\n";
    const std::string plain = "arcade: PROGDIR:automat34.img8 missing, plain screen 156x210";
    const struct {
        const char* name;
        std::vector<std::string> remove;
        const std::string& script;
        std::vector<std::string> lines;
    } cases[] = {
        {"cabinet",
         {},
         twice,
         {CABINET, "trace 10: arcade wave 1", CABINET, "trace 30: arcade wave 1"}},
        {"plain",
         {"automat34.img8"},
         twice,
         {plain, "trace 10: arcade wave 1", plain, "trace 30: arcade wave 1"}},
        {"no-kriznik",
         {"kriznik.model", "kriznik_lo.model", "kriznik_ul.model", "kriznik_cz.model"},
         back,
         // The title scene's cruiser asks first: at start-up and when the menu opens after the
         // intro has let the scene models go; the arcade then finds the miss remembered.
         {"scene model kriznik: missing", "scene model kriznik: missing",
          "arcade: ship models missing", "arcade: ship models missing"}},
    };
    for (const auto& c : cases) {
        game_run run = arcade_run(c.name, c.script, c.remove);
        EXPECT_EQ(run.exit_code, 0) << c.name << run.err;
        EXPECT_EQ(arcade_lines(run.out), c.lines) << c.name << "\n" << run.out;
    }
}

// Firing and weaving until the game is over, Return, Esc; then a weaker game on a second
// visit, whose game over still shows the first game's best.
TEST(Arcade, GamesEndStartAgainAndKeepTheBestForTheRun) {
    const std::string script = open_arcade(2) + "100 down space\n" + weave(100, 1240, 20) +
                               "1240 up space\n1250 press return\n1270 press esc\n" +
                               open_arcade(1280) + weave(1380, 3600, 30) + "3700 quit\n";
    game_run first = arcade_run("best", script);
    EXPECT_EQ(first.exit_code, 0) << first.err;
    const std::vector<std::string> lines = {
        CABINET,
        "trace 10: arcade wave 1",
        "trace 836: arcade hit, lives 2",
        "trace 1036: arcade hit, lives 1",
        "trace 1237: arcade hit, lives 0",
        "trace 1237: arcade game over, score 2230, best 2230",
        "trace 1250: arcade wave 1",
        CABINET,
        "trace 1288: arcade wave 1",
    };
    std::vector<std::string> got = arcade_lines(first.out);
    ASSERT_GE(got.size(), lines.size() + 1) << first.out;
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + long(lines.size())), lines);
    EXPECT_TRUE(got.back().find("arcade game over, score") != std::string::npos) << got.back();
    EXPECT_TRUE(got.back().find(", best 2230") != std::string::npos) << got.back();

    // A new program starts from nothing again, and repeats the whole run exactly.
    game_run second = arcade_run("best-again", script);
    EXPECT_EQ(second.out, first.out);
}

} // namespace
} // namespace vantrel
