// Time per shadow render against filling the same bitmap with a constant
// (the memory-bandwidth floor), both measured in this run.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "window/core/shadow_pixels.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class Work>
double BestMicroseconds(int rounds, Work work) {
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return best;
}

void Measure(const char* name, int ownerWidth, int ownerHeight, float size, std::uint32_t colour, int rounds) {
    const int margin = ShadowMargin(size);
    const ShadowBitmapSize bitmap = ShadowBitmapSizeFor(ownerWidth, ownerHeight, margin);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.width) * bitmap.height);
    volatile std::uint32_t sink = 0;
    double render = BestMicroseconds(rounds, [&] {
        RenderShadowPixels(ownerWidth, ownerHeight, margin, static_cast<float>(margin), colour, pixels.data());
        sink = sink + pixels[pixels.size() / 3];
    });
    double fill = BestMicroseconds(rounds, [&] {
        std::fill(pixels.begin(), pixels.end(), colour + sink);
        sink = sink + pixels[pixels.size() / 3];
    });
    std::printf("%-28s %5d x %-4d render %9.1f us  fill %8.1f us  ratio %5.2f\n", name, bitmap.width, bitmap.height,
                render, fill, render / fill);
}

}  // namespace

int main() {
    Measure("main window shadow", 1215, 750, 30.0f, MakeArgb(0, 0, 0, 50), 60);
    Measure("installation window glow", 729, 450, 50.0f, MakeArgb(250, 200, 93, 50), 60);
    return 0;
}
