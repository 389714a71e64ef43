#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace bench {

// What the benchmark plots share: their lettering, a white page with a heading over a grid of panels,
// and the parts every panel has. Need a QGuiApplication, for the fonts.

// The plots' lettering, at `pixels` high.
QFont plotFont(int pixels, bool bold = false);

// A white page of `columns` × `rows` panels of `panel` size under a heading `headingHeight` high.
QImage plotPage(const QString& heading, int headingHeight, QSize panel, int columns, int rows);

// A panel's title and, under it, its figures, centred across `area`.
void drawPanelHeading(QPainter& p, const QRect& area, const QString& title, const QString& figures);

// A grid line across `plot` at height `y`, labelled at its left in the `labelWidth` pixels before it.
void drawGridLine(QPainter& p, const QRect& plot, int y, int labelWidth, const QString& label);

// The vertical axis's title, read upwards, centred on (x, centreY).
void drawAxisTitle(QPainter& p, int x, int centreY, const QString& title);

} // namespace bench
