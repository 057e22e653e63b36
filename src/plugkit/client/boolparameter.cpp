#include "plugkit/client/boolparameter.h"

#include <cstring>
#include <limits>

#include "plugkit/client/ihostcommand.h"

namespace plugkit
{

BoolParameter::BoolParameter(int index, const char* name, bool defaultValue)
    : Parameter(ParameterKind::Bool, index, name, ""), value_(defaultValue), default_(defaultValue)
{
}

double BoolParameter::getNormalized()
{
    return value() ? 1.0 : 0.0;
}

double BoolParameter::getNormalizedDefault()
{
    return default_ ? 1.0 : 0.0;
}

void BoolParameter::stringFromNormalizedValue(double normalized, char* buffer, size_t size)
{
    copyParamText(buffer, size, fromNormalized(normalized) ? "yes" : "no");
}

bool BoolParameter::normalizedValueFromString(const char* text, double* normalized)
{
    *normalized = std::numeric_limits<double>::quiet_NaN();
    if (text != nullptr && std::strcmp(text, "yes") == 0)
    {
        *normalized = 1.0;
        return true;
    }
    if (text != nullptr && std::strcmp(text, "no") == 0)
    {
        *normalized = 0.0;
        return true;
    }
    return false;
}

void BoolParameter::toStringN(char* buffer, size_t size)
{
    copyParamText(buffer, size, value() ? "yes" : "no");
}

bool BoolParameter::value()
{
    MutexLocker locker(valueLock_);
    return value_.load(std::memory_order_relaxed);
}

void BoolParameter::setNormalized(double normalized)
{
    bool v = fromNormalized(normalized);
    MutexLocker locker(valueLock_);
    value_.store(v, std::memory_order_release);
}

void BoolParameter::setFromGUI(bool v)
{
    double n;
    {
        MutexLocker locker(valueLock_);
        value_.store(v, std::memory_order_release);
        n = getNormalized();
    }
    if (IHostCommand* host = hostCommand())
        host->paramAutomate(index(), static_cast<float>(n));
    notifyChanged();
}

} // namespace plugkit
