#pragma once

#include "editor/PlatformServices.h"

namespace morvane {

// Modal Qt message boxes with a single OK button, and modal questions.
class QtMessageService : public MessageService {
public:
    void Show(QWidget* owner, Icon icon, const QString& title, const QString& text) override;
    int Ask(QWidget* owner, const QString& title, const QString& text, const QStringList& buttons,
        int defaultButton) override;
};

} // namespace morvane
