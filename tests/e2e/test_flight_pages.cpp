// The ship's computer in flight, through headless scripts with --trace.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

// The flight starts on frame 2 (START is the menu's first entry).
game_run fly_pages(const std::string& name, const std::string& script, bool keep_panel = true,
                   const char* remove = nullptr) {
    std::string dir = game_dir_fresh("pages-" + name);
    if (!keep_panel) std::filesystem::remove(dir + "/cockpit.cpt");
    if (remove) std::filesystem::remove(dir + "/" + std::string(remove));
    write_script(dir + "/script.txt", "1 press return\n" + script);
    return run_game(dir,
                    {"--headless", "--trace", "--script", dir + "/script.txt", "--shot-dir", dir},
                    locale_env());
}

std::string joined(const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& t : v) s += (s.empty() ? "" : ",") + t;
    return s;
}

// Escape on a page goes back to a flight that went on: I opens SHIP again after it.
TEST(FlightPages, KeysAndButtonsOpenAndStepThePages) {
    const struct {
        const char* name;
        const char* script;
        bool panel;
        const char* pages;
    } cases[] = {
        {"keys",
         "10 press m\n12 press n\n14 press m\n16 press i\n18 press i\n20 press i\n22 press i\n"
         "24 press i\n26 press esc\n28 press i\n30 press n\n32 press n\n34 press i\n",
         true, "SYSTEM,STARS,SYSTEM,SHIP,PILOT,CARGO,MISSIONS,SHIP,cockpit,SHIP,SYSTEM,STARS,SHIP"},
        {"panel",
         "10 mouse 15 5\n11 lmb down\n12 lmb up\n14 mouse 45 5\n15 lmb down\n16 lmb up\n"
         "17 lmb down\n18 lmb up\n20 mouse 300 5\n21 lmb down\n22 lmb up\n",
         true, "SYSTEM,SHIP,PILOT"},
        {"bar", "10 mouse 30 5\n11 lmb down\n12 lmb up\n14 mouse 2 5\n15 lmb down\n16 lmb up\n",
         false, "SYSTEM,cockpit"},
    };
    for (const auto& c : cases) {
        game_run run = fly_pages(c.name, std::string(c.script) + "60 quit\n", c.panel);
        EXPECT_EQ(run.exit_code, 0) << c.name;
        EXPECT_EQ(joined(traced(run.out, "page")), c.pages) << c.name << "\n" << run.out;
    }
}

TEST(FlightPages, TheMapKeepsItsKeysFromTheCockpit) {
    // "=" zooms the map, never the warp; near the station the cockpit's "=" is limited.
    game_run warp = fly_pages("warp", "10 press m\n12 down equals\n20 up equals\n22 press esc\n"
                                      "24 press equals\n40 quit\n");
    std::vector<std::string> limited = traced(warp.out, "message");
    ASSERT_EQ(limited.size(), 1u) << warp.out;
    EXPECT_EQ(limited[0], "TIME WARP LIMITED");
    // Tab selects a body and leaves the guns: no infrared lock builds on Kocka-7.
    game_run tab = fly_pages("tab", "5 press 2\n6 press m\n8 press tab\n10 press esc\n120 quit\n");
    EXPECT_TRUE(traced(tab.out, "message LOCKED").empty()) << tab.out;
    EXPECT_NE(tab.out.find("Mercury | barren rock"), std::string::npos);
}

TEST(FlightPages, TheJumpTargetIsSharedWithTheSystemMap) {
    // Set in flight, shown on SYSTEM MAP; set there, shown in the next flight.
    game_run run =
        fly_pages("target", "10 press m\n12 press n\n14 press tab\n18 press return\n"
                            "20 press esc\n22 press esc\n30 press down\n32 press down\n"
                            "34 press down\n36 press down\n38 press down\n40 press return\n"
                            "42 press n\n44 press tab\n46 press tab\n48 press return\n"
                            "50 press esc\n52 press return\n60 press m\n70 quit\n");
    std::vector<std::string> map = traced(run.out, "map");
    ASSERT_FALSE(map.empty());
    // The stand-alone map's hint starts "RMB drag", the flight's "M / N".
    EXPECT_NE(std::find(map.begin(), map.end(),
                        "jump target: Ross 128 | RMB drag / arrows turn, +/- zoom, click selects, "
                        "Enter = jump target, F focus, L labels, F1 system, ESC back"),
              map.end())
        << run.out;
    EXPECT_EQ(map.back().rfind("jump target: WISE 0855-0714 | Ross 128 | ", 0), 0u);
}

