#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QRadioButton;

namespace codeburg {

// What the "Select Device" dialog chooses.
struct DeviceChoice {
    bool fullScreen = false;
    int mode = 0;     // index into the full-screen modes
    int samples = 0;  // 0 for none

    bool operator==(const DeviceChoice&) const = default;
};

// "%ld x %ld x %ld" for every screen of at least 640 x 400, largest first.
QStringList ScreenModes();
// "none", then "%d samples" for 2, 4, 8 ... up to the device's limit.
QStringList MultisampleNames(int maxSamples);
int SamplesOfItem(int index);  // 0, 2, 4, 8 ...

// The device dialog: the renderer, windowed or full screen with the
// screen's modes, and the multisample type.
class DeviceDialog : public QDialog {
    Q_OBJECT
public:
    DeviceDialog(const QString& renderer, const QString& device, int maxSamples,
                 const DeviceChoice& current, QWidget* parent = nullptr);

    DeviceChoice choice() const;
    // OK counts as a change only when something differs from the start.
    bool changed() const { return choice() != m_start; }

    QComboBox* modeList() const { return m_modes; }
    QComboBox* multisampleList() const { return m_multisample; }
    QRadioButton* windowButton() const { return m_windowed; }
    QRadioButton* fullScreenButton() const { return m_fullScreen; }

private:
    DeviceChoice m_start;
    QComboBox* m_modes;
    QComboBox* m_multisample;
    QRadioButton* m_windowed;
    QRadioButton* m_fullScreen;
};

}  // namespace codeburg
