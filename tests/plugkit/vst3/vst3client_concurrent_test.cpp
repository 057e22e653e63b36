// The audio thread processes while the main thread changes parameters from the controller and
// saves and loads state. Run under ThreadSanitizer by scripts/test.d/20-tsan.sh.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "engine/main.h"
#include "plugkit/vst3/instance.h"

namespace
{

using namespace vst3test;
using vellox::VelloxClient;

TEST(VST3ClientConcurrent, ProcessWhileTheControllerEditsAndStateMoves)
{
    Instance<VelloxClient> i;
    i.prepare(48000.0, 256);
    MemoryStream saved;
    ASSERT_EQ(v::kResultOk, i.component()->getState(&saved));

    std::atomic<bool> audioDone{false};
    std::atomic<int> mainRounds{0};
    std::thread audio([&] {
        i.in[0].assign(256, 0.0f);
        i.in[1].assign(256, 0.0f);
        // At least 200 blocks, and on until the main thread has done 100 rounds beside them.
        for (int block = 0; block < 200 || mainRounds.load() < 100; ++block)
        {
            for (int n = 0; n < 256; ++n)
                i.in[0][size_t(n)] = i.in[1][size_t(n)] = 0.3f * std::sin(float(block * 256 + n) * 0.03f);
            ParameterChanges changes;
            changes.queues.push_back(ParamQueue(21, {{0, (block % 10) / 10.0}, {255, 0.5}}));
            changes.queues.push_back(ParamQueue(4, {{128, (block % 7) / 7.0}}));
            changes.queues.push_back(ParamQueue(plugkit::kBypassParamID, {{0, block % 50 < 5 ? 1.0 : 0.0}}));
            i.process(256, &changes);
        }
        audioDone = true;
    });

    int round = 0;
    while (!audioDone.load())
    {
        const v::ParamID id = v::ParamID(1 + round % 22);
        i.vst->setParamNormalized(id, (round % 11) / 10.0);
        v::String128 text;
        i.vst->getParamStringByValue(id, i.vst->getParamNormalized(id), text);
        MemoryStream stream;
        i.component()->getState(&stream);
        saved.position = 0;
        i.component()->setState(&saved);
        ++round;
        mainRounds.store(round);
    }
    audio.join();

    for (int c = 0; c < 2; ++c)
        for (float s : i.out[c])
            ASSERT_TRUE(std::isfinite(s));
    MemoryStream final;
    EXPECT_EQ(v::kResultOk, i.component()->getState(&final));
    EXPECT_EQ(122u, final.bytes.size());
}

} // namespace
