#include "TestSupport.h"

#include <GL/gl.h>
#include <psapi.h>
#include <stb_image.h>

#include <cstdint>

namespace {
constexpr int kAtlasW = 512;
constexpr int kAtlasH = 128;
constexpr int kCell = 24;
constexpr int kPerRow = 19;
constexpr int kCells = 95;

// Each cell of the synthetic atlas is one opaque colour that names it; the
// padding beyond the grid is magenta, so sampling outside the grid shows.
Rgb cell_colour(int i) { return Rgb{20 + 2 * i, 250 - i, 30 + (i * 53) % 200}; }
constexpr Rgb kPadding{255, 0, 255};

std::string write_synthetic_atlas(const std::string& dir)
{
    std::vector<unsigned char> rgba(static_cast<std::size_t>(kAtlasW) * kAtlasH * 4);
    for (int y = 0; y < kAtlasH; ++y) {
        for (int x = 0; x < kAtlasW; ++x) {
            const int col = x / kCell, row = y / kCell;
            const int i = row * kPerRow + col;
            const Rgb c = (col < kPerRow && i < kCells) ? cell_colour(i) : kPadding;
            unsigned char* p = &rgba[(static_cast<std::size_t>(y) * kAtlasW + x) * 4];
            p[0] = static_cast<unsigned char>(c.r);
            p[1] = static_cast<unsigned char>(c.g);
            p[2] = static_cast<unsigned char>(c.b);
            p[3] = 255;
        }
    }
    const std::string path = dir + "\\atlas.png";
    write_png(path, kAtlasW, kAtlasH, rgba);
    return path;
}

class DisplayFontDraw : public OverlayTest {
protected:
    DisplayFont font;
    std::string atlas;

