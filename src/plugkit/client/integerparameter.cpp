#include "plugkit/client/integerparameter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "plugkit/client/ihostcommand.h"
#include "plugkit/core/fatal.h"
#include "plugkit/core/memory.h"
#include "plugkit/core/numberparse.h"

namespace plugkit
{

namespace
{

int clampInt(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

} // namespace

IntegerParameter::IntegerParameter(int index, const char* name, const char* label, int minimum,
                                   int maximum, int defaultValue)
    : IntegerParameter(ParameterKind::Integer, index, name, label, minimum, maximum,
                       defaultValue)
{
}

IntegerParameter::IntegerParameter(ParameterKind kind, int index, const char* name,
                                   const char* label, int minimum, int maximum,
                                   int defaultValue)
    : Parameter(kind, index, name, label),
      value_(clampInt(defaultValue, minimum, maximum)),
      min_(minimum),
      max_(maximum),
      default_(clampInt(defaultValue, minimum, maximum))
{
}

double IntegerParameter::toNormalized(int v) const
{
    return clampParam((double(v) - min_) / (double(max_) - min_), 0.0, 1.0);
}

int IntegerParameter::fromNormalized(double normalized) const
{
    double r = min_ + (double(max_) - min_) * normalized;
    r = std::trunc(r >= 0 ? r + 0.5 : r - 0.5);
    // Clamped while still a double, so any input (NaN, huge) converts without overflow.
    return static_cast<int>(clampParam(r, min_, max_));
}

double IntegerParameter::getNormalized()
{
    return toNormalized(value());
}

double IntegerParameter::getNormalizedDefault()
{
    return toNormalized(default_);
}

void IntegerParameter::stringFromNormalizedValue(double normalized, char* buffer, size_t size)
{
    if (size > 0)
        std::snprintf(buffer, size, "%d", fromNormalized(normalized));
}

bool IntegerParameter::normalizedValueFromString(const char* text, double* normalized)
{
    *normalized = std::numeric_limits<double>::quiet_NaN();
    char copy[kParamTextBufferSize];
    if (!copyTypedParamText(text, copy))
        return false;
    const char* end = nullptr;
    bool error = false;
    // Without floats the reader clamps to the 32-bit signed range.
    double v = stb__clex_parse_number_literal(copy, &end, &error, false);
    *normalized = clampParam((v - min_) / (double(max_) - min_), 0.0, 1.0);
    return true;
}

void IntegerParameter::toStringN(char* buffer, size_t size)
{
    if (size > 0)
        std::snprintf(buffer, size, "%d", value());
}

int IntegerParameter::value()
{
    MutexLocker locker(valueLock_);
    return value_.load(std::memory_order_relaxed);
}

void IntegerParameter::setNormalized(double normalized)
{
    int v = fromNormalized(normalized);
    MutexLocker locker(valueLock_);
    value_.store(v, std::memory_order_release);
}

void IntegerParameter::setFromGUI(int v)
{
    double n;
    {
        MutexLocker locker(valueLock_);
        value_.store(clampInt(v, min_, max_), std::memory_order_release);
        n = getNormalized();
    }
    if (IHostCommand* host = hostCommand())
        host->paramAutomate(index(), static_cast<float>(n));
    notifyChanged();
}

void IntegerParameter::setFromGUINormalized(double normalized)
{
    setFromGUI(fromNormalized(clampParam(normalized, 0.0, 1.0)));
}

EnumParameter::EnumParameter(int index, const char* name, const char* const* labels, int count,
                             int defaultValue)
    : IntegerParameter(ParameterKind::Enum, index, name, "", 0, count - 1, defaultValue),
      labels_(nullptr),
      count_(count)
{
    if (count < 1)
        fatalError("EnumParameter needs at least one entry");
    labels_ = static_cast<char**>(safeMalloc(sizeof(char*) * size_t(count)));
    for (int i = 0; i < count; ++i)
        labels_[i] = stringDup(labels[i]);
}

EnumParameter::~EnumParameter()
{
    for (int i = 0; i < count_; ++i)
        std::free(labels_[i]);
    std::free(labels_);
}

void EnumParameter::stringFromNormalizedValue(double normalized, char* buffer, size_t size)
{
    copyParamText(buffer, size, labels_[fromNormalized(normalized)]);
}

bool EnumParameter::normalizedValueFromString(const char* text, double* normalized)
{
    *normalized = std::numeric_limits<double>::quiet_NaN();
    if (text == nullptr)
        return false;
    for (int i = 0; i < count_; ++i)
    {
        if (std::strcmp(labels_[i], text) == 0)
        {
            // With one entry 0 / 0 is NaN, which the clamp turns into 0.
            *normalized = clampParam(double(i) / double(count_ - 1), 0.0, 1.0);
            return true;
        }
    }
    return false;
}

void EnumParameter::toStringN(char* buffer, size_t size)
{
    copyParamText(buffer, size, labels_[value()]);
}

} // namespace plugkit
