#include "views/preferences_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/interaction.h"
#include "gui/settings_file.h"
#include "platform/ini_file.h"
#include "scoring/scoring_settings.h"
#include "views/view_support.h"

namespace codeburg {

bool CEditScoreDialog::topicChanged = false;

namespace {

constexpr int kFirstField = 1046;  // reference, tolerance, ratios, weight, samples
constexpr int kSampleField = 1051;

// A fraction in whole percents, cut short as the list always showed it, but
// not below the percent it was made from: "5" x 0.01f x 100 is 4.9999995.
int Percent(float fraction)
{
    return static_cast<int>(fraction * 100.0f + 0.001f);
}

QStringList TopicTexts(const ScoringTopic& t)
{
    return {QString::fromStdString(t.name),
            QString::number(Percent(t.reference)),
            QStringLiteral("±%1").arg(Percent(t.tolerance)),
            QString::number(t.ratioMinus, 'f', 2),
            QString::number(t.ratioPlus, 'f', 2),
            QString::number(t.weight, 'f', 2),
            QString::fromStdString(t.unit)};
}

void Arrowhead(QPainter& painter, QPoint tip, QPoint dx, QPoint dy)
{
    const QPoint points[] = {tip, tip - dx * 4 + dy * 4, tip - dx * 4 - dy * 4};
    painter.drawPolygon(points, 3);
}

}  // namespace

CEditScoreDialog::CEditScoreDialog(ScoringTopic& topic, QWidget* parent)
    : QDialog(parent), m_topic(topic), m_copy(topic), m_graph(new QWidget(this))
{
    setObjectName(QStringLiteral("CEditScoreDialog"));
    setWindowTitle(QStringLiteral("Edit score"));
    auto* name = new QLineEdit(QString::fromStdString(topic.name), this);
    auto* unit = new QLineEdit(QString::fromStdString(topic.unit), this);
    name->setReadOnly(true);
    unit->setReadOnly(true);

    const char* labels[] = {
        "&Reference :", "&Tolerance :", "&Ratio - :", "&Ratio + :",  "&Weight :", "Sam&ple value :",
        "S&core :",     "value / 2 :",  "S&core :",   "value * 2 :", "S&core :"};
    const char* hints[] = {"[0-100]", "[0-100]", "[0.0 - x.0]", "[0.0 - x.0]", "[0.0 - x.0]"};
    auto* scoring = new QGroupBox(QStringLiteral("Scoring system"), this);
    auto* samples = new QGroupBox(QStringLiteral("Samples"), this);
    auto* scoringForm = new QFormLayout(scoring);
    auto* sampleForm = new QFormLayout(samples);
    scoringForm->addRow(QStringLiteral("&Name :"), name);
    scoringForm->addRow(QStringLiteral("&Unit :"), unit);
    for (int i = 0; i < 11; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(kFirstField + i));
        edit->setReadOnly(i > 5);
        m_fields << edit;
        auto* label = new QLabel(QLatin1String(labels[i]), this);
        label->setBuddy(edit);
        if (i < 5) {
            auto* row = new QHBoxLayout;
            row->addWidget(edit);
            row->addWidget(new QLabel(QLatin1String(hints[i]), this));
            scoringForm->addRow(label, row);
        } else {
            sampleForm->addRow(label, edit);
        }
    }
    m_fields[0]->setText(QString::number(Percent(m_copy.reference)));
    m_fields[1]->setText(QString::number(Percent(m_copy.tolerance)));
    m_fields[2]->setText(QString::number(m_copy.ratioMinus));
    m_fields[3]->setText(QString::number(m_copy.ratioPlus));
    m_fields[4]->setText(QString::number(m_copy.weight));
    m_fields[5]->setText(QStringLiteral("10"));

    m_graph->setObjectName(QStringLiteral("1045"));
    m_graph->setMinimumSize(220, 160);
    m_graph->installEventFilter(this);
    m_note = new QLabel(QStringLiteral("Scoring settings are saved in \"codeburg.ini\""), this);
    m_note->setVisible(topicChanged);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* grid = new QGridLayout(this);
    grid->addWidget(scoring, 0, 0);
    grid->addWidget(samples, 0, 1);
    grid->addWidget(m_graph, 1, 0, 1, 2);
    grid->addWidget(m_note, 2, 0, 1, 2);
    grid->addWidget(buttons, 3, 0, 1, 2);

