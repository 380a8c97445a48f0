#pragma once

#include "gui/decorated_dialog.h"

namespace codeburg {

// Greets the user on the first start with an empty workspace; OK leads into
// adding the first project.
class WelcomeDialog : public DecoratedDialog {
    Q_OBJECT
public:
    explicit WelcomeDialog(QWidget* parent = nullptr);
};

}  // namespace codeburg
