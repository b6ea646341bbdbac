// Sayvane's icon, drawn in plain C++ at any size: the program's, the tray's (readable and
// disabled) and the one in the program file are all this one picture. Nothing is loaded.
#pragma once

#include <cstdint>
#include <vector>

namespace sayvane::art {

enum class IconLook { Enabled, Disabled };

// A picture of 32-bit pixels 0xAARRGGBB (straight alpha), row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    [[nodiscard]] std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

// A square icon of `size` pixels (1 .. 256): a radar scope with its sweep and a speech
// balloon, green and white when TeamSpeak can be read; grey with a red bar across when it
// cannot. Edges are smoothed, so it stays readable down to 16 pixels.
[[nodiscard]] Image DrawSayvaneIcon(int size, IconLook look);

// The bytes of a Windows icon file (.ico) holding these square pictures, 32 bits per pixel
// each, in the order given. Sizes up to 256.
[[nodiscard]] std::vector<std::uint8_t> IconFile(const std::vector<Image>& images);

// The sizes the program file's icon carries: the small and large icon sizes of 100 % to
// 200 % scaling, and the large ones Explorer shows.
inline constexpr int kIconFileSizes[] = {16, 20, 24, 32, 40, 48, 64, 256};

}  // namespace sayvane::art
