#pragma once

#include <QEvent>
#include <QWidget>

// Counts the paints of one widget, for tests that check how often it is painted.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& Target) { Target.installEventFilter(this); }
    int Paints = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        Paints += event->type() == QEvent::Paint;
        return false;
    }
};
