#include "hostobjects.h"

#include <gtest/gtest.h>

namespace vellox::render
{
namespace
{

TEST(MemoryStream, ReadsWritesAndSeeksLikeAFile)
{
    MemoryStream s;
    uint8_t abc[3] = {1, 2, 3};
    vst::int32 n = -1;
    EXPECT_EQ(s.write(abc, 3, &n), vst::kResultOk);
    EXPECT_EQ(n, 3);
    vst::int64 pos = -1;
    EXPECT_EQ(s.seek(1, vst::IBStream::kIBSeekSet, &pos), vst::kResultOk);
    EXPECT_EQ(pos, 1);
    uint8_t out[8] = {};
    EXPECT_EQ(s.read(out, 8, &n), vst::kResultOk);  // short read at the end
    EXPECT_EQ(n, 2);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 3);
    EXPECT_EQ(s.read(out, 8, &n), vst::kResultOk);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(s.seek(-1, vst::IBStream::kIBSeekEnd, &pos), vst::kResultOk);
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(s.seek(-5, vst::IBStream::kIBSeekCur, &pos), vst::kInvalidArgument);
    EXPECT_EQ(s.tell(&pos), vst::kResultOk);
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(s.read(out, -1, &n), vst::kInvalidArgument);
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros)
{
    MemoryStream s;
    uint8_t x = 9;
    s.seek(3, vst::IBStream::kIBSeekSet, nullptr);
    s.write(&x, 1, nullptr);
    EXPECT_EQ(s.bytes(), (std::vector<uint8_t>{0, 0, 0, 9}));
}

TEST(ParameterChanges, OneQueuePerParameterWithPointsInOffsetOrder)
{
    ParameterChanges changes;
    vst::int32 index = -1;
    vst::IParamValueQueue* q = changes.addParameterData(7, index);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(changes.addParameterData(7, index), q);
    changes.addParameterData(3, index);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(changes.getParameterCount(), 2);
    EXPECT_EQ(changes.getParameterData(2), nullptr);

    q->addPoint(100, 0.5, index);
    q->addPoint(10, 0.25, index);
    EXPECT_EQ(index, 0);
    q->addPoint(100, 0.75, index);  // same offset: replaced
    EXPECT_EQ(q->getPointCount(), 2);
    vst::int32 offset = 0;
    vst::ParamValue v = 0;
    ASSERT_EQ(q->getPoint(1, offset, v), vst::kResultOk);
    EXPECT_EQ(offset, 100);
    EXPECT_EQ(v, 0.75);
    EXPECT_NE(q->getPoint(2, offset, v), vst::kResultOk);
    EXPECT_EQ(q->getParameterId(), 7u);
}

TEST(HostObjects, AnswerTheirOwnInterfaceAndFUnknownOnly)
{
    HostApplication host;
    void* out = nullptr;
    EXPECT_EQ(host.queryInterface(vst::IHostApplication::iid.bytes, &out), vst::kResultOk);
    EXPECT_EQ(out, &host);
    EXPECT_EQ(host.queryInterface(vst::FUnknown::iid.bytes, &out), vst::kResultOk);
    EXPECT_EQ(host.queryInterface(vst::IBStream::iid.bytes, &out), vst::kNoInterface);
    EXPECT_EQ(out, nullptr);
    vst::String128 name;
    host.getName(name);
    EXPECT_EQ(fromUtf16(name), "vellox-render");
}

TEST(Utf16, ConvertsBothWaysAndCutsToTheField)
{
    vst::char16 buffer[6];
    toUtf16("Gain \xc2\xb5s", buffer, 6);  // cut to 5 units
    EXPECT_EQ(fromUtf16(buffer, 6), "Gain ");
    vst::String128 wide;
    toUtf16("\xc2\xb5s and \xe2\x82\xac", wide, 128);
    EXPECT_EQ(fromUtf16(wide), "\xc2\xb5s and \xe2\x82\xac");
}

} // namespace
} // namespace vellox::render
