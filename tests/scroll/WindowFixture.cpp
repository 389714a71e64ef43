#include "WindowFixture.h"

#include "MessageBox.h"
#include "TCoalescedUpdate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>

QImage ColumnPattern(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x & 0xff, ((x >> 8) * 40 + y) & 0xff, (y * 3) & 0xff));
    return picture;
}

QImage ExpectedView(const QImage& picture, int left, QColor outside)
{
    QImage view(800, 356, QImage::Format_RGB32);
    for (int y = 0; y < 356; ++y)
        for (int x = 0; x < 800; ++x)
            view.setPixel(x, y, picture.rect().contains(left + x, y) ? picture.pixel(left + x, y) : outside.rgb());
    return view;
}

std::string FirstDifference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width()).arg(actual.height()).arg(expected.width()).arg(expected.height())
            .toStdString();
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return QStringLiteral("pixel (%1, %2) is #%3, expected #%4")
                    .arg(x).arg(y).arg(actual.pixel(x, y) & 0xffffff, 6, 16, QChar('0'))
                    .arg(expected.pixel(x, y) & 0xffffff, 6, 16, QChar('0'))
                    .toStdString();
    return {};
}

WindowFixture::WindowFixture()
{
    SetMessageBoxHook([this](std::string_view text, std::string_view caption) {
        Boxes.push_back(std::string(caption) + ": " + std::string(text));
    });
}

WindowFixture::~WindowFixture()
{
    Form.reset();
    SetMessageBoxHook({});
}

void WindowFixture::MakeWindow(const QImage& picture)
{
    ASSERT_TRUE(FFolder.isValid());
    ASSERT_TRUE(picture.save(FFolder.filePath("BG.bmp"), "BMP"));
    const QString before = QDir::currentPath();
    QDir::setCurrent(FFolder.path());
    Form = std::make_unique<TForm1>(nullptr);
    QDir::setCurrent(before);
}

QImage WindowFixture::View()
{
    Settle();
    return Form->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage WindowFixture::ScreenView()
{
    Settle();
    const QRect view(Form->Image1->mapTo(Form.get(), QPoint(0, 0)), Form->Image1->size());
    return Form->screen()->grabWindow(Form->winId()).toImage().copy(view).convertToFormat(QImage::Format_RGB32);
}

std::string WindowFixture::LabelText()
{
    Settle();
    return Form->Label1->text().toStdString();
}

void WindowFixture::Settle()
{
    EXPECT_TRUE(ProcessUntil([] { return TCoalescedUpdate::Queued() == 0; })) << "updates still pending";
    QCoreApplication::processEvents();
}

int WindowFixture::ShownLeft() const
{
    const std::string caption = Form->Label1->Caption();
    return std::stoi(caption.substr(caption.find('=') + 1));
}

void WindowFixture::Click()
{
    Form->Button1->click();
}

bool ProcessUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 30'000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}
