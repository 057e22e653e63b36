#pragma once
// IComponent: the plug-in component as the host sees it: buses, activation and state.

#include "plugkit/vst3/abi/ipluginbase.h"

namespace plugkit::vst3
{

class IBStream;

enum MediaTypes : int32
{
    kAudio = 0,
    kEvent = 1
};

enum BusDirections : int32
{
    kInput = 0,
    kOutput = 1
};

enum BusTypes : int32
{
    kMain = 0,
    kAux = 1
};

struct BusInfo
{
    static constexpr uint32 kDefaultActive = 1;

    MediaType mediaType;
    BusDirection direction;
    int32 channelCount;
    String128 name;
    BusType busType;
    uint32 flags;
};

struct RoutingInfo
{
    MediaType mediaType;
    int32 busIndex;
    int32 channel; // -1: every channel
};

class IComponent : public IPluginBase
{
public:
    virtual tresult PLUGKIT_VST3_CALL getControllerClassId(TUID classId) = 0;
    virtual tresult PLUGKIT_VST3_CALL setIoMode(IoMode mode) = 0;
    virtual int32 PLUGKIT_VST3_CALL getBusCount(MediaType type, BusDirection dir) = 0;
    virtual tresult PLUGKIT_VST3_CALL getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
    virtual tresult PLUGKIT_VST3_CALL getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
    virtual tresult PLUGKIT_VST3_CALL activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
    virtual tresult PLUGKIT_VST3_CALL setActive(TBool state) = 0;
    virtual tresult PLUGKIT_VST3_CALL setState(IBStream* state) = 0; // [main thread]
    virtual tresult PLUGKIT_VST3_CALL getState(IBStream* state) = 0; // [main thread]

    static constexpr InterfaceID iid = makeInterfaceID(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

protected:
    ~IComponent() = default;
};

} // namespace plugkit::vst3
