#include "cPanelWindow.h"

#include "cCommandsEditor.h"
#include "cHeadsetModel.h"
#include "cHeadsetService.h"
#include "cMicrophoneEditor.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

cPanelWindow::cPanelWindow(cHeadsetService *service, cHeadsetModel *model, cPanelSettings *settings,
                           QWidget *parent)
    : QWidget(parent)
    , m_service(service)
    , m_model(model)
    , m_status(new QLabel(this))
    , m_table(new QTableView(this))
    , m_microphone(new cMicrophoneEditor(this))
    , m_commands(new cCommandsEditor(settings, this))
{
    setWindowTitle(tr("Q71 Headsets"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/q71-panel.svg")));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setAccessibleName(tr("Service status"));
    m_table->setModel(model);
    m_table->setAccessibleName(tr("Headsets"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    // The name takes what the other columns leave, so that the table never scrolls sideways.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(cHeadsetModel::NameColumn, QHeaderView::Stretch);
    // Tab moves on to the next control rather than from cell to cell.
    m_table->setTabKeyNavigation(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_microphone);
    layout->addWidget(m_commands);

    connect(service, &cHeadsetService::listed, this, &cPanelWindow::showService);
    connect(service, &cHeadsetService::stopped, this, &cPanelWindow::showService);
    connect(service, &cHeadsetService::reloaded, this, [this](const QString &error) {
        m_commands->setStatus(error.isEmpty() ? tr("Saved; the service uses it now.") : error);
    });
    connect(model, &cHeadsetModel::headsetsChanged, this, &cPanelWindow::showService);
    connect(model, &QAbstractItemModel::rowsInserted, this, &cPanelWindow::chooseHeadset);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &cPanelWindow::chooseHeadset);
    connect(model, &QAbstractItemModel::modelReset, this, &cPanelWindow::chooseHeadset);
    connect(
        m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex &current) { m_microphone->setHeadset(m_model->headset(current.row())); });
    connect(m_commands, &cCommandsEditor::saved, this, &cPanelWindow::onSaved);
    showService();
}

QString cPanelWindow::notRunningText()
{
    return tr("The Q71 service is not running. Start it with: %1").arg(cHeadsetService::startCommand());
}

void cPanelWindow::showService()
{
    if (!m_service->isRunning())
        m_status->setText(notRunningText());
    else if (m_model->rowCount() == 0)
        m_status->setText(tr("No Q71 headset is plugged in."));
    else
        m_status->setText(tr("Q71 headsets plugged in: %1").arg(m_model->rowCount()));
}

void cPanelWindow::chooseHeadset()
{
    // The microphone box always edits a headset when there is one: the chosen one while it is
    // there, else the first.
    if (!m_table->currentIndex().isValid() && m_model->rowCount() > 0)
        m_table->selectRow(0);
    m_microphone->setHeadset(m_model->headset(m_table->currentIndex().row()));
}

void cPanelWindow::onSaved()
{
    if (m_service->isRunning())
        m_service->reload();
    else
        m_commands->setStatus(tr("Saved; the service reads it when it starts."));
}
