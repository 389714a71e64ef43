#include "TLabel.h"

TLabel::TLabel(QWidget* parent) : QLabel(parent), FShow(this, [this] { Show(); }) {}

std::string TLabel::Caption() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FCaption;
}

void TLabel::SetCaption(std::string_view Value)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FCaption.assign(Value);
    }
    FShow.Request();
}

void TLabel::SetCaptionText(const QString& Value)
{
    SetCaption(Value.toStdString());
}

void TLabel::Show()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FShown.assign(FCaption);
    }
    setText(QString::fromStdString(FShown));
}
