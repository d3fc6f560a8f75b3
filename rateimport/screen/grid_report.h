#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

class QAbstractItemModel;
class QAction;
class QPainter;
class QPrintPreviewWidget;
class QPrinter;
class QToolBar;

namespace agrimor {

// The printed report of a grid: the title ("Verdana" 14 bold) on every page, the column
// captions, the rows as the model shows them, and the footer "Página: {page} de {pagecount}"
// (size 8). Returns the number of pages printed.
int printGrid(QPrinter& printer, const QAbstractItemModel& model, const QString& title,
              const std::vector<int>& columnWidths = {}, int* rowsPerPage = nullptr);

// The report viewer: a print preview of a grid with its toolbar (print, copy, find, single and
// multiple pages, zoom out and in, previous and next page, forward and back in the pages seen).
class GridPreview : public QWidget {
    Q_OBJECT
public:
    explicit GridPreview(QWidget* parent = nullptr);
    ~GridPreview() override;

    // Renders `model` (nullptr: nothing) into the preview. The model must outlive the binding.
    void setReport(const QAbstractItemModel* model, const QString& title,
                   std::vector<int> columnWidths = {});

    QPrintPreviewWidget* preview() const { return preview_; }
    QPrinter* printer() const { return printer_.get(); }
    int pageCount() const;
    int currentPage() const;

    // The toolbar's actions in order: print, copy, find, single page, multiple pages, zoom out,
    // zoom in, previous page, next page, forward, back.
    QList<QAction*> tools() const;

private:
    void goTo(int page, bool remember = true);
    void copyReport() const;
    void findText();

    std::unique_ptr<QPrinter> printer_;
    QPrintPreviewWidget* preview_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    const QAbstractItemModel* model_ = nullptr;
    QString title_;
    std::vector<int> widths_;
    std::vector<int> back_;
    std::vector<int> forward_;
    int rowsPerPage_ = 1;
};

}  // namespace agrimor