    void load_synthetic()
    {
        atlas = write_synthetic_atlas(
            fresh_temp_dir("font-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())));
        ASSERT_EQ(font.load_from_file(atlas.c_str(), kCell, kCell, kPerRow), 0);
    }
    void fail_load() { ASSERT_EQ(font.load_from_file("Z:\\no\\such\\atlas.png", kCell, kCell, kPerRow), -1); }
};
}

TEST_F(DisplayFontDraw, LoadKeepsGridAndImageSize)
{
    load_synthetic();
    EXPECT_EQ(font.path, atlas);
    EXPECT_EQ(font.width, kAtlasW);
    EXPECT_EQ(font.height, kAtlasH);
    EXPECT_EQ(font.glyph_width, kCell);
    EXPECT_EQ(font.glyph_height, kCell);
    EXPECT_EQ(font.glyphs_per_row, kPerRow);
    EXPECT_NE(font.texture, 0u);
    EXPECT_TRUE(glIsTexture(font.texture));
}

TEST_F(DisplayFontDraw, EachCharacterSamplesItsOwnCell)
{
    load_synthetic();
    struct Case {
        char c;
        int cell;
    };
    const Case cases[] = {
        {' ', 0}, // the top-left cell
        {'!', 1},  {'A', 33}, // column 14, row 1
        {'Z', 58}, {'~', 94}, // the last cell of the fifth row
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string("character ") + k.c);
        clear_to(kBlack);
        glColor3f(1.0f, 1.0f, 1.0f);
        draw_text(std::string(1, k.c), &font, 10, 10, 24.0f, 12.0f);
        // The corners pin the cell's edges exactly: one texel per pixel.
        for (int y : {10, 21, 33}) {
            for (int x : {10, 22, 33}) {
                EXPECT_EQ(read_pixel(x, y), cell_colour(k.cell)) << "at " << x << "," << y;
            }
        }
        EXPECT_EQ(read_pixel(9, 10), kBlack);
        EXPECT_EQ(read_pixel(34, 33), kBlack);
        EXPECT_EQ(read_pixel(10, 34), kBlack);
    }
}

TEST_F(DisplayFontDraw, SecondCharacterStartsOneAdvanceRightAndCoversTheFirst)
{
    load_synthetic();
    clear_to(kBlack);
    glColor3f(1.0f, 1.0f, 1.0f);
    draw_text("AB", &font, 10, 10, 24.0f, 12.0f);
    EXPECT_EQ(read_pixel(9, 20), kBlack);
    EXPECT_EQ(read_pixel(10, 20), cell_colour(33));
    EXPECT_EQ(read_pixel(21, 20), cell_colour(33));
    EXPECT_EQ(read_pixel(22, 20), cell_colour(34));
    EXPECT_EQ(read_pixel(45, 20), cell_colour(34));
    EXPECT_EQ(read_pixel(46, 20), kBlack);
}

TEST_F(DisplayFontDraw, TexelsAreMultipliedByTheCurrentColour)
{
    load_synthetic();
    clear_to(kBlack);
    glColor3f(0.0f, 1.0f, 0.0f);
    draw_text("A", &font, 10, 10, 24.0f, 12.0f);
    EXPECT_EQ(read_pixel(20, 20), (Rgb{0, cell_colour(33).g, 0}));
}

TEST_F(DisplayFontDraw, FailedLoadLeavesNoTextureAndDrawsSquares)
{
    fail_load();
    EXPECT_EQ(font.texture, 0u);
    EXPECT_EQ(font.glyph_width, kCell);
    EXPECT_EQ(font.glyphs_per_row, kPerRow);

    clear_to(kBlack);
    glColor3f(1.0f, 1.0f, 1.0f);
    draw_text("AB", &font, 10, 10, 24.0f, 12.0f);
    // Two squares, 10-33 and 22-45: together one band 10-45 wide, 10-33 high.
    for (int x = 10; x <= 45; ++x) {
        EXPECT_EQ(read_pixel(x, 10), kWhite) << x;
        EXPECT_EQ(read_pixel(x, 33), kWhite) << x;
    }
    EXPECT_EQ(read_pixel(9, 20), kBlack);
    EXPECT_EQ(read_pixel(46, 20), kBlack);
    EXPECT_EQ(read_pixel(20, 9), kBlack);
    EXPECT_EQ(read_pixel(20, 34), kBlack);
    font.free(); // deletes nothing: name 0
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DisplayFontDraw, EmptyTextDrawsNothing)
{
    fail_load();
    clear_to(kBlack);
    glColor3f(1.0f, 1.0f, 1.0f);
    draw_text("", &font, 10, 10, 24.0f, 12.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (int y = 0; y < OverlayWindow::kHeight; y += 3) {
        for (int x = 0; x < 60; ++x) {
            ASSERT_EQ(read_pixel(x, y), kBlack) << x << "," << y;
        }
    }
}

TEST_F(DisplayFontDraw, FreeDeletesTheTexture)
{
    load_synthetic();
    const unsigned int name = font.texture;
    font.free();
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(DisplayFontDraw, ShippedAtlasFollowsTheLayout)
{
    const std::string path = source_path("res/fira-code.png");
    int w = 0, h = 0;
    unsigned char* px = decode_atlas_file(path.c_str(), &w, &h);
    ASSERT_NE(px, nullptr) << path;
    ASSERT_EQ(w, kAtlasW);
    ASSERT_EQ(h, kAtlasH);
    for (int i = 0; i < kCells; ++i) {
        SCOPED_TRACE("cell " + std::to_string(i) + " '" + std::string(1, static_cast<char>(32 + i)) + "'");
        const int cx = (i % kPerRow) * kCell, cy = (i / kPerRow) * kCell;
        long covered = 0, not_white = 0;
        long weight = 0, sum_x = 0;
        for (int y = 0; y < kCell; ++y) {
            for (int x = 0; x < kCell; ++x) {
                const unsigned char* p = &px[((static_cast<std::size_t>(cy + y) * w) + cx + x) * 4];
                if (p[3] == 0) {
                    continue;
                }
                ++covered;
                if (p[0] != 255 || p[1] != 255 || p[2] != 255) {
                    ++not_white;
                }
                weight += p[3];
                sum_x += static_cast<long>(p[3]) * x;
            }
        }
        EXPECT_EQ(not_white, 0);
        if (i == 0) {
            EXPECT_EQ(covered, 0); // the space
            continue;
        }
        EXPECT_GT(covered, 0);
        // Glyphs sit in the middle of their cell's 12-pixel advance box (6-18),
        // so that 12-pixel steps read as evenly spaced text.
        const double centre = static_cast<double>(sum_x) / static_cast<double>(weight) + 0.5;
        EXPECT_GT(centre, 7.0);
        EXPECT_LT(centre, 17.0);
    }
    // Nothing outside the grid.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool in_grid = x < kPerRow * kCell && (y / kCell) * kPerRow + x / kCell < kCells;
            if (!in_grid) {
                ASSERT_EQ(px[((static_cast<std::size_t>(y) * w) + x) * 4 + 3], 0) << x << "," << y;
            }
        }
    }
    stbi_image_free(px);
}

namespace {
// A PNG signature and an IHDR chunk declaring the given size, then IEND: the
// header is well formed, the pixels never come.
std::vector<unsigned char> png_header(uint32_t w, uint32_t h)
{
    std::vector<unsigned char> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t v : {w, h}) {
        for (int s = 24; s >= 0; s -= 8) {
            b.push_back(static_cast<unsigned char>(v >> s));
        }
    }
    const unsigned char rest[] = {8, 6, 0, 0, 0,   0,   0,   0,   0, // RGBA8, CRC unchecked
                                  0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    b.insert(b.end(), rest, rest + sizeof rest);
    return b;
}

// A BMP header for a 24-bit image of the given size, with no pixel data.
std::vector<unsigned char> bmp_header(int32_t w, int32_t h)
{
    std::vector<unsigned char> b(54, 0);
    auto put32 = [&b](std::size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) {
            b[at + k] = static_cast<unsigned char>(v >> (8 * k));
        }
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, 54);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    b[26] = 1;
    b[28] = 24;
    return b;
}

SIZE_T peak_working_set()
{
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.PeakWorkingSetSize;
}
}

