// The main menu and the settings page, driven by scripted keys in the real program.
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

// A script that presses the keys one every other frame from frame 2, then prints the
// screen's hash and quits; `after` is appended (with its own frame numbers) when given.
struct keys_run {
    game_run run;
    std::string dir;
    int hash_frame;
};

keys_run press_keys(const std::string& name, const std::vector<std::string>& keys,
                    const std::string& cfg = "", bool quit = true,
                    const std::vector<std::string>& without = {},
                    const std::function<void(const std::string&)>& prepare = nullptr) {
    keys_run k;
    k.dir = game_dir_fresh(name);
    if (prepare) prepare(k.dir);
    if (!cfg.empty()) write_text(k.dir + "/Vantrel.cfg", cfg);
    // The cursor tests compare frames drawn at different times: without the title scene the
    // background holds still.
    std::filesystem::remove(k.dir + "/Scenes/title.scene");
    // Data files taken away for this run: every file whose name starts with a given prefix.
    for (const auto& entry : std::filesystem::directory_iterator(k.dir))
        for (const std::string& prefix : without)
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                std::filesystem::remove(entry.path());
    std::string script = "1 hash\n";
    int frame = 2;
    for (const std::string& key : keys) {
        script += std::to_string(frame) + " press " + key + "\n";
        frame += 2;
    }
    k.hash_frame = frame;
    script += std::to_string(frame) + " hash\n";
    if (quit) script += std::to_string(frame + 1) + " quit\n";
    write_script(k.dir + "/keys.script", script);
    k.run = run_game(k.dir, {"--headless", "--script", k.dir + "/keys.script"}, locale_env());
    return k;
}

std::string settings_file(const keys_run& k) {
    return read_text(k.dir + "/Vantrel.cfg");
}

// The bytes the settings page writes: a "GRFX" version 7 block, then a "UICF" block.
std::string cfg_bytes(std::vector<uint8_t> grfx_fields, const std::string& language = "") {
    std::string s("GRFX\0\7", 6);
    for (uint8_t b : grfx_fields) s.push_back(char(b));
    s += std::string("UICF\0\1", 6) + char(language.size()) + language;
    return s;
}
const std::vector<uint8_t> ALL_AUTO = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

TEST(Menu, CursorWrapsOnTheMainPage) {
    keys_run up = press_keys("wrap-up", {"up"});
    std::vector<std::string> eight_down(8, "down");
    keys_run down = press_keys("wrap-down", eight_down);
    EXPECT_EQ(up.run.exit_code, 0);
    ASSERT_NE(hash_at(up.run, up.hash_frame), "");
    EXPECT_EQ(hash_at(up.run, up.hash_frame), hash_at(down.run, down.hash_frame));
    EXPECT_NE(hash_at(up.run, up.hash_frame), hash_at(up.run, 1)); // QUIT is not START
    std::vector<std::string> nine_down(9, "s");
    keys_run round = press_keys("wrap-round", nine_down);
    EXPECT_EQ(hash_at(round.run, round.hash_frame), hash_at(round.run, 1));
}

// The settings page as it first opens: its cursor wraps both ways, and Esc then Enter on the
// main page (the cursor still on SETTINGS) opens the page again as new.
TEST(Menu, CursorWrapsOnTheSettingsPageAndItReopensAsNew) {
    const std::string first = [] {
        keys_run k = press_keys("swrap-first", {"up", "up", "return"});
        return hash_at(k.run, k.hash_frame);
    }();
    ASSERT_NE(first, "");
    keys_run up = press_keys("swrap-up", {"up", "up", "return", "w"});
    keys_run down = press_keys("swrap-down", {"up", "up", "return", "down", "down", "down", "down",
                                              "down", "down", "down"});
    ASSERT_NE(hash_at(up.run, up.hash_frame), "");
    EXPECT_EQ(hash_at(up.run, up.hash_frame), hash_at(down.run, down.hash_frame));
    keys_run round = press_keys("swrap-round", {"up", "up", "return", "up", "s"});
    EXPECT_EQ(hash_at(round.run, round.hash_frame), first);
    keys_run again = press_keys("back-again", {"up", "up", "return", "esc", "return"});
    EXPECT_EQ(hash_at(again.run, again.hash_frame), first);
}

