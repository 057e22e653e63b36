#include "plugkit/core/numberparse.h"

#include <cmath>
#include <limits>

namespace plugkit
{

namespace
{

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// True when `p` starts with `word` in any letter case.
bool startsWithNoCase(const char* p, const char* word)
{
    for (; *word; ++p, ++word)
        if (lower(*p) != *word)
            return false;
    return true;
}

// base^exponent by repeated squaring; a negative exponent divides.
double applyExponent(double value, double base, int exponent)
{
    bool negative = exponent < 0;
    unsigned e = negative ? 0u - unsigned(exponent) : unsigned(exponent);
    double power = 1.0;
    while (e != 0)
    {
        if (e & 1)
            power *= base;
        base *= base;
        e >>= 1;
    }
    return negative ? value / power : value * power;
}

int readExponent(const char*& p)
{
    bool negative = false;
    if (*p == '+' || *p == '-')
    {
        negative = *p == '-';
        ++p;
    }
    int e = 0;
    while (*p >= '0' && *p <= '9')
    {
        if (e < 100000) // beyond this every double is 0 or infinity anyway
            e = e * 10 + (*p - '0');
        ++p;
    }
    return negative ? -e : e;
}

} // namespace

double stb__clex_parse_number_literal(const char* p, const char** end, bool* error,
                                      bool allowFloats)
{
    while (isBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
    {
        negative = *p == '-';
        ++p;
    }

    double value = 0.0;
    if (allowFloats && startsWithNoCase(p, "inf"))
    {
        p += startsWithNoCase(p, "infinity") ? 8 : 3;
        value = std::numeric_limits<double>::infinity();
    }
    else if (allowFloats && startsWithNoCase(p, "nan"))
    {
        p += 3;
        value = std::numeric_limits<double>::quiet_NaN();
    }
    else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
    {
        p += 2;
        for (int d; (d = hexDigit(*p)) >= 0; ++p)
            value = value * 16 + d;
        if (allowFloats)
        {
            if (*p == '.')
            {
                ++p;
                double scale = 1.0 / 16;
                for (int d; (d = hexDigit(*p)) >= 0; ++p, scale /= 16)
                    value += d * scale;
            }
            if (*p == 'p' || *p == 'P')
            {
                ++p;
                value = applyExponent(value, 2.0, readExponent(p));
            }
        }
    }
    else
    {
        for (; *p >= '0' && *p <= '9'; ++p)
            value = value * 10 + (*p - '0');
        if (allowFloats)
        {
            if (*p == '.')
            {
                ++p;
                double scale = 0.1;
                for (; *p >= '0' && *p <= '9'; ++p, scale /= 10)
                    value += (*p - '0') * scale;
            }
            if (*p == 'e' || *p == 'E')
            {
                ++p;
                value = applyExponent(value, 10.0, readExponent(p));
            }
        }
    }

    if (end != nullptr)
        *end = p;
    if (error != nullptr)
        *error = false;
    if (negative)
        value = -value;
    if (!allowFloats)
    {
        if (value < -2147483648.0)
            value = -2147483648.0;
        if (value > 2147483647.0)
            value = 2147483647.0;
    }
    return value;
}

} // namespace plugkit
