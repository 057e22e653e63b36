#include "plugininstance.h"

#include <cstring>

#include "errors.h"
#include "plugkit/vst3/abi/processcontext.h"
#include "plugkit/vst3/abi/speakers.h"

namespace vellox::render
{

namespace
{

template <class I>
I* query(vst::FUnknown* object)
{
    void* out = nullptr;
    if (object == nullptr || object->queryInterface(I::iid.bytes, &out) != vst::kResultOk)
        return nullptr;
    return static_cast<I*>(out);
}

std::string fieldText(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

} // namespace

PluginInstance::PluginInstance(PluginModule& module)
{
    const std::string& path = module.modulePath();
    auto fail = [&](const std::string& why) {
        release();
        return RenderError("plug-in \"" + path + "\": " + why);
    };
    vst::IPluginFactory* factory = module.factory();

    // The first audio effect class of the module.
    vst::PClassInfo info;
    int32_t classIndex = -1;
    for (int32_t i = 0; i < factory->countClasses(); ++i)
    {
        std::memset(&info, 0, sizeof info);
        if (factory->getClassInfo(i, &info) == vst::kResultOk &&
            fieldText(info.category, sizeof info.category) == vst::kAudioEffectClass)
        {
            classIndex = i;
            break;
        }
    }
    if (classIndex < 0)
        throw fail("the module offers no audio effect class");
    className_ = fieldText(info.name, sizeof info.name);

    void* object = nullptr;
    if (factory->createInstance(info.cid, vst::IComponent::iid.bytes, &object) != vst::kResultOk ||
        object == nullptr)
        throw fail("the factory could not create \"" + className_ + "\"");
    component_ = static_cast<vst::IComponent*>(object);
    if (component_->initialize(&host_) != vst::kResultOk)
        throw fail("initialize failed");
    componentInitialized_ = true;

    processor_ = query<vst::IAudioProcessor>(component_);
    if (processor_ == nullptr)
        throw fail("the component is no audio processor");

    // The controller: the component itself, or an instance of the class it names.
    controller_ = query<vst::IEditController>(component_);
    if (controller_ == nullptr)
    {
        vst::TUID cid = {};
        object = nullptr;
        if (component_->getControllerClassId(cid) != vst::kResultOk ||
            factory->createInstance(cid, vst::IEditController::iid.bytes, &object) != vst::kResultOk ||
            object == nullptr)
            throw fail("the plug-in has no edit controller");
        controller_ = static_cast<vst::IEditController*>(object);
        separateController_ = true;
        if (controller_->initialize(&host_) != vst::kResultOk)
            throw fail("initialize of the edit controller failed");
        controllerInitialized_ = true;
    }
    controller_->setComponentHandler(&handler_);

    // Stereo in, stereo out on the main buses.
    if (component_->getBusCount(vst::kAudio, vst::kInput) < 1 ||
        component_->getBusCount(vst::kAudio, vst::kOutput) < 1)
        throw fail("the plug-in has no stereo input and output bus");
    vst::SpeakerArrangement in = vst::kArrangementStereo, out = vst::kArrangementStereo;
    if (processor_->setBusArrangements(&in, 1, &out, 1) != vst::kResultOk)
        throw fail("the plug-in refuses a stereo input and output");
    component_->activateBus(vst::kAudio, vst::kInput, 0, 1);
    component_->activateBus(vst::kAudio, vst::kOutput, 0, 1);
    if (processor_->canProcessSampleSize(vst::kSample32) != vst::kResultOk)
        throw fail("the plug-in cannot process 32-bit samples");

    for (int32_t i = 0; i < controller_->getParameterCount(); ++i)
    {
        vst::ParameterInfo p;
        std::memset(&p, 0, sizeof p);
        if (controller_->getParameterInfo(i, p) != vst::kResultOk)
            continue;
        ParameterDescription d;
        d.id = p.id;
        d.title = fromUtf16(p.title);
        d.units = fromUtf16(p.units);
        d.defaultNormalized = p.defaultNormalizedValue;
        d.flags = p.flags;
        parameters_.push_back(d);
    }
}

PluginInstance::~PluginInstance() { release(); }

void PluginInstance::release()
{
    if (processing_)
        processor_->setProcessing(0);
    processing_ = false;
    if (active_)
        component_->setActive(0);
    active_ = false;
    if (controller_ != nullptr)
    {
        controller_->setComponentHandler(nullptr);
        if (controllerInitialized_)
            controller_->terminate();
        controller_->release();
        controller_ = nullptr;
    }
    if (processor_ != nullptr)
        processor_->release();
    processor_ = nullptr;
    if (component_ != nullptr)
    {
        if (componentInitialized_)
            component_->terminate();
        component_->release();
        component_ = nullptr;
    }
    componentInitialized_ = controllerInitialized_ = false;
}

std::string PluginInstance::valueText(vst::ParamID id, double normalized)
{
    vst::String128 text = {};
    if (controller_->getParamStringByValue(id, normalized, text) != vst::kResultOk)
        return "?";
    return fromUtf16(text);
}

bool PluginInstance::valueFromText(vst::ParamID id, const std::string& text, double& normalized)
{
    vst::String128 wide;
    toUtf16(text, wide, 128);
    if (text.size() >= 128)
        return false;
    vst::ParamValue v = 0.0;
    if (controller_->getParamValueByString(id, wide, v) != vst::kResultOk)
        return false;
    normalized = v;
    return true;
}

double PluginInstance::normalized(vst::ParamID id) { return controller_->getParamNormalized(id); }

void PluginInstance::setParameter(vst::ParamID id, double normalized)
{
    controller_->setParamNormalized(id, normalized);
    for (auto& p : pending_)
    {
        if (p.first == id)
        {
            p.second = normalized;
            return;
        }
    }
    pending_.push_back({id, normalized});
}

std::vector<uint8_t> PluginInstance::getState()
{
    MemoryStream stream;
    if (component_->getState(&stream) != vst::kResultOk)
        throw RenderError("the plug-in could not save its state");
    return stream.bytes();
}

void PluginInstance::setState(const std::vector<uint8_t>& bytes)
{
    MemoryStream stream(bytes);
    if (component_->setState(&stream) != vst::kResultOk)
        throw RenderError("the plug-in refused the state");
    if (separateController_)
    {
        MemoryStream again(bytes);
        controller_->setComponentState(&again);
    }
}

void PluginInstance::startProcessing(double sampleRate, int maxBlock)
{
    vst::ProcessSetup setup;
    setup.processMode = vst::kOffline;
    setup.symbolicSampleSize = vst::kSample32;
    setup.maxSamplesPerBlock = maxBlock;
    setup.sampleRate = sampleRate;
    if (processor_->setupProcessing(setup) != vst::kResultOk)
        throw RenderError("the plug-in refused to process at " + std::to_string(int(sampleRate)) +
                          " Hz in blocks of " + std::to_string(maxBlock));
    if (component_->setActive(1) != vst::kResultOk)
        throw RenderError("the plug-in could not be activated");
    active_ = true;
    // Some plug-ins answer setProcessing with "not implemented"; that is no failure.
    vst::tresult r = processor_->setProcessing(1);
    if (r != vst::kResultOk && r != vst::kNotImplemented)
        throw RenderError("the plug-in could not start processing");
    processing_ = true;
    sampleRate_ = sampleRate;
    maxBlock_ = maxBlock;
    position_ = 0;
}

void PluginInstance::process(const float* inLeft, const float* inRight, float* outLeft,
                             float* outRight, int frames)
{
    if (frames > maxBlock_)
        throw RenderError("internal error: host buffer larger than announced");

    changes_.clear();
    for (const auto& p : pending_)
    {
        vst::int32 index = 0;
        changes_.addParameterData(p.first, index)->addPoint(0, p.second, index);
    }
    pending_.clear();

    // The plug-in may not write its inputs, but the interface passes them as non-const.
    float* inputs[2] = {const_cast<float*>(inLeft), const_cast<float*>(inRight)};
    float* outputs[2] = {outLeft, outRight};
    vst::AudioBusBuffers inBus, outBus;
    inBus.numChannels = 2;
    inBus.silenceFlags = 0;
    inBus.channelBuffers32 = inputs;
    outBus.numChannels = 2;
    outBus.silenceFlags = 0;
    outBus.channelBuffers32 = outputs;

    vst::ProcessContext context;
    std::memset(&context, 0, sizeof context);
    context.state = vst::ProcessContext::kPlaying | vst::ProcessContext::kTempoValid;
    context.sampleRate = sampleRate_;
    context.projectTimeSamples = position_;
    context.continousTimeSamples = position_;
    context.tempo = 120.0;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;

    vst::ProcessData data;
    std::memset(&data, 0, sizeof data);
    data.processMode = vst::kOffline;
    data.symbolicSampleSize = vst::kSample32;
    data.numSamples = frames;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = &changes_;
    data.processContext = &context;
    if (processor_->process(data) != vst::kResultOk)
        throw RenderError("the plug-in failed to process a block");
    position_ += frames;
}

void PluginInstance::stopProcessing()
{
    if (processing_)
        processor_->setProcessing(0);
    processing_ = false;
    if (active_)
        component_->setActive(0);
    active_ = false;
}

} // namespace vellox::render
