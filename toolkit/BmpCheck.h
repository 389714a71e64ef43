#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

// What a BMP file must show before a backend's decoder may read it, decided once for every backend and
// worded alike: from the file's first bytes and its length, so that no file is read whole to be refused.
// Pure functions, but for BmpFileRefusal, which reads the file's start; any thread.

// The most of a file's start the check reads: the file header, the longest info header, three colour masks
// and 256 colours.
inline constexpr std::size_t BmpHeadBytes = 14 + 124 + 12 + 256 * 4;
// Pictures taking more than this as 32-bit pixels are refused.
inline constexpr std::uint64_t BmpLimitMb = 256;
// The longest file that a picture within the limit needs; longer ones are refused unread.
inline constexpr std::uint64_t BmpFileLimit = BmpLimitMb * 1024 * 1024 + BmpHeadBytes;

// Where a file that may go to a decoder keeps its pixels, as a decoder that trusts the header must be told.
struct TBmpPixels {
    int Width = 0;
    int Height = 0;  // rows, whichever way they are stored
    std::size_t Offset = 0;  // from the file's start
    // Compressed pixels end where their stream says: the bytes it may take, the header's count where the file
    // holds that many, else up to the file's end. 0 for uncompressed rows, which the file holds whole.
    std::size_t CompressedBytes = 0;
};

// Why a file of Length bytes, whose first min(Length, BmpHeadBytes) bytes are Head, may not go to a decoder,
// worded as the error message's REASON; nothing when it may, and then its pixels' place in Pixels, if given.
// A shorter Head ends the file.
std::optional<std::string> BmpRefusal(
    std::span<const std::uint8_t> Head, std::uint64_t Length, TBmpPixels* Pixels = nullptr);

// The same for the file at Path, after what kind of file it is and whether it may be read.
std::optional<std::string> BmpFileRefusal(const std::filesystem::path& Path);

// The REASON for a file that no decoder can read, Detail saying what is wrong with it.
std::string UnreadableBmp(const std::string& Detail);

// Raises the toolkit's Exception: Cannot load bitmap "Name": Reason.
[[noreturn]] void RefuseBitmap(const std::string& Name, const std::string& Reason);
