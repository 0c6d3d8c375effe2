// The one translation unit that compiles the image decoder, with every format
// it knows, and the bounded atlas decoding built on it.
#include "AtlasDecoding.h"

#include "FileBytes.h"

#include <cstdio>
#include <cstdlib>

// The decoder's default limit (2^24 per side) lets a 40-byte header ask for
// gigabytes; no atlas is wider or taller than this.
#define STBI_MAX_DIMENSIONS 8192

namespace {
// The decoder also sizes blocks from fields it has not checked against the
// data: a PNG chunk's declared length is allocated before the chunk is read
// (a 60-byte file asked for 1.1 GB), and compressed pixel data may inflate far
// past the image's size. No block a usable atlas needs comes near this
// (the largest, 2048 x 512 at 16 bits per channel, is 8 MB; the compressed
// data of a 16 MB file, doubled, is 32 MB), so anything larger is refused
// and the decoder fails with "out of memory".
constexpr std::size_t kMaxDecoderBlock = 64u * 1024u * 1024u;

// Zeroed, because the JPEG decoder lets a scan name a Huffman table that no
// DHT segment defined and then decodes with whatever its block held, reading
// far outside the table's arrays. A zeroed table has no codes: it decodes
// every code as symbol 0 and never indexes past anything.
void* bounded_malloc(std::size_t size) { return size <= kMaxDecoderBlock ? std::calloc(1, size) : nullptr; }

// Like realloc, a refused block leaves the old one to the caller.
void* bounded_realloc(void* block, std::size_t size)
{
    return size <= kMaxDecoderBlock ? std::realloc(block, size) : nullptr;
}
}

#define STBI_MALLOC(size) bounded_malloc(size)
#define STBI_REALLOC(block, size) bounded_realloc(block, size)
#define STBI_FREE(block) std::free(block)
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

namespace {
// 16-bit images are decoded at their own channel count and narrowed here:
// this decoder's PNM path, asked for another channel count, converts a
// 16-bit image with its 8-bit routine and then reads past the end of the
// result (a heap overflow that a 16-bit PPM triggers).
unsigned char* decode_16_bit(const unsigned char* data, int len, int* w, int* h)
{
    int n = 0;
    stbi_us* wide = stbi_load_16_from_memory(data, len, w, h, &n, 0);
    if (wide == nullptr) {
        return nullptr;
    }
    const long long count = static_cast<long long>(*w) * *h;
    if (n < 1 || n > 4 || *w <= 0 || *h <= 0 || count > kMaxAtlasPixels) {
        stbi_image_free(wide);
        return nullptr;
    }
    // stbi_image_free releases what the caller gets back: allocate alike.
    unsigned char* out = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(count) * 4));
    if (out != nullptr) {
        for (long long i = 0; i < count; ++i) {
            const stbi_us* src = wide + i * n;
            unsigned char* dst = out + i * 4;
            const bool grey = n < 3;
            dst[0] = static_cast<unsigned char>(src[0] >> 8);
            dst[1] = static_cast<unsigned char>(src[grey ? 0 : 1] >> 8);
            dst[2] = static_cast<unsigned char>(src[grey ? 0 : 2] >> 8);
            dst[3] = (n == 2 || n == 4) ? static_cast<unsigned char>(src[n - 1] >> 8) : 255;
        }
    }
    stbi_image_free(wide);
    return out;
}
}

