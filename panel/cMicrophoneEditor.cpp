#include "cMicrophoneEditor.h"

#include "cHeadset.h"

#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

namespace {
// Wider than any setting the headset knows, so that a value it refuses can be tried and the
// service's answer read; the service, not the panel, decides what is accepted.
const int g_largestValue = 9;
} // namespace

cMicrophoneEditor::cMicrophoneEditor(QWidget *parent)
    : QGroupBox(tr("Microphone"), parent)
    , m_light(newBox(tr("Microphone light"), this))
    , m_notification(newBox(tr("Mute notification"), this))
    , m_message(new QLabel(this))
{
    m_message->setWordWrap(true);
    m_message->setAccessibleName(tr("Microphone message"));
    auto *layout = new QFormLayout(this);
    layout->addRow(tr("&Light:"), m_light);
    layout->addRow(tr("Mute &notification:"), m_notification);
    layout->addRow(m_message);
    connect(m_light, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this](int value) { write(cHeadset::micLightProperty(), value); });
    connect(m_notification, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this](int value) { write(cHeadset::micNotificationProperty(), value); });
    setHeadset(nullptr);
}

QSpinBox *cMicrophoneEditor::newBox(const QString &name, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setRange(0, g_largestValue);
    box->setAccessibleName(name);
    // Typing "12" is one value, not a write of 1 and then of 12.
    box->setKeyboardTracking(false);
    return box;
}

void cMicrophoneEditor::setHeadset(cHeadset *headset)
{
    if (headset && headset == m_headset)
        return;
    if (m_headset)
        disconnect(m_headset, nullptr, this, nullptr);
    m_headset = headset;
    m_message->clear();
    if (headset) {
        connect(headset, &cHeadset::changed, this, &cMicrophoneEditor::showHeadset);
        connect(headset, &cHeadset::writeRefused, this, [this](const QString &, const QString &message) {
            m_message->setText(message);
            showHeadset();
        });
    }
    showHeadset();
}

void cMicrophoneEditor::showHeadset()
{
    const QSignalBlocker lightBlocker(m_light);
    const QSignalBlocker notificationBlocker(m_notification);
    setEnabled(m_headset && m_headset->isLoaded());
    m_light->setValue(m_headset ? int(m_headset->micLight()) : 0);
    m_notification->setValue(m_headset ? int(m_headset->micNotification()) : 0);
}

void cMicrophoneEditor::write(const QString &property, int value)
{
    if (!m_headset)
        return;
    m_message->clear();
    m_headset->write(property, uint(value));
}
