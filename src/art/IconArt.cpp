// Sayvane's icon: a few shapes, each pixel sampled 4 x 4 times so that edges are smooth.
#include "art/IconArt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace sayvane::art {

namespace {

struct Colour {
    double r = 0;
    double g = 0;
    double b = 0;
};

constexpr Colour Rgb(int r, int g, int b) {
    return Colour{r / 255.0, g / 255.0, b / 255.0};
}

// A shape filled with one colour; later shapes lie over earlier ones.
struct Layer {
    std::function<bool(double x, double y)> inside;
    Colour colour;
};

double DistanceToSegment(double px, double py, double x1, double y1, double x2, double y2) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    const double lengthSquared = dx * dx + dy * dy;
    const double t = lengthSquared == 0 ? 0 : std::clamp(((px - x1) * dx + (py - y1) * dy) / lengthSquared, 0.0, 1.0);
    return std::hypot(px - (x1 + t * dx), py - (y1 + t * dy));
}

auto Disc(double cx, double cy, double r) {
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) <= r; };
}

auto Bar(double x1, double y1, double x2, double y2, double width) {
    return [=](double x, double y) { return DistanceToSegment(x, y, x1, y1, x2, y2) <= width / 2; };
}

auto RoundedBox(double left, double top, double right, double bottom, double radius) {
    return [=](double x, double y) {
        const double nx = std::clamp(x, left + radius, right - radius);
        const double ny = std::clamp(y, top + radius, bottom - radius);
        return x >= left && x <= right && y >= top && y <= bottom && std::hypot(x - nx, y - ny) <= radius;
    };
}

auto Triangle(double ax, double ay, double bx, double by, double cx, double cy) {
    return [=](double x, double y) {
        const auto side = [&](double x1, double y1, double x2, double y2) {
            return (x2 - x1) * (y - y1) - (y2 - y1) * (x - x1);
        };
        const double d1 = side(ax, ay, bx, by);
        const double d2 = side(bx, by, cx, cy);
        const double d3 = side(cx, cy, ax, ay);
        return (d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0);
    };
}

std::vector<Layer> IconLayers(double s, IconLook look) {
    const bool enabled = look == IconLook::Enabled;
    const Colour scope = enabled ? Rgb(0, 96, 48) : Rgb(90, 90, 90);
    const Colour sweep = enabled ? Rgb(64, 255, 128) : Rgb(170, 170, 170);
    const Colour balloon = enabled ? Rgb(255, 255, 255) : Rgb(220, 220, 220);
    const Colour outline = Rgb(0, 0, 0);
    // Lines no thinner than a pixel, whatever the size.
    const double line = std::max(1.0, s / 20);
    const double edge = std::max(1.0, s / 32);

    // The scope: a disc in the lower left with a bright rim, a blip and the sweep from its
    // centre towards the balloon.
    const double cx = s * 0.42;
    const double cy = s * 0.58;
    const double r = s * 0.42;
    // The balloon: a rounded box in the upper right with its tail pointing down-left.
    const double bl = s * 0.44;
    const double bt = s * 0.02;
    const double br = s * 0.98;
    const double bb = s * 0.42;
    const double tailLeft = s * 0.56;
    const double tailRight = s * 0.74;
    const double tipX = s * 0.50;
    const double tipY = s * 0.58;

    std::vector<Layer> layers = {
        {Disc(cx, cy, r), sweep},
        {Disc(cx, cy, r - line), scope},
        {Bar(cx, cy, cx + r * 0.6, cy - r * 0.6, line * 1.4), sweep},
        {Disc(cx - r * 0.45, cy + r * 0.25, std::max(0.7, s / 18)), sweep},
        {RoundedBox(bl, bt, br, bb, s / 8), outline},
        {Triangle(tailLeft, bb - edge, tipX, tipY, tailRight, bb - edge), outline},
        {RoundedBox(bl + edge, bt + edge, br - edge, bb - edge, std::max(0.0, s / 8 - edge)), balloon},
        {Triangle(tailLeft + edge, bb - 2 * edge, tipX + edge, tipY - 2.5 * edge, tailRight - 2 * edge, bb - 2 * edge),
         balloon},
    };
    if (!enabled) {
        layers.push_back({Bar(s * 0.12, s * 0.88, s * 0.88, s * 0.12, std::max(2.0, s / 7)), Rgb(220, 0, 0)});
    }
    return layers;
}

