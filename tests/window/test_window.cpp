// A real SDL window (run under a virtual X server): a known frame shown at scale 2 reads
// back with the right colours at the right places; the window survives screen reopening;
// keys, pointer, host keys and closing the window behave as the game expects; the sound card's
// callback mixes each channel to its side.
#include <SDL2/SDL.h>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "platform/audio_device.h"
#include "platform/present_amiga.h"
#include "platform/sdl/sdl_window.h"

namespace vantrel {
namespace {

class Window : public ::testing::Test {
  protected:
    std::string shot_dir;
    present_settings settings;
    void SetUp() override {
        shot_dir = std::string(::testing::TempDir()) + "vantrel_window_" + std::to_string(getpid());
        std::filesystem::create_directories(shot_dir);
        settings.scale = 2;
        settings.shot_dir = shot_dir.c_str();
        ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_SDL, &settings), 1);
    }
    void TearDown() override {
        PRESENT_BACKEND_SDL.stop();
        std::filesystem::remove_all(shot_dir);
    }
    static uint32_t xrgb(const uint8_t* rgb, int index) {
        return uint32_t(rgb[index * 3]) << 16 | uint32_t(rgb[index * 3 + 1]) << 8 |
               rgb[index * 3 + 2];
    }
    static void push_key(SDL_Scancode sc, bool down, bool repeat = false, Uint16 mod = 0) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.keysym.scancode = sc;
        e.key.keysym.mod = mod;
        e.key.repeat = repeat;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&e);
    }
};

TEST_F(Window, KnownFrameAppearsScaledWithItsPalette) {
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    ASSERT_NE(s, nullptr);
    uint8_t rgb[768];
    for (int i = 0; i < 256; i++) {
        rgb[i * 3] = static_cast<uint8_t>(i);
        rgb[i * 3 + 1] = static_cast<uint8_t>(255 - i);
        rgb[i * 3 + 2] = static_cast<uint8_t>(i * 37);
    }
    present_amiga_set_palette(s, rgb);
    std::vector<uint8_t> frame(320 * 256);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 320; x++) frame[y * 320 + x] = static_cast<uint8_t>(x * 3 + y * 7);
    present_amiga_frame(s, frame.data());

    std::vector<uint32_t> pixels(1024 * 1024);
    int32_t w = 0, h = 0;
    ASSERT_EQ(sdl_window_capture(pixels.data(), static_cast<int32_t>(pixels.size()), &w, &h), 1);
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 512);
    for (int y = 0; y < 256; y += 5) {
        for (int x = 0; x < 320; x += 3) {
            uint32_t want = xrgb(rgb, frame[y * 320 + x]);
            for (int dy = 0; dy < 2; dy++)
                for (int dx = 0; dx < 2; dx++)
                    ASSERT_EQ(pixels[(2 * y + dy) * 640 + 2 * x + dx] & 0xFFFFFF, want)
                        << x << "," << y;
        }
    }

    // A palette change alone recolours the whole image; a row present changes only its rows.
    present_amiga_set_color(s, frame[0], 1, 2, 3);
    std::vector<uint8_t> changed = frame;
    for (int x = 0; x < 320; x++) changed[100 * 320 + x] = 9;
    changed[200 * 320] = 9; // outside the rows presented: must not show
    present_amiga_frame_rows(s, changed.data(), 100, 1);
    ASSERT_EQ(sdl_window_capture(pixels.data(), static_cast<int32_t>(pixels.size()), &w, &h), 1);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x010203u);
    EXPECT_EQ(pixels[200 * 640 + 20] & 0xFFFFFF, xrgb(rgb, 9));
    EXPECT_EQ(pixels[400 * 640] & 0xFFFFFF, xrgb(rgb, frame[200 * 320]));
    present_amiga_close(s);

    // The next screen is smaller; the window stays as it was and centres the image.
    s = present_amiga_open(320, 200, "Vantrel Map");
    ASSERT_NE(s, nullptr);
    std::vector<uint8_t> map(320 * 200, 255);
    present_amiga_frame(s, map.data());
    ASSERT_EQ(sdl_window_capture(pixels.data(), static_cast<int32_t>(pixels.size()), &w, &h), 1);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 512);
    EXPECT_EQ(pixels[55 * 640 + 10] & 0xFFFFFF, 0u);        // letterbox above
    EXPECT_EQ(pixels[56 * 640 + 10] & 0xFFFFFF, 0xFFFFFFu); // grey palette entry 255
    EXPECT_EQ(pixels[(56 + 400) * 640 + 10] & 0xFFFFFF, 0u);
    present_amiga_close(s);
}

