#include "plugkit/vst3/paramcurve.h"

namespace plugkit
{

void sampleCurveAtBlockStarts(vst3::IParamValueQueue* queue, double currentValue,
                              int blockLength, int blocks, double* values)
{
    double previousOffset = -1.0;
    double previousValue = currentValue;
    int next = 0; // first block start not written yet
    const vst3::int32 points = queue->getPointCount();
    for (vst3::int32 i = 0; i < points; ++i)
    {
        vst3::int32 offset = 0;
        vst3::ParamValue value = 0.0;
        if (queue->getPoint(i, offset, value) != vst3::kResultOk)
            continue;
        const double o = double(offset);
        for (; next < blocks; ++next)
        {
            const double start = double(next) * double(blockLength);
            if (!(start < o))
                break;
            if (o == previousOffset)
                values[next] = value;
            else
                values[next] = previousValue + (value - previousValue) * (start - previousOffset) / (o - previousOffset);
        }
        previousOffset = o;
        previousValue = value;
    }
    // The rest of the starts, and the value after the buffer: the last point's value (for a
    // 0-sample call, which has no block, that is the only value applied).
    for (; next <= blocks; ++next)
        values[next] = previousValue;
}

} // namespace plugkit
