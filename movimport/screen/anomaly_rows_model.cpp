#include "movimport/screen/anomaly_rows_model.h"

#include <QBrush>
#include <QColor>

namespace agrimor {

void AnomalyRowsModel::setAnomalies(QHash<int, QStringList> rows) {
    rows_ = std::move(rows);
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ToolTipRole});
}

QVariant AnomalyRowsModel::data(const QModelIndex& index, int role) const {
    if (index.isValid() && (role == Qt::BackgroundRole || role == Qt::ToolTipRole)) {
        const auto found = rows_.constFind(mapToSource(index).row());
        if (found != rows_.cend()) {
            if (role == Qt::BackgroundRole)
                return QBrush(QColor(255, 214, 214));
            return found->join(QLatin1Char('\n'));
        }
    }
    return QIdentityProxyModel::data(index, role);
}

}  // namespace agrimor