TEST_F(Window, KeysPointerHostKeysAndClose) {
    present_screen* s = present_amiga_open(320, 256, "Vantrel");
    ASSERT_NE(s, nullptr);
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    push_key(SDL_SCANCODE_A, true);
    push_key(SDL_SCANCODE_A, true, true); // auto-repeat: dropped
    SDL_Event m{SDL_MOUSEBUTTONDOWN};
    m.button.button = SDL_BUTTON_RIGHT;
    m.button.state = SDL_PRESSED;
    m.button.x = 100;
    m.button.y = 60;
    SDL_PushEvent(&m);
    m = SDL_Event{SDL_MOUSEMOTION};
    m.motion.x = 90;
    m.motion.y = 81;
    SDL_PushEvent(&m);
    present_input in;
    present_amiga_poll_input(s, &in);
    EXPECT_EQ(present_amiga_pop_key(s), 0x20);
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    EXPECT_EQ(present_amiga_key_held(s, 0x20), 1);
    // Window pixels at scale 2 to image pixels; the drag from the button's place.
    EXPECT_EQ(std::tie(in.rmb, in.mouse_x, in.mouse_y, in.drag_dx, in.drag_dy),
              std::make_tuple(1, 45, 40, -5, 10));

    // Host keys: F11 toggles fullscreen twice, Alt+Enter too, Print Screen saves a shot;
    // none of them reaches the game.
    for (int i = 0; i < 2; i++) {
        push_key(SDL_SCANCODE_F11, true);
        push_key(SDL_SCANCODE_F11, false);
        push_key(SDL_SCANCODE_RETURN, true, false, KMOD_LALT);
        push_key(SDL_SCANCODE_RETURN, false, false, i == 0 ? KMOD_LALT : 0); // Alt let go first
    }
    push_key(SDL_SCANCODE_PRINTSCREEN, true);
    push_key(SDL_SCANCODE_PRINTSCREEN, false);
    ::testing::internal::CaptureStdout();
    present_amiga_poll_input(s, &in);
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(present_amiga_pop_key(s), -1);
    EXPECT_EQ(present_amiga_key_held(s, 0x44), 0);
    ASSERT_EQ(out.rfind("screenshot: " + shot_dir + "/vantrel-", 0), 0u) << out;
    std::string path = out.substr(12, out.size() - 13);
    EXPECT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_EQ(path.substr(path.size() - 4), ".png");

    push_key(SDL_SCANCODE_A, false);
    SDL_Event q{SDL_QUIT};
    SDL_PushEvent(&q);
    EXPECT_EQ(present_quit_requested(), 0);
    present_amiga_poll_input(s, &in);
    EXPECT_EQ(present_amiga_key_held(s, 0x20), 0);
    EXPECT_EQ(present_quit_requested(), 1);
    present_amiga_close(s);
}

// The sound card's callback through SDL's file-writing driver: channel 0 reaches only the
// left, channel 1 only the right.
TEST(WindowAudio, TheCallbackMixesChannelsToTheirSides) {
    const std::string raw =
        std::string(::testing::TempDir()) + "vantrel_audio_" + std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    present_settings settings;
    ASSERT_EQ(present_backend_start(&PRESENT_BACKEND_SDL, &settings), 1);
    const std::vector<int8_t> left(64, 100), right(64, -50);
    const uint8_t pair = 3;
    ASSERT_EQ(audio_device_allocate(&pair, 1, 0), pair);
    ASSERT_NE(audio_device_write(0, {left.data(), 64, 300, 64, 0}), 0u);
    ASSERT_NE(audio_device_write(1, {right.data(), 64, 300, 64, 0}), 0u);
    SDL_Delay(300);
    PRESENT_BACKEND_SDL.stop();
    unsetenv("SDL_AUDIODRIVER");
    std::FILE* f = std::fopen(raw.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<int16_t> frames(1 << 16);
    const size_t n = std::fread(frames.data(), 4, frames.size() / 2, f);
    std::fclose(f);
    std::remove(raw.c_str());
    size_t heard = 0;
    for (size_t k = 0; k < n; ++k) {
        if (frames[2 * k] == 0 && frames[2 * k + 1] == 0) continue;
        ++heard;
        ASSERT_EQ(frames[2 * k], 2 * 64 * 100) << k;
        ASSERT_EQ(frames[2 * k + 1], 2 * 64 * -50) << k;
    }
    EXPECT_GT(heard, 0u);
}

} // namespace
} // namespace vantrel
