#include "TApplication.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>

#include <cstdio>
#include <utility>

TApplication* Application = nullptr;

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
    if (!FForms.empty() && !FHandlerError) {
        FForms.front().Form->show();
        QApplication::exec();
    }
    if (FHandlerError)
        std::rethrow_exception(std::exchange(FHandlerError, nullptr));
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
    Q_ASSERT(Application);
    if (!Handler)
        return;
    try {
        Handler(Sender);
    } catch (...) {
        if (!Application->FHandlerError)
            Application->FHandlerError = std::current_exception();
        QCoreApplication::exit(0);
    }
}
