#pragma once

#include "TCanvas.h"

#include <string>

// A picture held in memory, loaded from a BMP file by the backend's decoder; the copies of Canvas() read from
// it. Owned by whoever creates it; any thread may read it while nobody loads.
class TBitmap {
public:
    TBitmap();

    // Raises Exception naming the file, absolute and as the system writes paths, and the reason when it
    // cannot be read.
    void LoadFromFile(const std::string& FileName);
    // Starts reading FileName on a thread of its own, for a program's start-up: the next LoadFromFile,
    // if it asks for the same file, unchanged, takes the picture, or raises the error, found there. Over Qt
    // only once its application object exists: Qt's picture readers must not run while it is being made.
    static void Preload(const std::string& FileName);
    int Width() const;
    int Height() const;
    TCanvas* Canvas();

private:
    TCanvas FCanvas;
};
