#pragma once

#include <QAbstractTableModel>
#include <QDialog>

#include "movimport/import_documents.h"

class QPrinter;
class QTableView;

namespace agrimor {

// The totals of an import as a read-only table: one row per document (key, lines, debit, credit)
// and a last row "Total".
class ImportTotalsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Documento, Linhas, Debito, Credito, MaxColumns };

    explicit ImportTotalsModel(ImportTotals totals, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    ImportTotals totals_;
};

// Prints the totals under the heading "Totais da importação" and the company's name.
void printImportTotals(const ImportTotals& totals, const QString& company, QPrinter& printer);

// Shown after a clean check-up and before the question: the totals, "&Imprimir" (the system's
// print dialog, then printImportTotals) and "&OK".
class ImportTotalsDialog : public QDialog {
    Q_OBJECT
public:
    ImportTotalsDialog(ImportTotals totals, QString company, QWidget* parent = nullptr);

    QTableView* table() const { return table_; }
    const ImportTotalsModel& model() const { return model_; }

    void print();

private:
    ImportTotals totals_;
    QString company_;
    ImportTotalsModel model_;
    QTableView* table_ = nullptr;
};

}  // namespace agrimor
