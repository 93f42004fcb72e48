#include "Framebuffer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <fstream>
#include <iterator>

namespace display {

namespace {

// The fields of XWDFileHeader (X11/XWDFile.h) this reader needs, by their index among its
// 32-bit big-endian words.
enum HeaderWord : size_t {
    kHeaderSize = 0,
    kPixmapFormat = 2,
    kPixmapWidth = 4,
    kPixmapHeight = 5,
    kByteOrder = 7,
    kBitsPerPixel = 11,
    kBytesPerLine = 12,
    kRedMask = 14,
    kGreenMask = 15,
    kBlueMask = 16,
    kColourCount = 19,
    kHeaderWords = 25,
};
constexpr uint32_t kZPixmap = 2;
constexpr size_t kColourEntrySize = 12;  // XWDColor

uint32_t bigEndian(const std::string& data, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(data[offset + i]);
    return value;
}

// The channel of `pixel` under `mask`, scaled to 8 bits.
uint8_t channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!(mask >> shift & 1)) ++shift;
    const uint32_t width = static_cast<uint32_t>(std::popcount(mask));
    const uint32_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>(width >= 8 ? value >> (width - 8) : value << (8 - width));
}

}  // namespace

double Picture::darkShare(uint8_t level) const {
    if (pixels.empty()) return 0;
    const auto dark = std::count_if(pixels.begin(), pixels.end(), [level](const Rgb& p) {
        return p.red <= level && p.green <= level && p.blue <= level;
    });
    return double(dark) / double(pixels.size());
}

double Picture::sameShare(const Picture& other, int top, int bottom) const {
    bottom = std::min(bottom, height);
    top = std::max(0, top);
    if (other.width != width || other.height != height || top >= bottom) return 0;
    const size_t from = static_cast<size_t>(top * width);
    const size_t to = static_cast<size_t>(bottom * width);
    size_t same = 0;
    for (size_t i = from; i < to; ++i) same += pixels[i] == other.pixels[i];
    return double(same) / double(to - from);
}

std::optional<Picture> Framebuffer::read(int x, int y, int width, int height) const {
    std::ifstream in(path_, std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (data.size() < kHeaderWords * 4) return std::nullopt;
    std::array<uint32_t, kHeaderWords> header{};
    for (size_t i = 0; i < kHeaderWords; ++i) header[i] = bigEndian(data, i * 4);
    const uint32_t bits = header[kBitsPerPixel];
    if (header[kPixmapFormat] != kZPixmap || (bits != 24 && bits != 32)) return std::nullopt;
    const int screenWidth = static_cast<int>(header[kPixmapWidth]);
    const int screenHeight = static_cast<int>(header[kPixmapHeight]);
    const size_t line = header[kBytesPerLine];
    const size_t start = size_t{header[kHeaderSize]} + header[kColourCount] * kColourEntrySize;
    if (data.size() < start + line * static_cast<size_t>(screenHeight)) return std::nullopt;

    const int left = std::clamp(x, 0, screenWidth), top = std::clamp(y, 0, screenHeight);
    Picture picture;
    picture.width = std::clamp(x + width, 0, screenWidth) - left;
    picture.height = std::clamp(y + height, 0, screenHeight) - top;
    picture.pixels.reserve(static_cast<size_t>(picture.width * picture.height));
    const bool mostFirst = header[kByteOrder] != 0;  // MSBFirst
    const size_t bytes = bits / 8;
    for (int row = top; row < top + picture.height; ++row) {
        for (int column = left; column < left + picture.width; ++column) {
            const size_t at =
                start + static_cast<size_t>(row) * line + static_cast<size_t>(column) * bytes;
            uint32_t pixel = 0;
            for (size_t i = 0; i < bytes; ++i) {
                const uint32_t byte = static_cast<uint8_t>(data[at + i]);
                pixel |= mostFirst ? byte << (8 * (bytes - 1 - i)) : byte << (8 * i);
            }
            picture.pixels.push_back({channel(pixel, header[kRedMask]),
                                      channel(pixel, header[kGreenMask]),
                                      channel(pixel, header[kBlueMask])});
        }
    }
    return picture;
}

}  // namespace display
