#pragma once
// The objects a VST3 host hands to a plug-in: the application context, the component
// handler, a memory byte stream for state, and the parameter changes of one process call.
// They live on the host's side and are owned by the tool, not by reference counting: the
// counts are kept only to answer the plug-in's addRef / release.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plugkit/vst3/abi/ibstream.h"
#include "plugkit/vst3/abi/ieditcontroller.h"
#include "plugkit/vst3/abi/ihostapplication.h"
#include "plugkit/vst3/abi/iparameterchanges.h"

namespace vellox::render
{

namespace vst = plugkit::vst3;

// UTF-8 text into a zero-terminated UTF-16 field of `size` units (cut to fit).
void toUtf16(const std::string& text, vst::char16* out, size_t size);
// Zero-terminated UTF-16 (at most `size` units) to UTF-8.
std::string fromUtf16(const vst::char16* text, size_t size = 128);

class HostApplication final : public vst::IHostApplication
{
public:
    vst::tresult PLUGKIT_VST3_CALL queryInterface(const vst::TUID iid, void** obj) override;
    vst::uint32 PLUGKIT_VST3_CALL addRef() override { return ++refs; }
    vst::uint32 PLUGKIT_VST3_CALL release() override { return --refs; }
    vst::tresult PLUGKIT_VST3_CALL getName(vst::String128 name) override;
    vst::tresult PLUGKIT_VST3_CALL createInstance(vst::TUID cid, vst::TUID iid, void** obj) override;

private:
    vst::uint32 refs = 1;
};

// Receives the plug-in's own edits; an offline render has no user, so they are only counted.
class ComponentHandler final : public vst::IComponentHandler
{
public:
    vst::tresult PLUGKIT_VST3_CALL queryInterface(const vst::TUID iid, void** obj) override;
    vst::uint32 PLUGKIT_VST3_CALL addRef() override { return ++refs; }
    vst::uint32 PLUGKIT_VST3_CALL release() override { return --refs; }
    vst::tresult PLUGKIT_VST3_CALL beginEdit(vst::ParamID) override { return vst::kResultOk; }
    vst::tresult PLUGKIT_VST3_CALL performEdit(vst::ParamID, vst::ParamValue) override;
    vst::tresult PLUGKIT_VST3_CALL endEdit(vst::ParamID) override { return vst::kResultOk; }
    vst::tresult PLUGKIT_VST3_CALL restartComponent(vst::int32) override { return vst::kResultOk; }

    int edits = 0;

private:
    vst::uint32 refs = 1;
};

// A growable byte stream with one position for reading and writing, as a project file gives.
class MemoryStream final : public vst::IBStream
{
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : data(std::move(bytes)) {}

    vst::tresult PLUGKIT_VST3_CALL queryInterface(const vst::TUID iid, void** obj) override;
    vst::uint32 PLUGKIT_VST3_CALL addRef() override { return ++refs; }
    vst::uint32 PLUGKIT_VST3_CALL release() override { return --refs; }
    vst::tresult PLUGKIT_VST3_CALL read(void* buffer, vst::int32 numBytes, vst::int32* numBytesRead) override;
    vst::tresult PLUGKIT_VST3_CALL write(void* buffer, vst::int32 numBytes,
                                         vst::int32* numBytesWritten) override;
    vst::tresult PLUGKIT_VST3_CALL seek(vst::int64 pos, vst::int32 mode, vst::int64* result) override;
    vst::tresult PLUGKIT_VST3_CALL tell(vst::int64* pos) override;

    const std::vector<uint8_t>& bytes() const { return data; }

private:
    std::vector<uint8_t> data;
    size_t position = 0;
    vst::uint32 refs = 1;
};

// The points of one parameter in one process call.
class ParamValueQueue final : public vst::IParamValueQueue
{
public:
    explicit ParamValueQueue(vst::ParamID id) : paramId(id) {}

    vst::tresult PLUGKIT_VST3_CALL queryInterface(const vst::TUID iid, void** obj) override;
    vst::uint32 PLUGKIT_VST3_CALL addRef() override { return ++refs; }
    vst::uint32 PLUGKIT_VST3_CALL release() override { return --refs; }
    vst::ParamID PLUGKIT_VST3_CALL getParameterId() override { return paramId; }
    vst::int32 PLUGKIT_VST3_CALL getPointCount() override { return vst::int32(points.size()); }
    vst::tresult PLUGKIT_VST3_CALL getPoint(vst::int32 index, vst::int32& sampleOffset,
                                            vst::ParamValue& value) override;
    vst::tresult PLUGKIT_VST3_CALL addPoint(vst::int32 sampleOffset, vst::ParamValue value,
                                            vst::int32& index) override;

private:
    vst::ParamID paramId;
    std::vector<std::pair<vst::int32, vst::ParamValue>> points;
    vst::uint32 refs = 1;
};

class ParameterChanges final : public vst::IParameterChanges
{
public:
    vst::tresult PLUGKIT_VST3_CALL queryInterface(const vst::TUID iid, void** obj) override;
    vst::uint32 PLUGKIT_VST3_CALL addRef() override { return ++refs; }
    vst::uint32 PLUGKIT_VST3_CALL release() override { return --refs; }
    vst::int32 PLUGKIT_VST3_CALL getParameterCount() override { return vst::int32(queues.size()); }
    vst::IParamValueQueue* PLUGKIT_VST3_CALL getParameterData(vst::int32 index) override;
    // Returns the queue of `id`, adding it when the call has none yet.
    vst::IParamValueQueue* PLUGKIT_VST3_CALL addParameterData(const vst::ParamID& id,
                                                              vst::int32& index) override;

    void clear() { queues.clear(); }

private:
    std::vector<std::unique_ptr<ParamValueQueue>> queues;
    vst::uint32 refs = 1;
};

} // namespace vellox::render
