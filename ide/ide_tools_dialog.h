#pragma once

#include "gui/decorated_dialog.h"

class QCheckBox;

namespace codeburg {

class Registry;

// Offers to add codeburg to the Tools menu of the installed environments.
class IdeToolsDialog : public DecoratedDialog {
    Q_OBJECT
public:
    // The registry is not owned and must outlive the dialog.
    explicit IdeToolsDialog(Registry& registry, QWidget* parent = nullptr);

    QCheckBox* vc6Check() const { return m_vc6; }
    QCheckBox* vc7Check() const { return m_vc7; }
    QCheckBox* dontAskCheck() const { return m_dontAsk; }
    void accept() override;  // "&Create tool shortcuts"
    void reject() override;

private:
    void storeDontAsk();

    Registry& m_registry;
    QCheckBox* m_vc6;
    QCheckBox* m_vc7;
    QCheckBox* m_dontAsk;
};

}  // namespace codeburg
