// Graphics, UI and key-binding blocks; resolving the graphics settings; the settings file.
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "shell/graphics.h"
#include "shell/keybinds.h"
#include "shell/settings_file.h"
#include "shell/ui_config.h"

namespace vantrel {
namespace {

std::vector<uint8_t> grfx_block(uint16_t version, std::vector<uint8_t> fields) {
    std::vector<uint8_t> b = {'G', 'R', 'F', 'X', uint8_t(version >> 8), uint8_t(version)};
    b.insert(b.end(), fields.begin(), fields.end());
    return b;
}

int load_grfx(const std::vector<uint8_t>& bytes, graphics_config* cfg) {
    save_reader r;
    save_reader_init(&r, bytes.data(), uint32_t(bytes.size()));
    return graphics_config_load(cfg, &r);
}

graphics_config sample_config() {
    return graphics_config{2, 1, 3, 4, 1, 2, 0x50011000u, 1};
}

TEST(GraphicsConfig, OlderVersionsLeaveTheirMissingFieldsAuto) {
    graphics_config cfg = sample_config();
    ASSERT_EQ(load_grfx(grfx_block(4, {1, 2, 3, 4, 1}), &cfg), 1);
    EXPECT_EQ(cfg.detail, 4u);
    EXPECT_EQ(cfg.fpu_use, 0u);
    EXPECT_EQ(cfg.screen_mode_id, 0u);
    EXPECT_EQ(cfg.fps_cap, 0u);
    ASSERT_EQ(load_grfx(grfx_block(5, {1, 2, 3, 4, 1, 2}), &cfg), 1);
    EXPECT_EQ(cfg.fpu_use, 2u);
    EXPECT_EQ(cfg.screen_mode_id, 0u);
    ASSERT_EQ(load_grfx(grfx_block(6, {1, 2, 3, 4, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF}), &cfg), 1);
    EXPECT_EQ(cfg.screen_mode_id, 0xFFFFFFFFu); // not range-checked
    EXPECT_EQ(cfg.fps_cap, 0u);
}

TEST(GraphicsConfig, AnyBadFieldRejectsTheWholeBlock) {
    const std::vector<uint8_t> good = {2, 2, 3, 4, 1, 2, 0, 0, 0, 0, 2};
    // For each one-byte field: the first value out of range.
    const int field_at[] = {0, 1, 2, 3, 4, 5, 10};
    const uint8_t too_big[] = {3, 3, 4, 5, 2, 3, 3};
    for (int i = 0; i < 7; i++) {
        std::vector<uint8_t> f = good;
        f[size_t(field_at[i])] = too_big[i];
        graphics_config cfg = sample_config();
        EXPECT_EQ(load_grfx(grfx_block(7, f), &cfg), 0) << "field " << field_at[i];
        EXPECT_EQ(std::memcmp(&cfg, &(const graphics_config&)sample_config(), sizeof cfg), 0);
    }
    graphics_config cfg{};
    EXPECT_EQ(load_grfx(grfx_block(3, good), &cfg), 0);
    EXPECT_EQ(load_grfx(grfx_block(8, good), &cfg), 0);
    std::vector<uint8_t> other_tag = grfx_block(7, good);
    other_tag[0] = 'g';
    EXPECT_EQ(load_grfx(other_tag, &cfg), 0);
    std::vector<uint8_t> full = grfx_block(7, good);
    for (size_t n = 0; n < full.size(); n++)
        EXPECT_EQ(load_grfx(std::vector<uint8_t>(full.begin(), full.begin() + long(n)), &cfg), 0)
            << n;
    EXPECT_EQ(load_grfx(full, &cfg), 1);
}

TEST(GraphicsResolve, AutoFollowsTheProcessor) {
    graphics_config cfg{};
    graphics_resolved g;
    // processor class, then the output path, shading, particles and detail it gets
    const uint32_t rows[][5] = {{3, 2, 2, 3, 2}, {0, 1, 1, 2, 1}, {1, 1, 1, 2, 1}, {7, 1, 1, 2, 1}};
    for (const auto& r : rows) {
        graphics_resolve(&g, &cfg, r[0]);
        EXPECT_EQ(g.cpu_class, r[0]);
        EXPECT_EQ((std::vector<uint32_t>{g.output_path, g.shading, g.particles, g.detail}),
                  (std::vector<uint32_t>{r[1], r[2], r[3], r[4]}))
            << r[0];
        EXPECT_TRUE(g.output_auto && g.shading_auto && g.particles_auto && g.detail_auto);
        EXPECT_FALSE(g.output_forced);
    }
}

TEST(GraphicsResolve, ChosenValuesStandAndAForcedPathChangesNothingElse) {
    graphics_config cfg{2, 2, 1, 4, 1, 0, 0, 0};
    graphics_resolved g;
    graphics_resolve(&g, &cfg, 1);
    EXPECT_EQ(g.output_path, 1u);
    EXPECT_TRUE(g.output_forced);
    EXPECT_EQ(g.shading, 2u);
    EXPECT_EQ(g.particles, 1u);
    EXPECT_EQ(g.detail, 4u);
    EXPECT_EQ(g.view, 1u);
    EXPECT_FALSE(g.output_auto || g.shading_auto || g.particles_auto || g.detail_auto);
    char text[128];
    graphics_describe(&g, text, sizeof text);
    EXPECT_STREQ(text, "CPU: 68030 | vystup: 030 (vynuceno 030, CPU neumi 040/060) | "
                       "stinovani: trojuhelniky (nastaveno)");
    graphics_resolve(&g, &cfg, 2);
    EXPECT_EQ(g.output_path, 2u);
    EXPECT_FALSE(g.output_forced);
    cfg = graphics_config{1, 0, 0, 0, 0, 0, 0, 0};
    graphics_resolve(&g, &cfg, 3); // "030" chosen on a fast processor is kept
    EXPECT_EQ(g.output_path, 1u);
    graphics_describe(&g, text, sizeof text);
    EXPECT_STREQ(text, "CPU: 68060 | vystup: 030 (nastaveno) | stinovani: trojuhelniky (auto)");
    cfg = graphics_config{};
    graphics_resolve(&g, &cfg, 0);
    graphics_describe(&g, text, 20); // truncated, still terminated
    EXPECT_STREQ(text, "CPU: neznamy | vyst");
}

TEST(GraphicsResolve, FpuUse) {
    graphics_config cfg{};
    for (uint32_t cpu : {0u, 1u, 2u, 3u})
        for (uint32_t use : {0u, 1u, 2u}) {
            cfg.fpu_use = use;
            EXPECT_EQ(graphics_fpu_enabled(&cfg, cpu, 0), 0);
            int want = use == 2 || (use == 0 && (cpu == 2 || cpu == 3));
            EXPECT_EQ(graphics_fpu_enabled(&cfg, cpu, 1), want) << cpu << " " << use;
        }
}

TEST(GraphicsNames, ValuesOutsideTheTablesGiveTheLastColumn) {
    EXPECT_STREQ(cpu_class_name(4), "neznamy");
    EXPECT_STREQ(particles_mode_name(4), "auto");
    EXPECT_STREQ(detail_mode_name(5), "auto");
    EXPECT_STREQ(detail_model_suffix(0), "");
    EXPECT_STREQ(detail_model_suffix(4), "_cz");
    EXPECT_STREQ(view_mode_name(2), "320x124");
    EXPECT_EQ(particles_mode_limit(0xFFFFFFFFu), 0u);
    // The frame period: 50 fps, 25 fps, none; anything else is 50 fps.
    const uint32_t periods[][2] = {{0, 20000}, {1, 40000}, {2, 0}, {9, 20000}};
    for (const auto& p : periods) EXPECT_EQ(fps_cap_period_us(p[0]), p[1]) << p[0];
}

int load_uicf(const std::vector<uint8_t>& bytes, ui_config* cfg) {
    save_reader r;
    save_reader_init(&r, bytes.data(), uint32_t(bytes.size()));
    return ui_config_load(cfg, &r);
}

std::vector<uint8_t> uicf_block(uint16_t version, const std::string& name, int n = -1) {
    std::vector<uint8_t> b = {'U', 'I', 'C', 'F', uint8_t(version >> 8), uint8_t(version)};
    b.push_back(uint8_t(n < 0 ? int(name.size()) : n));
    for (char c : name) b.push_back(uint8_t(c));
    return b;
}

TEST(UiConfig, LongNamesAreCutTo23AndReadBack) {
    ui_config cfg;
    ui_config_defaults(&cfg);
    // A record filled to the last byte without a terminator still saves 23 characters.
    std::memcpy(cfg.language, "abcdefghijklmnopqrstuvwx", sizeof cfg.language);
    uint8_t buf[64];
    save_writer w;
    save_writer_init(&w, buf, sizeof buf);
    ui_config_save(&cfg, &w);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + w.pos), uicf_block(1, "abcdefghijklmnopqrstuvw"));
    ui_config back;
    ui_config_defaults(&back);
    ASSERT_EQ(load_uicf(std::vector<uint8_t>(buf, buf + w.pos), &back), 1);
    EXPECT_STREQ(back.language, "abcdefghijklmnopqrstuvw");
    ASSERT_EQ(load_uicf(uicf_block(1, ""), &back), 1);
    EXPECT_STREQ(back.language, "");
}

