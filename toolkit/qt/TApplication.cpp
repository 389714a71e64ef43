#include "TApplication.h"

#include "Accessible.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>

#include <cstdio>
#include <utility>

TApplication* Application = nullptr;
QApplication* TApplication::FKeptToExit = nullptr;

TApplication::TApplication(int& argc, char** argv) : FArgc(argc), FArgv(argv)
{
    Application = this;
}

TApplication::~TApplication()
{
    // Forms go first, newest first, while Qt is still there for them to stop their timers and threads.
    for (auto form = FForms.rbegin(); form != FForms.rend(); ++form) {
        form->Form->~TForm();
        ::operator delete(form->Storage);
    }
    // Qt 6.4's Wayland connection can deadlock with its own reader thread when torn down, leaving a
    // process without a window that never ends: there, Qt is left for the process's exit to clear.
    if (FQt && QGuiApplication::platformName() == QLatin1String("wayland"))
        FKeptToExit = FQt.release();
    FQt.reset();
    Application = nullptr;
}

void TApplication::Initialize()
{
    // The layout is in pixels: no scaling by screen density, font DPI or a user's scale factor.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
    FQt = std::make_unique<QApplication>(FArgc, FArgv);
    InstallAccessibleFactory();

    // Where the design's face is missing, one with its character widths keeps each caption inside its control.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(13);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
}

void TApplication::Adopt(TForm* Form, void* Storage) noexcept
{
    // Closing the main window ends Run(); other forms do not keep the program going.
    if (!FForms.empty())
        Form->setAttribute(Qt::WA_QuitOnClose, false);
    FForms.push_back({Form, Storage});
}

void TApplication::Run()
{
    if (!FForms.empty() && !HandlerError()) {
        FForms.front().Form->show();
        FLooping = true;
        QApplication::exec();
        FLooping = false;
    }
    if (const std::exception_ptr error = HandlerError())
        std::rethrow_exception(error);
}

void TApplication::ShowException(const Exception& E)
{
    const QString message = QString::fromStdString(E.Message());
    if (!QApplication::instance()) {
        // Qt never started: the terminal is all there is.
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
        return;
    }
    QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

void TApplication::Dispatch(const TNotifyEvent& Handler, TObject* Sender)
{
    if (Handler)
        Dispatch([&] { Handler(Sender); });
}

std::exception_ptr TApplication::HandlerError()
{
    std::lock_guard lock(FErrorMutex);
    return FHandlerError;
}

// Only the first error is kept, for good: a later one must neither count as the first nor end the loop
// of the error box that reports the first.
void TApplication::Fail(std::exception_ptr Error) noexcept
{
    {
        std::lock_guard lock(FErrorMutex);
        if (FHandlerError)
            return;
        FHandlerError = std::move(Error);
    }
    // Posted, so that any thread may end the loop; should the loop have ended otherwise by then, the
    // call must not end a later one, such as the error box's.
    QMetaObject::invokeMethod(
        FQt.get(), [this] {
            if (FLooping)
                QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
}