TEST(Menu, ParticlesLeftFromAutoIsHighAndDetailLeftIsFour) {
    keys_run k =
        press_keys("particles", {"up", "up", "return", "down", "down", "left", "down", "a", "esc"});
    EXPECT_EQ(k.run.exit_code, 0);
    EXPECT_EQ(settings_file(k), cfg_bytes({0, 0, 3, 4, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(Menu, LeftAndRightOnBackChangeNothingAndEnterSaves) {
    keys_run k = press_keys("back", {"up", "up", "return", "up", "left", "right", "d", "return"});
    EXPECT_EQ(settings_file(k), cfg_bytes(ALL_AUTO));
}

TEST(Menu, EscOnTheSettingsPageRewritesTheFileAsVersion7) {
    // A version-4 file from an older game with a language: written back whole, unchanged
    // settings, in the current format.
    std::string old_file =
        std::string("GRFX\0\4\1\2\2\3\1", 11) + std::string("UICF\0\1\5czech", 12);
    keys_run k = press_keys("esc-save", {"up", "up", "return", "esc"}, old_file);
    EXPECT_EQ(settings_file(k), cfg_bytes({1, 2, 2, 3, 1, 0, 0, 0, 0, 0, 0}, "czech"));
}

TEST(Menu, SettingsSurviveARestart) {
    // Shading to "off", view to 320x180, then back to the main page and quit.
    keys_run first = press_keys("restart-1", {"up", "up", "return", "right", "down", "down", "down",
                                              "down", "left", "up", "up", "up", "up"});
    keys_run saved = press_keys("restart-2", {"up", "up", "return", "right", "down", "down", "down",
                                              "down", "left", "esc"});
    EXPECT_EQ(settings_file(saved), cfg_bytes({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0}));
    // A new run with that file shows the settings page as the first run left it.
    keys_run again = press_keys("restart-3", {"up", "up", "return"}, settings_file(saved));
    ASSERT_NE(hash_at(again.run, again.hash_frame), "");
    EXPECT_EQ(hash_at(again.run, again.hash_frame), hash_at(first.run, first.hash_frame));
}

// Esc on the main page, or its QUIT entry, ends the program at once and saves nothing.
TEST(Menu, EscAndQuitEndTheProgramWithoutSaving) {
    for (const auto& keys : {std::vector<std::string>{"esc", "down"}, {"up", "return"}}) {
        keys_run k = press_keys("quit-" + keys[0], keys, "", false);
        EXPECT_EQ(k.run.exit_code, 0) << keys[0];
        EXPECT_EQ(hash_at(k.run, k.hash_frame), "") << keys[0]; // gone before that frame
        EXPECT_FALSE(std::filesystem::exists(k.dir + "/Vantrel.cfg")) << keys[0];
    }
}

// SYSTEM MAP opens on the built star catalog (Esc leaves it); without it, or with one cut
// short, of another kind, or with more index cells than the map has room for, it says so.
// Either way the menu opens again as new: main page, cursor on the first entry.
TEST(Menu, SystemMapFindsTheStarCatalogOrSaysWhyNot) {
    const std::string missing = "\nmaps: PROGDIR:stars.catalog missing or unreadable\n";
    const struct {
        const char* name;
        std::function<void(std::string&)> spoil;
        std::string line;
    } cases[] = {
        {"built", nullptr, ""},
        {"none", [](std::string& f) { f.clear(); }, missing},
        {"truncated", [](std::string& f) { f.resize(f.size() / 2); }, missing},
        {"magic", [](std::string& f) { f[3] = '4'; }, missing},
        {"cells", [](std::string& f) { f[8] = f[9] = f[10] = 0, f[11] = 65; }, missing},
    };
    for (const auto& c : cases) {
        auto prepare = [&](const std::string& dir) {
            if (!c.spoil) return;
            std::string bytes = read_text(dir + "/stars.catalog");
            c.spoil(bytes);
            std::filesystem::remove(dir + "/stars.catalog");
            if (!bytes.empty()) write_text(dir + "/stars.catalog", bytes);
        };
        std::vector<std::string> keys = {"down", "down", "down", "down", "down", "return"};
        if (!c.spoil) keys.push_back("esc"); // the map opened: Esc leaves it
        keys_run k = press_keys(std::string("map-") + c.name, keys, "", true, {}, prepare);
        EXPECT_EQ(k.run.exit_code, 0) << c.name;
        if (c.spoil)
            EXPECT_NE(k.run.out.find(c.line), std::string::npos) << c.name << "\n" << k.run.out;
        else
            EXPECT_EQ(k.run.out.find("\nmaps: "), std::string::npos) << k.run.out;
        EXPECT_EQ(hash_at(k.run, k.hash_frame), hash_at(k.run, 1)) << c.name;
    }
}

TEST(Menu, DockDemoWithoutModelsCannotBeChosenAndMusicKeyIsHarmless) {
    const std::vector<std::string> no_dock = {"stanice_dock", "transport"};
    keys_run dock = press_keys("dock", {"down", "down", "return", "m", "m"}, "", true, no_dock);
    keys_run stay = press_keys("dock-stay", {"down", "down"}, "", true, no_dock);
    EXPECT_NE(dock.run.out.find("dock demo models: missing"), std::string::npos) << dock.run.out;
    EXPECT_EQ(dock.run.exit_code, 0);
    EXPECT_EQ(hash_at(dock.run, dock.hash_frame), hash_at(stay.run, stay.hash_frame));
}

} // namespace
} // namespace vantrel