TEST(FlightPages, CargoAndShipShowTheLoadout) {
    game_run run = fly_pages("cargo", "10 press i\n12 press i\n14 press i\n20 quit\n");
    std::vector<std::string> map = traced(run.out, "map");
    ASSERT_EQ(map.size(), 3u) << run.out;
    EXPECT_EQ(map[0], "SHIP PROFILE | Fighter | capacity 15.0 t, free 5.5 t | PAINT: Factory | "
                      "EQUIPMENT | Beam laser 1 MW | Passenger cabin | PYLONS | 2x IR missile | "
                      "2x empty | tank 2.4 t / 4.0 t | stored: 3.0 t | REFUEL");
    EXPECT_EQ(map[1], "PILOT PROFILE | PILOT PROFILE | coming soon");
    EXPECT_EQ(map[2], "CARGO | HOLD 9.5 t / 15.0 t | equipment 1.5 t | cabins 2.0 t | fuel 3.0 t "
                      "| goods 3.0 t | free 5.5 t | GOODS | Food | 2.0 t | Medicine | 1.0 t | "
                      "passengers: 1 / cabins: 1");
}

// The palette of an indexed PNG (its PLTE chunk).
std::string png_palette(const std::string& png) {
    size_t at = png.find("PLTE");
    return at == std::string::npos ? "" : png.substr(at + 4, 768);
}

TEST(FlightPages, RefuelAndPaintButtons) {
    game_run run = fly_pages("buttons", "10 press i\n12 shot a.png\n14 mouse 180 200\n"
                                        "15 lmb down\n16 lmb up\n17 lmb down\n18 lmb up\n"
                                        "20 mouse 250 43\n21 lmb down\n22 lmb up\n24 shot b.png\n"
                                        "26 press esc\n28 mouse 180 200\n29 lmb down\n30 quit\n");
    EXPECT_EQ(joined(lines_matching(run.out, "^ship: refuelled")),
              "ship: refuelled by hand, 1600 kg,ship: refuelled by hand, 0 kg");
    EXPECT_NE(run.out.find("PAINT: Crimson"), std::string::npos);
    std::string dir =
        ::testing::TempDir() + "vantrel-e2e-pages-buttons-" + std::to_string(getpid());
    std::string a = png_palette(read_text(dir + "/a.png")),
                b = png_palette(read_text(dir + "/b.png"));
    ASSERT_EQ(a.size(), 768u);
    EXPECT_NE(a.substr(16 * 3, 24 * 3), b.substr(16 * 3, 24 * 3));   // the livery block
    EXPECT_EQ(a.substr(152 * 3, 32 * 3), b.substr(152 * 3, 32 * 3)); // the map colours
}

TEST(FlightPages, WithoutTablesOrCatalogThePagesStayBare) {
    game_run bare =
        fly_pages("noship", "10 press i\n12 press i\n14 press i\n20 quit\n", true, "equipment.dat");
    EXPECT_EQ(joined(traced(bare.out, "map")), "SHIP PROFILE,PILOT PROFILE | PILOT PROFILE | "
                                               "coming soon,CARGO");
    game_run nomap = fly_pages("nocatalog", "10 press m\n12 press n\n14 press i\n20 quit\n", true,
                               "stars.catalog");
    EXPECT_EQ(joined(traced(nomap.out, "page")), "SHIP");
    std::regex line("(^|\n)maps: PROGDIR:stars.catalog missing or unreadable\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(nomap.out.begin(), nomap.out.end(), line),
                            std::sregex_iterator()),
              1);
}

} // namespace
} // namespace vantrel
