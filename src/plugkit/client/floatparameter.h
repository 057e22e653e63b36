#pragma once
// FloatParameter: a real value held in double precision, printed with a small printf format
// ("%2.2f" unless changed). Each concrete kind supplies its normalised mapping through
// toNormalized / fromNormalized: linear, logarithmic, logarithmic with shape and offset,
// decibel gain and power law.

#include <atomic>

#include "plugkit/client/parameter.h"

namespace plugkit
{

class FloatParameter : public Parameter
{
public:
    static bool isKindOf(ParameterKind k)
    {
        return k == ParameterKind::LinearFloat || k == ParameterKind::LogFloat ||
               k == ParameterKind::LogFloatEx || k == ParameterKind::Gain ||
               k == ParameterKind::PowFloat;
    }

    double getNormalized() override;
    double getNormalizedDefault() override;
    // printf of fromNormalized(x) with the display format.
    void stringFromNormalizedValue(double normalized, char* buffer, size_t size) override;
    // Reads a number (fractions, exponents, hexadecimal, "inf", "nan"; trailing text ignored;
    // "" is 0) and maps it with toNormalized. Fails only for texts of 128 bytes or more.
    bool normalizedValueFromString(const char* text, double* normalized) override;
    bool isDiscrete() const override { return false; }
    void toStringN(char* buffer, size_t size) override;

    virtual double toNormalized(double value) = 0;
    virtual double fromNormalized(double normalized) = 0;

    // [main thread] The value, read under the value lock.
    double value();
    // [any thread, audio included] The value with one atomic load, no lock.
    double valueAtomic() const { return value_.load(std::memory_order_relaxed); }
    double minValue() const { return min_; }
    double maxValue() const { return max_; }
    double defaultValue() const { return default_; }

    // [editor thread] Clamps v to [min, max], stores it, reports the edit to the host,
    // notifies the listeners.
    void setFromGUI(double v);
    // [editor thread] setFromGUI(fromNormalized(clamp(x, 0, 1))).
    void setFromGUINormalized(double normalized);

    // Digits after the point, 0 to 9: written over the precision digit of the format.
    void setDecimalPrecision(int digits);
    const char* displayFormat() const { return format_; }

protected:
    FloatParameter(ParameterKind kind, int index, const char* name, const char* label,
                   double minimum, double maximum, double defaultValue);
    // Stores fromNormalized(x) as it is (each kind decides whether it clamps).
    void setNormalized(double normalized) override;

private:
    std::atomic<double> value_;
    double min_;
    double max_;
    double default_;
    char format_[8] = "%2.2f";
};

// clamp((v - min) / (max - min), 0, 1); back: clamp(min + (max - min) * x, min, max).
class LinearFloatParameter : public FloatParameter
{
public:
    static bool isKindOf(ParameterKind k) { return k == ParameterKind::LinearFloat; }
    LinearFloatParameter(int index, const char* name, const char* label, double minimum,
                         double maximum, double defaultValue);
    double toNormalized(double value) override;
    double fromNormalized(double normalized) override;
};

// clamp(ln(v / min) / ln(max / min), 0, 1); back: min * exp(x * ln(max / min)), not clamped.
// The minimum must be greater than 0.
class LogFloatParameter : public FloatParameter
{
public:
    static bool isKindOf(ParameterKind k) { return k == ParameterKind::LogFloat; }
    LogFloatParameter(int index, const char* name, const char* label, double minimum,
                      double maximum, double defaultValue);
    double toNormalized(double value) override;
    double fromNormalized(double normalized) override;
};

// Logarithmic over [min + offset, max + offset], with the normalised axis bent by x^shape.
class LogFloatParameterEx : public FloatParameter
{
public:
    static bool isKindOf(ParameterKind k) { return k == ParameterKind::LogFloatEx; }
    LogFloatParameterEx(int index, const char* name, const char* label, double minimum,
                        double maximum, double defaultValue, double shape, double offset);
    double toNormalized(double value) override;
    double fromNormalized(double normalized) override;

private:
    double shape_;
    double offset_;
};

// Decibels from minus infinity to a maximum; normalised = (linear / linear(max))^(1/shape).
// Label "dB", one decimal. Normalised 0 gives minus infinity ("-inf").
class GainParameter : public FloatParameter
{
public:
    static bool isKindOf(ParameterKind k) { return k == ParameterKind::Gain; }
    GainParameter(int index, const char* name, double maxDB, double defaultDB, double shape);
    double toNormalized(double value) override;
    double fromNormalized(double normalized) override;

private:
    double shape_;
};

// clamp((v - min) / (max - min), 0, 1)^(1/shape); back: clamp(min + (max - min) * x^shape).
class PowFloatParameter : public FloatParameter
{
public:
    static bool isKindOf(ParameterKind k) { return k == ParameterKind::PowFloat; }
    PowFloatParameter(int index, const char* name, const char* label, double minimum,
                      double maximum, double defaultValue, double shape);
    double toNormalized(double value) override;
    double fromNormalized(double normalized) override;

private:
    double shape_;
};

} // namespace plugkit
