#include "platform/win32/Bitmap.h"

#include <cstdlib>

namespace varnel {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch
constexpr long long kMaxPixels = 1LL << 26;

std::size_t rowBytes(int width, int bitsPerPixel) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32 * 4;
}

void put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::uint32_t get(const std::string& in, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(in[at + static_cast<std::size_t>(i)]);
    }
    return value;
}

}  // namespace

std::string bitmapFile(int width, int height, const std::uint8_t* dibRows) {
    const std::size_t imageSize = rowBytes(width, 24) * static_cast<std::size_t>(height);
    const auto offset = static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize);
    std::string out;
    out.reserve(offset + imageSize);
    out += "BM";
    put(out, static_cast<std::uint32_t>(offset + imageSize), 4);
    put(out, 0, 4);  // reserved
    put(out, offset, 4);
    put(out, kInfoHeaderSize, 4);
    put(out, static_cast<std::uint32_t>(width), 4);
    put(out, static_cast<std::uint32_t>(height), 4);  // positive: bottom-up
    put(out, 1, 2);                                   // planes
    put(out, 24, 2);
    put(out, 0, 4);  // BI_RGB
    put(out, static_cast<std::uint32_t>(imageSize), 4);
    put(out, kPixelsPerMetre, 4);
    put(out, kPixelsPerMetre, 4);
    put(out, 0, 4);  // colours used
    put(out, 0, 4);  // important colours
    out.append(reinterpret_cast<const char*>(dibRows), imageSize);
    return out;
}

std::optional<BitmapImage> readBitmap(const std::string& file) {
    if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M' ||
        get(file, 14, 4) < kInfoHeaderSize) {
        return std::nullopt;
    }
    const std::size_t offset = get(file, 10, 4);
    const auto width = static_cast<std::int32_t>(get(file, 18, 4));
    const auto rawHeight = static_cast<std::int32_t>(get(file, 22, 4));
    const int bits = static_cast<int>(get(file, 28, 2));
    const std::uint32_t compression = get(file, 30, 4);
    const long long height = std::llabs(rawHeight);
    if (width <= 0 || height <= 0 || width * height > kMaxPixels || compression != 0 ||
        (bits != 24 && bits != 32)) {
        return std::nullopt;
    }
    const std::size_t stride = rowBytes(width, bits);
    if (offset > file.size() || stride * static_cast<std::size_t>(height) > file.size() - offset) {
        return std::nullopt;
    }
    BitmapImage image{width, static_cast<int>(height), {}};
    image.pixels.reserve(static_cast<std::size_t>(width * height));
    const bool topDown = rawHeight < 0;
    const std::size_t step = static_cast<std::size_t>(bits / 8);
    for (int y = 0; y < image.height; ++y) {
        const int row = topDown ? y : image.height - 1 - y;
        const std::size_t start = offset + static_cast<std::size_t>(row) * stride;
        for (int x = 0; x < width; ++x) {
            const std::size_t p = start + static_cast<std::size_t>(x) * step;
            const std::uint32_t blue = static_cast<std::uint8_t>(file[p]);
            const std::uint32_t green = static_cast<std::uint8_t>(file[p + 1]);
            const std::uint32_t red = static_cast<std::uint8_t>(file[p + 2]);
            image.pixels.push_back(red | (green << 8) | (blue << 16));
        }
    }
    return image;
}

std::vector<PixelRun> runsNotOf(const BitmapImage& image, std::uint32_t key) {
    std::vector<PixelRun> runs;
    key &= 0xFFFFFF;
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* row = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
        int x = 0;
        while (x < image.width) {
            while (x < image.width && row[x] == key) {
                ++x;
            }
            const int left = x;
            while (x < image.width && row[x] != key) {
                ++x;
            }
            if (x > left) {
                runs.push_back(PixelRun{y, left, x});
            }
        }
    }
    return runs;
}

}  // namespace varnel