// This decoder builds each JPEG Huffman table into a 257-entry array without
// checking that the table's 16 code counts add up to at most 256: a crafted
// table writes past the array. Every table (DHT segment) is checked first.
// Outside segments, entropy-coded data never holds 0xFF 0xC4 (0xFF is
// always followed by 0x00 or a marker there), so scanning for the marker
// finds the tables of later scans too.
bool jpeg_huffman_tables_fit(const unsigned char* data, std::size_t size)
{
    // The decoder takes any run of 0xFF fill bytes and then 0xD8 as a JPEG.
    std::size_t soi = 0;
    while (soi < size && data[soi] == 0xFF) {
        ++soi;
    }
    if (soi == 0 || soi >= size || data[soi] != 0xD8) {
        return true; // not a JPEG
    }
    for (std::size_t i = soi + 1; i + 1 < size; ++i) {
        if (data[i] != 0xFF || data[i + 1] != 0xC4) {
            continue;
        }
        if (i + 4 > size) {
            return false;
        }
        const std::size_t length = (static_cast<std::size_t>(data[i + 2]) << 8) | data[i + 3];
        std::size_t at = i + 4;
        const std::size_t end = i + 2 + length;
        while (at < end && at < size) {
            if (at + 17 > size) {
                return false;
            }
            std::size_t symbols = 0;
            for (int k = 1; k <= 16; ++k) {
                symbols += data[at + k];
            }
            if (symbols > 256) {
                return false;
            }
            at += 17 + symbols;
        }
    }
    return true;
}

// The PNM header's numbers are read into an int with no overflow check; ten
// digits or more overflow it. The three header numbers are checked first.
bool pnm_header_numbers_fit(const unsigned char* data, std::size_t size)
{
    if (size < 2 || data[0] != 'P' || (data[1] != '5' && data[1] != '6')) {
        return true; // not a PNM the decoder reads
    }
    std::size_t at = 2;
    for (int number = 0; number < 3; ++number) {
        // Blanks and comments, as the decoder skips them.
        while (at < size) {
            const unsigned char c = data[at];
            if (c == ' ' || (c >= '\t' && c <= '\r')) {
                ++at;
            } else if (c == '#') {
                while (at < size && data[at] != '\n' && data[at] != '\r') {
                    ++at;
                }
            } else {
                break;
            }
        }
        std::size_t digits = 0;
        while (at < size && data[at] >= '0' && data[at] <= '9') {
            ++digits;
            ++at;
        }
        if (digits > 9) {
            return false;
        }
    }
    return true;
}

unsigned char* decode_atlas_memory(const unsigned char* data, std::size_t size, int* w, int* h)
{
    if (data == nullptr || size == 0 || size > static_cast<std::size_t>(kMaxAtlasFileBytes)) {
        return nullptr;
    }
    const int len = static_cast<int>(size);
    int channels = 0;
    // Even reading the header builds a JPEG's tables.
    if (!jpeg_huffman_tables_fit(data, size) || !pnm_header_numbers_fit(data, size)) {
        return nullptr;
    }
    // The header alone says how much the pixels will take; refuse before the
    // decoder allocates for them.
    if (!stbi_info_from_memory(data, len, w, h, &channels)) {
        return nullptr;
    }
    if (*w <= 0 || *h <= 0 || static_cast<long long>(*w) * *h > kMaxAtlasPixels) {
        return nullptr;
    }
    if (stbi_is_16_bit_from_memory(data, len)) {
        return decode_16_bit(data, len, w, h);
    }
    return stbi_load_from_memory(data, len, w, h, &channels, 4);
}

unsigned char* decode_atlas_file(const char* file_path, int* w, int* h, const char** why)
{
    const char* ignored = nullptr;
    const char*& reason = why != nullptr ? *why : ignored;
    std::string bytes;
    bool missing = false;
    if (read_file_bytes(file_path, static_cast<std::size_t>(kMaxAtlasFileBytes) + 1, &bytes, &missing) != 0) {
        reason = missing ? "is missing" : "cannot be read";
        return nullptr;
    }
    if (bytes.size() > static_cast<std::size_t>(kMaxAtlasFileBytes)) {
        reason = "is too large";
        return nullptr;
    }
    *w = 0;
    *h = 0;
    unsigned char* pixels =
        decode_atlas_memory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), w, h);
    if (pixels == nullptr) {
        // The header was read but its size refused.
        const bool huge = *w > 0 && *h > 0 && static_cast<long long>(*w) * *h > kMaxAtlasPixels;
        reason = huge ? "is too large" : "is not an image it can use";
    }
    return pixels;
}
