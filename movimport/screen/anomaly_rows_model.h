#pragma once

#include <QHash>
#include <QIdentityProxyModel>
#include <QStringList>

namespace agrimor {

// The import lines as the grid shows them, with the rows an anomaly points at shaded and the
// anomalies' texts as the rows' tooltips. Edits pass through to the lines table.
class AnomalyRowsModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    // Texts per row of the source model; empty to shade nothing.
    void setAnomalies(QHash<int, QStringList> rows);
    bool isShaded(int row) const { return rows_.contains(row); }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QHash<int, QStringList> rows_;
};

}  // namespace agrimor
