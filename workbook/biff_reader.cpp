#include "workbook/biff_reader.h"

#include <iconv.h>

#include <QFile>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "workbook/biff_records.h"
#include "workbook/number_format.h"
#include "workbook/ole_container.h"
#include "workbook/row_buffer.h"
#include "workbook/workbook.h"

namespace agrimor {

namespace {

// The largest workbook stream read: far beyond any sheet of 65,536 rows.
constexpr std::size_t kMaxStream = std::size_t{1} << 31;

namespace record {
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kCodePage = 0x0042;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kString = 0x0207;
}  // namespace record

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBiff5 = 0x0500;
constexpr std::uint16_t kGlobalsSubstream = 0x0005;
constexpr std::uint16_t kWorksheetSubstream = 0x0010;
constexpr int kWindows1252 = 1252;

// The workbook is encrypted: its records can not be read without the password.
struct Encrypted {};

[[noreturn]] void damaged(const char* what) {
    throw BiffDamage{QString::fromUtf8(what)};
}

QString errorCode(std::uint8_t code) {
    switch (code) {
        case 0x00:
            return QStringLiteral("#NULL!");
        case 0x07:
            return QStringLiteral("#DIV/0!");
        case 0x0F:
            return QStringLiteral("#VALUE!");
        case 0x17:
            return QStringLiteral("#REF!");
        case 0x1D:
            return QStringLiteral("#NAME?");
        case 0x24:
            return QStringLiteral("#NUM!");
        case 0x2A:
            return QStringLiteral("#N/A");
        case 0x2B:
            return QStringLiteral("#GETTING_DATA");
        default:
            return QStringLiteral("#ERRO");
    }
}

double rkValue(std::uint32_t rk) {
    double value = 0;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

bool isValueRecord(std::uint16_t type) {
    switch (type) {
        case record::kNumber:
        case record::kRk:
        case record::kMulRk:
        case record::kLabelSst:
        case record::kLabel:
        case record::kRString:
        case record::kBoolErr:
        case record::kFormula:
            return true;
        default:
            return false;
    }
}

// The text of a BIFF5 workbook (Excel 5 to 95): bytes in the code page its CODEPAGE record
// names, Windows-1252 when it names none. A byte the code page does not have becomes U+FFFD.
class CodePage {
public:
    explicit CodePage(int number) {
        std::string name;
        switch (number) {
            case 367:
                name = "ASCII";
                break;
            case 0x8000:
            case 10000:
                name = "MACINTOSH";
                break;
            case 0x8001:
                name = "CP1252";
                break;
            default:
                name = "CP" + std::to_string(number);
                break;
        }
        convert_ = iconv_open("UTF-16LE", name.c_str());
        if (convert_ == reinterpret_cast<iconv_t>(-1))
            convert_ = iconv_open("UTF-16LE", "CP1252");
    }
    ~CodePage() {
        if (convert_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(convert_);
    }
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;

    QString decode(const std::string& bytes) const {
        if (convert_ == reinterpret_cast<iconv_t>(-1))
            return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
        iconv(convert_, nullptr, nullptr, nullptr, nullptr);
        QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* out = reinterpret_cast<char*>(text.data());
        std::size_t outLeft = bytes.size() * 2;
        while (inLeft > 0 && outLeft >= 2) {
            if (iconv(convert_, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1))
                break;
            if (errno != EILSEQ && errno != EINVAL)
                break;
            ++in;  // a byte the code page does not have
            --inLeft;
            out[0] = static_cast<char>(0xFD);
            out[1] = static_cast<char>(0xFF);
            out += 2;
            outLeft -= 2;
        }
        text.truncate(static_cast<qsizetype>(bytes.size()) - static_cast<qsizetype>(outLeft / 2));
        return text;
    }

private:
    iconv_t convert_;
};

// How the workbook writes its strings: BIFF8 Unicode strings, or BIFF5 bytes in a code page.
class Strings {
public:
    Strings() = default;
    explicit Strings(int codePage) : codePage_(std::make_shared<CodePage>(codePage)) {}
    QString read(BiffReader& in, int countBytes) const {
        return codePage_ ? codePage_->decode(in.byteString(countBytes)) : in.string(countBytes);
    }

private:
    std::shared_ptr<const CodePage> codePage_;
};

struct Globals {
    struct Sheet {
        SheetInfo info;
        std::uint32_t offset = 0;  // of the sheet's BOF in the stream
    };
    std::vector<Sheet> sheets;
    DateSystem dateSystem = DateSystem::From1900;
    std::vector<QString> strings;
    std::vector<NumberFormatKind> xfKinds;  // by XF index
    bool biff8 = true;
    Strings text;  // how its strings are written
};

Globals readGlobals(std::span<const unsigned char> stream) {
    BiffRecords records(stream, 0);
    BiffRecord r;
    if (!records.next(r) || r.type != biff::kBof || biffU16(r.body, 2) != kGlobalsSubstream)
        damaged("o livro não começa pelos seus registos globais");
    Globals globals;
    const std::uint16_t version = biffU16(r.body, 0);
    if (version != kBiff8 && version != kBiff5)
        damaged("o livro é de uma versão do Excel que não se lê (anterior ao Excel 5)");
    globals.biff8 = version == kBiff8;
    if (!globals.biff8)
        globals.text = Strings(kWindows1252);
    std::map<int, NumberFormatKind> formats;
    std::vector<int> xfFormats;
    while (records.next(r) && r.type != biff::kEof) {
        switch (r.type) {
            case record::kFilePass:
                throw Encrypted{};
            case record::kCodePage:
                if (!globals.biff8)
                    globals.text = Strings(biffU16(r.body, 0));
                break;
            case record::kDateMode:
                globals.dateSystem =
                    biffU16(r.body, 0) ? DateSystem::From1904 : DateSystem::From1900;
                break;
            case record::kFormat: {
                BiffReader in(r.body);
                const int id = in.u16();
                formats[id] =
                    formatCodeKind(globals.text.read(in, globals.biff8 ? 2 : 1).toStdString());
                break;
            }
            case record::kXf:
                xfFormats.push_back(biffU16(r.body, 2));
                break;
            case record::kBoundSheet: {
                const std::uint32_t offset = biffU32(r.body, 0);
                if (r.body.size() < 8)
                    damaged("uma folha não tem nome");
                const std::uint8_t state = r.body[4];
                const std::uint8_t type = r.body[5];
                BiffReader in(r.body.subspan(6));
                QString name = globals.text.read(in, 1);
                // Chart sheets and macro sheets have no cells to read.
                if (type == 0)
                    globals.sheets.push_back({{std::move(name), (state & 0x03) != 0}, offset});
                break;
            }
            case record::kSst: {
                BiffReader in(r.body);
                in.takeContinues(records);
                in.u32();
                const std::uint32_t unique = in.u32();
                globals.strings.reserve(std::min<std::size_t>(unique, r.body.size()));
                for (std::uint32_t i = 0; i < unique && !in.atEnd(); ++i)
                    globals.strings.push_back(in.string(2));
                break;
            }
            default:
                break;
        }
    }
    globals.xfKinds.reserve(xfFormats.size());
    for (const int id : xfFormats) {
        const auto found = formats.find(id);
        globals.xfKinds.push_back(found != formats.end() ? found->second : builtInFormatKind(id));
    }
    return globals;
}

// Collects a sheet's cells a row at a time, in the order the file gives them; or, for a file
// that does not give rows in order, all of them first.
class Rows {
public:
    Rows(CellRowSink& sink, bool inOrder) : sink_(sink), inOrder_(inOrder) {}

    void put(int row, int column, Cell cell) {
        if (cell.isEmpty())
            return;
        if (column > kMaxSheetColumns)
            damaged("uma célula está além da última coluna");
        if (!inOrder_) {
            scattered_[row].emplace_back(column, std::move(cell));
            return;
        }
        if (row != row_) {
            flush();
            row_ = row;
        }
        cells_.set(column, std::move(cell));
    }

    void finish() {
        flush();
        for (auto& [row, cells] : scattered_) {
            for (auto& [column, cell] : cells)
                cells_.set(column, std::move(cell));
            row_ = row;
            flush();
        }
    }

private:
    void flush() {
        if (cells_.empty())
            return;
        deliver(row_, cells_.cells());
        cells_.clear();
    }
    void deliver(int row, std::span<const Cell> cells) {
        spanned_ += static_cast<long long>(cells.size());
        if (spanned_ > kMaxSheetCells)
            damaged("as linhas estendem-se por células demais");
        sink_.row(row, cells);
    }

    CellRowSink& sink_;
    bool inOrder_;
    int row_ = 0;
    RowBuffer cells_;
    long long spanned_ = 0;
    std::map<int, std::vector<std::pair<int, Cell>>> scattered_;  // by row: column, cell
};

class BiffWorkbook : public Workbook {
public:
    explicit BiffWorkbook(const QString& path) : path_(path) {
        std::string found;
        const std::string problem = readCompoundStream(QFile::encodeName(path).toStdString(),
                                                       {"Workbook", "Book", "EncryptedPackage"},
                                                       kMaxStream, found, stream_);
        if (!problem.empty())
            refuse(QStringLiteral("o documento composto está danificado (%1)")
                       .arg(QString::fromStdString(problem)));
        // An encrypted .xlsx is a compound document holding the encrypted package.
        if (found == "EncryptedPackage")
            refuseEncrypted();
        if (found.empty())
            refuse(QStringLiteral("o documento composto não tem livro"));
        try {
            globals_ = readGlobals(stream_);
        } catch (const BiffDamage& damage) {
            refuse(damage.why);
        } catch (const Encrypted&) {
            refuseEncrypted();
        }
    }

    std::vector<SheetInfo> sheets() const override {
        std::vector<SheetInfo> infos;
        for (const Globals::Sheet& sheet : globals_.sheets)
            infos.push_back(sheet.info);
        return infos;
    }

    DateSystem dateSystem() const override { return globals_.dateSystem; }

    void readCells(int index, CellRowSink& sink) const override {
        checkSheetIndex(index, globals_.sheets.size());
        const Globals::Sheet& sheet = globals_.sheets[static_cast<std::size_t>(index)];
        try {
            readSheet(sheet.offset, sink);
        } catch (const BiffDamage& damage) {
            refuse(QStringLiteral("a folha '%1' está danificada: %2")
                       .arg(sheet.info.name, damage.why));
        }
    }

private:
    [[noreturn]] void refuse(const QString& why) const {
        throw WorkbookError(WorkbookError::kUnreadable, unreadableWorkbookText(path_, why));
    }
    [[noreturn]] void refuseEncrypted() const {
        throw WorkbookError(
            WorkbookError::kUnreadable,
            QStringLiteral("O livro de Excel está protegido por password: %1").arg(path_));
    }

    Cell numberCell(double value, std::uint16_t xf) const {
        if (!std::isfinite(value))
            damaged("uma célula tem um número que não existe");
        const NumberFormatKind shown =
            xf < globals_.xfKinds.size() ? globals_.xfKinds[xf] : NumberFormatKind::Number;
        QDate date;
        QTime time;
        if (shown == NumberFormatKind::Date &&
            dateFromSerial(value, globals_.dateSystem, date, time))
            return Cell::ofDate(date, time);
        if (shown == NumberFormatKind::Time)
            return Cell::ofTimeSerial(value);
        return Cell::ofNumber(value);
    }

    const QString& sharedString(std::uint32_t index) const {
        if (index >= globals_.strings.size())
            damaged("uma célula indica um texto que não existe");
        return globals_.strings[index];
    }

    static Cell text(QString value) {
        return value.isEmpty() ? Cell() : Cell::ofText(std::move(value));
    }

    // Walks the sheet's substream from its BOF to its EOF, past the substreams of embedded
    // charts; `record` sees every record of the sheet's own level.
    template <typename Visit>
    void walk(std::uint32_t offset, Visit visit) const {
        if (offset >= stream_.size())
            damaged("a folha não está no livro");
        BiffRecords records(stream_, offset);
        BiffRecord r;
        if (!records.next(r) || r.type != biff::kBof || biffU16(r.body, 2) != kWorksheetSubstream)
            damaged("a folha não é uma folha de cálculo");
        int depth = 1;
        while (records.next(r)) {
            if (r.type == biff::kBof) {
                ++depth;
            } else if (r.type == biff::kEof) {
                if (--depth == 0)
                    return;
            } else if (depth == 1) {
                visit(r, records);
            }
        }
    }

    void readSheet(std::uint32_t offset, CellRowSink& sink) const {
        // First the stated range, and whether the rows come in order.
        std::optional<CellRange> stated;
        bool inOrder = true;
        int lastRow = -1;
        walk(offset, [&](const BiffRecord& r, BiffRecords&) {
            const bool biff8 = globals_.biff8;
            if (r.type == record::kDimensions && r.body.size() >= (biff8 ? 12u : 8u)) {
                // BIFF8 counts rows in 4 bytes, BIFF5 in 2.
                const std::uint32_t firstRow = biff8 ? biffU32(r.body, 0) : biffU16(r.body, 0);
                const std::uint32_t endRow = biff8 ? biffU32(r.body, 4) : biffU16(r.body, 2);
                const std::uint16_t firstColumn = biffU16(r.body, biff8 ? 8 : 4);
                const std::uint16_t endColumn = biffU16(r.body, biff8 ? 10 : 6);
                if (endRow > firstRow && endColumn > firstColumn && endRow <= kMaxSheetRows)
                    stated = CellRange{static_cast<int>(firstRow) + 1, firstColumn + 1,
                                       static_cast<int>(endRow), static_cast<int>(endColumn)};
            } else if (isValueRecord(r.type)) {
                const int row = biffU16(r.body, 0);
                inOrder = inOrder && row >= lastRow;
                lastRow = row;
            }
        });
        sink.statedRange(stated);

        Rows rows(sink, inOrder);
        int pendingRow = -1;  // a formula whose text result is in the STRING record that follows
        int pendingColumn = -1;
        walk(offset, [&](const BiffRecord& r, BiffRecords& records) {
            if (r.type == record::kString) {
                BiffReader in(r.body);
                in.takeContinues(records);
                QString value = globals_.text.read(in, 2);
                if (pendingRow >= 0)
                    rows.put(pendingRow, pendingColumn, text(std::move(value)));
                pendingRow = -1;
                return;
            }
            if (!isValueRecord(r.type))
                return;
            pendingRow = -1;
            const int row = biffU16(r.body, 0) + 1;
            const int column = biffU16(r.body, 2) + 1;
            const std::uint16_t xf = biffU16(r.body, 4);
            switch (r.type) {
                case record::kNumber:
                    rows.put(row, column, numberCell(biffF64(r.body, 6), xf));
                    break;
                case record::kRk:
                    rows.put(row, column, numberCell(rkValue(biffU32(r.body, 6)), xf));
                    break;
                case record::kMulRk: {
                    if (r.body.size() < 6)
                        damaged("um registo acaba antes do tempo");
                    const std::size_t count = (r.body.size() - 6) / 6;
                    for (std::size_t i = 0; i < count; ++i) {
                        const std::size_t at = 4 + 6 * i;
                        rows.put(row, column + static_cast<int>(i),
                                 numberCell(rkValue(biffU32(r.body, at + 2)), biffU16(r.body, at)));
                    }
                    break;
                }
                case record::kLabelSst:
                    rows.put(row, column, text(sharedString(biffU32(r.body, 6))));
                    break;
                case record::kLabel:
                case record::kRString: {
                    if (r.body.size() < 6)
                        damaged("um registo acaba antes do tempo");
                    // A text longer than one record goes on in CONTINUE records byte for byte:
                    // no width byte starts them, unlike the string table's, and a character
                    // may straddle two (gnumeric writes long texts so in both formats).
                    BiffReader in(r.body.subspan(6));
                    std::vector<unsigned char> joined;
                    if (records.peekType() == biff::kContinue) {
                        joined.assign(r.body.begin() + 6, r.body.end());
                        BiffRecord more;
                        while (records.peekType() == biff::kContinue && records.next(more))
                            joined.insert(joined.end(), more.body.begin(), more.body.end());
                        in = BiffReader(joined);
                    }
                    rows.put(row, column, text(globals_.text.read(in, 2)));
                    break;
                }
                case record::kBoolErr: {
                    if (r.body.size() < 8)
                        damaged("um registo acaba antes do tempo");
                    rows.put(row, column,
                             r.body[7] ? Cell::ofError(errorCode(r.body[6]))
                                       : Cell::ofBoolean(r.body[6] != 0));
                    break;
                }
                case record::kFormula: {
                    if (r.body.size() < 14)
                        damaged("um registo acaba antes do tempo");
                    if (biffU16(r.body, 12) != 0xFFFF) {
                        rows.put(row, column, numberCell(biffF64(r.body, 6), xf));
                        break;
                    }
                    switch (r.body[6]) {
                        case 0:
                            pendingRow = row;
                            pendingColumn = column;
                            break;
                        case 1:
                            rows.put(row, column, Cell::ofBoolean(r.body[8] != 0));
                            break;
                        case 2:
                            rows.put(row, column, Cell::ofError(errorCode(r.body[8])));
                            break;
                        default:  // an empty text
                            break;
                    }
                    break;
                }
                default:
                    break;
            }
        });
        rows.finish();
    }

    QString path_;
    std::vector<unsigned char> stream_;
    Globals globals_;
};

}  // namespace

std::unique_ptr<Workbook> openBiff(const QString& path) {
    return std::make_unique<BiffWorkbook>(path);
}

}  // namespace agrimor
