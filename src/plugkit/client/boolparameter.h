#pragma once
// BoolParameter: an on/off setting. Normalised 0 is off, 1 is on; texts are "yes" and "no".

#include <atomic>

#include "plugkit/client/parameter.h"

namespace plugkit
{

class BoolParameter : public Parameter
{
public:
    static bool isKindOf(ParameterKind k) { return k == ParameterKind::Bool; }

    BoolParameter(int index, const char* name, bool defaultValue);

    double getNormalized() override;
    double getNormalizedDefault() override;
    void stringFromNormalizedValue(double normalized, char* buffer, size_t size) override;
    // Exactly "yes" (1.0) or "no" (0.0); anything else fails.
    bool normalizedValueFromString(const char* text, double* normalized) override;
    bool isDiscrete() const override { return true; }
    void toStringN(char* buffer, size_t size) override;

    // [main thread] The value, read under the value lock.
    bool value();
    // [any thread, audio included] The value with one atomic load, no lock.
    bool valueAtomic() const { return value_.load(std::memory_order_relaxed); }
    bool defaultValue() const { return default_; }

    // [editor thread] Stores v, reports the edit to the host, notifies the listeners.
    void setFromGUI(bool v);

    // x >= 0.5 is on; anything else, NaN included, is off.
    static bool fromNormalized(double normalized) { return normalized >= 0.5; }

protected:
    void setNormalized(double normalized) override;

private:
    std::atomic<bool> value_;
    bool default_;
};

} // namespace plugkit