TEST(UiConfig, RefusesSpacesControlBytesLengthsAndOtherVersions) {
    ui_config cfg;
    std::snprintf(cfg.language, sizeof cfg.language, "czech");
    for (const auto& bad : {uicf_block(1, "cz ech"), uicf_block(1, "czech\x7f"),
                            uicf_block(1, "\xe8"
                                          "esky"),
                            uicf_block(2, "czech"), uicf_block(0, "czech"),
                            uicf_block(1, "czech", 6), uicf_block(1, std::string(24, 'a'))}) {
        EXPECT_EQ(load_uicf(bad, &cfg), 0);
        EXPECT_STREQ(cfg.language, "czech");
    }
    EXPECT_EQ(load_uicf(uicf_block(1, "!~"), &cfg), 1);
}

TEST(Keybinds, DefaultsBlockAndMatching) {
    const uint16_t primaries[3] = {0x11, 0x21, 0x22};
    keybind_config t;
    keybind_config_defaults(&t, primaries);
    keybind_config_set(&t, 0, 1, 0x4C);
    keybind_config_set(&t, 1, 1, 0x4D);
    keybind_config_set(&t, 3, 0, 0x99); // no such action: ignored
    EXPECT_EQ(keybind_config_get(&t, 0, 1), 0x4C);
    EXPECT_EQ(keybind_config_get(&t, 2, 1), 0);
    EXPECT_EQ(keybind_config_get(&t, -1, 0), 0);
    EXPECT_EQ(keybind_config_matches(&t, 0, 0x4C), 1);
    EXPECT_EQ(keybind_config_matches(&t, 0, 0x21), 0);
    EXPECT_EQ(keybind_config_matches(&t, 2, 0), 0); // the empty alternate never fires
    uint8_t buf[32];
    save_writer w;
    save_writer_init(&w, buf, sizeof buf);
    keybind_config_save(&t, &w);
    const std::vector<uint8_t> want = {'K',  'E', 'Y',  'B', 0,    2, 0,    0x11, 0,
                                       0x4C, 0,   0x21, 0,   0x4D, 0, 0x22, 0,    0};
    ASSERT_EQ(std::vector<uint8_t>(buf, buf + w.pos), want);
    keybind_config back{};
    save_reader r;
    save_reader_init(&r, buf, w.pos);
    ASSERT_EQ(keybind_config_load(&back, &r), 1);
    EXPECT_EQ(std::memcmp(&back, &t, sizeof t), 0);
    std::vector<uint8_t> v1 = want;
    v1[5] = 1;
    save_reader_init(&r, v1.data(), uint32_t(v1.size()));
    EXPECT_EQ(keybind_config_load(&back, &r), 0);
    save_reader_init(&r, want.data(), uint32_t(want.size() - 1));
    EXPECT_EQ(keybind_config_load(&back, &r), 0);
    EXPECT_EQ(std::memcmp(&back, &t, sizeof t), 0);
}

