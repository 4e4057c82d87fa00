// The mixer's work for one game frame: 960 stereo frames with all four channels looping.
#include <benchmark/benchmark.h>
#include <vector>

#include "platform/audio_device.h"

namespace vantrel {
namespace {

void audio_mix_frame(benchmark::State& state) {
    std::vector<int8_t> sample(16384);
    for (size_t i = 0; i < sample.size(); i++) sample[i] = int8_t(i * 37);
    audio_device_reset(AUDIO_CHANNELS);
    const uint8_t all = 15;
    audio_device_allocate(&all, 1, 0);
    const uint16_t periods[AUDIO_CHANNELS] = {124, 300, 428, 700};
    for (int c = 0; c < AUDIO_CHANNELS; c++)
        audio_device_write(c, {sample.data(), uint32_t(sample.size()), periods[c], 64, 0});
    std::vector<int16_t> out(2 * 960);
    for (auto _ : state) {
        audio_device_mix(out.data(), 960);
        benchmark::DoNotOptimize(out.data());
    }
    audio_device_reset(0);
}
BENCHMARK(audio_mix_frame);

} // namespace
} // namespace vantrel
