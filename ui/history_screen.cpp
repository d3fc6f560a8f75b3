#include "ui/history_screen.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>

#include "core/message_box.h"
#include "data/money_text.h"

namespace agrimor {

namespace {

const QString kMoment = QStringLiteral("dd-MM-yyyy HH:mm:ss");

QString moment(const QDateTime& value) {
    return value.isValid() ? value.toString(kMoment) : QString();
}

template <typename T>
QString number(const std::optional<T>& value) {
    return value ? QString::number(*value) : QString();
}

QString amount(const std::optional<Money>& value) {
    return value ? formatMoney(*value, 2, MoneyTextFormat::portuguese()) : QString();
}

// Every range of documents the run wrote: "FT 1/3 a 5; NC 1/7".
QString documents(const RunRecord& r) {
    const std::vector<DocumentRange> ranges = documentRanges(r);
    if (ranges.empty())
        return r.tpDoc;
    QStringList texts;
    for (const DocumentRange& range : ranges) {
        const QString first =
            QStringLiteral("%1 %2/%3").arg(range.type, range.series).arg(range.first);
        texts << (range.last != range.first ? first + QStringLiteral(" a %1").arg(range.last)
                                            : first);
    }
    return texts.join(QStringLiteral("; "));
}

bool undoable(const RunRecord& r) {
    return r.task == run_task::kImport && r.result == run_result::kDone && !r.undone;
}

}  // namespace

HistoryScreen::HistoryScreen(DataAccess& shared, Prompter& prompter, const QStringList& companies,
                             UndoImport undo, QWidget* parent)
    : QDialog(parent), shared_(shared), prompter_(prompter), undoImport_(std::move(undo)) {
    setObjectName(QStringLiteral("frmHistorico"));
    setWindowTitle(QString::fromUtf8("Histórico"));

    company_ = new QComboBox(this);
    company_->setObjectName(QStringLiteral("cbEmpresa"));
    company_->addItem(QStringLiteral("Todas"));
    company_->addItems(companies);
    year_ = new QLineEdit(this);
    year_->setObjectName(QStringLiteral("campoAno"));
    year_->setMaxLength(4);
    year_->setMaximumWidth(60);
    month_ = new QComboBox(this);
    month_->setObjectName(QStringLiteral("cbMes"));
    month_->addItem(QStringLiteral("Todos"));
    for (int m = 1; m <= 12; ++m)
        month_->addItem(QString::number(m));
    task_ = new QComboBox(this);
    task_->setObjectName(QStringLiteral("cbTarefa"));
    task_->addItem(QStringLiteral("Todas"));
    task_->addItems({run_task::kConsolidation, run_task::kCancellation, run_task::kClass9,
                     run_task::kImport, run_task::kRates});
    auto* search = new QPushButton(QStringLiteral("&Procurar"), this);
    search->setObjectName(QStringLiteral("btProcurar"));

    auto* filters = new QHBoxLayout;
    const auto labelled = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        filters->addWidget(label);
        filters->addWidget(field);
    };
    labelled(QStringLiteral("&Empresa"), company_);
    labelled(QStringLiteral("A&no"), year_);
    labelled(QString::fromUtf8("&Mês"), month_);
    labelled(QStringLiteral("&Tarefa"), task_);
    filters->addWidget(search);
    filters->addStretch();

    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("Grelha"));
    const QStringList captions{
        QStringLiteral("Id"),         QStringLiteral("Tarefa"),     QStringLiteral("Empresa"),
        QStringLiteral("Ano"),        QString::fromUtf8("Mês"),     QStringLiteral("Utilizador"),
        QStringLiteral("Posto"),      QStringLiteral("Fim"),        QStringLiteral("Resultado"),
        QStringLiteral("Linhas"),     QStringLiteral("Documentos"), QString::fromUtf8("Débito"),
        QString::fromUtf8("Crédito"), QStringLiteral("Anulado")};
    grid_->setColumnCount(static_cast<int>(captions.size()));
    grid_->setHorizontalHeaderLabels(captions);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setStretchLastSection(true);

    details_ = new QPlainTextEdit(this);
    details_->setObjectName(QStringLiteral("Detalhes"));
    details_->setReadOnly(true);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(grid_);
    splitter->addWidget(details_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    undo_ = new QPushButton(QString::fromUtf8("A&nular importação"), this);
    undo_->setObjectName(QStringLiteral("btAnularImp"));
    undo_->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("&Sair"), this);
    close->setObjectName(QStringLiteral("btSair"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(undo_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(1000, 600);

    connect(search, &QPushButton::clicked, this, &HistoryScreen::reload);
    connect(year_, &QLineEdit::returnPressed, this, &HistoryScreen::reload);
    for (QComboBox* box : {company_, month_, task_})
        connect(box, &QComboBox::activated, this, &HistoryScreen::reload);
    connect(grid_, &QTableWidget::itemSelectionChanged, this, &HistoryScreen::showSelected);
    connect(undo_, &QPushButton::clicked, this, &HistoryScreen::undoSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    reload();
}

void HistoryScreen::reload() {
    RunFilter filter;
    if (company_->currentIndex() > 0)
        filter.company = company_->currentIndex();
    bool ok = false;
    const int year = year_->text().trimmed().toInt(&ok);
    if (ok)
        filter.year = year;
    if (month_->currentIndex() > 0)
        filter.month = month_->currentIndex();
    if (task_->currentIndex() > 0)
        filter.task = task_->currentText();
    runs_.clear();
    try {
        runs_ = readRuns(shared_, filter);
    } catch (const std::exception& error) {
        inform(prompter_, QString::fromUtf8(error.what()));
    }
    grid_->clearContents();
    grid_->setRowCount(static_cast<int>(runs_.size()));
    for (int row = 0; row < grid_->rowCount(); ++row) {
        const RunRecord& r = runs_[static_cast<std::size_t>(row)];
        const QStringList cells{QString::number(r.id),
                                r.task,
                                r.companyName,
                                number(r.year),
                                number(r.month),
                                r.userShown(),
                                r.machine,
                                moment(r.end),
                                r.result,
                                QString::number(r.lines),
                                documents(r),
                                amount(r.debit),
                                amount(r.credit),
                                r.undone ? moment(*r.undone) : QString()};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            if (c == 0 || c == 3 || c == 4 || c == 9 || c == 11 || c == 12)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid_->setItem(row, c, item);
        }
    }
    grid_->resizeColumnsToContents();
    if (!runs_.empty())
        grid_->selectRow(0);
    showSelected();
}

const RunRecord* HistoryScreen::selected() const {
    const int row = grid_->currentRow();
    if (row < 0 || row >= static_cast<int>(runs_.size()) || grid_->selectedItems().isEmpty())
        return nullptr;
    return &runs_[static_cast<std::size_t>(row)];
}

void HistoryScreen::showSelected() {
    const RunRecord* r = selected();
    undo_->setEnabled(r != nullptr && undoable(*r) && undoImport_ != nullptr);
    if (r == nullptr) {
        details_->clear();
        return;
    }
    QStringList lines;
    const auto add = [&lines](const QString& caption, const QString& value) {
        if (!value.isEmpty())
            lines << caption + QStringLiteral(": ") + value;
    };
    add(QStringLiteral("Execução"), QString::number(r->id));
    add(QStringLiteral("Tarefa"), r->task);
    add(QStringLiteral("Empresa"),
        r->company ? QStringLiteral("%1 (%2)").arg(*r->company).arg(r->companyName) : QString());
    add(QString::fromUtf8("Período"),
        r->month ? QStringLiteral("%1%2/%3")
                       .arg(r->cumulative ? QStringLiteral("1 a ") : QString())
                       .arg(*r->month)
                       .arg(number(r->year))
                 : number(r->year));
    add(QStringLiteral("Utilizador"), r->osUser);
    add(QStringLiteral("Utilizador da base de dados"), r->dbUser);
    add(QStringLiteral("Posto"), r->machine);
    add(QString::fromUtf8("Início"), moment(r->start));
    add(QStringLiteral("Fim"), moment(r->end));
    add(QStringLiteral("Resultado"), r->result);
    add(QStringLiteral("Mensagem"), r->message);
    add(QStringLiteral("Linhas"), QString::number(r->lines));
    add(QStringLiteral("Documentos"), documents(*r));
    add(QString::fromUtf8("Diário"),
        r->firstJournal ? QStringLiteral("%1 %2 a %3")
                              .arg(r->journal, number(r->firstJournal), number(r->lastJournal))
                        : r->journal);
    add(QString::fromUtf8("Débito"), amount(r->debit));
    add(QString::fromUtf8("Crédito"), amount(r->credit));
    add(QStringLiteral("Ficheiro"), r->file);
    add(QStringLiteral("Folha"), r->sheet);
    add(QStringLiteral("SHA-256"), r->sha256);
    add(QStringLiteral("Anulado"), r->undone ? moment(*r->undone) : QString());
    // The numerators are in the log row; the list reads them for the selected run only.
    if (r->task == run_task::kImport) {
        try {
            if (const auto whole = readRun(shared_, r->id)) {
                add(QStringLiteral("Numeradores antes"), numeratorsText(whole->numeratorsBefore)
                                                             .replace(u'\t', u' ')
                                                             .replace(u'\n', QStringLiteral("; ")));
                add(QStringLiteral("Numeradores depois"),
                    numeratorsText(whole->numeratorsAfter)
                        .replace(u'\t', u' ')
                        .replace(u'\n', QStringLiteral("; ")));
            }
        } catch (const std::exception&) {
            // The summary above stands without them.
        }
    }
    details_->setPlainText(lines.join(u'\n'));
}

void HistoryScreen::undoSelected() {
    const RunRecord* r = selected();
    if (r == nullptr || !undoable(*r) || !undoImport_)
        return;
    undoImport_(r->id);
    reload();
}

}  // namespace agrimor
