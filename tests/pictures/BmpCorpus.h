// Hand-built BMP files for the picture tests and the fuzzer's seeds, written byte by byte.
// Each case owns its bytes and, when the picture must load, the pixels it describes.
// Pure functions; any thread may call them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scroll::pictures {

enum class Expect {
    Loads,     // must load and show exactly Pixels
    Refused,   // must raise the toolkit's Exception
    EitherWay, // the format leaves it open: refused, or loaded without crash (Why says why)
};

struct PictureCase {
    std::string Name; // letters, digits and '_': usable as a test and file name
    Expect Outcome = Expect::Refused;
    std::string Why;
    std::vector<std::uint8_t> Bytes;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels; // 0xAARRGGBB, top row first; only when Outcome is Loads
    int Tolerance = 0;                 // per channel, for sources with fewer than 8 bits a channel
    std::string Message;               // when set, what the refusal must say, the same on every platform
    std::uint64_t Length = 0;          // when set, the file is this long: Bytes, then a hole read as zeros
};

std::vector<PictureCase> PictureCorpus();

} // namespace scroll::pictures
