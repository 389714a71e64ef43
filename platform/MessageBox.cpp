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

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    std::lock_guard lock(hookMutex);
    currentHook = std::move(hook);
}

void MessageBoxA(const char* text, const char* caption)
{
    text = text != nullptr ? text : "";
    caption = caption != nullptr ? caption : "";
    if (const MessageBoxHook hook = Hook()) {
        hook(text, caption);
        return;
    }
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return;
    }
    const auto show = [text, caption] {
        QMessageBox box(QMessageBox::NoIcon, QString::fromLocal8Bit(caption),
                        QString::fromLocal8Bit(text), QMessageBox::Ok);
        box.exec();
    };
    if (QThread::currentThread() == app->thread()) {
        show();
        return;
    }
    // A promise rather than a blocking connection: its hand-over is visible to the
    // thread sanitizer, and a call the application drops unrun still releases us.
    std::promise<void> dismissed;
    std::future<void> done = dismissed.get_future();
    QMetaObject::invokeMethod(
        app,
        [show, dismissed = std::move(dismissed)]() mutable {
            show();
            dismissed.set_value();
        },
        Qt::QueuedConnection);
    done.wait();
}