    refreshScores();
    for (int i : {0, 1, 2, 3, 5}) {
        connect(m_fields[i], &QLineEdit::textEdited, this, [this] { readFields(); });
    }
}

QLineEdit* CEditScoreDialog::field(int id) const
{
    const int index = id - kFirstField;
    return index >= 0 && index < m_fields.size() ? m_fields[index] : nullptr;
}

void CEditScoreDialog::refreshScores()
{
    const int sample = m_fields[5]->text().toInt();
    const auto scores = PreviewScores(m_copy, sample);
    m_fields[6]->setText(QString::number(scores[0]));
    m_fields[7]->setText(QString::number(sample / 2));
    m_fields[8]->setText(QString::number(scores[1]));
    m_fields[9]->setText(QString::number(static_cast<qint64>(sample) * 2));
    m_fields[10]->setText(QString::number(scores[2]));
}

void CEditScoreDialog::readFields()
{
    const int percents[] = {std::clamp(m_fields[0]->text().toInt(), 0, 100),
                            std::clamp(m_fields[1]->text().toInt(), 0, 100)};
    m_copy.reference = percents[0] * 0.01f;
    m_copy.tolerance = percents[1] * 0.01f;
    m_copy.ratioMinus = m_fields[2]->text().toFloat();
    m_copy.ratioPlus = m_fields[3]->text().toFloat();
    m_copy.weight = m_fields[4]->text().toFloat();
    // Out-of-range percents show as what they were taken for: the whole
    // percent taken, not the fraction times 100 cut short.
    for (int i : {0, 1}) {
        const QString shown = QString::number(percents[i]);
        if (m_fields[i]->text() != shown) m_fields[i]->setText(shown);
    }
    refreshScores();
    m_note->show();
    update();
    m_graph->update();
}

void CEditScoreDialog::accept()
{
    readFields();
    topicChanged = true;
    m_topic = m_copy;
    QDialog::accept();
}

