#pragma once

#include <QObject>

#include <functional>

// Senders and owners are plain Qt objects; handlers are bound callables, the one event mechanism of the toolkit.
using TObject = QObject;
using TComponent = QObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;
