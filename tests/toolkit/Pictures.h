#pragma once

#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <string>

// A picture whose every pixel tells where it came from: red and green are the column, blue the row.
inline QRgb PatternPixel(int x, int y)
{
    return qRgb(x % 256, (x / 256) * 16, y % 256);
}

inline QImage Pattern(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, PatternPixel(x, y));
    return picture;
}

// Saves the picture as a BMP file in the folder and gives its path.
inline std::string WriteBmp(const QTemporaryDir& folder, const QString& name, const QImage& picture)
{
    const QString path = folder.filePath(name);
    if (!picture.save(path, "BMP"))
        return {};
    return path.toStdString();
}
