#include "plugkit/client/midi.h"

#include <gtest/gtest.h>

#include <vector>

#include "testclient.h"

using namespace plugkit;
using plugkit_test::TestClient;

namespace
{

MidiMessage note(int offset, uint8_t pitch)
{
    MidiMessage m;
    m.offset = offset;
    m.status = 0x90;
    m.data1 = pitch;
    m.data2 = 100;
    return m;
}

} // namespace

TEST(MidiQueue, EqualOffsetsLeaveInArrivalOrder)
{
    MidiQueue q;
    q.insertElement(note(10, 1));
    q.insertElement(note(5, 2));
    q.insertElement(note(10, 3));
    std::vector<int> pitches;
    while (!q.empty())
    {
        pitches.push_back(q.minElement().data1);
        q.popMinElement();
    }
    EXPECT_EQ(pitches, (std::vector<int>{2, 1, 3}));
}

TEST(MidiQueue, StaysOrderedThroughManyInsertionsAndPops)
{
    MidiQueue q;
    // Offsets 0..9 in scrambled order, each three times; pitch = arrival number.
    int arrival = 0;
    for (int round = 0; round < 3; ++round)
        for (int k = 0; k < 10; ++k)
            q.insertElement(note((k * 7) % 10, uint8_t(arrival++)));
    int lastOffset = -1, lastArrival = -1;
    while (!q.empty())
    {
        MidiMessage m = q.minElement();
        q.popMinElement();
        ASSERT_GE(m.offset, lastOffset);
        if (m.offset == lastOffset)
        {
            ASSERT_GT(m.data1, lastArrival);
        }
        lastOffset = m.offset;
        lastArrival = m.data1;
    }
}

TEST(MidiQueue, HandsOutMessagesBlockByBlock)
{
    MidiQueue q;
    q.insertElement(note(3, 1));
    q.insertElement(note(64, 2)); // first frame of the second block
    Vec<MidiMessage> out;
    q.moveDueMessages(64, out);
    ASSERT_EQ(out.length(), 1u);
    EXPECT_EQ(out[0].offset, 3);
    q.moveDueMessages(64, out);
    ASSERT_EQ(out.length(), 2u);
    EXPECT_EQ(out[1].offset, 0);
    EXPECT_EQ(q.framesElapsed(), 128);
    q.initialize();
    EXPECT_EQ(q.framesElapsed(), 0);
    EXPECT_TRUE(q.empty());
}

// processAudio sends one message at offset 3 in the first and third blocks.
TEST(ClientMidi, OutputOffsetsAreRelativeToTheirBlock)
{
    TestClient c(64, /*sendsMIDI=*/true);
    c.resetFromHost(48000, 64, 2, 2);
    static int block;
    block = 0;
    c.onProcess = [](TestClient& self, int) {
        if (block == 0 || block == 2)
            self.sendMIDIMessage(note(3, uint8_t(block)));
        ++block;
    };
    std::vector<float> buf(192);
    const float* ins[2] = {buf.data(), buf.data()};
    float* outs[2] = {buf.data(), buf.data()};
    c.processAudioFromHost(ins, outs, 192, TimeInfo{}, false);
    ASSERT_EQ(c.midiOut().length(), 2u);
    EXPECT_EQ(c.midiOut()[0].offset, 3);
    EXPECT_EQ(c.midiOut()[1].offset, 3);
    EXPECT_EQ(c.midiOut()[1].data1, 2);
    EXPECT_EQ(c.midiOutputQueue().framesElapsed(), 192);

    c.resetFromHost(48000, 64, 2, 2);
    EXPECT_EQ(c.midiOutputQueue().framesElapsed(), 0);
}

TEST(ClientMidi, EditorMessagesJoinTheOutputQueue)
{
    TestClient c(64, /*sendsMIDI=*/true);
    MidiMessage fromUI[2] = {note(0, 7), note(1, 8)};
    c.sendMIDIMessagesFromUI(fromUI, 2);
    c.moveMIDIFromUIToOutputQueue();
    EXPECT_EQ(c.midiOutputQueue().size(), 2);
    c.moveMIDIFromUIToOutputQueue();
    EXPECT_EQ(c.midiOutputQueue().size(), 2) << "the editor's list was emptied";

    TestClient silent(64, /*sendsMIDI=*/false);
    silent.sendMIDIMessagesFromUI(fromUI, 2);
    silent.moveMIDIFromUIToOutputQueue();
    EXPECT_TRUE(silent.midiOutputQueue().empty());
}

TEST(ClientMidi, HostInputIsQueuedOnTheInputTimeline)
{
    TestClient c(64);
    c.resetFromHost(48000, 64, 2, 2);
    c.enqueueMIDIFromHost(note(5, 1));
    EXPECT_EQ(c.midiInputQueue().minElement().offset, 5);
    c.resetFromHost(48000, 64, 2, 2);
    EXPECT_TRUE(c.midiInputQueue().empty());
}
