#include "DisplayGuard.h"
#include "Eventually.h"
#include "RunGuarded.h"
#include "SysUtils.h"
#include "TApplication.h"
#include "TButton.h"
#include "TMMTimer.h"
#include "Unit1.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int Argc = 1;
char ProgramName[] = "scrolltest";
char* Argv[] = {ProgramName, nullptr};

// Watches the window thread for modal boxes: keeps each one's text and which other windows were visible
// while it showed, then dismisses it as a user would. Ends a Run() that does not return in time.
class BoxWatcher {
public:
    BoxWatcher()
    {
        QObject::connect(&FPoll, &QTimer::timeout, &FPoll, [this] { Look(); });
        FPoll.start(20);
        QObject::connect(&FDeadline, &QTimer::timeout, &FDeadline, [this] {
            TimedOut = true;
            QCoreApplication::exit(0);
        });
        FDeadline.setSingleShot(true);
        FDeadline.start(30000);
    }

    std::vector<std::string> Texts;
    std::vector<std::string> OtherWindows;
    bool TimedOut = false;

private:
    void Look()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        Texts.push_back(box->text().toStdString());
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window != box && window->isVisible())
                OtherWindows.push_back(window->metaObject()->className());
        box->button(QMessageBox::Ok)->click();
    }

    QTimer FPoll;
    QTimer FDeadline;
};

class FailingForm : public TForm {
public:
    explicit FailingForm(TComponent* Owner) : TForm(Owner) { throw Exception("Cannot load bitmap \"BG.bmp\""); }
};

class StrangeFailingForm : public TForm {
public:
    explicit StrangeFailingForm(TComponent* Owner) : TForm(Owner) { throw std::runtime_error("not a toolkit error"); }
};

FailingForm* Failing = nullptr;
StrangeFailingForm* StrangeFailing = nullptr;

struct StartUpRun {
    int ExitCode = -1;
    std::vector<std::string> Texts;
    std::vector<std::string> OtherWindows;
    bool TimedOut = false;
};

// Starts the program as main() does, with CreateAndPrepare in place of creating the real window.
template <class TCreate>
StartUpRun StartUp(TCreate CreateAndPrepare)
{
    StartUpRun run;
    TApplication application(Argc, Argv);
    std::optional<BoxWatcher> watcher;
    run.ExitCode = RunGuarded([&] {
        Application->Initialize();
        watcher.emplace();
        CreateAndPrepare();
        Application->Run();
    });
    run.Texts = watcher->Texts;
    run.OtherWindows = watcher->OtherWindows;
    run.TimedOut = watcher->TimedOut;
    return run;
}

TEST(StartUp, AToolkitErrorDuringCreationShowsOneBoxWithItsMessageAndNoWindow)
{
    const StartUpRun run = StartUp([] { Application->CreateForm(Failing); });
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Texts, std::vector<std::string>{"Cannot load bitmap \"BG.bmp\""});
    EXPECT_EQ(run.OtherWindows, std::vector<std::string>{});
    EXPECT_EQ(Failing, nullptr);
}

TEST(StartUp, AnyOtherErrorShowsOneBoxWithAnEmptyMessage)
{
    const StartUpRun run = StartUp([] { Application->CreateForm(StrangeFailing); });
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Texts, std::vector<std::string>{""});
    EXPECT_EQ(run.OtherWindows, std::vector<std::string>{});
}

TEST(StartUp, ClosingTheWindowEndsTheProgramWithoutABox)
{
    QTemporaryDir folder;
    QImage(1000, 356, QImage::Format_RGB32).save(folder.filePath("BG.bmp"), "BMP");
    QDir::setCurrent(folder.path());
    const StartUpRun run = StartUp([] {
        Application->CreateForm(Form1);
        QTimer::singleShot(100, Form1, [] { Form1->close(); });
    });
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_FALSE(run.TimedOut) << "Run() did not return when the window closed";
    EXPECT_EQ(run.Texts, std::vector<std::string>{});
}

class ButtonForm : public TForm {
public:
    explicit ButtonForm(TComponent* Owner) : TForm(Owner), Button(new TButton(this))
    {
        Button->OnClick = [](TObject*) { throw Exception("clicked into trouble"); };
    }
    TButton* Button;
};

// Every tick of a precision timer fails, on the timer service's thread, bound as the window binds its own.
class TickingForm : public TForm {
public:
    explicit TickingForm(TComponent* Owner) : TForm(Owner)
    {
        Timer.SetResolution(1);
        Timer.SetInterval(1);
        Timer.SetOnTimer([this] {
            TApplication::Dispatch([this] { throw Exception("tick " + std::to_string(++Ticks) + " failed"); });
        });
        Timer.SetEnabled(true);
    }
    std::atomic<int> Ticks = 0;
    // Last, so that it stops, and a tick in flight ends, before Ticks goes.
    TMMTimer Timer;
};

ButtonForm* Buttons = nullptr;
TickingForm* Ticking = nullptr;

