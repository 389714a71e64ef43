#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

// A 24-bit bottom-up BMP file of Pixel's colours (0xRRGGBB at column, row), written byte by byte: standard
// C++ only, for the tests that run on every backend. Its length depends only on its rows' padded size.
inline void WriteBmpFile(const std::filesystem::path& Path, int Width, int Height,
    const std::function<std::uint32_t(int, int)>& Pixel)
{
    const int rowBytes = (Width * 3 + 3) / 4 * 4;
    const std::uint32_t dataBytes = std::uint32_t(rowBytes) * Height;
    std::vector<char> file(54 + dataBytes);
    const auto put = [&file](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file[at + i] = char(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, 54 + dataBytes, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, std::uint32_t(Width), 4);
    put(22, std::uint32_t(Height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, dataBytes, 4);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            put(54 + std::size_t(Height - 1 - y) * rowBytes + std::size_t(x) * 3, Pixel(x, y), 3);
    std::ofstream(Path, std::ios::binary).write(file.data(), std::streamsize(file.size()));
}
