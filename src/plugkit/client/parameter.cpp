#include "plugkit/client/parameter.h"

#include <cstring>

#include "plugkit/client/client.h"
#include "plugkit/client/ihostcommand.h"

namespace plugkit
{

Parameter::Parameter(ParameterKind kind, int index, const char* name, const char* label)
    : index_(index), name_(name), label_(label), kind_(kind)
{
    makeMutex(valueLock_);
}

Parameter::~Parameter() = default;

void Parameter::addListener(IParameterListener* listener)
{
    listeners_.add(listener);
}

void Parameter::removeListener(IParameterListener* listener)
{
    listeners_.remove(listener);
}

const char* Parameter::name() const
{
    return name_;
}

const char* Parameter::label() const
{
    return label_;
}

int Parameter::index() const
{
    return index_;
}

bool Parameter::isAutomatable() const
{
    return automatable_;
}

Parameter* Parameter::nonAutomatable()
{
    automatable_ = false;
    return this;
}

void Parameter::setFromHost(double normalized)
{
    if (editCount_.load(std::memory_order_acquire) > 0)
        return;
    setNormalized(normalized);
    notifyChanged();
}

double Parameter::getForHost()
{
    return getNormalized();
}

void Parameter::toDisplayN(char* buffer, size_t size)
{
    toStringN(buffer, size);
}

void Parameter::beginParamEdit()
{
    editCount_.fetch_add(1, std::memory_order_acq_rel);
    if (IHostCommand* host = hostCommand())
        host->beginParamEdit(index_);
    listeners_.forEach([this](IParameterListener* l) { l->onBeginParameterEdit(this); });
}

void Parameter::endParamEdit()
{
    if (IHostCommand* host = hostCommand())
        host->endParamEdit(index_);
    listeners_.forEach([this](IParameterListener* l) { l->onEndParameterEdit(this); });
    // Last, so host values stay refused until the host has been told the edit ended.
    editCount_.fetch_sub(1, std::memory_order_acq_rel);
}

void Parameter::beginParamHover()
{
    listeners_.forEach([this](IParameterListener* l) { l->onBeginParameterHover(this); });
}

void Parameter::endParamHover()
{
    listeners_.forEach([this](IParameterListener* l) { l->onEndParameterHover(this); });
}

IHostCommand* Parameter::hostCommand() const
{
    return owner_ != nullptr ? owner_->hostCommand() : nullptr;
}

void Parameter::notifyChanged()
{
    listeners_.forEach([this](IParameterListener* l) { l->onParameterChanged(this); });
}

void copyParamText(char* buffer, size_t size, const char* text)
{
    if (size == 0)
        return;
    size_t n = std::strlen(text);
    if (n > size - 1)
        n = size - 1;
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

bool copyTypedParamText(const char* text, char* buffer)
{
    if (text == nullptr)
        text = "";
    size_t n = strnlen(text, kParamTextBufferSize);
    if (n >= kParamTextBufferSize)
        return false;
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return true;
}

} // namespace plugkit
