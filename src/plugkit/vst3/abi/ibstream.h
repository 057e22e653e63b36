#pragma once
// IBStream: the host's byte stream for state save and restore. Read and write share one
// position.

#include "plugkit/vst3/abi/funknown.h"

namespace plugkit::vst3
{

class IBStream : public FUnknown
{
public:
    enum SeekMode : int32
    {
        kIBSeekSet = 0, // absolute
        kIBSeekCur = 1, // relative to the current position
        kIBSeekEnd = 2  // relative to the end
    };

    virtual tresult PLUGKIT_VST3_CALL read(void* buffer, int32 numBytes, int32* numBytesRead = nullptr) = 0;
    virtual tresult PLUGKIT_VST3_CALL write(void* buffer, int32 numBytes, int32* numBytesWritten = nullptr) = 0;
    virtual tresult PLUGKIT_VST3_CALL seek(int64 pos, int32 mode, int64* result = nullptr) = 0;
    virtual tresult PLUGKIT_VST3_CALL tell(int64* pos) = 0;

    static constexpr InterfaceID iid = makeInterfaceID(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

protected:
    ~IBStream() = default;
};

} // namespace plugkit::vst3