bool CEditScoreDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_graph && event->type() == QEvent::Paint) {
        drawGraph(m_graph);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CEditScoreDialog::drawGraph(QWidget* frame)
{
    QPainter painter(frame);
    const int w = frame->width(), h = frame->height();
    painter.fillRect(frame->rect(), QColor(230, 230, 230));
    const int pw = w - 24, ph = h - 24;

    painter.setPen(Qt::black);
    ScoringTopic probe = m_copy;
    QPolygon curve;
    for (int v = 0; v < 100; ++v) {
        SetValue(probe, v * 0.01f, 0.0f);
        const int percent = ScorePercent(TopicScore(probe));
        curve << QPoint(12 + pw * v / 100, 12 + ph - ph * percent / 100);
    }
    painter.drawPolyline(curve);

    const QColor axis(240, 176, 73);
    painter.setPen(axis);
    painter.setBrush(axis);
    painter.drawLine(12, 12, 12, h - 12);
    painter.drawLine(12, h - 12, w - 12, h - 12);
    Arrowhead(painter, QPoint(12, 12), QPoint(0, -1), QPoint(1, 0));
    Arrowhead(painter, QPoint(w - 12, h - 12), QPoint(1, 0), QPoint(0, 1));
    painter.setFont(SmallFont(nullptr));
    // The labels sit beside the arrowheads, wide enough for the toolkit's font.
    const int labelFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    painter.drawText(QRect(16, 0, 40, 12), labelFlags, QStringLiteral("100%"));
    painter.drawText(QRect(16, h - 11, 40, 12), labelFlags, QStringLiteral("0%"));

    const int reference = Percent(m_copy.reference);
    const int x = 12 + pw * reference / 100;
    painter.setPen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
    painter.drawLine(x, 12, x, 12 + ph);
    painter.drawText(QRect(x + 2, 0, 30, 12), labelFlags, QStringLiteral("ref"));
    painter.drawText(QRect(x + 2, h - 11, 30, 12), labelFlags, QString::number(reference));
}

CPreferencesDialog::CPreferencesDialog(ScoringSettings& settings, const QString& settingsPath,
                                       QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_path(settingsPath),
      m_tabs(new QTabWidget(this)),
      m_topics(new QTreeWidget(this)),
      m_lineCount(new QLineEdit(this)),
      m_quality(new QLineEdit(this))
{
    setObjectName(QStringLiteral("CPreferencesDialog"));
    setWindowTitle(QStringLiteral("Preferences"));
    m_lineCount->setAlignment(Qt::AlignRight);
    m_quality->setAlignment(Qt::AlignRight);
    SetUpReportList(m_topics,
                    {"Topic", "Reference", "Tolerance", "Ratio-", "Ratio+", "Weight", "Unit"},
                    {110, 70, 70, 45, 45, 50, 50});

    auto* scoring = new QWidget;
    auto* scoringLayout = new QVBoxLayout(scoring);
    auto* lines = new QFormLayout;
    lines->addRow(QStringLiteral("Ideal &lines per method : "), m_lineCount);
    scoringLayout->addLayout(lines);
    scoringLayout->addWidget(m_topics);
    auto* edit = new QPushButton(QStringLiteral("&Edit..."));
    scoringLayout->addWidget(edit, 0, Qt::AlignRight);
    auto* misc = new QWidget;
    auto* miscLayout = new QHBoxLayout(misc);
    auto* quality = new QLabel(QStringLiteral("Snapshot &quality : "));
    quality->setBuddy(m_quality);  // the "&" marks Alt+Q, not a letter to show
    miscLayout->addWidget(quality);
    miscLayout->addWidget(m_quality);
    miscLayout->addWidget(new QLabel(QStringLiteral("%")));
    miscLayout->addStretch();
    m_tabs->addTab(scoring, QStringLiteral("Scoring"));
    m_tabs->addTab(misc, QStringLiteral("misc"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* defaults =
        buttons->addButton(QStringLiteral("&Default"), QDialogButtonBox::ResetRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    resize(520, 380);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, &CPreferencesDialog::restoreDefaults);
    connect(edit, &QPushButton::clicked, this, &CPreferencesDialog::editTopic);
    connect(m_topics, &QTreeWidget::itemDoubleClicked, this, &CPreferencesDialog::editTopic);
    fill();
}

void CPreferencesDialog::fill()
{
    m_lineCount->setText(QString::number(m_settings.lineCount));
    m_quality->setText(QString::number(m_settings.snapshotQuality));
    const int row = m_topics->currentIndex().row();
    m_topics->clear();
    for (const ScoringTopic& topic : m_settings.topics) {
        auto* item = new QTreeWidgetItem(m_topics, TopicTexts(topic));
        for (int c = 1; c < 7; ++c) item->setTextAlignment(c, Qt::AlignRight);
    }
    if (row >= 0 && row < m_topics->topLevelItemCount())
        m_topics->setCurrentItem(m_topics->topLevelItem(row));
}

void CPreferencesDialog::restoreDefaults()
{
    ResetToDefaults(m_settings);
    fill();
}

void CPreferencesDialog::editTopic()
{
    QTreeWidgetItem* item = m_topics->currentItem();
    if (!item || !item->isSelected()) return;
    const int row = m_topics->indexOfTopLevelItem(item);
    if (row < 0 || row >= static_cast<int>(m_settings.topics.size())) return;
    CEditScoreDialog dialog(m_settings.topics[row], this);
    if (Ui().execDialog(&dialog) == QDialog::Accepted) fill();
    update();
}

void CPreferencesDialog::accept()
{
    m_settings.lineCount = m_lineCount->text().toInt();
    m_settings.snapshotQuality = std::clamp(m_quality->text().toInt(), 1, 100);
    IniFile ini(m_path.toStdString());
    if (!Save(m_settings, ini))
        Message(this, QStringLiteral("cannot write the settings file %1").arg(m_path));
    QDialog::accept();
}

void CPreferencesDialog::reject()
{
    LoadSettingsFile(m_settings, m_path);
    QDialog::reject();
}

}  // namespace codeburg
