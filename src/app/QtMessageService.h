#pragma once

#include "editor/PlatformServices.h"

namespace morvane {

// Modal Qt message boxes with a single OK button.
class QtMessageService : public MessageService {
public:
    void Show(QWidget* owner, Icon icon, const QString& title, const QString& text) override;
};

} // namespace morvane
