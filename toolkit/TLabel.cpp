#include "TLabel.h"

TLabel::TLabel(QWidget* parent)
    : QLabel(parent), FShow([this] { setText(QString::fromStdString(Caption())); })
{
}

std::string TLabel::Caption() const
{
    std::lock_guard<std::mutex> lock(FLock);
    return FCaption;
}

void TLabel::SetCaption(const std::string& Value)
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FCaption = Value;
    }
    FShow.Request();
}

void TLabel::SetCaptionText(const QString& Value)
{
    SetCaption(Value.toStdString());
}
