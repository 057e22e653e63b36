#pragma once
// IComponent and IEditController both declare setState / getState with the same signature; a
// class implementing both would give the two one body. These bases route each interface's
// state calls to a method of its own name.

#include "plugkit/vst3/abi/icomponent.h"
#include "plugkit/vst3/abi/ieditcontroller.h"

namespace plugkit
{

class VST3ComponentBase : public vst3::IComponent
{
public:
    vst3::tresult PLUGKIT_VST3_CALL setState(vst3::IBStream* state) final { return setStateComponent(state); }
    vst3::tresult PLUGKIT_VST3_CALL getState(vst3::IBStream* state) final { return getStateComponent(state); }

    virtual vst3::tresult setStateComponent(vst3::IBStream* state) = 0;
    virtual vst3::tresult getStateComponent(vst3::IBStream* state) = 0;

protected:
    ~VST3ComponentBase() = default;
};

class VST3EditControllerBase : public vst3::IEditController
{
public:
    vst3::tresult PLUGKIT_VST3_CALL setState(vst3::IBStream* state) final { return setStateController(state); }
    vst3::tresult PLUGKIT_VST3_CALL getState(vst3::IBStream* state) final { return getStateController(state); }

    virtual vst3::tresult setStateController(vst3::IBStream* state) = 0;
    virtual vst3::tresult getStateController(vst3::IBStream* state) = 0;

protected:
    ~VST3EditControllerBase() = default;
};

} // namespace plugkit