// Pins that a handler's error never unwinds through Qt's event loop, nor ends the program from another
// thread: the first ends Run(), which raises it, and later ones show no box of their own.
TEST(StartUp, AnErrorInAHandlerEndsTheLoopAndShowsOneBox)
{
    struct Row {
        std::string name;
        std::function<void()> createAndPrepare;
        std::string text;
    };
    const Row rows[] = {
        {"click", [] {
             Application->CreateForm(Buttons);
             QTimer::singleShot(100, Buttons, [] { Buttons->Button->click(); });
         }, "clicked into trouble"},
        {"precision timer ticks", [] {
             Application->CreateForm(Ticking);
             // The window's thread is held until more ticks have failed after the first one.
             QTimer::singleShot(0, Ticking, [] { Eventually([] { return Ticking->Ticks >= 3; }); });
         }, "tick 1 failed"},
    };
    for (const Row& row : rows) {
        const StartUpRun run = StartUp(row.createAndPrepare);
        EXPECT_EQ(run.ExitCode, 0) << row.name;
        EXPECT_FALSE(run.TimedOut) << row.name << ": Run() went on after the handler's error";
        EXPECT_EQ(run.Texts, std::vector<std::string>{row.text}) << row.name;
    }
}

class SelfCheckingForm;
SelfCheckingForm* SelfChecking = nullptr;
bool ReferenceSetBeforeConstructor = false;

class SelfCheckingForm : public TForm {
public:
    explicit SelfCheckingForm(TComponent* Owner) : TForm(Owner) { ReferenceSetBeforeConstructor = SelfChecking == this; }
};

TEST(CreateForm, FillsTheReferenceBeforeTheConstructorRuns)
{
    TApplication application(Argc, Argv);
    application.Initialize();
    application.CreateForm(SelfChecking);
    EXPECT_TRUE(ReferenceSetBeforeConstructor);
    EXPECT_NE(SelfChecking, nullptr);
}

std::vector<std::string> Destroyed;

template <int Number>
class NumberedForm : public TForm {
public:
    explicit NumberedForm(TComponent* Owner) : TForm(Owner) {}
    ~NumberedForm() override
    {
        Destroyed.push_back(std::to_string(Number) + (QApplication::instance() ? " with Qt" : " after Qt"));
    }
};

NumberedForm<1>* First = nullptr;
NumberedForm<2>* Second = nullptr;

TEST(TApplication, DestroysItsFormsNewestFirstWhileQtStillRuns)
{
    Destroyed.clear();
    {
        TApplication application(Argc, Argv);
        application.Initialize();
        application.CreateForm(First);
        application.CreateForm(Second);
    }
    EXPECT_EQ(Destroyed, (std::vector<std::string>{"2 with Qt", "1 with Qt"}));
}

TEST(TApplication, RunReturnsWhenTheFirstFormClosesWhileAnotherIsOpen)
{
    std::optional<bool> timedOut;
    {
        TApplication application(Argc, Argv);
        application.Initialize();
        application.CreateForm(First);
        application.CreateForm(Second);
        Second->show();
        BoxWatcher watcher;
        QTimer::singleShot(100, First, [] { First->close(); });
        application.Run();
        timedOut = watcher.TimedOut;
        EXPECT_FALSE(First->isVisible());
    }
    EXPECT_EQ(timedOut, false);
}

std::vector<std::string> PassedOn;

void Record(QtMsgType, const QMessageLogContext&, const QString& Text)
{
    PassedOn.push_back(Text.toStdString());
}

// What reaches the handler the guard replaced, while it stands and once it has ended. Each row ends with a
// call through the guard's handler, taken while it stood, once it has ended: a thread of Qt's that was already
// inside that handler as the guard ended.
TEST(DisplayGuard, PassesOnQtsLinesInTheirOrder)
{
    struct Row {
        std::string name;
        std::vector<std::string> logged;
        std::vector<std::string> whileStanding;
    };
    const Row rows[] = {
        {"a line of Qt's own passes on at once", {"QStandardPaths: XDG_RUNTIME_DIR not set"},
         {"QStandardPaths: XDG_RUNTIME_DIR not set"}},
        {"from a plugin's failure on, lines wait for the guard's end",
         {"before", "could not connect to display :9", "after"}, {"before"}},
    };
    for (const Row& row : rows) {
        PassedOn.clear();
        qInstallMessageHandler(Record);
        QtMessageHandler guards = nullptr;
        {
            const DisplayGuard guard;
            for (const std::string& line : row.logged)
                qWarning("%s", line.c_str());
            guards = qInstallMessageHandler(nullptr);
            qInstallMessageHandler(guards);
            EXPECT_EQ(row.whileStanding, PassedOn) << row.name;
        }
        // Regression: the guard put the previous handler back before it took the lines it held, so this line
        // was held after that and never passed on.
        guards(QtWarningMsg, QMessageLogContext(), "late");
        qInstallMessageHandler(nullptr);
        std::vector<std::string> all = row.logged;
        all.push_back("late");
        EXPECT_EQ(all, PassedOn) << row.name;
    }
}

}  // namespace
