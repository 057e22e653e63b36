#pragma once
// Parameter: one indexed setting of a plug-in, with a normalised face in [0, 1] for the host
// and a plain face for the engine and the editor. The client owns its parameters; the
// concrete kinds are in boolparameter.h, integerparameter.h and floatparameter.h.
//
// Threads: the host calls setFromHost from its audio thread and its main thread; the editor
// calls setFromGUI, the edit brackets and the hover calls on the main thread; the engine reads
// the plain value on the audio thread with one atomic load (valueAtomic() of each kind).
// Every write of the value happens under the value lock (recursive), so a setter can compute
// the normalised value it reports to the host from the value it just stored.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "plugkit/client/iparameterlistener.h"
#include "plugkit/client/listenerlist.h"
#include "plugkit/core/mutex.h"

namespace plugkit
{

class Client;
class IHostCommand;

// The exact class of a parameter; the framework is built without RTTI.
enum class ParameterKind : uint8_t
{
    Bool,
    Integer,
    Enum,
    LinearFloat,
    LogFloat,
    LogFloatEx,
    Gain,
    PowFloat,
};

class Parameter
{
public:
    virtual ~Parameter();
    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    // [editor thread] Listeners are notified in insertion order; see listenerlist.h for how
    // the list is protected. Listeners must remove themselves before they are destroyed.
    virtual void addListener(IParameterListener* listener);
    virtual void removeListener(IParameterListener* listener);

    virtual const char* name() const;
    virtual const char* label() const;
    virtual int index() const;
    virtual bool isAutomatable() const;
    // Clears the automatable flag; returns this for chaining at creation.
    virtual Parameter* nonAutomatable();

    // [audio or main thread] Sets the value from a normalised host value and notifies the
    // listeners. Refused (no change, no notification) while an editor edit is open, since the
    // host may be echoing earlier automation.
    virtual void setFromHost(double normalized);
    virtual double getForHost();

    virtual void toDisplayN(char* buffer, size_t size);

    // [editor thread] Bracket every setFromGUI; forwarded to the host as begin/end of an edit.
    virtual void beginParamEdit();
    virtual void endParamEdit();
    // [editor thread] The mouse entered / left a widget bound to this parameter.
    virtual void beginParamHover();
    virtual void endParamHover();

    virtual double getNormalized() = 0;
    virtual double getNormalizedDefault() = 0;
    // Text the value would have at normalised x; the parameter is not changed.
    virtual void stringFromNormalizedValue(double normalized, char* buffer, size_t size) = 0;
    // Parses typed text into a normalised value. On failure returns false with NaN in
    // `normalized`.
    virtual bool normalizedValueFromString(const char* text, double* normalized) = 0;
    virtual bool isDiscrete() const = 0;

    // Current value as text without unit, zero-terminated within `size` bytes.
    virtual void toStringN(char* buffer, size_t size) = 0;

    ParameterKind kind() const { return kind_; }
    Client* owner() const { return owner_; }
    // Set once by the client right after it receives its parameters.
    void setOwner(Client* owner) { owner_ = owner; }
    // True while at least one editor edit is open.
    bool isEditing() const { return editCount_.load(std::memory_order_acquire) > 0; }

protected:
    Parameter(ParameterKind kind, int index, const char* name, const char* label);

    // Sets the value from a normalised number, under the value lock; no notification.
    // Used by setFromHost (and through it by state loading).
    virtual void setNormalized(double normalized) = 0;

    // Null when there is no owner or the format layer has not installed a host command.
    IHostCommand* hostCommand() const;
    void notifyChanged();

private:
    Client* owner_ = nullptr;
    int32_t index_;
    const char* name_;
    const char* label_;
    bool automatable_ = true;
    ParameterListenerList listeners_;
    std::atomic<int32_t> editCount_{0};

protected:
    UncheckedMutex valueLock_; // recursive; created by the constructor

private:
    ParameterKind kind_;
};

// clamp(a, lo, hi) as max(lo, a) then min(hi, ...); a NaN input gives lo.
inline double clampParam(double a, double lo, double hi)
{
    double r = lo < a ? a : lo;
    return hi < r ? hi : r;
}

// Copies `text` into buffer, cutting it to size - 1 bytes; always terminates when size > 0.
void copyParamText(char* buffer, size_t size, const char* text);

// Typed parameter texts must be shorter than this; parsing works on a copy of this size.
constexpr size_t kParamTextBufferSize = 128;

// Copies a typed text into a zero-terminated buffer of kParamTextBufferSize bytes; false
// (nothing copied) when the text is kParamTextBufferSize bytes or longer. Null counts as "".
bool copyTypedParamText(const char* text, char* buffer);

// Converts to the kind T (BoolParameter, IntegerParameter, FloatParameter, ...) when the
// parameter is of that class or derived from it, else null.
template <class T>
T* parameterCast(Parameter* p)
{
    return (p != nullptr && T::isKindOf(p->kind())) ? static_cast<T*>(p) : nullptr;
}

} // namespace plugkit
