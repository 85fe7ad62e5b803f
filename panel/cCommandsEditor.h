#pragma once
#include <QGroupBox>
#include <QHash>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class cPanelSettings;

// The settings kept in the configuration file: the command of each key and switch event, the
// volume step and the notifications switch, edited in place and written by "Save".
class cCommandsEditor : public QGroupBox
{
    Q_OBJECT
public:
    explicit cCommandsEditor(cPanelSettings *settings, QWidget *parent = nullptr);

    // Shows what `settings` holds now.
    void showSettings();
    // A line under the button: how the save went, or the reason it did not.
    void setStatus(const QString &text);

    QLineEdit *commandEdit(const QString &event) const { return m_commands.value(event); }
    QSpinBox *volumeStepBox() const { return m_volumeStep; }
    QCheckBox *notificationsBox() const { return m_notifications; }
    QPushButton *saveButton() const { return m_save; }
    QLabel *statusLabel() const { return m_status; }

signals:
    // The file now holds what the editor shows.
    void saved();

private:
    void save();

    cPanelSettings *m_settings;
    QHash<QString, QLineEdit *> m_commands;
    QSpinBox *m_volumeStep;
    QCheckBox *m_notifications;
    QPushButton *m_save;
    QLabel *m_status;
};
