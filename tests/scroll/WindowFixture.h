#pragma once

// Makes a TForm1 over a BG.bmp drawn by the test and records the timer's error boxes instead of showing
// them. One per test, on the test's (the window's) thread.

#include "Unit1.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A picture whose every column differs from its neighbours, so any shift of the view shows.
QImage ColumnPattern(int width, int height);

// The 800 x 356 view that shows `picture` from column `left`; past its edges, `outside`.
QImage ExpectedView(const QImage& picture, int left, QColor outside);

// "" when the pictures are equal, else where and how they first differ.
std::string FirstDifference(const QImage& actual, const QImage& expected);

class WindowFixture : public ::testing::Test {
protected:
    WindowFixture();
    ~WindowFixture() override;

    // Writes `picture` as BG.bmp in a fresh folder and builds the window there.
    void MakeWindow(const QImage& picture);
    // What Image1 shows right now, once pending repaints are delivered.
    QImage View();
    // The same, as last painted into the shown window.
    QImage ScreenView();
    std::string LabelText();
    // Waits until every control has shown its latest change.
    void Settle();
    void Click();
    // SourceRect itself only while no precision tick can run.
    int Left() const { return Form->SourceRect.Left; }
    // The left edge the label shows, safe to read while the service thread steps.
    int ShownLeft() const;

    std::unique_ptr<TForm1> Form;
    std::vector<std::string> Boxes;

private:
    QTemporaryDir FFolder;
};

// Runs the window's event loop until `done` holds; false after a generous bound, never a speed check.
bool ProcessUntil(const std::function<bool()>& done);
