#pragma once

#include "TCanvas.h"

#include <cstdint>
#include <filesystem>
#include <string>

// What each backend gives the bitmap's one load path (TBitmap.cpp): its system's decoder, a file's change
// time and the pixels' top byte. Any thread: a preload calls them on a thread of its own.

// The top byte of a bitmap's pixels, as its system draws them (see TCanvas::TPixels).
extern const std::uint32_t BitmapTopByte;

// The picture in the file at Path, which BmpFileRefusal has let pass, each pixel's top byte BitmapTopByte.
// What the decoder cannot read raises the toolkit's Exception through RefuseBitmap(Name, ...).
TCanvas::TPicture DecodeBmp(const std::filesystem::path& Path, const std::string& Name);

// When the file at Path, or what the system keeps of it, last changed, in the system's own units, so that a
// file rewritten with its old length and write time still differs; 0 when the system cannot tell.
std::int64_t FileChangeTime(const std::filesystem::path& Path);
