#pragma once
// What a product's exported GetPluginFactory calls: the factory for one client class, and the
// creation of an instance (a VST3Client around a new client).
//
//   extern "C" IPluginFactory* GetPluginFactory()
//   { return plugkit::GetPluginFactoryInternal<MyClient>(); }

#include "plugkit/core/fpcontrol.h"
#include "plugkit/core/memory.h"
#include "plugkit/vst3/abi/ipluginfactory.h"

namespace plugkit
{

class Client;

// Creates a new client of the product's class (with mallocNew).
using ClientCreateFunction = Client* (*)();

// [main thread] Returns the module's factory with one added reference, building it on first
// use: a temporary client supplies the PluginInfo, and one class is registered whose
// instances `createInstance` makes.
vst3::IPluginFactory* getPluginFactoryFor(ClientCreateFunction createClient,
                                          vst3::FUnknown* (*createInstance)(void* context));

// Wraps a new client in a new VST3Client; returns its FUnknown with a count of 1.
vst3::FUnknown* createVST3ClientAround(Client* client);

template <class ClientClass>
Client* createClientOfClass()
{
    return mallocNew<ClientClass>();
}

// [main thread] Creation function registered with the factory; the context is unused.
template <class ClientClass>
vst3::FUnknown* createVST3Client(void*)
{
    NoDenormalsGuard guard;
    return createVST3ClientAround(createClientOfClass<ClientClass>());
}

template <class ClientClass>
vst3::IPluginFactory* GetPluginFactoryInternal()
{
    return getPluginFactoryFor(&createClientOfClass<ClientClass>, &createVST3Client<ClientClass>);
}

} // namespace plugkit
