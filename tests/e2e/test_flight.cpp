// The flight, played through headless scripts against the real program.
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

// Runs a script that starts the flight from the main menu (START is the first entry).
game_run fly_in(const std::string& dir, const std::string& script,
                const std::vector<std::string>& extra = {}) {
    write_script(dir + "/script.txt", "1 press return\n" + script);
    std::vector<std::string> args = {"--headless", "--trace", "--script", dir + "/script.txt"};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_game(dir, args);
}

game_run fly(const std::string& name, const std::string& script,
             const std::vector<std::string>& extra = {}) {
    return fly_in(game_dir_fresh("flight-" + name), script, extra);
}

// Frame numbers of the trace lines that contain `what`.
std::vector<int> trace_frames(const std::string& out, const std::string& what) {
    std::vector<int> frames;
    for (const std::string& line : lines_matching(out, "^trace [0-9]+: " + what))
        frames.push_back(std::stoi(line.substr(6)));
    return frames;
}

std::vector<int> target_distances(const std::string& out, const std::string& name) {
    std::vector<int> d;
    for (const std::string& line :
         lines_matching(out, "^trace [0-9]+: target " + name + " [0-9]+ m")) {
        size_t at = line.find(name) + name.size() + 1;
        d.push_back(std::stoi(line.substr(at)));
    }
    return d;
}

// One flight of many keys: the start and end lines, the radar's refusals, the function keys
// and panel switches each acting once, the view switch, the warp limited near the station (a
// pause never is), the statistics every twenty frames, and the same output on a second run.
TEST(Flight, KeysActOnceAndTheRunSaysSo) {
    const std::string script =
        "5 press tab\n6 press tab\n8 press d\n10 down f1\n20 press 2\n22 press d\n40 up f1\n"
        "50 press f3\n60 press f4\n70 press f5\n80 press f6\n90 press f6\n100 press f2\n"
        "110 press f2\n120 press e\n130 press g\n140 press c\n150 press r\n160 press h\n"
        "170 press f10\n180 rmb down\n181 mouse 200 100\n190 hash\n191 rmb up\n"
        "195 press f7\n201 press esc\n220 quit\n";
    game_run run = fly("keys", script);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    size_t ok = run.out.find("OK: flight test running until Escape.\n");
    ASSERT_NE(ok, std::string::npos) << run.out;
    EXPECT_NE(run.out.find("sound: on (engine + 2 effect channels)\n"), std::string::npos);
    EXPECT_NE(run.out.find("chunky @ 0x"), std::string::npos);
    std::vector<std::string> end =
        lines_matching(run.out, "^quit_requested after [0-9]+ total frames$");
    ASSERT_EQ(end.size(), 1u);
    size_t ended = run.out.find(end[0] + "\nOK: flight test ended.\n");
    EXPECT_NE(ended, std::string::npos);
    EXPECT_GT(ended, ok);
    EXPECT_EQ(lines_matching(run.out, "^OK: flight test ended\\.$").size(), 1u);
    EXPECT_EQ(lines_matching(run.out, "^FAILED").size(), 0u);

    // Tab twice is the radar missile: fired without a target, then without a lock.
    EXPECT_EQ(trace_frames(run.out, "message NO TARGET").size(), 1u) << run.out;
    EXPECT_EQ(trace_frames(run.out, "message NO LOCK").size(), 1u);
    EXPECT_TRUE(trace_frames(run.out, "message MISSILE AWAY").empty());
    // The shading description: once at the start, once for the (long) F1 press.
    EXPECT_EQ(lines_matching(run.out, "^CPU: .* \\| ").size(), 2u);
    EXPECT_EQ(trace_frames(run.out, "osd F1 shading: ").size(), 1u);
    EXPECT_EQ(lines_matching(run.out, "^c2p mode: [a-z0-9-]+$").size(), 1u);
    EXPECT_EQ(lines_matching(run.out, "^vertex math: ").size(), 1u);
    EXPECT_EQ(lines_matching(run.out, "^render timing: ").size(), 1u);
    EXPECT_EQ(lines_matching(run.out, "^raster path: spans$").size(), 1u);
    EXPECT_EQ(lines_matching(run.out, "^raster path: fused$").size(), 1u);
    EXPECT_EQ(lines_matching(run.out, "^view: "),
              (std::vector<std::string>{"view: 320x124 (320x200)", "view: 320x180 (320x256)"}));
    for (const char* notice :
         {"motory: stop", "podvozek: vysunut", "komunikace: zatim neni", "analyzator: zatim neni",
          "hyperskok: zatim neni", "zrychleni omezeno: blizko objektu \\(x1\\)"})
        EXPECT_EQ(trace_frames(run.out, std::string("osd ") + notice).size(), 1u) << notice;
    EXPECT_EQ(trace_frames(run.out, "osd zrychleni").size(), 1u); // a pause is never limited

    std::vector<std::string> first =
        lines_matching(run.out, "^20 frames in [0-9]+ ms \\([0-9]+\\.[0-9]{2} fps\\) input=[0-9]+ "
                                "physics=[0-9]+ clear=[0-9]+ "
                                "station=[0-9]+ decoys=[0-9]+ fx=[0-9]+ render=[0-9]+ "
                                "present=[0-9]+ ms, particles=[0-9]+$");
    std::vector<std::string> second =
        lines_matching(run.out, "^  tris/20f: drawn=[0-9]+ clipped=[0-9]+ objs_culled=[0-9]+ "
                                "station_lod=[0-9]+ \\| c2p=[a-z0-9-]+ "
                                "blocks written [0-9]+% \\| sim steps [0-9]+$");
    std::vector<std::string> third =
        lines_matching(run.out, "^  render us/frame: backface=[0-9]+ verts=[0-9]+ ");
    EXPECT_EQ(first.size(), 10u) << run.out;
    EXPECT_EQ(second.size(), first.size());
    EXPECT_EQ(third.size(), first.size());
    // Headless time is virtual: exactly 20 ms a frame.
    EXPECT_NE(run.out.find("20 frames in 400 ms (50.00 fps)"), std::string::npos);
    EXPECT_NE(run.out.find("sim steps 20"), std::string::npos);

    EXPECT_EQ(fly("keys-again", script).out, run.out);
}

