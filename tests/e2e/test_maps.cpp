// SYSTEM MAP through the menu, with --trace: what each key shows as text.
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

// The menu's five downs and Return open the map on frame 13; `script` follows.
const char* OPEN_MAP = "2 press down\n4 press down\n6 press down\n8 press down\n10 press down\n"
                       "12 press return\n";

game_run map_run(const std::string& name, const std::string& script) {
    std::string dir = game_dir_fresh("maps-" + name);
    write_script(dir + "/script.txt", std::string(OPEN_MAP) + script);
    return run_game(dir, {"--headless", "--trace", "--script", dir + "/script.txt"}, locale_env());
}

bool any_starts(const std::vector<std::string>& texts, const std::string& start) {
    for (const std::string& t : texts)
        if (t.rfind(start, 0) == 0) return true;
    return false;
}

// The map opens with its texts; Esc goes back to the menu, and the jump target
// set on the first visit is there on the next.
TEST(Maps, OpensWithItsTextsAndKeepsTheJumpTarget) {
    game_run run = map_run("open", "14 press n\n16 press tab\n18 press return\n20 press esc\n"
                                   "22 press return\n30 press esc\n34 quit\n");
    EXPECT_EQ(run.exit_code, 0) << run.err;
    std::vector<std::string> clock = traced(run.out, "clock");
    ASSERT_FALSE(clock.empty()) << run.out;
    EXPECT_EQ(clock[0], "14.06.2279 12:00 | time: 1 h/s");
    std::vector<std::string> map = traced(run.out, "map");
    ASSERT_GE(map.size(), 2u);
    EXPECT_TRUE(any_starts(map, "scale: compressed | RMB drag")) << map[0];
    // The second visit opens on the star map with its target named.
    EXPECT_EQ(map.back().rfind("jump target: Ross 128", 0), 0u) << map.back();
}

TEST(Maps, KeysAndAClickShowWhatTheyDo) {
    const struct {
        const char* name;
        const char* keys; // from frame 14, one a frame pair
        const char* shows;
    } cases[] = {
        {"tab", "14 press tab\n", "scale: compressed | Mercury | barren rock | from Sun: "},
        {"scale", "14 press s\n", "scale: real"},
        {"click", "14 mouse 160 128\n15 lmb down\n16 lmb up\n",
         "scale: compressed | Sun | star, 5772 K"},
        {"stars", "14 press n\n16 press tab\n",
         "Ross 128 | 11.0 ly | class M V, stars: 1 | out of "
         "range | known planets"},
        {"target", "14 press n\n16 press tab\n18 press return\n", "jump target: Ross 128 | "},
        {"f2", "14 press f2\n16 press tab\n18 press f1\n", "scale: compressed"},
    };
    for (const auto& c : cases) {
        game_run run = map_run(c.name, std::string(c.keys) + "30 press esc\n34 quit\n");
        EXPECT_EQ(run.exit_code, 0) << c.name;
        std::vector<std::string> map = traced(run.out, "map");
        EXPECT_TRUE(any_starts(map, c.shows)) << c.name << "\n" << run.out;
    }
}

// Each rate key between two stops: fifty 20 ms frames at each rate, one after
// the other.
TEST(Maps, RatesMoveTheClockExactly) {
    game_run run = map_run("rates", "13 press 0\n20 press 1\n70 press 0\n80 press 2\n130 press 0\n"
                                    "140 press 3\n190 press 0\n200 press 4\n250 press 0\n"
                                    "260 press esc\n264 quit\n");
    std::vector<std::string> stops;
    for (const std::string& clock : traced(run.out, "clock"))
        if (clock.ends_with(" | time: stop")) stops.push_back(clock.substr(0, 16));
    EXPECT_EQ(stops,
              (std::vector<std::string>{"14.06.2279 12:00", "14.06.2279 12:00", "14.06.2279 13:00",
                                        "15.06.2279 13:00", "15.07.2279 13:00"}))
        << run.out;
}

// Thirty days at rate 4, a flight, and the map again: the world clock kept them
// all.
TEST(Maps, TheClockKeepsWhatPassedForTheNextVisit) {
    game_run run = map_run("keeptime", "13 press 4\n63 press esc\n70 press return\n110 press "
                                       "esc\n120 press down\n122 press down\n124 press down\n"
                                       "126 press down\n128 press down\n130 press return\n"
                                       "140 press esc\n150 quit\n");
    EXPECT_NE(run.out.find("OK: flight test ended."), std::string::npos) << run.out;
    std::vector<std::string> clock = traced(run.out, "clock");
    ASSERT_FALSE(clock.empty());
    EXPECT_EQ(clock.back().rfind("14.07.2279 12:", 0), 0u) << clock.back();
}

} // namespace
} // namespace vantrel
