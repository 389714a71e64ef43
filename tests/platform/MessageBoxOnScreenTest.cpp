#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

// The box must block its caller until OK is clicked, from the application's thread
// as from any other; a poll on the application's thread plays the user.
TEST(MessageBoxOnScreen, ShowsCaptionTextAndOneButtonUntilDismissed)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "platform_threaded_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    struct Row {
        std::string name;
        bool fromAnotherThread;
    };
    const Row rows[] = {{"from the application's thread", false}, {"from another thread", true}};
    for (const Row& row : rows) {
        QString title;
        QString text;
        qsizetype buttons = 0;
        std::atomic<bool> returned{false};
        QTimer user;
        user.callOnTimeout(&app, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                text = box->text();
                buttons = box->buttons().size();
                box->button(QMessageBox::Ok)->click();
            }
        });
        user.start(5);
        // Quitting ends the box's own loop too, so a box nobody finds cannot hang the test.
        QTimer::singleShot(std::chrono::seconds(20), &app, &QApplication::quit);
        const auto call = [&] {
            MessageBoxA(nullptr, "fails to create timer event", "TMMTimer Error", MB_OK);
            returned = true;
            QMetaObject::invokeMethod(&app, &QApplication::quit, Qt::QueuedConnection);
        };
        std::thread caller;
        if (row.fromAnotherThread)
            caller = std::thread(call);
        else
            QTimer::singleShot(0, &app, call);
        app.exec();
        if (caller.joinable())
            caller.join();

        EXPECT_TRUE(returned) << row.name;
        EXPECT_EQ("TMMTimer Error", title.toStdString()) << row.name;
        EXPECT_EQ("fails to create timer event", text.toStdString()) << row.name;
        EXPECT_EQ(1, buttons) << row.name;
    }
}

}  // namespace