// The sample graphics settings and the language "czech", as the settings page writes them.
std::vector<uint8_t> czech_settings_file() {
    graphics_config gfx = sample_config();
    ui_config ui;
    ui_config_defaults(&ui);
    std::snprintf(ui.language, sizeof ui.language, "czech");
    uint8_t buf[SETTINGS_FILE_CAPACITY];
    return std::vector<uint8_t>(buf, buf + settings_file_build(&gfx, &ui, buf));
}

TEST(SettingsFile, GraphicsThenUiBlock) {
    const std::vector<uint8_t> file = czech_settings_file();
    std::vector<uint8_t> want = grfx_block(7, {2, 1, 3, 4, 1, 2, 0x50, 0x01, 0x10, 0x00, 1});
    std::vector<uint8_t> ui_bytes = uicf_block(1, "czech");
    want.insert(want.end(), ui_bytes.begin(), ui_bytes.end());
    ASSERT_EQ(file, want);
    graphics_config g{}, gfx = sample_config();
    ui_config u{};
    settings_file_parse(file.data(), uint32_t(file.size()), &g, &u);
    EXPECT_EQ(std::memcmp(&g, &gfx, sizeof g), 0);
    EXPECT_STREQ(u.language, "czech");
}

TEST(SettingsFile, ABadBlockStopsLoadingThere) {
    const std::vector<uint8_t> file = czech_settings_file();
    const uint32_t n = uint32_t(file.size());
    // Detail 5: neither record changes, the UI block is not even read.
    std::vector<uint8_t> bad_gfx = file;
    bad_gfx[9] = 5;
    graphics_config g{}, gfx = sample_config();
    ui_config u{};
    settings_file_parse(bad_gfx.data(), n, &g, &u);
    EXPECT_EQ(g.output_path, 0u);
    EXPECT_STREQ(u.language, "");

    // A space in the name: the graphics settings load, the UI record keeps its value.
    std::vector<uint8_t> bad_ui = file;
    bad_ui[GRFX_BLOCK_SIZE + 7 + 2] = ' ';
    std::snprintf(u.language, sizeof u.language, "german");
    settings_file_parse(bad_ui.data(), n, &g, &u);
    EXPECT_EQ(std::memcmp(&g, &gfx, sizeof g), 0);
    EXPECT_STREQ(u.language, "german");

    // A settings file cut off after the graphics block still gives the graphics settings.
    g = graphics_config{};
    settings_file_parse(file.data(), GRFX_BLOCK_SIZE, &g, &u);
    EXPECT_EQ(std::memcmp(&g, &gfx, sizeof g), 0);
}

} // namespace
} // namespace vantrel
