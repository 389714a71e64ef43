// libFuzzer entry: each input becomes BG.bmp in a private folder, where the window is made and takes a
// scroll step. A crash, a hang, a sanitizer report or an unbounded allocation is a finding;
// so is an error that does not name the file.
#include "FirstFrame.h"
#include "SysUtils.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

QTemporaryDir* Folder;

// The load reads BG.bmp from the current folder, as the program does; libFuzzer's own relative paths
// need the folder it was started in back afterwards.
class InFolder {
public:
    InFolder() : FPrevious(QDir::currentPath()) { QDir::setCurrent(Folder->path()); }
    ~InFolder() { QDir::setCurrent(FPrevious); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    QString FPrevious;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QApplication app(*argc, *argv);
    static QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder: %s\n", qPrintable(folder.errorString()));
        std::abort();
    }
    Folder = &folder;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const InFolder here;
    {
        std::ofstream out("BG.bmp", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) {
            std::fprintf(stderr, "cannot write BG.bmp\n");
            std::abort();
        }
    }
    try {
        const scroll::pictures::FirstFrame frame = scroll::pictures::LoadFirstFrame();
        if (frame.Width <= 0 || frame.Height <= 0 || frame.Shown.size() != QSize(800, 356) ||
            frame.AfterStep.size() != QSize(800, 356)) {
            std::fprintf(stderr, "loaded as %dx%d, shown as %dx%d, after a step %dx%d\n", frame.Width, frame.Height,
                         frame.Shown.width(), frame.Shown.height(), frame.AfterStep.width(), frame.AfterStep.height());
            std::abort();
        }
    } catch (const Exception& error) {
        if (error.Message().find("BG.bmp") == std::string::npos) {
            std::fprintf(stderr, "error does not name the file: %s\n", error.Message().c_str());
            std::abort();
        }
    }
    return 0;
}