// Past the station and out to thousands of kilometres under warp: the distance keeps growing
// and nothing near limits the warp any more.
TEST(Flight, FarOutTheDistanceGrowsAndTheWarpIsFree) {
    game_run run = fly("far", "5 press 1\n10 down w\n60 up w\n2100 press f10\n2200 press "
                              "equals\n2300 press equals\n2400 quit\n");
    std::vector<int> d = target_distances(run.out, "Stanice Alfa");
    ASSERT_GE(d.size(), 30u) << run.out;
    std::vector<int> out(d.end() - 30, d.end());
    for (size_t i = 1; i < out.size(); i++) EXPECT_GT(out[i], out[i - 1]);
    EXPECT_GT(out.back(), 1000000);
    for (int frame : trace_frames(run.out, "message TIME WARP LIMITED")) EXPECT_LT(frame, 2100);
    EXPECT_TRUE(trace_frames(run.out, "osd zrychleni omezeno").empty()) << run.out;
}

// The built panel with its top band grown by `extra` rows in both images.
void grow_panel_top(const std::string& dir, int extra) {
    std::string f = read_text(dir + "/cockpit.cpt");
    auto u16 = [&](size_t at) { return (uint8_t(f[at]) << 8) | uint8_t(f[at + 1]); };
    int width = u16(6), top = u16(8), bottom = u16(10), colours = u16(14);
    size_t image = size_t(top + bottom) * width, start = 16 + 3 * size_t(colours);
    std::string rows(size_t(extra) * width, '\0');
    f.insert(start + image + size_t(top) * width, rows); // lit image first: offsets stay valid
    f.insert(start + size_t(top) * width, rows);
    f[8] = char((top + extra) >> 8);
    f[9] = char(top + extra);
    write_text(dir + "/cockpit.cpt", f);
}

// Bands that fit the tall screen but leave the short one no view are refused when the panel
// loads; a panel that leaves both a view is used on both.
TEST(Flight, PanelTooTallForTheShortScreenIsRefused) {
    const struct {
        int extra;
        const char* line;
    } cases[] = {{170, "cockpit panels: drawn (cockpit.cpt invalid)\n"},
                 {124, "cockpit panels: PROGDIR:cockpit.cpt\n"}};
    for (const auto& k : cases) {
        std::string dir = game_dir_fresh("tallpanel" + std::to_string(k.extra));
        grow_panel_top(dir, k.extra);
        game_run run = fly_in(dir, "5 press f2\n10 press f2\n15 press f2\n20 press esc\n30 quit\n");
        EXPECT_EQ(run.exit_code, 0) << run.err;
        EXPECT_NE(run.out.find(k.line), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("OK: flight test ended.\n"), std::string::npos) << run.out;
    }
}

