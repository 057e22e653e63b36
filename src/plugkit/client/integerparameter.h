#pragma once
// IntegerParameter: a whole number in [minimum, maximum]. EnumParameter: an integer 0 ..
// count - 1 shown as one of its entry labels.

#include <atomic>
#include <cstdint>

#include "plugkit/client/parameter.h"

namespace plugkit
{

class IntegerParameter : public Parameter
{
public:
    static bool isKindOf(ParameterKind k)
    {
        return k == ParameterKind::Integer || k == ParameterKind::Enum;
    }

    // The default is clamped to [minimum, maximum].
    IntegerParameter(int index, const char* name, const char* label, int minimum, int maximum,
                     int defaultValue);

    double getNormalized() override;
    double getNormalizedDefault() override;
    void stringFromNormalizedValue(double normalized, char* buffer, size_t size) override;
    // Decimal or "0x" hexadecimal after optional blanks and sign; reading stops at the first
    // other character, no digits give 0. Fails only for texts of 128 bytes or more.
    bool normalizedValueFromString(const char* text, double* normalized) override;
    bool isDiscrete() const override { return true; }
    void toStringN(char* buffer, size_t size) override;

    // [main thread] The value, read under the value lock.
    int value();
    // [any thread, audio included] The value with one atomic load, no lock.
    int valueAtomic() const { return value_.load(std::memory_order_relaxed); }
    int minValue() const { return min_; }
    int maxValue() const { return max_; }
    int defaultValue() const { return default_; }

    // [editor thread] Clamps v, stores it, reports the edit to the host, notifies listeners.
    void setFromGUI(int v);
    // [editor thread] setFromGUI(fromNormalized(clamp(x, 0, 1))).
    void setFromGUINormalized(double normalized);

    // clamp((v - min) / (max - min), 0, 1).
    double toNormalized(int v) const;
    // min + (max - min) * x rounded half away from zero, clamped to [min, max]; NaN gives min.
    int fromNormalized(double normalized) const;

protected:
    IntegerParameter(ParameterKind kind, int index, const char* name, const char* label,
                     int minimum, int maximum, int defaultValue);
    void setNormalized(double normalized) override;

private:
    std::atomic<int32_t> value_;
    int32_t min_;
    int32_t max_;
    int32_t default_;
};

class EnumParameter : public IntegerParameter
{
public:
    static bool isKindOf(ParameterKind k) { return k == ParameterKind::Enum; }

    // `labels` holds `count` (at least 1) texts; each is copied. The default is clamped.
    EnumParameter(int index, const char* name, const char* const* labels, int count,
                  int defaultValue);
    ~EnumParameter() override;

    void stringFromNormalizedValue(double normalized, char* buffer, size_t size) override;
    // The text must equal one label exactly (case-sensitive); the first match wins.
    bool normalizedValueFromString(const char* text, double* normalized) override;
    void toStringN(char* buffer, size_t size) override;

    int numEntries() const { return count_; }
    const char* entryLabel(int i) const { return labels_[i]; }

private:
    char** labels_;
    int32_t count_;
};

} // namespace plugkit
