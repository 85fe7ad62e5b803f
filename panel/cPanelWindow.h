#pragma once
#include <QWidget>

class QLabel;
class QTableView;
class cCommandsEditor;
class cHeadsetModel;
class cHeadsetService;
class cMicrophoneEditor;
class cPanelSettings;

// The settings window: whether the service runs, the headsets it serves, the microphone of the
// one chosen, and the settings of the configuration file.
class cPanelWindow : public QWidget
{
    Q_OBJECT
public:
    cPanelWindow(cHeadsetService *service, cHeadsetModel *model, cPanelSettings *settings,
                 QWidget *parent = nullptr);

    QLabel *statusLabel() const { return m_status; }
    QTableView *headsetTable() const { return m_table; }
    cMicrophoneEditor *microphoneEditor() const { return m_microphone; }
    cCommandsEditor *commandsEditor() const { return m_commands; }

    // The line that says the service is not running and how to start it.
    static QString notRunningText();

private:
    void showService();
    void chooseHeadset();
    void onSaved();

    cHeadsetService *m_service;
    cHeadsetModel *m_model;
    QLabel *m_status;
    QTableView *m_table;
    cMicrophoneEditor *m_microphone;
    cCommandsEditor *m_commands;
};
