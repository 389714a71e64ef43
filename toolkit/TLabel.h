#pragma once

#include "TCoalescedUpdate.h"

#include <QLabel>

#include <mutex>
#include <string>

// A text control whose caption any thread may set; the window's thread shows the latest one.
// A widget of the window's thread, owned by its form.
class TLabel : public QLabel {
    Q_OBJECT
    // The form description sets the caption here rather than through QLabel's text, so Caption() knows it.
    Q_PROPERTY(QString Caption READ text WRITE SetCaptionText)

public:
    explicit TLabel(QWidget* parent = nullptr);

    std::string Caption() const;
    void SetCaption(const std::string& Value);

private:
    void SetCaptionText(const QString& Value);

    mutable std::mutex FLock;
    std::string FCaption;
    TCoalescedUpdate FShow;
};
