#pragma once
#include <QAbstractTableModel>
#include <QList>

class cHeadset;
class cHeadsetService;

// The headsets the service serves, one row each, in the order they were plugged in: what the
// window's table shows and what the tray and the notifier follow. Fed only by the bus.
class cHeadsetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, NodeColumn, VolumeColumn, DolbyColumn, KeyColumn, ColumnCount };

    explicit cHeadsetModel(cHeadsetService *service, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The headsets whose properties have been read, in row order.
    QList<cHeadset *> headsets() const;
    cHeadset *headset(int row) const { return m_headsets.value(row); }
    // The row of the headset served at `path`, -1 when there is none.
    int rowOf(const QString &path) const;

    // A name for the user: the headset's name and its number, which tells two alike apart.
    static QString title(const cHeadset *headset);

signals:
    // A headset was plugged in while the panel listened (not one listed when the service came).
    void plugged(cHeadset *headset);
    // A headset was unplugged; `name` is its title, as the object is gone.
    void unplugged(const QString &path, const QString &name);
    void micChanged(cHeadset *headset);
    // Any headset came, went or changed.
    void headsetsChanged();

private:
    void onListed(const QStringList &paths);
    void onStopped();
    void add(const QString &path, bool announce);
    void remove(const QString &path);
    void onHeadsetChanged(cHeadset *headset);

    cHeadsetService *m_service;
    QList<cHeadset *> m_headsets;
};
