#include "plugkit/client/floatparameter.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "plugkit/client/ihostcommand.h"
#include "plugkit/core/fatal.h"
#include "plugkit/core/numberparse.h"

namespace plugkit
{

namespace
{

constexpr double kDBToLog = 0.11512925464970228; // ln 10 / 20
constexpr double kLogToDB = 8.685889638065037;   // 20 / ln 10

double dbToLinear(double dB)
{
    return std::exp(dB * kDBToLog);
}

} // namespace

FloatParameter::FloatParameter(ParameterKind kind, int index, const char* name,
                               const char* label, double minimum, double maximum,
                               double defaultValue)
    : Parameter(kind, index, name, label),
      value_(defaultValue),
      min_(minimum),
      max_(maximum),
      default_(defaultValue)
{
}

double FloatParameter::getNormalized()
{
    MutexLocker locker(valueLock_);
    return toNormalized(value_.load(std::memory_order_relaxed));
}

double FloatParameter::getNormalizedDefault()
{
    return toNormalized(default_);
}

void FloatParameter::stringFromNormalizedValue(double normalized, char* buffer, size_t size)
{
    if (size > 0)
        std::snprintf(buffer, size, format_, fromNormalized(normalized));
}

bool FloatParameter::normalizedValueFromString(const char* text, double* normalized)
{
    *normalized = std::numeric_limits<double>::quiet_NaN();
    char copy[kParamTextBufferSize];
    if (!copyTypedParamText(text, copy))
        return false;
    const char* end = nullptr;
    bool error = false;
    double v = stb__clex_parse_number_literal(copy, &end, &error, true);
    *normalized = toNormalized(v);
    return true;
}

void FloatParameter::toStringN(char* buffer, size_t size)
{
    if (size > 0)
        std::snprintf(buffer, size, format_, value());
}

double FloatParameter::value()
{
    MutexLocker locker(valueLock_);
    return value_.load(std::memory_order_relaxed);
}

void FloatParameter::setNormalized(double normalized)
{
    double v = fromNormalized(normalized);
    MutexLocker locker(valueLock_);
    value_.store(v, std::memory_order_release);
}

void FloatParameter::setFromGUI(double v)
{
    double n;
    {
        MutexLocker locker(valueLock_);
        value_.store(clampParam(v, min_, max_), std::memory_order_release);
        n = getNormalized();
    }
    if (IHostCommand* host = hostCommand())
        host->paramAutomate(index(), static_cast<float>(n));
    notifyChanged();
}

void FloatParameter::setFromGUINormalized(double normalized)
{
    setFromGUI(fromNormalized(clampParam(normalized, 0.0, 1.0)));
}

void FloatParameter::setDecimalPrecision(int digits)
{
    if (digits < 0 || digits > 9)
        fatalError("decimal precision must be 0 to 9");
    format_[3] = static_cast<char>('0' + digits);
}

LinearFloatParameter::LinearFloatParameter(int index, const char* name, const char* label,
                                           double minimum, double maximum, double defaultValue)
    : FloatParameter(ParameterKind::LinearFloat, index, name, label, minimum, maximum,
                     defaultValue)
{
}

double LinearFloatParameter::toNormalized(double value)
{
    return clampParam((value - minValue()) / (maxValue() - minValue()), 0.0, 1.0);
}

double LinearFloatParameter::fromNormalized(double normalized)
{
    return clampParam(minValue() + (maxValue() - minValue()) * normalized, minValue(),
                      maxValue());
}

LogFloatParameter::LogFloatParameter(int index, const char* name, const char* label,
                                     double minimum, double maximum, double defaultValue)
    : FloatParameter(ParameterKind::LogFloat, index, name, label, minimum, maximum,
                     defaultValue)
{
}

double LogFloatParameter::toNormalized(double value)
{
    return clampParam(std::log(value / minValue()) / std::log(maxValue() / minValue()), 0.0,
                      1.0);
}

double LogFloatParameter::fromNormalized(double normalized)
{
    return minValue() * std::exp(normalized * std::log(maxValue() / minValue()));
}

LogFloatParameterEx::LogFloatParameterEx(int index, const char* name, const char* label,
                                         double minimum, double maximum, double defaultValue,
                                         double shape, double offset)
    : FloatParameter(ParameterKind::LogFloatEx, index, name, label, minimum, maximum,
                     defaultValue),
      shape_(shape),
      offset_(offset)
{
}

double LogFloatParameterEx::toNormalized(double value)
{
    double t = clampParam(std::log((value + offset_) / (minValue() + offset_)) /
                              std::log((maxValue() + offset_) / (minValue() + offset_)),
                          0.0, 1.0);
    return clampParam(std::pow(t, 1.0 / shape_), 0.0, 1.0);
}

double LogFloatParameterEx::fromNormalized(double normalized)
{
    double t = std::pow(clampParam(normalized, 0.0, 1.0), shape_);
    double v = (minValue() + offset_) *
                   std::exp(t * std::log((maxValue() + offset_) / (minValue() + offset_))) -
               offset_;
    return clampParam(v, minValue(), maxValue());
}

GainParameter::GainParameter(int index, const char* name, double maxDB, double defaultDB,
                             double shape)
    : FloatParameter(ParameterKind::Gain, index, name, "dB",
                     -std::numeric_limits<double>::infinity(), maxDB, defaultDB),
      shape_(shape)
{
    setDecimalPrecision(1);
}

double GainParameter::toNormalized(double value)
{
    return clampParam(std::pow(dbToLinear(value) / dbToLinear(maxValue()), 1.0 / shape_), 0.0,
                      1.0);
}

double GainParameter::fromNormalized(double normalized)
{
    // Not clamped: normalised 0 is log(0), minus infinity dB.
    return std::log(std::pow(normalized, shape_) * dbToLinear(maxValue())) * kLogToDB;
}

PowFloatParameter::PowFloatParameter(int index, const char* name, const char* label,
                                     double minimum, double maximum, double defaultValue,
                                     double shape)
    : FloatParameter(ParameterKind::PowFloat, index, name, label, minimum, maximum,
                     defaultValue),
      shape_(shape)
{
}

double PowFloatParameter::toNormalized(double value)
{
    return std::pow(clampParam((value - minValue()) / (maxValue() - minValue()), 0.0, 1.0),
                    1.0 / shape_);
}

double PowFloatParameter::fromNormalized(double normalized)
{
    return clampParam(minValue() + (maxValue() - minValue()) * std::pow(normalized, shape_),
                      minValue(), maxValue());
}

} // namespace plugkit
