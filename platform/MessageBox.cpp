#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>
#include <future>
#include <mutex>

namespace {

std::mutex hookMutex;
MessageBoxHook currentHook;

MessageBoxHook Hook()
{
    std::lock_guard lock(hookMutex);
    return currentHook;
}

void Show(const char* text, const char* caption)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLocal8Bit(caption), QString::fromLocal8Bit(text),
                    QMessageBox::Ok);
    box.exec();
}

void ShowOnTheApplicationsThread(QApplication& app, const char* text, const char* caption)
{
    // A promise rather than a blocking connection: its hand-over is visible to the
    // thread sanitizer, and a call the application drops unrun still releases us.
    std::promise<void> dismissed;
    std::future<void> done = dismissed.get_future();
    QMetaObject::invokeMethod(
        &app,
        [text, caption, dismissed = std::move(dismissed)]() mutable {
            Show(text, caption);
            dismissed.set_value();
        },
        Qt::QueuedConnection);
    done.wait();
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    std::lock_guard lock(hookMutex);
    currentHook = std::move(hook);
}

int MessageBoxA(HWND, const char* text, const char* caption, unsigned type)
{
    if ((type & ~MB_TASKMODAL) != MB_OK)
        return 0;
    text = text != nullptr ? text : "";
    caption = caption != nullptr ? caption : "";
    if (const MessageBoxHook hook = Hook()) {
        hook(text, caption);
        return IDOK;
    }
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr)
        std::fprintf(stderr, "%s: %s\n", caption, text);
    else if (QThread::currentThread() == app->thread())
        Show(text, caption);
    else
        ShowOnTheApplicationsThread(*app, text, caption);
    return IDOK;
}
