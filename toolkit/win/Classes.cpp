#include "Classes.h"

TComponent::TComponent(TComponent* Owner) : FOwner(Owner)
{
    if (FOwner)
        FOwner->FComponents.push_back(this);
}

TComponent::~TComponent()
{
    DestroyComponents();
    if (FOwner)
        std::erase(FOwner->FComponents, this);
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty())
        delete FComponents.back();
}
