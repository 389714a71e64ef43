#pragma once

#include "TCoalescedUpdate.h"

#include <QLabel>

#include <mutex>
#include <string>
#include <string_view>

// A text control whose caption any thread may set; the window's thread shows the latest one.
// A widget of the window's thread, owned by its form.
class TLabel : public QLabel {
    Q_OBJECT
    // The form description sets the caption here rather than through QLabel's text, so Caption() knows it.
    Q_PROPERTY(QString Caption READ text WRITE SetCaptionText)

public:
    explicit TLabel(QWidget* parent = nullptr);

    std::string Caption() const;
    // Allocates nothing once the caption has been as long before, so a real-time tick may call it.
    void SetCaption(std::string_view Value);

private:
    void SetCaptionText(const QString& Value);
    void Show();

    mutable std::mutex FLock;
    std::string FCaption;
    // The caption being shown, copied out of the lock into room kept from one frame to the next.
    std::string FShown;
    TCoalescedUpdate FShow;
};
