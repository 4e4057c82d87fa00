// PORT (TEST) through the menu with --trace, as a player walks through it.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

// Three ups from START reach PORT (TEST); the port's first frame is frame 9.
const char* OPEN_PORT = "2 press up\n4 press up\n6 press up\n8 press return\n";

game_run port_run(const std::string& name, const std::string& script, bool equipment = true) {
    std::string dir = game_dir_fresh("port-" + name);
    if (!equipment) std::remove((dir + "/equipment.dat").c_str());
    write_script(dir + "/script.txt", std::string(OPEN_PORT) + script);
    return run_game(dir, {"--headless", "--trace", "--script", dir + "/script.txt"}, locale_env());
}

void expect_lines(const game_run& run, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        EXPECT_NE(run.out.find(line + "\n"), std::string::npos) << line << "\n" << run.out;
}

TEST(Port, AWalkThroughTheThreeTestPorts) {
    // The bar: three drinks, four haggles, Leave; the board: details, advance, Accept; Tab
    // twice from the ship, the military bar's drink; Esc to the menu and QUIT.
    game_run run = port_run(
        "walk", "10 press 1\n12 press 2\n14 press 2\n16 press 2\n18 press 2\n20 press 2\n"
                "22 press 2\n24 press 2\n26 press 2\n28 press 1\n30 press 1\n32 press return\n"
                "34 press 1\n36 press 3\n38 press 3\n40 press esc\n42 press esc\n44 press esc\n"
                "46 press esc\n48 press tab\n50 press tab\n52 press 1\n54 press 2\n56 press 1\n"
                "58 press esc\n60 press esc\n62 press esc\n64 press up\n66 press return\n");
    EXPECT_EQ(run.exit_code, 0) << run.err;
    expect_lines(
        run,
        {"ship: stihac, 2 items, hold 9/15 t",
         "trace 9: port 0 14.06.2279 12:00 1000 cr, 0 missions, rep 0, exp 0",
         "trace 9: board day 102067, 24 ads",
         "trace 9: ad 102067/0 kind 1 count 3 shady 0 dest 2 until 102078 pay 570",
         "trace 12: person 0e255ebdd6e529c0 looks 07072331 haggle 3 advance 3",
         "trace 12: port 0 14.06.2279 12:15 1000 cr, 0 missions, rep 0, exp 0 | What'll it be?",
         "trace 18: talk 102067/65538 kind 2 count 0 shady 1 dest 4 until 102072 pay 7560",
         "trace 18: port 0 14.06.2279 15:15 985 cr, 0 missions, rep 0, exp 0 | Someone sits "
         "down next to you. \"Looking for work?\" Documents to Sirius, by hand. No questions.",
         "trace 26: port 0 14.06.2279 15:55 985 cr, 0 missions, rep 0, exp 0 | Forget it. I'll "
         "find someone else.",
         "trace 32: talk 102067/0 kind 1 count 3 shady 0 dest 2 until 102078 pay 570",
         "trace 34: port 0 14.06.2279 16:00 985 cr, 0 missions, rep 0, exp 0 | 3 t, it needs "
         "room in the hold. You have 5.5 t free.",
         "trace 36: port 0 14.06.2279 16:00 1125 cr, 0 missions, rep 0, exp 0 | Here's 140 cr "
         "up front. Don't make me regret it.",
         "trace 38: port 0 14.06.2279 16:00 1125 cr, 1 missions, rep 0, exp 0 | Deal.",
         "trace 40: board day 102067, 23 ads", "trace 48: board day 102067, 3 ads",
         "trace 50: port 2 14.06.2279 16:00 1125 cr, 1 missions, rep 0, exp 0",
         "trace 50: board day 102067, 0 ads",
         // No ad board at the military bar: "1" is the drink.
         "trace 56: port 2 14.06.2279 17:15 1120 cr, 1 missions, rep 0, exp 0 | You drink. "
         "Nobody comes."});
}

TEST(Port, WithoutEquipmentNothingIsCheckedAndClicksChoose) {
    // A click on the first menu line leaves the ship; on the board a click on the selected
    // (first) entry opens it.
    game_run run = port_run("bare",
                            "10 mouse 40 121\n10 lmb down\n11 lmb up\n12 press 2\n"
                            "14 press 1\n16 mouse 100 35\n16 lmb down\n17 lmb up\n"
                            "18 press 1\n20 press 4\n22 press esc\n24 quit\n",
                            false);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    expect_lines(run, {"ship: PROGDIR:equipment.dat missing or bad, placeholder loadout",
                       "trace 18: port 0 14.06.2279 12:20 1000 cr, 0 missions, rep 0, exp 0 | "
                       "3 t, it needs room in the hold. You have 0.0 t free.",
                       "trace 20: port 0 14.06.2279 12:20 1000 cr, 1 missions, rep 0, exp 0 | "
                       "Deal."});
}

} // namespace
} // namespace vantrel
