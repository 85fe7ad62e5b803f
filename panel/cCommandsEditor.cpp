#include "cCommandsEditor.h"

#include "cDesktopActions.h"
#include "cPanelSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

cCommandsEditor::cCommandsEditor(cPanelSettings *settings, QWidget *parent)
    : QGroupBox(tr("Settings"), parent)
    , m_settings(settings)
    , m_volumeStep(new QSpinBox(this))
    , m_notifications(new QCheckBox(tr("Show &notifications"), this))
    , m_save(new QPushButton(tr("&Save"), this))
    , m_status(new QLabel(this))
{
    auto *layout = new QFormLayout(this);
    m_volumeStep->setRange(1, 100);
    m_volumeStep->setSuffix(tr(" %"));
    m_volumeStep->setAccessibleName(tr("Volume step"));
    layout->addRow(tr("&Volume step:"), m_volumeStep);
    for (const QString &event : cDesktopActions::events()) {
        auto *edit = new QLineEdit(this);
        edit->setAccessibleName(tr("Command for %1").arg(event));
        edit->setPlaceholderText(tr("nothing"));
        m_commands.insert(event, edit);
        layout->addRow(event + QLatin1Char(':'), edit);
    }
    m_notifications->setAccessibleName(tr("Show notifications"));
    layout->addRow(m_notifications);
    m_save->setAccessibleName(tr("Save settings"));
    m_status->setAccessibleName(tr("Settings message"));
    m_status->setWordWrap(true);
    layout->addRow(m_save, m_status);
    connect(m_save, &QPushButton::clicked, this, &cCommandsEditor::save);
    // The widgets were made before the rows they sit in; Tab goes down the rows as they are shown.
    QWidget *previous = m_volumeStep;
    for (const QString &event : cDesktopActions::events()) {
        setTabOrder(previous, m_commands.value(event));
        previous = m_commands.value(event);
    }
    setTabOrder(previous, m_notifications);
    setTabOrder(m_notifications, m_save);
    showSettings();
}

void cCommandsEditor::showSettings()
{
    m_volumeStep->setValue(m_settings->volumeStep());
    for (auto it = m_commands.cbegin(); it != m_commands.cend(); ++it)
        it.value()->setText(m_settings->command(it.key()));
    m_notifications->setChecked(m_settings->notificationsEnabled());
}

void cCommandsEditor::setStatus(const QString &text)
{
    m_status->setText(text);
}

void cCommandsEditor::save()
{
    m_settings->setVolumeStep(m_volumeStep->value());
    for (auto it = m_commands.cbegin(); it != m_commands.cend(); ++it)
        m_settings->setCommand(it.key(), it.value()->text());
    m_settings->setNotificationsEnabled(m_notifications->isChecked());
    QString error;
    if (!m_settings->save(&error)) {
        setStatus(error);
        return;
    }
    setStatus(tr("Saved."));
    emit saved();
}
