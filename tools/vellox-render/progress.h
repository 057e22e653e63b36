#pragma once
// Progress bar on stderr, drawn only when stderr is a terminal and the input is long enough
// for the wait to be noticed.

#include <cstdint>

namespace vellox::render
{

class ProgressBar
{
public:
    // Shown for inputs of more than kMinSeconds when stderr is a terminal.
    static constexpr double kMinSeconds = 4.0;

    ProgressBar(int64_t totalFrames, int sampleRate);
    ~ProgressBar();

    void update(int64_t framesDone);
    // Clears the bar's line.
    void finish();

    bool shown() const { return enabled; }

private:
    int64_t total;
    int lastPercent = -1;
    bool enabled;
};

} // namespace vellox::render
