// Uncompressed .bmp files: the window snapshot written out, and read back as
// the pixels the window shape is cut from. Plain C++, no Windows calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

struct BitmapImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00BBGGRR, top row first
};

// A horizontal run of pixels [left, right) on one row.
struct PixelRun {
    int row = 0;
    int left = 0;
    int right = 0;
};

// The file for a 24-bit image given as a 24-bit DIB holds it: rows bottom-up,
// blue-green-red, each row padded to four bytes.
std::string bitmapFile(int width, int height, const std::uint8_t* dibRows);

// 24- and 32-bit uncompressed files, bottom-up or top-down; nullopt otherwise.
std::optional<BitmapImage> readBitmap(const std::string& file);

// Every run of pixels whose colour is not `key`, row by row.
std::vector<PixelRun> runsNotOf(const BitmapImage& image, std::uint32_t key);

}  // namespace varnel
