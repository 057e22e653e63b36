// Feeds arbitrary bytes to loadStateChunk on a fresh VelloxClient. Beyond the sanitizers'
// checks, whatever state an accepted or rejected chunk leaves must write a chunk that loads
// into another fresh client and writes back byte for byte.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/main.h"
#include "plugkit/client/presetbank.h"
#include "plugkit/core/memory.h"

namespace
{

void writeChunk(plugkit::Client& c, plugkit::Vec<uint8_t>& out)
{
    out.clearContents();
    c.presetBank()->writeStateChunk(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto* client = plugkit::mallocNew<vellox::VelloxClient>();
    bool error = false;
    client->presetBank()->loadStateChunk(data, size, &error);

    plugkit::Vec<uint8_t> first;
    writeChunk(*client, first);
    if (first.length() != 120)
        __builtin_trap();

    auto* second = plugkit::mallocNew<vellox::VelloxClient>();
    bool secondError = true;
    second->presetBank()->loadStateChunk(first.ptr(), first.length(), &secondError);
    if (secondError)
        __builtin_trap();
    plugkit::Vec<uint8_t> again;
    writeChunk(*second, again);
    if (again.length() != first.length() ||
        std::memcmp(again.ptr(), first.ptr(), first.length()) != 0)
        __builtin_trap();

    plugkit::destroyFree(second);
    plugkit::destroyFree(client);
    return 0;
}
