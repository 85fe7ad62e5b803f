#pragma once
#include <QGroupBox>
#include <QPointer>

class QLabel;
class QSpinBox;
class cHeadset;

// The microphone light and mute notification of the headset chosen in the window. A value is
// written as soon as it is set; what the service refuses stays on screen as the service's own
// message, and the box goes back to the headset's value.
class cMicrophoneEditor : public QGroupBox
{
    Q_OBJECT
public:
    explicit cMicrophoneEditor(QWidget *parent = nullptr);

    // Null: no headset, nothing to edit.
    void setHeadset(cHeadset *headset);

    QSpinBox *lightBox() const { return m_light; }
    QSpinBox *notificationBox() const { return m_notification; }
    QLabel *messageLabel() const { return m_message; }

private:
    void showHeadset();
    void write(const QString &property, int value);
    static QSpinBox *newBox(const QString &name, QWidget *parent);

    QPointer<cHeadset> m_headset;
    QSpinBox *m_light;
    QSpinBox *m_notification;
    QLabel *m_message;
};