TEST_F(DisplayFontDraw, BadAtlasFilesFailWithoutCrashingOrExhaustingMemory)
{
    const std::string dir = fresh_temp_dir("bad-atlas");
    std::vector<unsigned char> good(4 * 64 * 64, 255);
    write_png(dir + "\\good.png", 64, 64, good);
    std::vector<unsigned char> truncated = read_whole_file(dir + "\\good.png");
    ASSERT_GT(truncated.size(), 60u);
    truncated.resize(truncated.size() / 2);
    const std::string text = "This is not an image.\n";

    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {"empty.png", {}},
        {"truncated.png", truncated},
        {"text.png", std::vector<unsigned char>(text.begin(), text.end())},
        {"huge-100000.png", png_header(100000, 100000)},
        {"huge-16384.png", png_header(16384, 16384)},
        {"wide-8192x1024.png", png_header(8192, 1024)},
        {"huge-16384.bmp", bmp_header(16384, 16384)},
    };
    for (const Case& k : cases) {
        write_file(dir + "\\" + k.name, k.bytes);
    }
    CreateDirectoryA((dir + "\\folder.png").c_str(), nullptr);

    // Inputs that overran the decoder's own buffers before they were checked.
    for (const char* corpus : {"jpeg-huffman-overflow.jpg", "jpeg-huffman-overflow-fill.jpg"}) {
        write_file(dir + "\\" + corpus, read_whole_file(source_path(std::string("fuzz/corpus/atlas/") + corpus)));
    }

    std::vector<std::string> names = {"missing.png", "folder.png", "jpeg-huffman-overflow.jpg",
                                      "jpeg-huffman-overflow-fill.jpg"};
    for (const Case& k : cases) {
        names.push_back(k.name);
    }
    const SIZE_T before = peak_working_set();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string path = dir + "\\" + name;
        DisplayFont f;
        EXPECT_EQ(f.load_from_file(path.c_str(), kCell, kCell, kPerRow), -1);
        EXPECT_EQ(f.texture, 0u);
    }
    const SIZE_T grown = peak_working_set() - before;
    EXPECT_LT(grown, static_cast<SIZE_T>(16 * 1024 * 1024)) << "peak working set grew by " << grown;

    // The overlay runs on with squares: the good file still loads afterwards.
    DisplayFont ok;
    EXPECT_EQ(ok.load_from_file((dir + "\\good.png").c_str(), 8, 8, 8), 0);
}

namespace {
void put_be32(std::vector<unsigned char>& out, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8) {
        out.push_back(static_cast<unsigned char>(v >> s));
    }
}

