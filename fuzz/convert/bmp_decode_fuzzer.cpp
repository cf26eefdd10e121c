// Any bytes as a BMP file: the decoder must refuse or decode, never misbehave.
#include "outside/convert/bmp_format.h"
#include "platform/win/memory.h"
#include "platform/win/resolution.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HDIB dib = convert::decodeBmp(data, size, {});
    if (dib) {
        convert::DibReader reader;
        if (!reader.open(dib)) __builtin_trap();  // what the decoder makes must be a valid DIB
        // A resolution is either known or 0.
        for (LONG pels : {reader.header().biXPelsPerMeter, reader.header().biYPelsPerMeter})
            if (pels != suite::KnownPelsPerMeter(pels)) __builtin_trap();
        GlobalFree(dib);
    }
    return 0;
}
