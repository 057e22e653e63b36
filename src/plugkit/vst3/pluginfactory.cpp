#include "plugkit/vst3/pluginfactory.h"

#include <cstdlib>
#include <cstring>

#include "plugkit/core/memory.h"
#include "plugkit/vst3/text16.h"

namespace plugkit
{

vst3::IPluginFactory* gPluginFactory = nullptr;

CPluginFactory::CPluginFactory(const vst3::PFactoryInfo& info) : factoryInfo_(info) {}

CPluginFactory::~CPluginFactory()
{
    if (gPluginFactory == this)
        gPluginFactory = nullptr;
    std::free(classes_);
}

bool CPluginFactory::growClasses()
{
    const vst3::int32 capacity = classCapacity_ + 10;
    void* grown = std::realloc(classes_, sizeof(ClassEntry) * size_t(capacity));
    if (grown == nullptr)
        return false;
    classes_ = static_cast<ClassEntry*>(grown);
    classCapacity_ = capacity;
    return true;
}

CPluginFactory::ClassEntry* CPluginFactory::newEntry()
{
    if (classCount_ == classCapacity_ && !growClasses())
        return nullptr;
    ClassEntry* e = &classes_[classCount_++];
    std::memset(static_cast<void*>(e), 0, sizeof(*e));
    return e;
}

bool CPluginFactory::registerClass(const vst3::PClassInfo* info, VST3CreateFunction create,
                                   void* context)
{
    if (info == nullptr || create == nullptr)
        return false;
    vst3::PClassInfo2 wide;
    std::memset(&wide, 0, sizeof(wide));
    std::memcpy(&wide, info, sizeof(*info)); // the leading fields are the same record
    return registerClass(&wide, create, context);
}

bool CPluginFactory::registerClass(const vst3::PClassInfo2* info, VST3CreateFunction create,
                                   void* context)
{
    if (info == nullptr || create == nullptr)
        return false;
    ClassEntry* e = newEntry();
    if (e == nullptr)
        return false;
    e->info8 = *info;
    vst3::PClassInfoW& w = e->info16;
    std::memcpy(w.cid, info->cid, sizeof(w.cid));
    w.cardinality = info->cardinality;
    std::memcpy(w.category, info->category, sizeof(w.category));
    widenTextField(w.name, info->name, 64);
    w.classFlags = info->classFlags;
    std::memcpy(w.subCategories, info->subCategories, sizeof(w.subCategories));
    widenTextField(w.vendor, info->vendor, 64);
    widenTextField(w.version, info->version, 64);
    widenTextField(w.sdkVersion, info->sdkVersion, 64);
    e->create = create;
    e->context = context;
    e->registeredWide = false;
    return true;
}

bool CPluginFactory::registerClass(const vst3::PClassInfoW* info, VST3CreateFunction create,
                                   void* context)
{
    if (info == nullptr || create == nullptr)
        return false;
    ClassEntry* e = newEntry();
    if (e == nullptr)
        return false;
    e->info16 = *info;
    e->create = create;
    e->context = context;
    e->registeredWide = true;
    return true;
}

vst3::tresult CPluginFactory::queryInterface(const vst3::TUID iid, void** obj)
{
    if (obj == nullptr)
        return vst3::kInvalidArgument;
    if (vst3::sameID(iid, vst3::IPluginFactory3::iid) || vst3::sameID(iid, vst3::IPluginFactory2::iid) ||
        vst3::sameID(iid, vst3::IPluginFactory::iid) || vst3::sameID(iid, vst3::FUnknown::iid))
    {
        addRef();
        *obj = static_cast<vst3::IPluginFactory3*>(this);
        return vst3::kResultOk;
    }
    *obj = nullptr;
    return vst3::kNoInterface;
}

vst3::uint32 CPluginFactory::addRef()
{
    return refCount_.fetch_add(1, std::memory_order_relaxed) + 1;
}

vst3::uint32 CPluginFactory::release()
{
    const vst3::uint32 count = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0)
        destroyFree(this);
    return count;
}

vst3::tresult CPluginFactory::getFactoryInfo(vst3::PFactoryInfo* info)
{
    if (info != nullptr)
        *info = factoryInfo_;
    return vst3::kResultOk;
}

vst3::int32 CPluginFactory::countClasses()
{
    return classCount_;
}

vst3::tresult CPluginFactory::getClassInfo(vst3::int32 index, vst3::PClassInfo* info)
{
    if (index < 0 || index >= classCount_ || info == nullptr)
        return vst3::kInvalidArgument;
    if (classes_[index].registeredWide)
    {
        std::memset(info, 0, sizeof(*info));
        return vst3::kResultFalse;
    }
    std::memcpy(info, &classes_[index].info8, sizeof(*info));
    return vst3::kResultOk;
}

vst3::tresult CPluginFactory::getClassInfo2(vst3::int32 index, vst3::PClassInfo2* info)
{
    if (index < 0 || index >= classCount_ || info == nullptr)
        return vst3::kInvalidArgument;
    if (classes_[index].registeredWide)
    {
        std::memset(info, 0, sizeof(*info));
        return vst3::kResultFalse;
    }
    *info = classes_[index].info8;
    return vst3::kResultOk;
}

vst3::tresult CPluginFactory::getClassInfoUnicode(vst3::int32 index, vst3::PClassInfoW* info)
{
    if (index < 0 || index >= classCount_ || info == nullptr)
        return vst3::kInvalidArgument;
    *info = classes_[index].info16;
    return vst3::kResultOk;
}

vst3::tresult CPluginFactory::createInstance(vst3::FIDString cid, vst3::FIDString iid, void** obj)
{
    if (obj == nullptr)
        return vst3::kInvalidArgument;
    *obj = nullptr;
    if (cid == nullptr || iid == nullptr)
        return vst3::kNoInterface;
    for (vst3::int32 i = 0; i < classCount_; ++i)
    {
        const vst3::int8* classID = classes_[i].registeredWide ? classes_[i].info16.cid : classes_[i].info8.cid;
        if (std::memcmp(classID, cid, 16) != 0)
            continue;
        vst3::FUnknown* object = classes_[i].create(classes_[i].context);
        if (object == nullptr)
            return vst3::kNoInterface;
        const vst3::tresult result = object->queryInterface(iid, obj);
        object->release(); // the caller keeps the reference the query added, or nothing
        if (result != vst3::kResultOk)
        {
            *obj = nullptr;
            return vst3::kNoInterface;
        }
        return vst3::kResultOk;
    }
    return vst3::kNoInterface;
}

vst3::tresult CPluginFactory::setHostContext(vst3::FUnknown*)
{
    return vst3::kNotImplemented;
}

} // namespace plugkit
