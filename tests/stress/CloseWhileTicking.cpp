// The real start-up path with a user who chooses the precision timer at 1 ms, starts it, and closes the
// window a few ticks later. Writes its own BG.bmp; the exit code is the program's.

#include "RunGuarded.h"
#include "TApplication.h"
#include "Unit1.h"

#include <QImage>
#include <QTimer>

#include <string>

int main(int argc, char** argv)
{
    QImage(2400, 356, QImage::Format_RGB32).save("BG.bmp", "BMP");
    TApplication application(argc, argv);
    return RunGuarded([] {
        Application->Initialize();
        Application->CreateForm(Form1);
        QTimer::singleShot(0, Form1, [] {
            Form1->RadioButton2->setChecked(true);
            Form1->Edit1->SetText("1");
            Form1->Button1->click();
        });
        // Closes once ticks have arrived, whatever the machine's load.
        auto* close = new QTimer(Form1);
        QObject::connect(close, &QTimer::timeout, Form1, [] {
            // The caption, unlike SourceRect, may be read while the service thread steps.
            const std::string caption = Form1->Label1->Caption();
            if (std::stoi(caption.substr(caption.find('=') + 1)) >= 3)
                Form1->close();
        });
        close->start(1);
        Application->Run();
    });
}
