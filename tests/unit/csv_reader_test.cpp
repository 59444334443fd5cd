#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/csv_reader.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

Records ReadAll(const std::string& text)
{
    CCsvReader reader(text);
    Records records;
    std::vector<std::string> fields;
    while (reader.Next(fields))
        records.push_back(fields);
    return records;
}

struct CsvCase {
    const char* what;
    std::string text;
    Records records;
};

class CsvReaderTest : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvReaderTest, ReadsRecordsAsTheRfcHasThem)
{
    EXPECT_EQ(ReadAll(GetParam().text), GetParam().records) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvReaderTest,
    testing::Values(
        CsvCase{"plain LF lines", "a,b,c\nd,e,f\n", {{"a", "b", "c"}, {"d", "e", "f"}}},
        CsvCase{"CRLF lines keep no CR", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
        CsvCase{"a lone CR ends a line too", "a,b\rc\n", {{"a", "b"}, {"c"}}},
        CsvCase{"the last line needs no end", "a,b\nlast", {{"a", "b"}, {"last"}}},
        CsvCase{"empty fields", ",\n\n", {{"", ""}, {""}}},
        CsvCase{"a comma in quotes", "\"x, y\",z\r\n", {{"x, y", "z"}}},
        CsvCase{"doubled quotes", "\"say \"\"hi\"\"\",\"\"\"\"\n", {{"say \"hi\"", "\""}}},
        CsvCase{"a quoted field last, before CRLF", "a,\"q\"\r\nb\r\n", {{"a", "q"}, {"b"}}},
        CsvCase{"line breaks in quotes", "\"two\r\nlines\",x\r\n", {{"two\r\nlines", "x"}}},
        CsvCase{"a quote inside an unquoted field is kept", "a,Foo \"Bar\" Inc,c\n", {{"a", "Foo \"Bar\" Inc", "c"}}},
        CsvCase{"a lone quote inside quotes is kept", "a,\"Foo \"Bar\" Inc\",c\n", {{"a", "Foo \"Bar\" Inc", "c"}}},
        CsvCase{"a quote never closed breaks only its line", "a,\"open\nb,c\n", {{""}, {"b", "c"}}},
        CsvCase{"a quote never closed on the last line", "a,\"open", {{""}}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace

namespace {

// Inputs that made reading quadratic: each finishes (ctest's time-out bounds
// it) and reads as the rules say.
TEST(CsvReaderBoundTest, AQuotedFieldPastTheBoundMakesItsRecordBadAndReadingGoesOnAfterIt)
{
    const size_t bound = CCsvReader::kMaxQuotedBytes;
    // A megabyte that opens a quote and never closes it, then a good line.
    EXPECT_EQ(ReadAll("a,\"" + std::string(1 << 20, 'x') + "\nb,c\n"), (Records{{""}, {"b", "c"}}));
    // Closed, but longer than any field this program reads.
    EXPECT_EQ(ReadAll("\"" + std::string(bound + 1, 'y') + "\",z\nb\n"), (Records{{""}, {"b"}}));
    // At the bound it is still a field.
    EXPECT_EQ(ReadAll("\"" + std::string(bound - 1, 'y') + "\",z\n"), (Records{{std::string(bound - 1, 'y'), "z"}}));
}

TEST(CsvReaderBoundTest, AMegabyteOfLinesThatEachOpenAQuoteReadsInOnePass)
{
    // Every line opens a quote that no later line closes: each record is
    // bad, and none is read again from the start of the text's rest.
    std::string text;
    while (text.size() < (1u << 20))
        text += "\"open\n";
    const Records records = ReadAll(text);
    ASSERT_FALSE(records.empty());
    for (const auto& record : records)
        ASSERT_EQ(record, std::vector<std::string>{""});
    // The first records run past the bound and skip to the line after it;
    // the last bound's worth of lines are each their own bad record.
    EXPECT_GE(records.size(), CCsvReader::kMaxQuotedBytes / 6);
    EXPECT_LT(records.size(), text.size() / 6);
}

}  // namespace
