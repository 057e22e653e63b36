#include "plugkit/vst3/text16.h"

namespace plugkit
{

void copyTextField(char* field, const char* text, size_t size)
{
    size_t i = 0;
    if (text != nullptr)
        for (; i < size && text[i] != '\0'; ++i)
            field[i] = text[i];
    for (; i < size; ++i)
        field[i] = '\0';
}

void widenTextField(vst3::char16* field, const char* text, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        field[i] = static_cast<vst3::char16>(static_cast<unsigned char>(text[i]));
}

void widenText(vst3::char16* out, const char* text, size_t size)
{
    if (size == 0)
        return;
    size_t i = 0;
    if (text != nullptr)
        for (; i + 1 < size && text[i] != '\0'; ++i)
            out[i] = static_cast<vst3::char16>(static_cast<unsigned char>(text[i]));
    out[i] = 0;
}

void narrowTextLowByte(char* out, size_t size, const vst3::char16* text, size_t maxUnits)
{
    if (size == 0)
        return;
    size_t i = 0;
    if (text != nullptr)
        for (; i + 1 < size && i < maxUnits && text[i] != 0; ++i)
            out[i] = static_cast<char>(text[i] & 0xFF);
    out[i] = '\0';
}

void narrowHostName(char* out, size_t size, const vst3::char16* text, size_t maxUnits)
{
    if (size == 0)
        return;
    size_t i = 0;
    if (text != nullptr)
    {
        for (; i + 1 < size && i < maxUnits && text[i] != 0; ++i)
        {
            vst3::char16 c = text[i];
            if (c >= 0x7F)
                out[i] = '?';
            else if (c >= 'A' && c <= 'Z')
                out[i] = static_cast<char>(c - 'A' + 'a');
            else
                out[i] = static_cast<char>(c);
        }
    }
    out[i] = '\0';
}

} // namespace plugkit
