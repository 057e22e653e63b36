#include "progress.h"

#include <cstdio>
#include <unistd.h>

namespace vellox::render
{

ProgressBar::ProgressBar(int64_t totalFrames, int sampleRate)
    : total(totalFrames),
      enabled(isatty(STDERR_FILENO) && sampleRate > 0 &&
              double(totalFrames) / sampleRate > kMinSeconds)
{
}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(int64_t framesDone)
{
    if (!enabled || total <= 0)
        return;
    int percent = int(framesDone * 100 / total);
    if (percent == lastPercent)
        return;
    lastPercent = percent;
    constexpr int kWidth = 40;
    char bar[kWidth + 1];
    int filled = percent * kWidth / 100;
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\rrendering [%s] %3d%%", bar, percent);
    std::fflush(stderr);
}

void ProgressBar::finish()
{
    if (!enabled || lastPercent < 0)
        return;
    std::fprintf(stderr, "\r%*s\r", 60, "");
    std::fflush(stderr);
    lastPercent = -1;
}

} // namespace vellox::render