// A PNG of the given header whose one IDAT chunk holds `zlib`; the decoder
// checks neither the CRCs nor the checksum.
std::vector<unsigned char> png_file(uint32_t w, uint32_t h, unsigned char depth, unsigned char colour_type,
                                    const std::vector<unsigned char>& zlib)
{
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    put_be32(png, 13);
    png.insert(png.end(), {'I', 'H', 'D', 'R'});
    put_be32(png, w);
    put_be32(png, h);
    png.insert(png.end(), {depth, colour_type, 0, 0, 0});
    put_be32(png, 0);
    put_be32(png, static_cast<uint32_t>(zlib.size()));
    png.insert(png.end(), {'I', 'D', 'A', 'T'});
    png.insert(png.end(), zlib.begin(), zlib.end());
    put_be32(png, 0);
    put_be32(png, 0);
    png.insert(png.end(), {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    return png;
}

// A 16-bit RGB PNG of one row, its pixels in a stored (uncompressed) block.
std::vector<unsigned char> png16_row(const std::vector<uint16_t>& samples)
{
    std::vector<unsigned char> raw = {0}; // filter: none
    for (uint16_t v : samples) {
        raw.push_back(static_cast<unsigned char>(v >> 8));
        raw.push_back(static_cast<unsigned char>(v));
    }
    const uint16_t len = static_cast<uint16_t>(raw.size());
    std::vector<unsigned char> z = {0x78,
                                    0x01,
                                    0x01,
                                    static_cast<unsigned char>(len),
                                    static_cast<unsigned char>(len >> 8),
                                    static_cast<unsigned char>(~len),
                                    static_cast<unsigned char>((~len) >> 8)};
    z.insert(z.end(), raw.begin(), raw.end());
    put_be32(z, 0);
    return png_file(static_cast<uint32_t>(samples.size() / 3), 1, 16, 2, z);
}

// A zlib stream that inflates to 1 + 258 * copies zero bytes: one block of
// the fixed codes holding a literal zero, then `copies` matches of 258 bytes
// at distance 1, 13 bits each.
std::vector<unsigned char> zeros_zlib(std::size_t copies)
{
    std::vector<unsigned char> z = {0x78, 0x01};
    uint32_t bits = 0;
    int count = 0;
    // Deflate packs fields from the low bit up, but Huffman codes from their
    // high bit first.
    auto code = [&](uint32_t value, int n, bool huffman) {
        for (int i = 0; i < n; ++i) {
            const int bit = huffman ? n - 1 - i : i;
            bits |= ((value >> bit) & 1u) << count;
            if (++count == 8) {
                z.push_back(static_cast<unsigned char>(bits));
                bits = 0;
                count = 0;
            }
        }
    };
    code(1, 1, false); // last block
    code(1, 2, false); // fixed codes
    code(0x30, 8, true); // literal 0
    for (std::size_t i = 0; i < copies; ++i) {
        code(0xC5, 8, true); // length 258
        code(0, 5, true); // distance 1
    }
    code(0, 7, true); // end of block
    code(0, 7, false); // to a whole byte
    put_be32(z, 0);
    return z;
}
}

// A 1 x 1 image whose data inflates to 100 MB: the decoder grows its output
// buffer for as long as the data goes on, and would hand back the first
// pixel once it had written all of it.
TEST(AtlasDecoding, DataThatInflatesFarPastTheImageIsRefusedInBoundedMemory)
{
    const std::vector<unsigned char> png = png_file(1, 1, 8, 6, zeros_zlib(100u * 1024u * 1024u / 258u));
    ASSERT_LT(png.size(), static_cast<std::size_t>(kMaxAtlasFileBytes));
    const SIZE_T before = peak_working_set();
    int w = 0, h = 0;
    unsigned char* px = decode_atlas_memory(png.data(), png.size(), &w, &h);
    const SIZE_T grown = peak_working_set() - before;
    EXPECT_EQ(px, nullptr);
    stbi_image_free(px);
    EXPECT_LT(grown, static_cast<SIZE_T>(80 * 1024 * 1024)) << "peak working set grew by " << grown;
}

TEST(AtlasDecoding, SixteenBitImagesKeepTheirColours)
{
    const std::string dir = fresh_temp_dir("sixteen-bit");
    write_file(dir + "\\wide.png", png16_row({0x1234, 0xABCD, 0xFF00, 0x0001, 0x8000, 0x7FFF}));
    int w = 0, h = 0;
    unsigned char* px = decode_atlas_file((dir + "\\wide.png").c_str(), &w, &h);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 1);
    const unsigned char expected[] = {0x12, 0xAB, 0xFF, 255, 0x00, 0x80, 0x7F, 255};
    EXPECT_EQ(std::vector<unsigned char>(px, px + 8), std::vector<unsigned char>(expected, expected + 8));
    stbi_image_free(px);
}

TEST(AtlasDecoding, SixteenBitPpmDecodesWithinItsBuffer)
{
    // The decoder's own conversion of this file overruns its buffer; ours
    // gives whole, opaque pixels.
    const std::string dir = fresh_temp_dir("sixteen-bit-ppm");
    write_file(dir + "\\f.ppm", read_whole_file(source_path("fuzz/corpus/atlas/f.ppm")));
    int w = 0, h = 0;
    unsigned char* px = decode_atlas_file((dir + "\\f.ppm").c_str(), &w, &h);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    for (int i = 0; i < w * h; ++i) {
        EXPECT_EQ(px[i * 4], 255);
        EXPECT_EQ(px[i * 4 + 3], 255);
    }
    stbi_image_free(px);
}
