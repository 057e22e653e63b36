#include "plugkit/client/midi.h"

#include "plugkit/core/fatal.h"

namespace plugkit
{

MidiQueue::MidiQueue()
{
    heap_.reserve(3);
    initialize();
}

void MidiQueue::initialize()
{
    framesElapsed_ = 0;
    insertions_ = 0;
    heap_.resize(1);
}

bool MidiQueue::comesBefore(const Entry& a, const Entry& b)
{
    if (a.message.offset != b.message.offset)
        return a.message.offset < b.message.offset;
    if (a.order == b.order)
        fatalError("two MIDI queue entries with the same insertion number");
    return a.order < b.order;
}

void MidiQueue::insertElement(MidiMessage message)
{
    heap_.pushBack(Entry{message, insertions_++});
    size_t p = heap_.length() - 1;
    while (p >= 2 && comesBefore(heap_[p], heap_[p / 2]))
    {
        Entry t = heap_[p];
        heap_[p] = heap_[p / 2];
        heap_[p / 2] = t;
        p /= 2;
    }
}

MidiMessage MidiQueue::minElement() const
{
    if (empty())
        fatalError("minElement on an empty MIDI queue");
    return heap_[1].message;
}

void MidiQueue::popMinElement()
{
    if (empty())
        fatalError("popMinElement on an empty MIDI queue");
    Entry last = heap_.popBack();
    size_t n = heap_.length();
    if (n <= 1)
        return;
    heap_[1] = last;
    size_t p = 1;
    for (;;)
    {
        size_t child = 2 * p;
        if (child >= n)
            break;
        if (child + 1 < n && comesBefore(heap_[child + 1], heap_[child]))
            ++child;
        if (!comesBefore(heap_[child], heap_[p]))
            break;
        Entry t = heap_[p];
        heap_[p] = heap_[child];
        heap_[child] = t;
        p = child;
    }
}

void MidiQueue::moveDueMessages(int frames, Vec<MidiMessage>& out)
{
    int64_t end = int64_t(framesElapsed_) + frames;
    while (!empty() && heap_[1].message.offset < end)
    {
        MidiMessage m = heap_[1].message;
        m.offset -= framesElapsed_;
        out.pushBack(m);
        popMinElement();
    }
    framesElapsed_ += frames;
}

} // namespace plugkit
