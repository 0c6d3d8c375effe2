// libFuzzer target: any bytes as a font atlas, decoded exactly as the font
// loads it (bounded before decoding).
#include "AtlasDecoding.h"

#include <stb_image.h>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int w = 0, h = 0;
    unsigned char* pixels = decode_atlas_memory(data, size, &w, &h);
    if (pixels != nullptr) {
        if (w <= 0 || h <= 0 || static_cast<long long>(w) * h > kMaxAtlasPixels) {
            __builtin_trap();
        }
        // Touch the last pixel: the buffer must hold w x h RGBA.
        volatile unsigned char last = pixels[static_cast<size_t>(w) * h * 4 - 1];
        (void)last;
        stbi_image_free(pixels);
    }
    return 0;
}
