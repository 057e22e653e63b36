#pragma once
// A stereo signal held in memory.

#include <cstddef>
#include <vector>

namespace vellox::render
{

struct StereoBuffer
{
    int sampleRate = 0;
    std::vector<float> left, right;  // equal lengths

    size_t frames() const { return left.size(); }
};

} // namespace vellox::render
