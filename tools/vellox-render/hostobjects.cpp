#include "hostobjects.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vellox::render
{

namespace
{

// queryInterface for an object answering FUnknown and one interface.
template <class I>
vst::tresult answer(I* self, const vst::TUID iid, void** obj)
{
    if (obj == nullptr)
        return vst::kInvalidArgument;
    if (vst::sameID(iid, vst::FUnknown::iid) || vst::sameID(iid, I::iid))
    {
        self->addRef();
        *obj = self;
        return vst::kResultOk;
    }
    *obj = nullptr;
    return vst::kNoInterface;
}

} // namespace

void toUtf16(const std::string& text, vst::char16* out, size_t size)
{
    size_t n = 0;
    for (size_t i = 0; i < text.size() && n + 1 < size;)
    {
        // Decode one UTF-8 sequence; malformed bytes are taken as Latin-1.
        unsigned char c = static_cast<unsigned char>(text[i]);
        uint32_t cp = c;
        size_t len = 1;
        if (c >= 0xC0 && c < 0xE0 && i + 1 < text.size())
            cp = ((c & 0x1Fu) << 6) | (text[i + 1] & 0x3Fu), len = 2;
        else if (c >= 0xE0 && c < 0xF0 && i + 2 < text.size())
            cp = ((c & 0x0Fu) << 12) | ((text[i + 1] & 0x3Fu) << 6) | (text[i + 2] & 0x3Fu), len = 3;
        i += len;
        out[n++] = vst::char16(cp > 0xFFFF ? '?' : cp);
    }
    if (size > 0)
        out[n] = 0;
}

std::string fromUtf16(const vst::char16* text, size_t size)
{
    std::string s;
    for (size_t i = 0; i < size && text[i] != 0; ++i)
    {
        uint32_t c = text[i];
        if (c < 0x80)
            s += char(c);
        else if (c < 0x800)
        {
            s += char(0xC0 | (c >> 6));
            s += char(0x80 | (c & 0x3F));
        }
        else
        {
            s += char(0xE0 | (c >> 12));
            s += char(0x80 | ((c >> 6) & 0x3F));
            s += char(0x80 | (c & 0x3F));
        }
    }
    return s;
}

vst::tresult HostApplication::queryInterface(const vst::TUID iid, void** obj)
{
    return answer<vst::IHostApplication>(this, iid, obj);
}

vst::tresult HostApplication::getName(vst::String128 name)
{
    toUtf16("vellox-render", name, 128);
    return vst::kResultOk;
}

vst::tresult HostApplication::createInstance(vst::TUID, vst::TUID, void** obj)
{
    // No host-side message or attribute objects: this host connects no separate parts.
    if (obj != nullptr)
        *obj = nullptr;
    return vst::kNotImplemented;
}

vst::tresult ComponentHandler::queryInterface(const vst::TUID iid, void** obj)
{
    return answer<vst::IComponentHandler>(this, iid, obj);
}

vst::tresult ComponentHandler::performEdit(vst::ParamID, vst::ParamValue)
{
    ++edits;
    return vst::kResultOk;
}

vst::tresult MemoryStream::queryInterface(const vst::TUID iid, void** obj)
{
    return answer<vst::IBStream>(this, iid, obj);
}

vst::tresult MemoryStream::read(void* buffer, vst::int32 numBytes, vst::int32* numBytesRead)
{
    if (numBytesRead != nullptr)
        *numBytesRead = 0;
    if (numBytes < 0 || (buffer == nullptr && numBytes > 0))
        return vst::kInvalidArgument;
    size_t available = position < data.size() ? data.size() - position : 0;
    size_t n = std::min(size_t(numBytes), available);
    if (n > 0)
        std::memcpy(buffer, data.data() + position, n);
    position += n;
    if (numBytesRead != nullptr)
        *numBytesRead = vst::int32(n);
    return vst::kResultOk;
}

vst::tresult MemoryStream::write(void* buffer, vst::int32 numBytes, vst::int32* numBytesWritten)
{
    if (numBytesWritten != nullptr)
        *numBytesWritten = 0;
    if (numBytes < 0 || (buffer == nullptr && numBytes > 0))
        return vst::kInvalidArgument;
    size_t end = position + size_t(numBytes);
    if (end > data.size())
        data.resize(end, 0);
    if (numBytes > 0)
        std::memcpy(data.data() + position, buffer, size_t(numBytes));
    position = end;
    if (numBytesWritten != nullptr)
        *numBytesWritten = numBytes;
    return vst::kResultOk;
}

vst::tresult MemoryStream::seek(vst::int64 pos, vst::int32 mode, vst::int64* result)
{
    vst::int64 base = 0;
    switch (mode)
    {
    case vst::IBStream::kIBSeekSet: base = 0; break;
    case vst::IBStream::kIBSeekCur: base = vst::int64(position); break;
    case vst::IBStream::kIBSeekEnd: base = vst::int64(data.size()); break;
    default: return vst::kInvalidArgument;
    }
    if ((pos > 0 && base > std::numeric_limits<vst::int64>::max() - pos) || base + pos < 0)
        return vst::kInvalidArgument;
    position = size_t(base + pos);
    if (result != nullptr)
        *result = vst::int64(position);
    return vst::kResultOk;
}

vst::tresult MemoryStream::tell(vst::int64* pos)
{
    if (pos == nullptr)
        return vst::kInvalidArgument;
    *pos = vst::int64(position);
    return vst::kResultOk;
}

vst::tresult ParamValueQueue::queryInterface(const vst::TUID iid, void** obj)
{
    return answer<vst::IParamValueQueue>(this, iid, obj);
}

vst::tresult ParamValueQueue::getPoint(vst::int32 index, vst::int32& sampleOffset,
                                       vst::ParamValue& value)
{
    if (index < 0 || size_t(index) >= points.size())
        return vst::kInvalidArgument;
    sampleOffset = points[size_t(index)].first;
    value = points[size_t(index)].second;
    return vst::kResultOk;
}

vst::tresult ParamValueQueue::addPoint(vst::int32 sampleOffset, vst::ParamValue value,
                                       vst::int32& index)
{
    // Points stay ordered by offset; a second point at the same offset replaces the first.
    auto it = std::lower_bound(points.begin(), points.end(), sampleOffset,
                               [](const auto& p, vst::int32 o) { return p.first < o; });
    if (it != points.end() && it->first == sampleOffset)
        it->second = value;
    else
        it = points.insert(it, {sampleOffset, value});
    index = vst::int32(it - points.begin());
    return vst::kResultOk;
}

vst::tresult ParameterChanges::queryInterface(const vst::TUID iid, void** obj)
{
    return answer<vst::IParameterChanges>(this, iid, obj);
}

vst::IParamValueQueue* ParameterChanges::getParameterData(vst::int32 index)
{
    if (index < 0 || size_t(index) >= queues.size())
        return nullptr;
    return queues[size_t(index)].get();
}

vst::IParamValueQueue* ParameterChanges::addParameterData(const vst::ParamID& id, vst::int32& index)
{
    for (size_t i = 0; i < queues.size(); ++i)
    {
        if (queues[i]->getParameterId() == id)
        {
            index = vst::int32(i);
            return queues[i].get();
        }
    }
    queues.push_back(std::make_unique<ParamValueQueue>(id));
    index = vst::int32(queues.size() - 1);
    return queues.back().get();
}

} // namespace vellox::render
