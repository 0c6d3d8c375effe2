// The atlas tool's rendering, natively: every size has the agreed grid and
// every glyph fits its cell, and the atlases shipped in res/ are exactly what
// the tool renders from Debian's Fira Code.
#define STB_TRUETYPE_IMPLEMENTATION
#include "../tools/atlas_render.h"
#include "../tools/read_file.h"

#include "AtlasDecoding.h"

#include <stb_image.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {
const char* const kFont = "/usr/share/fonts/truetype/firacode/FiraCode-Regular.ttf";
}

TEST(AtlasTool, EverySizeHasItsGridAndEveryGlyphFitsItsCell)
{
    const std::vector<unsigned char> ttf = read_file(kFont);
    ASSERT_FALSE(ttf.empty()) << "install fonts-firacode";
    struct Size {
        int cell, width, height;
        const char* shipped;
    };
    const Size sizes[] = {{24, 512, 128, "res/fira-code.png"},
                          {36, 1024, 256, "res/fira-code-36.png"},
                          {48, 1024, 256, "res/fira-code-48.png"},
                          {72, 2048, 512, "res/fira-code-72.png"}};
    for (const Size& k : sizes) {
        SCOPED_TRACE(k.cell);
        RenderedAtlas atlas;
        ASSERT_EQ(render_atlas(ttf, k.cell, &atlas), 0);
        EXPECT_EQ(atlas.width, k.width);
        EXPECT_EQ(atlas.height, k.height);
        EXPECT_EQ(atlas.clipped, 0);
        // Every printable character but the space leaves ink in its own cell.
        for (int code = kAtlasFirst + 1; code <= kAtlasLast; ++code) {
            const int i = code - kAtlasFirst;
            const int x0 = (i % kAtlasPerRow) * k.cell, y0 = (i / kAtlasPerRow) * k.cell;
            int ink = 0;
            for (int y = y0; y < y0 + k.cell; ++y) {
                for (int x = x0; x < x0 + k.cell; ++x) {
                    ink += atlas.rgba[(static_cast<std::size_t>(y) * atlas.width + x) * 4 + 3] > 0 ? 1 : 0;
                }
            }
            EXPECT_GT(ink, 0) << static_cast<char>(code);
        }
        // The shipped file is this rendering, within the decoder's limits.
        int w = 0, h = 0;
        unsigned char* shipped = decode_atlas_file((std::string(BRINDLOW_ROOT) + "/" + k.shipped).c_str(), &w, &h);
        ASSERT_NE(shipped, nullptr) << k.shipped;
        EXPECT_EQ(w, k.width);
        EXPECT_EQ(h, k.height);
        EXPECT_TRUE(std::equal(atlas.rgba.begin(), atlas.rgba.end(), shipped)) << "run scripts/make-atlas";
        stbi_image_free(shipped);
    }
}
