#pragma once

#include <cstddef>

// Atlas decoding, kept free of Windows and OpenGL so that it also builds and is
// fuzzed natively. Both return 8-bit RGBA pixels to release with
// stbi_image_free, or null; *w and *h are left as the decoder left them.
// Images beyond kMaxAtlasPixels are refused before any pixel is decoded.
constexpr long long kMaxAtlasPixels = 1024LL * 1024LL; // 4 MB of RGBA
constexpr long long kMaxAtlasFileBytes = 16LL * 1024LL * 1024LL;
unsigned char* decode_atlas_memory(const unsigned char* data, std::size_t size, int* w, int* h);
// On failure *why, when given, says what was wrong, as the end of a sentence
// about the file: "is missing", "cannot be read", "is too large", "is not an
// image it can use".
unsigned char* decode_atlas_file(const char* file_path, int* w, int* h, const char** why = nullptr);
