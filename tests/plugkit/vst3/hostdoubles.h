#pragma once
// Test doubles of the host's objects: a memory stream, parameter-change queues, a component
// handler that records edits, a host application with a name, a plug frame. They count
// references but are never destroyed by a release (the test owns them).

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "plugkit/vst3/abi/ibstream.h"
#include "plugkit/vst3/abi/ieditcontroller.h"
#include "plugkit/vst3/abi/ihostapplication.h"
#include "plugkit/vst3/abi/iparameterchanges.h"
#include "plugkit/vst3/abi/iplugview.h"

namespace vst3test
{

namespace v = plugkit::vst3;

template <class Interface>
struct Uncounted : Interface
{
    v::tresult PLUGKIT_VST3_CALL queryInterface(const v::TUID iid, void** obj) override
    {
        if (v::sameID(iid, Interface::iid) || v::sameID(iid, v::FUnknown::iid))
        {
            ++refs;
            *obj = static_cast<Interface*>(this);
            return v::kResultOk;
        }
        *obj = nullptr;
        return v::kNoInterface;
    }
    v::uint32 PLUGKIT_VST3_CALL addRef() override { return ++refs; }
    v::uint32 PLUGKIT_VST3_CALL release() override { return --refs; }
    int refs = 1;
};

struct MemoryStream : Uncounted<v::IBStream>
{
    std::vector<uint8_t> bytes;
    v::int64 position = 0;
    bool failWrites = false;
    bool failTell = false;

    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> data) : bytes(std::move(data)) {}

    v::tresult PLUGKIT_VST3_CALL read(void* buffer, v::int32 numBytes, v::int32* numBytesRead) override
    {
        v::int64 available = v::int64(bytes.size()) - position;
        v::int32 n = numBytes < available ? numBytes : v::int32(available < 0 ? 0 : available);
        if (n > 0)
            std::memcpy(buffer, bytes.data() + position, size_t(n));
        position += n;
        if (numBytesRead != nullptr)
            *numBytesRead = n;
        return n == numBytes ? v::kResultOk : v::kResultFalse;
    }
    v::tresult PLUGKIT_VST3_CALL write(void* buffer, v::int32 numBytes, v::int32* numBytesWritten) override
    {
        if (failWrites)
            return v::kResultFalse;
        if (size_t(position) + size_t(numBytes) > bytes.size())
            bytes.resize(size_t(position) + size_t(numBytes));
        if (numBytes > 0)
            std::memcpy(bytes.data() + position, buffer, size_t(numBytes));
        position += numBytes;
        if (numBytesWritten != nullptr)
            *numBytesWritten = numBytes;
        return v::kResultOk;
    }
    v::tresult PLUGKIT_VST3_CALL seek(v::int64 pos, v::int32 mode, v::int64* result) override
    {
        v::int64 base = mode == v::IBStream::kIBSeekSet ? 0 : mode == v::IBStream::kIBSeekCur ? position : v::int64(bytes.size());
        position = base + pos;
        if (result != nullptr)
            *result = position;
        return v::kResultOk;
    }
    v::tresult PLUGKIT_VST3_CALL tell(v::int64* pos) override
    {
        if (failTell)
            return v::kResultFalse;
        *pos = position;
        return v::kResultOk;
    }
};

struct ParamQueue : Uncounted<v::IParamValueQueue>
{
    v::ParamID id = 0;
    std::vector<std::pair<v::int32, double>> points;
    int failingPoint = -1; // getPoint of this index fails

    ParamQueue(v::ParamID paramID, std::vector<std::pair<v::int32, double>> p) : id(paramID), points(std::move(p)) {}

    v::ParamID PLUGKIT_VST3_CALL getParameterId() override { return id; }
    v::int32 PLUGKIT_VST3_CALL getPointCount() override { return v::int32(points.size()); }
    v::tresult PLUGKIT_VST3_CALL getPoint(v::int32 index, v::int32& sampleOffset, v::ParamValue& value) override
    {
        if (index < 0 || size_t(index) >= points.size() || index == failingPoint)
            return v::kResultFalse;
        sampleOffset = points[size_t(index)].first;
        value = points[size_t(index)].second;
        return v::kResultOk;
    }
    v::tresult PLUGKIT_VST3_CALL addPoint(v::int32, v::ParamValue, v::int32&) override { return v::kResultFalse; }
};

struct ParameterChanges : Uncounted<v::IParameterChanges>
{
    std::vector<ParamQueue> queues;

    v::int32 PLUGKIT_VST3_CALL getParameterCount() override { return v::int32(queues.size()); }
    v::IParamValueQueue* PLUGKIT_VST3_CALL getParameterData(v::int32 index) override
    {
        return index >= 0 && size_t(index) < queues.size() ? &queues[size_t(index)] : nullptr;
    }
    v::IParamValueQueue* PLUGKIT_VST3_CALL addParameterData(const v::ParamID&, v::int32&) override { return nullptr; }
};

struct ComponentHandler : Uncounted<v::IComponentHandler>
{
    std::vector<std::string> calls; // "begin 3", "perform 3 0.5", "end 3", "restart 8"

    v::tresult PLUGKIT_VST3_CALL beginEdit(v::ParamID id) override
    {
        calls.push_back("begin " + std::to_string(id));
        return v::kResultOk;
    }
    v::tresult PLUGKIT_VST3_CALL performEdit(v::ParamID id, v::ParamValue value) override
    {
        calls.push_back("perform " + std::to_string(id) + " " + std::to_string(value));
        return v::kResultOk;
    }
    v::tresult PLUGKIT_VST3_CALL endEdit(v::ParamID id) override
    {
        calls.push_back("end " + std::to_string(id));
        return v::kResultOk;
    }
    v::tresult PLUGKIT_VST3_CALL restartComponent(v::int32 flags) override
    {
        calls.push_back("restart " + std::to_string(flags));
        return v::kResultOk;
    }
};

struct HostApplication : Uncounted<v::IHostApplication>
{
    std::u16string name;
    explicit HostApplication(std::u16string hostName) : name(std::move(hostName)) {}

    v::tresult PLUGKIT_VST3_CALL getName(v::String128 out) override
    {
        size_t i = 0;
        for (; i < name.size() && i < 127; ++i)
            out[i] = name[i];
        out[i] = 0;
        return v::kResultOk;
    }
    v::tresult PLUGKIT_VST3_CALL createInstance(v::TUID, v::TUID, void**) override { return v::kNotImplemented; }
};

struct PlugFrame : Uncounted<v::IPlugFrame>
{
    v::IPlugView* lastView = nullptr;
    v::ViewRect lastRect{};
    v::tresult answer = v::kResultOk;

    v::tresult PLUGKIT_VST3_CALL resizeView(v::IPlugView* view, v::ViewRect* newSize) override
    {
        lastView = view;
        lastRect = *newSize;
        return answer;
    }
};

} // namespace vst3test