std::uint32_t Channel(double value) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

}  // namespace

Image DrawSayvaneIcon(int size, IconLook look) {
    size = std::clamp(size, 1, 256);
    const std::vector<Layer> layers = IconLayers(size, look);
    constexpr int kSamples = 4;  // per pixel and axis
    Image image{size, size, std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size)};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // Each sample takes the colour of the topmost shape it lies in; the pixel is their
            // average, its opacity the share of samples in any shape.
            Colour sum;
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double px = x + (sx + 0.5) / kSamples;
                    const double py = y + (sy + 0.5) / kSamples;
                    const auto top = std::find_if(layers.rbegin(), layers.rend(),
                                                  [&](const Layer& layer) { return layer.inside(px, py); });
                    if (top != layers.rend()) {
                        sum.r += top->colour.r;
                        sum.g += top->colour.g;
                        sum.b += top->colour.b;
                        ++covered;
                    }
                }
            }
            std::uint32_t pixel = 0;
            if (covered > 0) {
                pixel = Channel(covered / double(kSamples * kSamples)) << 24 | Channel(sum.r / covered) << 16 |
                        Channel(sum.g / covered) << 8 | Channel(sum.b / covered);
            }
            image.pixels[static_cast<std::size_t>(y) * size + x] = pixel;
        }
    }
    return image;
}

std::vector<std::uint8_t> IconFile(const std::vector<Image>& images) {
    constexpr std::uint32_t kDirectorySize = 6;
    constexpr std::uint32_t kEntrySize = 16;
    constexpr std::uint32_t kHeaderSize = 40;  // BITMAPINFOHEADER
    std::vector<std::uint8_t> out;
    PutLittleEndian(out, 0, 2);  // reserved
    PutLittleEndian(out, 1, 2);  // an icon
    PutLittleEndian(out, static_cast<std::uint32_t>(images.size()), 2);

    const auto maskStride = [](int width) { return static_cast<std::uint32_t>((width + 31) / 32 * 4); };
    std::uint32_t offset = kDirectorySize + kEntrySize * static_cast<std::uint32_t>(images.size());
    for (const Image& image : images) {
        const auto w = static_cast<std::uint32_t>(image.width);
        const auto h = static_cast<std::uint32_t>(image.height);
        const std::uint32_t bytes = kHeaderSize + w * h * 4 + maskStride(image.width) * h;
        out.push_back(static_cast<std::uint8_t>(w >= 256 ? 0 : w));  // 0 means 256
        out.push_back(static_cast<std::uint8_t>(h >= 256 ? 0 : h));
        out.push_back(0);            // no palette
        out.push_back(0);            // reserved
        PutLittleEndian(out, 1, 2);  // planes
        PutLittleEndian(out, 32, 2);
        PutLittleEndian(out, bytes, 4);
        PutLittleEndian(out, offset, 4);
        offset += bytes;
    }
    for (const Image& image : images) {
        const auto w = static_cast<std::uint32_t>(image.width);
        const auto h = static_cast<std::uint32_t>(image.height);
        PutLittleEndian(out, kHeaderSize, 4);
        PutLittleEndian(out, w, 4);
        PutLittleEndian(out, h * 2, 4);  // the colour rows and the mask rows
        PutLittleEndian(out, 1, 2);
        PutLittleEndian(out, 32, 2);
        PutLittleEndian(out, 0, 4);  // uncompressed
        PutLittleEndian(out, w * h * 4 + maskStride(image.width) * h, 4);
        for (int i = 0; i < 4; ++i) {
            PutLittleEndian(out, 0, 4);  // resolution and palette fields
        }
        // Rows from the bottom up, each pixel as blue, green, red, alpha.
        for (int y = image.height - 1; y >= 0; --y) {
            for (int x = 0; x < image.width; ++x) {
                PutLittleEndian(out, image.At(x, y), 4);
            }
        }
        // The mask, for systems that ignore alpha: set where the picture is see-through.
        for (int y = image.height - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(maskStride(image.width), 0);
            for (int x = 0; x < image.width; ++x) {
                if ((image.At(x, y) >> 24) == 0) {
                    row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                }
            }
            out.insert(out.end(), row.begin(), row.end());
        }
    }
    return out;
}

}  // namespace sayvane::art
