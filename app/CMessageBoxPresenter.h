#pragma once

#include "Messages.h"

// Shows each message in a parentless information box titled "Message" with one Ok button.
class CMessageBoxPresenter : public CMessagePresenter {
public:
    void Present(const QString &text) override;
};
