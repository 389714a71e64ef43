#pragma once

#include <functional>
#include <vector>

// Senders and owners. A component owns those made with it as Owner and deletes them, newest first, when it
// goes; handlers are bound callables, the one event mechanism of the toolkit. Window's thread only.
class TObject {
public:
    virtual ~TObject() = default;
};

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* Owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

protected:
    void DestroyComponents();

private:
    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
