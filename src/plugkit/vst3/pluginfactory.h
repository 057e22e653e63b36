#pragma once
// CPluginFactory: the module's class factory (IPluginFactory3). Holds a table of classes,
// each with its description, a creation function and that function's context.
//
// [main thread] Hosts call the factory from their main thread; only the reference count is
// atomic.

#include <atomic>

#include "plugkit/vst3/abi/ipluginfactory.h"

namespace plugkit
{

// Creates one object of a registered class; returns its FUnknown with one reference, or null.
using VST3CreateFunction = vst3::FUnknown* (*)(void* context);

class CPluginFactory : public vst3::IPluginFactory3
{
public:
    explicit CPluginFactory(const vst3::PFactoryInfo& info);
    // Frees the class table and clears gPluginFactory if it names this factory.
    ~CPluginFactory();
    CPluginFactory(const CPluginFactory&) = delete;
    CPluginFactory& operator=(const CPluginFactory&) = delete;

    // False for a null description or function, or when the table cannot grow.
    bool registerClass(const vst3::PClassInfo* info, VST3CreateFunction create, void* context);
    bool registerClass(const vst3::PClassInfo2* info, VST3CreateFunction create, void* context);
    bool registerClass(const vst3::PClassInfoW* info, VST3CreateFunction create, void* context);

    vst3::tresult PLUGKIT_VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
    vst3::uint32 PLUGKIT_VST3_CALL addRef() override;
    vst3::uint32 PLUGKIT_VST3_CALL release() override;

    vst3::tresult PLUGKIT_VST3_CALL getFactoryInfo(vst3::PFactoryInfo* info) override;
    vst3::int32 PLUGKIT_VST3_CALL countClasses() override;
    vst3::tresult PLUGKIT_VST3_CALL getClassInfo(vst3::int32 index, vst3::PClassInfo* info) override;
    vst3::tresult PLUGKIT_VST3_CALL createInstance(vst3::FIDString cid, vst3::FIDString iid,
                                                   void** obj) override;
    vst3::tresult PLUGKIT_VST3_CALL getClassInfo2(vst3::int32 index, vst3::PClassInfo2* info) override;
    vst3::tresult PLUGKIT_VST3_CALL getClassInfoUnicode(vst3::int32 index, vst3::PClassInfoW* info) override;
    vst3::tresult PLUGKIT_VST3_CALL setHostContext(vst3::FUnknown* context) override;

private:
    struct ClassEntry
    {
        vst3::PClassInfo2 info8;
        vst3::PClassInfoW info16;
        VST3CreateFunction create;
        void* context;
        bool registeredWide; // only info16 is meaningful
    };

    // Enlarges the table by 10 entries; false when memory runs out.
    bool growClasses();
    ClassEntry* newEntry();

    std::atomic<vst3::uint32> refCount_{1};
    vst3::PFactoryInfo factoryInfo_;
    ClassEntry* classes_ = nullptr;
    vst3::int32 classCount_ = 0;
    vst3::int32 classCapacity_ = 0;
};

// The module's single factory; null until first requested and again once destroyed.
extern vst3::IPluginFactory* gPluginFactory;

} // namespace plugkit
