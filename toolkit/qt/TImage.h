#pragma once

#include "TCanvas.h"
#include "TCoalescedUpdate.h"

#include <QWidget>

// A control that shows the picture drawn on its Canvas(), sized like the control and at first empty.
// A widget of the window's thread; any thread may draw on the canvas, and the repaint follows on the window's thread.
class TImage : public QWidget {
    Q_OBJECT

public:
    explicit TImage(QWidget* parent = nullptr);

    TCanvas* Canvas();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TCanvas FCanvas;
    TCoalescedUpdate FRepaint;
};