// The ship's loadout from the tables: its line once a run however many flights start, the
// placeholder without the equipment file, and no goods when the goods file is cut short.
TEST(Flight, TheShipLineOnceARunFromTheTables) {
    const struct {
        const char* name;
        const char* file; // spoiled: removed when keep is 0, else cut to keep bytes
        size_t keep;
        const char* line;
    } cases[] = {
        {"tables", nullptr, 0, "ship: stihac, 2 items, hold 9/15 t\n"},
        {"noequipment", "equipment.dat", 0,
         "ship: PROGDIR:equipment.dat missing or bad, placeholder loadout\n"},
        {"shortgoods", "commodities.dat", 20, "ship: stihac, 2 items, hold 6/15 t\n"},
    };
    for (const auto& c : cases) {
        std::string dir = game_dir_fresh(std::string("ship-") + c.name);
        if (c.file) {
            std::string bytes = read_text(dir + "/" + c.file);
            std::filesystem::remove(dir + "/" + c.file);
            if (c.keep) write_text(dir + "/" + c.file, bytes.substr(0, c.keep));
        }
        game_run run = fly_in(dir, "20 press esc\n40 press return\n60 press esc\n80 quit\n");
        EXPECT_EQ(run.exit_code, 0) << c.name;
        std::vector<std::string> lines = lines_matching(run.out, "^ship: ");
        ASSERT_EQ(lines.size(), 1u) << c.name << "\n" << run.out;
        EXPECT_EQ(lines[0] + "\n", c.line);
        EXPECT_EQ(lines_matching(run.out, "^OK: flight test ended.").size(), 2u) << c.name;
    }
}

TEST(Flight, InfraredLockMissileAndHit) {
    game_run run = fly("missile", "5 press 2\n6 press tab\n120 down d\n121 up d\n260 quit\n");
    std::vector<int> locked = trace_frames(run.out, "message LOCKED");
    ASSERT_GE(locked.size(), 1u) << run.out; // firing resets the lock; it may build again
    // 1.5 s of simulated time at 50 ticks a second, counted from the frame after the mode change.
    EXPECT_GE(locked[0], 6 + 74);
    EXPECT_LE(locked[0], 6 + 77);
    std::vector<int> away = trace_frames(run.out, "message MISSILE AWAY");
    std::vector<int> boom = trace_frames(run.out, "explosion at Kocka-7, 40 particles");
    std::vector<int> hit = trace_frames(run.out, "message HIT");
    ASSERT_EQ(away.size(), 1u);
    ASSERT_EQ(boom.size(), 1u);
    ASSERT_EQ(hit.size(), 1u);
    EXPECT_EQ(boom[0], hit[0]);
    // About 300 m at 300 m/s.
    EXPECT_GE(hit[0] - away[0], 45);
    EXPECT_LE(hit[0] - away[0], 55);
    EXPECT_NE(run.out.find("particles=40"), std::string::npos); // the explosion in the statistics
}

// Thrust closes on the target; a pause stops the ship and the missile in flight.
TEST(Flight, ThrottleClosesOnTheTargetAndPauseStopsTheShipAndTheShot) {
    game_run run =
        fly("pause", "5 press 2\n6 press tab\n10 down w\n40 up w\n120 press d\n125 press p\n"
                     "300 press p\n420 quit\n");
    std::vector<int> d = target_distances(run.out, "Kocka-7");
    std::vector<int> frames = trace_frames(run.out, "target Kocka-7");
    ASSERT_GE(d.size(), 10u) << run.out;
    ASSERT_EQ(d.size(), frames.size());
    EXPECT_LT(d.back(), d.front() - 20);
    int paused_at = -1;
    for (size_t i = 0; i < frames.size(); i++) {
        EXPECT_LE(d[i], d[i ? i - 1 : 0]) << frames[i];
        if (frames[i] < 140 || frames[i] > 290) continue;
        if (paused_at < 0) paused_at = d[i];
        EXPECT_EQ(d[i], paused_at) << frames[i]; // nothing moves while paused
    }
    std::vector<int> hit = trace_frames(run.out, "message HIT");
    ASSERT_EQ(hit.size(), 1u) << run.out;
    EXPECT_GT(hit[0], 300); // the missile waited for the pause to end
}

// V and Q only light panel buttons: the frame changes.
TEST(Flight, LitPanelButtonsChangeTheFrame) {
    game_run lit = fly("lit", "10 hash\n11 press v\n13 hash\n14 press q\n16 hash\n20 quit\n");
    std::vector<std::string> hashes = lines_matching(lit.out, "^frame [0-9]+ crc32 [0-9a-f]{8}$");
    ASSERT_EQ(hashes.size(), 3u) << lit.out;
    EXPECT_NE(hashes[0].substr(hashes[0].size() - 8), hashes[1].substr(hashes[1].size() - 8));
}

TEST(Flight, PointerLeavesNoTrailOnThePanel) {
    game_run crossed = fly("trail-a", "10 mouse 150 230\n20 mouse 150 100\n40 hash\n45 quit\n");
    game_run direct = fly("trail-b", "20 mouse 150 100\n40 hash\n45 quit\n");
    std::vector<std::string> a = lines_matching(crossed.out, "^frame 40 crc32 ");
    std::vector<std::string> b = lines_matching(direct.out, "^frame 40 crc32 ");
    ASSERT_EQ(a.size(), 1u) << crossed.out;
    EXPECT_EQ(a, b);
}

} // namespace
} // namespace vantrel
