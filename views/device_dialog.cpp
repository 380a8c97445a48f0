#include "views/device_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <tuple>

namespace codeburg {

QStringList ScreenModes()
{
    struct Mode {
        int width, height, depth;
    };
    std::vector<Mode> modes;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QSize size = screen->size() * screen->devicePixelRatio();
        // Smaller modes never held the city's texts.
        if (size.width() < 640 || size.height() < 400) continue;
        modes.push_back({size.width(), size.height(), screen->depth()});
    }
    std::sort(modes.begin(), modes.end(), [](const Mode& a, const Mode& b) {
        return std::tie(b.width, b.height, b.depth) < std::tie(a.width, a.height, a.depth);
    });
    QStringList names;
    for (const Mode& m : modes) {
        const QString name =
            QString::asprintf("%ld x %ld x %ld", long(m.width), long(m.height), long(m.depth));
        if (!names.contains(name)) names << name;
    }
    return names;
}

int SamplesOfItem(int index)
{
    return index <= 0 ? 0 : 1 << index;
}

QStringList MultisampleNames(int maxSamples)
{
    QStringList names{QStringLiteral("none")};
    for (int i = 1; SamplesOfItem(i) <= maxSamples && i < 6; ++i)
        names << QString::asprintf("%d samples", SamplesOfItem(i));
    return names;
}

DeviceDialog::DeviceDialog(const QString& renderer, const QString& device, int maxSamples,
                           const DeviceChoice& current, QWidget* parent)
    : QDialog(parent),
      m_start(current),
      m_modes(new QComboBox(this)),
      m_multisample(new QComboBox(this)),
      m_windowed(new QRadioButton(QStringLiteral("Use desktop &window"), this)),
      m_fullScreen(new QRadioButton(QStringLiteral("&Fullscreen mode:"), this))
{
    setWindowTitle(QStringLiteral("Select Device"));
    auto* adapters = new QComboBox(this);
    adapters->addItem(renderer);
    auto* devices = new QComboBox(this);
    devices->addItem(device);
    m_modes->addItems(ScreenModes());
    m_modes->setCurrentIndex(std::clamp(current.mode, 0, std::max(0, m_modes->count() - 1)));
    m_multisample->addItems(MultisampleNames(maxSamples));
    int item = 0;
    while (item + 1 < m_multisample->count() && SamplesOfItem(item) < current.samples) ++item;
    m_multisample->setCurrentIndex(item);
    m_windowed->setChecked(!current.fullScreen);
    m_fullScreen->setChecked(current.fullScreen);
    m_fullScreen->setEnabled(m_modes->count() > 0);
    m_modes->setEnabled(current.fullScreen);
    connect(m_fullScreen, &QRadioButton::toggled, m_modes, &QComboBox::setEnabled);

    auto* adapterLabel = new QLabel(QStringLiteral("&Adapter:"), this);
    adapterLabel->setBuddy(adapters);
    auto* deviceLabel = new QLabel(QStringLiteral("&Device:"), this);
    deviceLabel->setBuddy(devices);
    auto* multisampleLabel = new QLabel(QStringLiteral("&Multisample Type:"), this);
    multisampleLabel->setBuddy(m_multisample);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(adapterLabel, 0, 0);
    grid->addWidget(adapters, 0, 1);
    grid->addWidget(deviceLabel, 1, 0);
    grid->addWidget(devices, 1, 1);
    grid->addWidget(m_windowed, 2, 0, 1, 2);
    grid->addWidget(m_fullScreen, 3, 0);
    grid->addWidget(m_modes, 3, 1);
    grid->addWidget(multisampleLabel, 4, 0);
    grid->addWidget(m_multisample, 4, 1);
    grid->addWidget(buttons, 5, 0, 1, 2);
}

DeviceChoice DeviceDialog::choice() const
{
    DeviceChoice c;
    c.fullScreen = m_fullScreen->isChecked();
    c.mode = c.fullScreen ? std::max(0, m_modes->currentIndex()) : m_start.mode;
    c.samples = SamplesOfItem(m_multisample->currentIndex());
    return c;
}

}  // namespace codeburg
