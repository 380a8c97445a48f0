#include "views/quote_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/profile.h"

namespace codeburg {

namespace {

const QString kSection = QStringLiteral("Quote");

const char* const kQuotes[kQuoteCount] = {
    "Programs must be written for people to read, and only incidentally for machines to "
    "execute.\n\nHarold Abelson",
    "Any fool can write code that a computer can understand. Good programmers write code that "
    "humans can understand.\n\nMartin Fowler",
    "Simplicity is prerequisite for reliability.\n\nEdsger W. Dijkstra",
    "Premature optimization is the root of all evil.\n\nDonald Knuth",
    "Debugging is twice as hard as writing the code in the first place.\n\nBrian Kernighan",
    "First, solve the problem. Then, write the code.\n\nJohn Johnson",
    "Make it work, make it right, make it fast.\n\nKent Beck",
    "Testing shows the presence, not the absence of bugs.\n\nEdsger W. Dijkstra",
    "The best error message is the one that never shows up.\n\nThomas Fuchs",
    "Code is like humor. When you have to explain it, it's bad.\n\nCory House",
    "Deleted code is debugged code.\n\nJeff Sickel",
    "Talk is cheap. Show me the code.\n\nLinus Torvalds",
    "There are two ways of constructing a software design: make it so simple that there are "
    "obviously no deficiencies, or so complicated that there are no obvious "
    "deficiencies.\n\nC. A. R. Hoare",
    "A program that has not been tested does not work.\n\nBjarne Stroustrup",
    "Measuring programming progress by lines of code is like measuring aircraft building "
    "progress by weight.\n\nBill Gates",
    "The most disastrous thing that you can ever learn is your first programming "
    "language.\n\nAlan Kay",
    "Controlling complexity is the essence of computer programming.\n\nBrian Kernighan",
    "Always code as if the guy who ends up maintaining your code will be a violent psychopath "
    "who knows where you live.\n\nJohn Woods",
    "Good code is its own best documentation.\n\nSteve McConnell",
    "Beware of bugs in the above code; I have only proved it correct, not tried "
    "it.\n\nDonald Knuth",
    "One of my most productive days was throwing away 1000 lines of code.\n\nKen Thompson",
    "When in doubt, use brute force.\n\nKen Thompson",
    "Adding manpower to a late software project makes it later.\n\nFred Brooks",
    "Plan to throw one away; you will, anyhow.\n\nFred Brooks",
    "Simplicity is the soul of efficiency.\n\nAustin Freeman",
    "Before software can be reusable it first has to be usable.\n\nRalph Johnson",
    "Optimism is an occupational hazard of programming: feedback is the "
    "treatment.\n\nKent Beck",
    "It's not a bug - it's an undocumented feature.\n\nAnonymous",
    "Software is a great combination between artistry and engineering.\n\nBill Gates",
    "Fix the cause, not the symptom.\n\nSteve Maguire",
    "If debugging is the process of removing bugs, then programming must be the process of "
    "putting them in.\n\nEdsger W. Dijkstra",
    "The function of good software is to make the complex appear to be simple.\n\nGrady Booch",
    "Every great developer you know got there by solving problems they were unqualified to "
    "solve until they actually did it.\n\nPatrick McKenzie",
    "Programming is not about typing, it's about thinking.\n\nRich Hickey",
    "Weeks of coding can save you hours of planning.\n\nAnonymous",
    "The computer was born to solve problems that did not exist before.\n\nBill Gates",
    "A language that doesn't affect the way you think about programming is not worth "
    "knowing.\n\nAlan J. Perlis",
    "Simplicity does not precede complexity, but follows it.\n\nAlan J. Perlis",
    "Most good programmers do programming not because they expect to get paid, but because it "
    "is fun to program.\n\nLinus Torvalds",
    "The cheapest, fastest, and most reliable components are those that aren't "
    "there.\n\nGordon Bell",
    "Don't comment bad code - rewrite it.\n\nBrian Kernighan and P. J. Plauger",
    "Inside every large program, there is a small program trying to get out.\n\nC. A. R. Hoare",
};

}  // namespace

const char* QuoteText(int index)
{
    if (index < 0 || index >= kQuoteCount) index = 0;
    return kQuotes[index];
}

QuoteDialog::QuoteDialog(QWidget* parent) : DecoratedDialog(QString(), parent)
{
    setObjectName(QStringLiteral("QuoteDialog"));
    setHeaderText(QStringLiteral("Quote of the day"));
    setLineTop(212);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(44, 52, 16, 12);
    auto* row = new QHBoxLayout;
    auto* bitmap = new QLabel;
    bitmap->setObjectName(QStringLiteral("bitmap"));
    bitmap->setFixedSize(48, 48);
    bitmap->setText(QStringLiteral("\u201C"));
    QFont big = LargeFont();
    big.setPixelSize(44);
    bitmap->setFont(big);
    bitmap->setAlignment(Qt::AlignCenter);
    row->addWidget(bitmap, 0, Qt::AlignTop);
    m_text = new QLabel;
    m_text->setObjectName(QStringLiteral("quote"));
    m_text->setProperty("controlId", 1004);
    m_text->setWordWrap(true);
    m_text->setMinimumHeight(110);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    row->addWidget(m_text, 1);
    layout->addLayout(row);
    layout->addStretch();

    m_startup = new QCheckBox(QStringLiteral("&Show quotes on start-up"));
    m_startup->setProperty("controlId", 1001);
    auto* next = new QPushButton(QStringLiteral("&Next Quote >>"));
    next->setProperty("controlId", 1002);
    next->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("&Close"));
    close->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_startup);
    buttons->addStretch();
    buttons->addWidget(next);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(next, &QPushButton::clicked, this, &QuoteDialog::nextQuote);
    connect(close, &QPushButton::clicked, this, &QuoteDialog::accept);

    m_startup->setChecked(ProfileInt(kSection, QStringLiteral("StartUp"), 0) <= 0);
    m_index = ProfileInt(kSection, QStringLiteral("Index"), 0);
    // A hand-edited index outside the table starts over rather than reading
    // past its end.
    if (m_index < 0 || m_index >= kQuoteCount) m_index = 0;
    nextQuote();
    resize(500, 260);
}

QuoteDialog::~QuoteDialog()
{
    WriteProfileInt(kSection, QStringLiteral("Index"), m_index);
}

bool QuoteDialog::showOnStartup() const
{
    return m_startup->isChecked();
}

QString QuoteDialog::quote() const
{
    return m_text->text();
}

void QuoteDialog::nextQuote()
{
    m_text->setText(QString::fromUtf8(QuoteText(m_index)));
    m_index = (m_index + 1) % kQuoteCount;
}

void QuoteDialog::accept()
{
    WriteProfileInt(kSection, QStringLiteral("StartUp"), m_startup->isChecked() ? 0 : 1);
    QDialog::accept();
}

void QuoteDialog::paintEvent(QPaintEvent* event)
{
    DecoratedDialog::paintEvent(event);
}

}  // namespace codeburg
