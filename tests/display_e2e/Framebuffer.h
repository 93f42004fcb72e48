// The screen of an Xvfb started with -fbdir: the server keeps its framebuffer in a file, an X
// window dump (XWD) that it paints into as it draws, so the pixels any client put on the screen
// can be read without asking the server (nor needing a screenshot tool).
#pragma once

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace display {

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// A rectangle of the screen's pixels, row by row.
struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    const Rgb& at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    // The share (0 to 1) of pixels no brighter than `level` in every channel.
    double darkShare(uint8_t level = 16) const;
    // The share of pixels of the rows from `top` to just above `bottom` that are the same in
    // `other`.
    double sameShare(const Picture& other, int top = 0, int bottom = INT_MAX) const;
};

class Framebuffer {
  public:
    explicit Framebuffer(std::string path) : path_(std::move(path)) {}
    // The screen's pixels in the rectangle at (x, y), cut to the screen; nothing when the file
    // cannot be read or is no 24/32-bit true-colour dump.
    std::optional<Picture> read(int x, int y, int width, int height) const;

  private:
    std::string path_;
};

}  // namespace display
