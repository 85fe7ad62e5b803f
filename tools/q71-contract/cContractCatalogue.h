#pragma once
#include <QList>

struct QMetaObject;

// Every interface of the host contract, as the meta-objects that a caller by name sees: first
// the device side, then the service side, then the further host interfaces, each group in the
// order in which the contract describes it.
class cContractCatalogue
{
public:
    static QList<const QMetaObject *> interfaces();
};
