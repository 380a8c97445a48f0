#pragma once

#include <QDialog>
#include <QString>

#include "scoring/scoring_topic.h"

class QLabel;
class QLineEdit;
class QTabWidget;
class QTreeWidget;

namespace codeburg {

struct ScoringSettings;

// Edits one topic on a working copy and previews its score curve and the
// scores of a sample value, of half of it and of twice it.
class CEditScoreDialog : public QDialog {
    Q_OBJECT
public:
    // Set once any topic went through this dialog with OK during the run.
    static bool topicChanged;

    explicit CEditScoreDialog(ScoringTopic& topic, QWidget* parent = nullptr);

    QLineEdit* field(int id) const;  // by the control numbers 1046 .. 1056
    QLabel* note() const { return m_note; }
    const ScoringTopic& workingCopy() const { return m_copy; }
    void readFields();  // what every edit does

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshScores();
    void drawGraph(QWidget* frame);

    ScoringTopic& m_topic;
    ScoringTopic m_copy;
    QWidget* m_graph;
    QLabel* m_note;
    QList<QLineEdit*> m_fields;
    bool m_refreshing = false;
};

// The scoring topics, the ideal lines per method and the snapshot quality.
// OK stores them in the settings and the settings file; Cancel reads the
// settings back from the file, dropping what "&Default" or Edit score did.
class CPreferencesDialog : public QDialog {
    Q_OBJECT
public:
    CPreferencesDialog(ScoringSettings& settings, const QString& settingsPath,
                       QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    QTreeWidget* topics() const { return m_topics; }
    QLineEdit* lineCountEdit() const { return m_lineCount; }
    QLineEdit* qualityEdit() const { return m_quality; }

    void restoreDefaults();
    void editTopic();  // the selected row's topic in Edit score
    void accept() override;
    void reject() override;

private:
    void fill();

    ScoringSettings& m_settings;
    QString m_path;
    QTabWidget* m_tabs;
    QTreeWidget* m_topics;
    QLineEdit* m_lineCount;
    QLineEdit* m_quality;
};

}  // namespace codeburg
