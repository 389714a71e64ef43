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
    DestroyForms();
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

void TApplication::Adopted(TForm* Form, bool Main) noexcept
{
    // Closing the main window ends Run(); other forms do not keep the program going.
    if (!Main)
        Form->setAttribute(Qt::WA_QuitOnClose, false);
}

void TApplication::Run()
{
    if (MainForm() && !HandlerError()) {
        MainForm()->show();
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

void TApplication::AskToEndLoop() noexcept
{
    // Posted, so that any thread may end the loop; should the loop have ended otherwise by then, the
    // call must not end a later one, such as the error box's.
    QMetaObject::invokeMethod(
        FQt.get(), [this] {
            if (FLooping)
                QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
}
