#pragma once

#include "gui/decorated_dialog.h"

class QCheckBox;
class QLabel;

namespace codeburg {

// The quotations, each a text followed by its author.
inline constexpr int kQuoteCount = 42;
const char* QuoteText(int index);

// Shows one quotation per start (or on request) and remembers which comes
// next in the profile section "Quote".
class QuoteDialog : public DecoratedDialog {
    Q_OBJECT
public:
    explicit QuoteDialog(QWidget* parent = nullptr);
    ~QuoteDialog() override;  // stores the next index

    bool showOnStartup() const;
    QString quote() const;
    QCheckBox* startupCheck() const { return m_startup; }
    void nextQuote();
    void accept() override;  // "&Close"

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_text;
    QCheckBox* m_startup;
    int m_index;
};

}  // namespace codeburg
