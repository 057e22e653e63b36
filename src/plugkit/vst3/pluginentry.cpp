#include "plugkit/vst3/pluginentry.h"

#include "plugkit/client/client.h"
#include "plugkit/vst3/classinfo.h"
#include "plugkit/vst3/pluginfactory.h"
#include "plugkit/vst3/vst3client.h"

namespace plugkit
{

vst3::IPluginFactory* getPluginFactoryFor(ClientCreateFunction createClient,
                                          vst3::FUnknown* (*createInstance)(void* context))
{
    NoDenormalsGuard guard;
    if (gPluginFactory != nullptr)
    {
        gPluginFactory->addRef();
        return gPluginFactory;
    }
    Client* temporary = createClient();
    const PluginInfo& info = temporary->pluginInfo();
    CPluginFactory* factory = mallocNew<CPluginFactory>(makeVST3FactoryInfo(info));
    gPluginFactory = factory;
    const vst3::PClassInfo2 classInfo = makeVST3ClassInfo(info);
    factory->registerClass(&classInfo, createInstance, nullptr);
    destroyFree(temporary);
    return factory;
}

vst3::FUnknown* createVST3ClientAround(Client* client)
{
    VST3Client* instance = mallocNew<VST3Client>(client);
    return static_cast<vst3::IComponent*>(instance);
}

} // namespace plugkit
