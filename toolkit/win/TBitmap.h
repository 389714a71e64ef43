#pragma once

#include "TCanvas.h"

#include <string>

// A picture held in memory, loaded from a BMP file by the system's own reader; the copies of Canvas()
// read from it. Owned by whoever creates it; any thread may read it while nobody loads.
class TBitmap {
public:
    TBitmap();

    // Raises Exception naming the file and the reason when it cannot be read.
    void LoadFromFile(const std::string& FileName);
    // Starts reading FileName on a thread of its own, for a program's start-up: the next LoadFromFile,
    // if it asks for the same file, takes the picture, or raises the error, found there.
    static void Preload(const std::string& FileName);
    int Width() const;
    int Height() const;
    TCanvas* Canvas();

private:
    TCanvas FCanvas;
};
