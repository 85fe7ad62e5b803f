#include "cHeadsetModel.h"

#include "cHeadset.h"
#include "cHeadsetService.h"

cHeadsetModel::cHeadsetModel(cHeadsetService *service, QObject *parent)
    : QAbstractTableModel(parent)
    , m_service(service)
{
    connect(service, &cHeadsetService::listed, this, &cHeadsetModel::onListed);
    connect(service, &cHeadsetService::stopped, this, &cHeadsetModel::onStopped);
    connect(service, &cHeadsetService::headsetAdded, this, [this](const QString &path) { add(path, true); });
    connect(service, &cHeadsetService::headsetRemoved, this, &cHeadsetModel::remove);
}

int cHeadsetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headsets.size());
}

int cHeadsetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant cHeadsetModel::data(const QModelIndex &index, int role) const
{
    const cHeadset *headset = m_headsets.value(index.row());
    if (!headset || role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case NameColumn:
        return title(headset);
    case NodeColumn:
        return headset->node().isEmpty() ? tr("simulated") : headset->node();
    case VolumeColumn:
        return headset->volume() < 0 ? tr("unknown") : tr("%1 %").arg(headset->volume());
    case DolbyColumn:
        return headset->dolby() ? tr("on") : tr("off");
    case KeyColumn:
        return headset->lastKey() == 0 ? QString() : QStringLiteral("G%1").arg(headset->lastKey());
    default:
        return QVariant();
    }
}

QVariant cHeadsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case NameColumn:
        return tr("Headset");
    case NodeColumn:
        return tr("Node");
    case VolumeColumn:
        return tr("Volume");
    case DolbyColumn:
        return tr("Dolby");
    case KeyColumn:
        return tr("Last key");
    default:
        return QVariant();
    }
}

QList<cHeadset *> cHeadsetModel::headsets() const
{
    QList<cHeadset *> loaded;
    for (cHeadset *headset : m_headsets) {
        if (headset->isLoaded())
            loaded << headset;
    }
    return loaded;
}

int cHeadsetModel::rowOf(const QString &path) const
{
    for (int row = 0; row < m_headsets.size(); ++row) {
        if (m_headsets.at(row)->path() == path)
            return row;
    }
    return -1;
}

QString cHeadsetModel::title(const cHeadset *headset)
{
    return tr("%1 (%2)").arg(headset->name()).arg(headset->number());
}

void cHeadsetModel::onListed(const QStringList &paths)
{
    // A service that restarted serves headsets of its own numbering: nothing of the last one stays.
    onStopped();
    for (const QString &path : paths)
        add(path, false);
}

void cHeadsetModel::onStopped()
{
    if (m_headsets.isEmpty())
        return;
    beginResetModel();
    qDeleteAll(m_headsets);
    m_headsets.clear();
    endResetModel();
    emit headsetsChanged();
}

void cHeadsetModel::add(const QString &path, bool announce)
{
    if (rowOf(path) >= 0)
        return;
    auto *headset = new cHeadset(m_service->bus(), cHeadsetService::serviceName(), path, this);
    beginInsertRows(QModelIndex(), int(m_headsets.size()), int(m_headsets.size()));
    m_headsets << headset;
    endInsertRows();
    connect(headset, &cHeadset::changed, this, [this, headset] { onHeadsetChanged(headset); });
    connect(headset, &cHeadset::micChanged, this, [this, headset] { emit micChanged(headset); });
    if (announce)
        connect(headset, &cHeadset::loaded, this, [this, headset] { emit plugged(headset); });
    headset->load();
}

void cHeadsetModel::remove(const QString &path)
{
    const int row = rowOf(path);
    if (row < 0)
        return;
    cHeadset *headset = m_headsets.at(row);
    const QString name = title(headset);
    beginRemoveRows(QModelIndex(), row, row);
    m_headsets.removeAt(row);
    endRemoveRows();
    headset->deleteLater();
    emit unplugged(path, name);
    emit headsetsChanged();
}

void cHeadsetModel::onHeadsetChanged(cHeadset *headset)
{
    const int row = rowOf(headset->path());
    if (row < 0)
        return;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    emit headsetsChanged();
}
