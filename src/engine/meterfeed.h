#pragma once
// What the engine sends to its editor's two bar-graph meters. The editor object implements
// it beside IGraphics; the engine reaches it only between graphicsAcquire and graphicsRelease.

namespace vellox
{

class IMeterFeed
{
public:
    virtual ~IMeterFeed() = default;
    // [audio thread] One linear value per frame at the host rate: the input level
    // (|left| + |right|) / 2 after the input gain, and the final left output sample.
    virtual void sendinputBargraphLinearValueToUI(float* values, int count, float sampleRate) = 0;
    virtual void sendoutputBargraphLinearValueToUI(float* values, int count, float sampleRate) = 0;
};

} // namespace vellox
