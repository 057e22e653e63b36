#pragma once
// The host's parameter curve for one host buffer, read at the starts of the sub-blocks the
// buffer is cut into. The queue's points (sample offset, value) join linearly, starting from
// an implied point (-1, current value); after the last point the curve stays at its value.

#include "plugkit/vst3/abi/iparameterchanges.h"

namespace plugkit
{

// Writes blocks + 1 values: values[k] is the curve at the start k x blockLength of block k
// (k < blocks), and values[blocks] is the value after the buffer: the last point's value.
// Points the host fails to return are skipped.
// [audio thread] No allocation.
void sampleCurveAtBlockStarts(vst3::IParamValueQueue* queue, double currentValue,
                              int blockLength, int blocks, double* values);

} // namespace plugkit
