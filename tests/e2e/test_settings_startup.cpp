// The settings file and the catalog language as the real program picks them up at start.
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "e2e/run_game.h"

namespace vantrel {
namespace {

std::string grfx(uint8_t detail = 0) {
    return std::string("GRFX\0\7\0\0\0", 9) + char(detail) + std::string("\0\0\0\0\0\0\0", 7);
}

std::string uicf(const std::string& name) {
    return std::string("UICF\0\1", 6) + char(name.size()) + name;
}

// The "language:" line of a run in a fresh game directory holding the given files; the start
// log it wrote into *log when asked.
std::string language_line(const std::vector<std::pair<std::string, std::string>>& files,
                          const std::string& lang = "C", std::string* log = nullptr) {
    std::string dir = game_dir_fresh("lang");
    for (const auto& [name, bytes] : files) write_text(dir + "/" + name, bytes);
    game_run run = run_game(dir, {"--headless", "--frames", "1"}, locale_env(lang));
    EXPECT_EQ(run.exit_code, 0);
    if (log) *log = read_text(dir + "/Vantrel_start.log");
    size_t at = run.out.find("language: ");
    if (at == std::string::npos) return "(no language line) " + run.out;
    return run.out.substr(at, run.out.find('\n', at) - at);
}

TEST(StartupSettings, NoSettingsFileMeansTheSystemLanguage) {
    EXPECT_EQ(language_line({}), "language: english");
    std::string log;
    EXPECT_EQ(language_line({}, "cs_CZ.UTF-8", &log), "language: czech");
    EXPECT_NE(log.find("\nsettings + catalog ok (czech)\n"), std::string::npos) << log;
    EXPECT_EQ(language_line({}, "de_DE.UTF-8"), "language: english"); // no German catalog
}

TEST(StartupSettings, TheSettingsFileOrItsLegacyNameChoosesTheLanguage) {
    EXPECT_EQ(language_line({{"Vantrel.cfg", grfx() + uicf("czech")}}), "language: czech");
    // An empty name leaves the choice to the system.
    EXPECT_EQ(language_line({{"Vantrel.cfg", grfx() + uicf("")}}, "cs_CZ"), "language: czech");
    // The legacy name counts only when the main file cannot be read.
    EXPECT_EQ(language_line({{"zaltern.cfg", grfx() + uicf("czech")}}), "language: czech");
    EXPECT_EQ(language_line({{"zaltern.cfg", grfx() + uicf("czech")},
                             {"Vantrel.cfg", grfx() + uicf("english")}}),
              "language: english");
    // A main file that is read but holds nothing valid still wins over the legacy one.
    EXPECT_EQ(language_line({{"zaltern.cfg", grfx() + uicf("czech")}, {"Vantrel.cfg", ""}}),
              "language: english");
    // Bad blocks fall back to the defaults.
    // Detail 5 rejects the graphics block, and the UI block after it is not read.
    EXPECT_EQ(language_line({{"Vantrel.cfg", grfx(5) + uicf("czech")}}), "language: english");
    // A name with a space is rejected: the system's language is used.
    EXPECT_EQ(language_line({{"Vantrel.cfg", grfx() + uicf("german x")}}, "cs_CZ.UTF-8"),
              "language: czech");
    // A name that would lead out of the catalog directory opens nothing.
    EXPECT_EQ(language_line({{"Vantrel.cfg", grfx() + uicf("../Catalogs/czech")}}),
              "language: english");
}

// Enters the settings page, leaves it (which saves) and quits.
game_run save_settings(const std::string& dir) {
    write_script(dir + "/save.script", "1 press up\n3 press up\n5 press return\n8 press esc\n"
                                       "12 quit\n");
    return run_game(dir, {"--headless", "--script", dir + "/save.script"}, locale_env());
}

TEST(StartupSettings, ASaveThatFailsSaysSo) {
    std::string dir = game_dir_fresh("cfgdir");
    std::filesystem::create_directory(dir + "/Vantrel.cfg");
    game_run run = save_settings(dir);
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_NE(run.out.find("settings: could not save PROGDIR:Vantrel.cfg (Is a directory); the "
                           "changes hold for this run\n"),
              std::string::npos)
        << run.out;
    EXPECT_FALSE(std::filesystem::exists(dir + "/Vantrel.cfg.new"));
}

// A newer game's file keeps its graphics block to itself, lends us its language, and is not
// overwritten when the settings page is left.
TEST(StartupSettings, ANewerFileIsReadForItsLanguageAndKept) {
    std::string newer = std::string("GRFX\0\x09", 6) + std::string(20, '\x01') + uicf("czech");
    EXPECT_EQ(language_line({{"Vantrel.cfg", newer}}), "language: czech");
    std::string dir = game_dir_fresh("cfgnewer");
    write_text(dir + "/Vantrel.cfg", newer);
    game_run run = save_settings(dir);
    EXPECT_NE(run.out.find("settings: PROGDIR:Vantrel.cfg is from a newer version of the game, "
                           "left as it is; the changes hold for this run\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(read_text(dir + "/Vantrel.cfg"), newer);
}

} // namespace
} // namespace vantrel
