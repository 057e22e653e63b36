#pragma once
// The class factory a module exports through GetPluginFactory, and the records it fills.
// Text fields are filled like strncpy: a text that fills its field is not terminated.

#include "plugkit/vst3/abi/funknown.h"

namespace plugkit::vst3
{

struct PFactoryInfo
{
    static constexpr int32 kUnicode = 1 << 4; // flag: class strings are Unicode-capable

    char8 vendor[64];
    char8 url[256];
    char8 email[128];
    int32 flags;
};

struct PClassInfo
{
    static constexpr int32 kManyInstances = 0x7FFFFFFF;

    TUID cid; // raw class ID bytes, compared as they are
    int32 cardinality;
    char8 category[32];
    char8 name[64];
};

struct PClassInfo2
{
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char8 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char8 vendor[64];
    char8 version[64];
    char8 sdkVersion[64];
};

// PClassInfo2 with UTF-16 name, vendor and versions (category and subcategories stay 8-bit).
struct PClassInfoW
{
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char16 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
};

class IPluginFactory : public FUnknown
{
public:
    virtual tresult PLUGKIT_VST3_CALL getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32 PLUGKIT_VST3_CALL countClasses() = 0;
    virtual tresult PLUGKIT_VST3_CALL getClassInfo(int32 index, PClassInfo* info) = 0;
    virtual tresult PLUGKIT_VST3_CALL createInstance(FIDString cid, FIDString iid, void** obj) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

protected:
    ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory
{
public:
    virtual tresult PLUGKIT_VST3_CALL getClassInfo2(int32 index, PClassInfo2* info) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

protected:
    ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2
{
public:
    virtual tresult PLUGKIT_VST3_CALL getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
    virtual tresult PLUGKIT_VST3_CALL setHostContext(FUnknown* context) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);

protected:
    ~IPluginFactory3() = default;
};

} // namespace plugkit::vst3
