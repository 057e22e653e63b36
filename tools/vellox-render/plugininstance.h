#pragma once
// One instance of the module's audio effect, driven the way a DAW drives it: component,
// processor and edit controller (the same object, or a separate controller class),
// initialised with our host context, stereo buses, offline 32-bit processing.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "hostobjects.h"
#include "pluginmodule.h"
#include "plugkit/vst3/abi/iaudioprocessor.h"
#include "plugkit/vst3/abi/icomponent.h"
#include "plugkit/vst3/abi/ieditcontroller.h"

namespace vellox::render
{

// A parameter as the controller describes it.
struct ParameterDescription
{
    vst::ParamID id = 0;
    std::string title;
    std::string units;
    double defaultNormalized = 0.0;
    vst::int32 flags = 0;
};

class PluginInstance
{
public:
    // Creates and initialises the first "Audio Module Class" of the module's factory and
    // sets its buses to stereo in, stereo out. Throws RenderError when any step fails.
    explicit PluginInstance(PluginModule& module);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    const std::string& className() const { return className_; }
    const std::vector<ParameterDescription>& parameters() const { return parameters_; }

    // Controller texts and values.
    std::string valueText(vst::ParamID id, double normalized);
    // False when the plug-in cannot read the text.
    bool valueFromText(vst::ParamID id, const std::string& text, double& normalized);
    double normalized(vst::ParamID id);

    // A change made by the user: the controller takes it at once and the processor receives
    // it at the start of the next process call (a later change of the same parameter
    // replaces an earlier one).
    void setParameter(vst::ParamID id, double normalized);

    // The state stream a project stores. setState throws RenderError when refused.
    std::vector<uint8_t> getState();
    void setState(const std::vector<uint8_t>& bytes);

    // setupProcessing (offline, 32-bit), setActive, setProcessing.
    void startProcessing(double sampleRate, int maxBlock);
    // One host buffer of `frames` frames, at most the maxBlock given to startProcessing.
    // Pending parameter changes travel with it at sample offset 0.
    void process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                 int frames);
    void stopProcessing();

private:
    void release();

    HostApplication host_;
    ComponentHandler handler_;
    ParameterChanges changes_;
    std::vector<std::pair<vst::ParamID, double>> pending_;
    std::string className_;
    std::vector<ParameterDescription> parameters_;

    vst::IComponent* component_ = nullptr;
    vst::IAudioProcessor* processor_ = nullptr;
    vst::IEditController* controller_ = nullptr;
    bool separateController_ = false;
    bool componentInitialized_ = false, controllerInitialized_ = false;
    bool active_ = false, processing_ = false;
    double sampleRate_ = 0.0;
    int maxBlock_ = 0;
    int64_t position_ = 0;
};

} // namespace vellox::render
