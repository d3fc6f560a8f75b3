#include "workbook/record_codec.h"

#include <gtest/gtest.h>

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using namespace record_codec;

class KeepingSink : public CellRowSink {
public:
    void statedRange(std::optional<CellRange> range) override { stated = range; }
    void row(int sheetRow, std::span<const Cell> cells) override {
        numbers.push_back(sheetRow);
        rows.emplace_back(cells.begin(), cells.end());
    }
    std::optional<CellRange> stated;
    std::vector<int> numbers;
    std::vector<std::vector<Cell>> rows;
};

bool same(const Cell& a, const Cell& b) {
    return a.kind == b.kind && a.text == b.text && a.number == b.number && a.date == b.date &&
           (a.kind != Cell::Kind::Date || a.time == b.time) && a.timeFormatted == b.timeFormatted;
}

std::string encodeSheet(const std::vector<std::vector<Cell>>& rows) {
    std::string stream;
    Writer out([&stream](const std::string& bytes) { stream += bytes; });
    out.statedRange(CellRange{1, 1, 3, 4});
    int number = 1;
    for (const auto& row : rows)
        out.row(number++ * 2, row);
    out.done();
    out.end();
    return stream;
}

TEST(RecordCodec, a_sheet_comes_back_whole_in_pieces_of_any_size) {
    const std::vector<std::vector<Cell>> rows{
        {Cell::ofText(u"Câmbio, ação"_s), Cell(), Cell::ofNumber(-1234.5678),
         Cell::ofTimeSerial(1.5208333333333333)},
        {Cell::ofDate(QDate(2026, 3, 15), QTime(14, 30, 5)), Cell::ofBoolean(true),
         Cell::ofBoolean(false), Cell::ofError(u"#DIV/0!"_s)},
        {Cell::ofText(QString(70000, u'x')), Cell::ofDate(QDate(1900, 1, 1))},
    };
    const std::string stream = encodeSheet(rows);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, stream.size()}) {
        SCOPED_TRACE(piece);
        KeepingSink sink;
        Reader in(sink);
        for (std::size_t at = 0; at < stream.size(); at += piece)
            in.feed(stream.data() + at, std::min(piece, stream.size() - at));
        in.finish();
        EXPECT_FALSE(in.refusal());
        EXPECT_EQ(sink.stated, (CellRange{1, 1, 3, 4}));
        EXPECT_EQ(sink.numbers, (std::vector<int>{2, 4, 6}));
        ASSERT_EQ(sink.rows.size(), rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r) {
            ASSERT_EQ(sink.rows[r].size(), rows[r].size());
            for (std::size_t c = 0; c < rows[r].size(); ++c)
                EXPECT_TRUE(same(sink.rows[r][c], rows[r][c])) << r << ", " << c;
        }
    }
}

TEST(RecordCodec, the_sheet_list_and_a_refusal_come_back) {
    std::string stream;
    Writer out([&stream](const std::string& bytes) { stream += bytes; });
    out.workbook({{u"Câmbios"_s, false}, {u"Tabela"_s, true}}, DateSystem::From1904);
    out.end();
    Reader list;
    list.feed(stream.data(), stream.size());
    list.finish();
    ASSERT_EQ(list.sheets().size(), 2u);
    EXPECT_EQ(list.sheets()[0].name, u"Câmbios"_s);
    EXPECT_FALSE(list.sheets()[0].hidden);
    EXPECT_TRUE(list.sheets()[1].hidden);
    EXPECT_EQ(list.dateSystem(), DateSystem::From1904);

    // A read that stops part-way: the rows before the refusal arrive, then the refusal.
    stream.clear();
    out.statedRange(std::nullopt);
    out.row(1, std::vector<Cell>{Cell::ofNumber(1)});
    out.error(13, u"não serve"_s);
    out.end();
    KeepingSink sink;
    Reader rows(sink);
    rows.feed(stream.data(), stream.size());
    rows.finish();
    EXPECT_EQ(sink.rows.size(), 1u);
    ASSERT_TRUE(rows.refusal());
    EXPECT_EQ(rows.refusal()->first, 13);
    EXPECT_EQ(rows.refusal()->second, u"não serve"_s);
}

TEST(RecordCodec, streams_out_of_shape_are_malformed) {
    const std::string whole = encodeSheet({{Cell::ofNumber(1)}, {Cell::ofNumber(2)}});
    const auto malformed = [](const std::string& stream) {
        KeepingSink sink;
        Reader in(sink);
        try {
            in.feed(stream.data(), stream.size());
            in.finish();
        } catch (const Malformed&) {
            return true;
        }
        return false;
    };
    EXPECT_FALSE(malformed(whole));
    EXPECT_TRUE(malformed(whole.substr(0, whole.size() - 1)));  // cut short
    EXPECT_TRUE(malformed(whole + "Z"));                        // past its end
    EXPECT_TRUE(malformed("R"));                                // no stated range first
    std::string backwards = whole;
    backwards[backwards.find('R') + 1] = 8;  // row 4 first, then row 4 again
    EXPECT_TRUE(malformed(backwards));
    std::string kind = whole;
    kind[kind.find('R') + 3] = 9;  // no such cell kind
    EXPECT_TRUE(malformed(kind));
    std::string endsEmpty;
    Writer out([&endsEmpty](const std::string& bytes) { endsEmpty += bytes; });
    out.statedRange(std::nullopt);
    out.row(1, std::vector<Cell>{Cell::ofNumber(1), Cell()});
    out.done();
    out.end();
    EXPECT_TRUE(malformed(endsEmpty));
}

}  // namespace
}  // namespace agrimor
