#pragma once
// MidiMessage: one time-stamped MIDI event. MidiQueue: orders events by frame offset (ties in
// arrival order) and hands them out block by block.

#include <cstdint>

#include "plugkit/core/vec.h"

namespace plugkit
{

struct MidiMessage
{
    int32_t offset = 0; // frame offset, relative to the start of the buffer it belongs to
    uint8_t status = 0; // high nibble: kind, low nibble: channel
    uint8_t data1 = 0;
    uint8_t data2 = 0;

    int channel() const { return status & 0x0F; }
    int kind() const { return status >> 4; }
};

// Single-threaded: the client uses its queues on the audio thread only.
class MidiQueue
{
public:
    MidiQueue();
    MidiQueue(const MidiQueue&) = delete;
    MidiQueue& operator=(const MidiQueue&) = delete;

    // Frames elapsed and insertion counter back to 0, no messages; storage kept.
    void initialize();

    // Adds a message whose offset is absolute (counted from the last initialize()).
    void insertElement(MidiMessage message);
    // Message with the smallest offset (earliest inserted among equals); queue not empty.
    MidiMessage minElement() const;
    void popMinElement();
    bool empty() const { return heap_.length() <= 1; }
    int size() const { return int(heap_.length()) - 1; }

    // Frames consumed since the last initialize().
    int32_t framesElapsed() const { return framesElapsed_; }

    // For a block of `frames` frames: moves every message due before its end to `out`, with
    // its offset made relative to the block start, then counts the block as elapsed. May grow
    // `out`.
    void moveDueMessages(int frames, Vec<MidiMessage>& out);

private:
    struct Entry
    {
        MidiMessage message;
        int32_t order; // insertion number
    };
    static bool comesBefore(const Entry& a, const Entry& b);

    int32_t framesElapsed_ = 0;
    int32_t insertions_ = 0;
    Vec<Entry> heap_; // element 0 is an unused placeholder; the heap is 1 .. length - 1
};

} // namespace plugkit
