// Sayvane's icon at the sizes Windows asks for, and the icon file built from it.
#include <gtest/gtest.h>

#include <cstring>

#include "art/IconArt.h"

namespace sayvane::art {
namespace {

// A pixel's alpha, red, green and blue.
struct Argb {
    int a, r, g, b;
};
Argb Split(std::uint32_t p) {
    return {static_cast<int>(p >> 24), static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
            static_cast<int>(p & 0xFF)};
}

struct Census {
    int opaque = 0;
    int partial = 0;
    int green = 0;  // the scope's and the sweep's greens
    int red = 0;    // the disabled bar
    int light = 0;  // the balloon
};

Census Count(const Image& image) {
    Census c;
    for (const std::uint32_t pixel : image.pixels) {
        const auto [a, r, g, b] = Split(pixel);
        c.opaque += a == 255 ? 1 : 0;
        c.partial += a > 0 && a < 255 ? 1 : 0;
        c.green += a > 0 && g > r + 40 && g > b + 20 ? 1 : 0;
        c.red += a > 0 && r > 150 && g < 80 ? 1 : 0;
        c.light += a == 255 && r > 200 && g > 200 && b > 200 ? 1 : 0;
    }
    return c;
}

TEST(IconArt, ReadableAndDisabledAtEveryTraySize) {
    for (const int size : {16, 20, 24, 32}) {
        SCOPED_TRACE(size);
        const Image enabled = DrawSayvaneIcon(size, IconLook::Enabled);
        const Image disabled = DrawSayvaneIcon(size, IconLook::Disabled);
        for (const Image* image : {&enabled, &disabled}) {
            ASSERT_EQ(image->width, size);
            ASSERT_EQ(image->height, size);
            ASSERT_EQ(image->pixels.size(), static_cast<std::size_t>(size * size));
            // Round, not square: the corners away from the shapes are see-through.
            EXPECT_EQ(Split(image->At(0, 0)).a, 0);
            EXPECT_EQ(Split(image->At(size - 1, size - 1)).a, 0);
        }
        const Census on = Count(enabled);
        const Census off = Count(disabled);
        // The balloon, white; grey and crossed by the bar when disabled.
        EXPECT_GT(on.light, size);
        EXPECT_GT(off.light, size / 4);
        // The balloon's middle is solid and white.
        const Argb balloon = Split(enabled.At(size * 71 / 100, size * 22 / 100));
        EXPECT_EQ(balloon.a, 255);
        EXPECT_GT(balloon.r + balloon.g + balloon.b, 3 * 240);
        // Enabled: a solid green scope fills a good part of it, and no red.
        EXPECT_GT(on.green, size * size / 4);
        EXPECT_EQ(on.red, 0);
        EXPECT_GT(on.opaque, size * size * 2 / 5);
        // Disabled: grey, with a red bar right across.
        EXPECT_EQ(off.green, 0);
        EXPECT_GT(off.red, size * 3 / 2);
        EXPECT_GT(Split(disabled.At(size / 2, size / 2)).r, 150) << "the bar crosses the middle";
        // Edges are smoothed, not stepped.
        EXPECT_GT(on.partial, size);
    }
}

TEST(IconArt, SizesOutsideTheRangeAreClamped) {
    EXPECT_EQ(DrawSayvaneIcon(0, IconLook::Enabled).width, 1);
    EXPECT_EQ(DrawSayvaneIcon(-5, IconLook::Enabled).pixels.size(), 1u);
    EXPECT_EQ(DrawSayvaneIcon(5000, IconLook::Enabled).width, 256);
}

std::uint32_t Read(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | bytes.at(at + static_cast<std::size_t>(i));
    }
    return value;
}

TEST(IconArt, TheIconFileHoldsEverySizeBottomUpWithItsMask) {
    std::vector<Image> images;
    for (const int size : kIconFileSizes) {
        images.push_back(DrawSayvaneIcon(size, IconLook::Enabled));
    }
    const std::vector<std::uint8_t> file = IconFile(images);
    ASSERT_GE(file.size(), 6u);
    EXPECT_EQ(Read(file, 0, 2), 0u);
    EXPECT_EQ(Read(file, 2, 2), 1u) << "an icon, not a cursor";
    ASSERT_EQ(Read(file, 4, 2), images.size());

    std::size_t expectedOffset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        SCOPED_TRACE(images[i].width);
        const std::size_t entry = 6 + 16 * i;
        const auto size = static_cast<std::uint32_t>(images[i].width);
        EXPECT_EQ(file[entry], size == 256 ? 0 : size);
        EXPECT_EQ(Read(file, entry + 6, 2), 32u) << "bits per pixel";
        const std::uint32_t bytes = Read(file, entry + 8, 4);
        const std::uint32_t offset = Read(file, entry + 12, 4);
        ASSERT_EQ(offset, expectedOffset) << "pictures follow each other";
        const std::uint32_t maskStride = (size + 31) / 32 * 4;
        ASSERT_EQ(bytes, 40 + size * size * 4 + maskStride * size);
        expectedOffset += bytes;

        EXPECT_EQ(Read(file, offset, 4), 40u);
        EXPECT_EQ(Read(file, offset + 8, 4), 2 * size) << "colour rows and mask rows";
        // The first stored row is the picture's bottom row; the last mask row its top row,
        // whose first pixel is see-through (bit set).
        const std::size_t colours = offset + 40;
        EXPECT_EQ(Read(file, colours, 4), images[i].At(0, static_cast<int>(size) - 1));
        EXPECT_EQ(Read(file, colours + 4 * ((size - 1) * size + size / 2), 4),
                  images[i].At(static_cast<int>(size) / 2, 0));
        const std::size_t lastMaskRow = colours + size * size * 4 + maskStride * (size - 1);
        EXPECT_TRUE(file[lastMaskRow] & 0x80);
        // And the balloon's solid middle is not masked.
        const std::uint32_t bx = size * 71 / 100;
        const std::size_t balloonRow = colours + size * size * 4 + maskStride * (size - 1 - size * 22 / 100);
        EXPECT_FALSE(file[balloonRow + bx / 8] & (0x80 >> (bx % 8)));
    }
    EXPECT_EQ(expectedOffset, file.size());
}

}  // namespace
}  // namespace sayvane::art
