// The one translation unit that compiles the image decoder, with every format
// it knows, and the bounded atlas decoding built on it.
#include "DisplayFont.h"

#include <cstdio>
#include <vector>

// The decoder's default limit (2^24 per side) lets a 40-byte header ask for
// gigabytes; no atlas is wider or taller than this.
#define STBI_MAX_DIMENSIONS 8192
#define STB_IMAGE_IMPLEMENTATION

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#elif defined(_MSC_VER)
#pragma warning(push, 0)
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#elif defined(_MSC_VER)
#pragma warning(pop)
#endif

unsigned char* decode_atlas_memory(const unsigned char* data, std::size_t size, int* w, int* h)
{
    if (data == nullptr || size == 0 || size > static_cast<std::size_t>(kMaxAtlasFileBytes)) {
        return nullptr;
    }
    const int len = static_cast<int>(size);
    int channels = 0;
    // The header alone says how much the pixels will take; refuse before the
    // decoder allocates for them.
    if (!stbi_info_from_memory(data, len, w, h, &channels)) {
        return nullptr;
    }
    if (*w <= 0 || *h <= 0 || static_cast<long long>(*w) * *h > kMaxAtlasPixels) {
        return nullptr;
    }
    return stbi_load_from_memory(data, len, w, h, &channels, 4);
}

unsigned char* decode_atlas_file(const char* file_path, int* w, int* h)
{
    std::FILE* f = std::fopen(file_path, "rb");
    if (f == nullptr) {
        return nullptr;
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    std::size_t n = 0;
    bool too_big = false;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (bytes.size() + n > static_cast<std::size_t>(kMaxAtlasFileBytes)) {
            too_big = true;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (too_big || failed) {
        return nullptr;
    }
    return decode_atlas_memory(bytes.data(), bytes.size(), w, h);
}
