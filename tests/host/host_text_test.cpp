// The host's own text handling: the connection file read, numbers on the command line, the
// listing text read back, tables written for people and scripts, and the file names of a
// folder export.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "command.h"
#include "connect_options.h"
#include "export_runs.h"
#include "listing.h"
#include "number_options.h"
#include "support/test_environment.h"
#include "table_output.h"

namespace lumbrook::host {
namespace {

// Connection files in a fresh folder of the test's own; Write makes one with its content and
// mode.
class ConnectFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& content, mode_t mode = 0600) {
        const std::string path = folder_ + "/" + name;
        lumbrook::testing::WriteFile(path, content);
        ::chmod(path.c_str(), mode);
        return path;
    }
    // The text read and the error, as one string for the expectations.
    static std::string Read(const std::string& path) {
        std::string error;
        const std::string text = ReadConnectFile(path, error);
        return error.empty() ? "text: " + text : "error: " + error;
    }

    const lumbrook::testing::TemporaryFolder temporary_;
    const std::string& folder_ = temporary_.path();
};

TEST_F(ConnectFileTest, ReadsTheFirstLineOfAFileOnlyItsOwnerMayRead) {
    const std::string line(64 * 1024, 'x');
    const std::string link = folder_ + "/link";
    const std::string own = Write("own", "Provider=SQLite;Data Source=a\r\nsecond line\n");
    ASSERT_EQ(::symlink(own.c_str(), link.c_str()), 0);
    const auto readable = [this](const std::string& name, const std::string& mode) {
        return "error: " + folder_ + "/" + name + " is readable by others (mode " + mode +
               "); it may hold a password (chmod go-r " + folder_ + "/" + name + ")";
    };
    const std::pair<std::string, std::string> cases[] = {
        {own, "text: Provider=SQLite;Data Source=a"},
        {link, "text: Provider=SQLite;Data Source=a"},  // the file it leads to is checked
        {Write("longest", line + "\n"), "text: " + line},
        {Write("unended", line), "text: " + line},
        {Write("group", "x\n", 0640), readable("group", "0640")},
        {Write("world", "x\n", 0604), readable("world", "0604")},
        {Write("long", line + "x\n"),
         "error: " + folder_ +
             "/long: the first line is longer than 64 KiB; it is not a "
             "connection string"},
        {Write("nul", std::string("a\0b\n", 4)),
         "error: " + folder_ +
             "/nul: the first line holds a NUL byte; it is not a connection "
             "string"},
        {Write("empty", "\nsecond\n"), "error: " + folder_ + "/empty holds no connection string"},
        {folder_ + "/missing",
         "error: cannot read " + folder_ + "/missing: No such file or directory"},
        {folder_, "error: " + folder_ + " is a folder, not a regular file"},
        {"/dev/null", "error: /dev/null is a device, not a regular file"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(Read(path), expected) << path;
}

// A FIFO is refused without waiting for a writer. Should the open wait, the alarm ends the
// test program instead of leaving it hanging.
TEST_F(ConnectFileTest, RefusesAFifoAtOnce) {
    const std::string fifo = folder_ + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(10);
    EXPECT_EQ(Read(fifo), "error: " + fifo + " is a FIFO, not a regular file");
    ::alarm(0);
}

// A 3 GB file costs no more memory than its first 64 KiB: a short first line before a hole
// is read, a hole without a line break is refused.
TEST_F(ConnectFileTest, ReadsNoMoreOfAHugeFileThanItsFirstLine) {
    const std::string lined = Write("lined", "Provider=SQLite;Data Source=a\n");
    const std::string hole = Write("hole", "");
    ASSERT_EQ(::truncate(lined.c_str(), 3LL << 30), 0);
    ASSERT_EQ(::truncate(hole.c_str(), 3LL << 30), 0);
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    EXPECT_EQ(Read(lined), "text: Provider=SQLite;Data Source=a");
    EXPECT_EQ(Read(hole), "error: " + hole +
                              ": the first line is longer than 64 KiB; it is "
                              "not a connection string");
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024) << "KiB more at the peak";
}

// Numbers on the command line: decimal text and nothing else, with every value CLI11 is
// handed read back exactly as it was parsed.
TEST(NumberOptions, TakeDecimalTextOnly) {
    const std::pair<const char*, double> reals[] = {
        {"60", 60},    {"-1.5", -1.5},   {"+2", 2},        {".5", 0.5}, {"5.", 5},
        {"1e3", 1000}, {"2.5E-1", 0.25}, {"1e308", 1e308}, {"007", 7},  {"-0", -0.0}};
    for (const auto& [text, value] : reals)
        EXPECT_EQ(ParseDecimal(text), value) << text;
    for (const char* text :
         {"",       "nan",    "NAN",  "inf",   "-inf", "+inf", "infinity", "1e400",
          "-1e400", "1e-400", "0x10", "0x1p3", " 5",   "5 ",   "\t5",      "+-5",
          "++5",    "+",      "-",    ".",     "e5",   "1e",   "1,5",      "5x"})
        EXPECT_EQ(ParseDecimal(text), std::nullopt) << text;

    const std::pair<const char*, long long> wholes[] = {
        {"16", 16},  {"-16", -16}, {"+16", 16},
        {"010", 10}, {"0", 0},     {"9223372036854775807", 9223372036854775807LL}};
    for (const auto& [text, value] : wholes)
        EXPECT_EQ(ParseWholeDecimal(text), value) << text;
    for (const char* text : {"", "0x10", "0X10", "1.0", "1e3", " 1", "1 ", "+-1", "nan",
                             "9223372036854775808", "0b1", "x"})
        EXPECT_EQ(ParseWholeDecimal(text), std::nullopt) << text;
}

// The refusals' texts: the host's usage_error.number tests (tests/host/CMakeLists.txt).
TEST(NumberOptions, HandCli11TextItReadsAsTheNumberParsed) {
    const CLI::Validator whole = WholeNumber();
    std::string text = "010";  // octal 8 to CLI11 as it was given
    EXPECT_EQ(whole(text), "");
    EXPECT_EQ(text, "10");
    const CLI::Validator decimal = DecimalNumber();
    // CLI11 reads a real number with strtold and rounds that to a double: text of 1 to 17
    // significant digits must come out as from_chars reads it, without a second rounding.
    std::mt19937_64 random(23);
    for (int i = 0; i < 100'000; ++i) {
        double value = 0;
        do {
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
        } while (!(std::fabs(value) >= 1e-300 && std::fabs(value) <= 1e300));
        char given[40];
        std::snprintf(given, sizeof given, "%.*g", 1 + i % 17, value);
        const std::optional<double> parsed = ParseDecimal(given);
        ASSERT_TRUE(parsed) << given;
        text = given;
        ASSERT_EQ(decimal(text), "") << given;
        const double read = static_cast<double>(std::strtold(text.c_str(), nullptr));
        ASSERT_EQ(read, *parsed) << given << " became " << text;
    }
}

TEST(ParseListingText, UnescapesAndRefusesMalformedText) {
    const Table table =
        ParseListingText("ID\tNA\\tME\nI7\tTa\\\\b\\tc\\nd\nN\tD2026-01-02T03:04:05\n");
    ASSERT_EQ(table.columns, (std::vector<std::string>{"ID", "NA\tME"}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0][1].text, "a\\b\tc\nd");
    // A column is found whatever case the database reports its name in.
    EXPECT_EQ(table.Column("na\tme"), 1);
    EXPECT_EQ(table.Column("NA\tMES"), -1);
    for (const char* bad : {"A\nI1\tI2\n", "A\nX1\n", "A\nTx\\q\n", "A\nI1"})
        EXPECT_THROW(ParseListingText(bad), std::runtime_error) << bad;
}

// The listings' committed expected outputs pin the three formats on real rows; here, what
// those rows lack: a non-ASCII value in an aligned column, an infinite number, no rows.
TEST(TableOutput, TextAlignsByCharactersJsonHasNoInfinity) {
    Table table;
    table.columns = {"NAME", "MASS", "WHEN"};
    table.rows = {{{'T', "\xC3\x84rchiv\tA"}, {'R', "1234.5"}, {'D', "2026-01-02T03:04:05"}},
                  {{'T', "b"}, {'R', "inf"}, {'N', ""}}};
    std::ostringstream text;
    WriteText(text, table);
    EXPECT_EQ(text.str(),
              "NAME      MASS    WHEN\n"
              "\xC3\x84rchiv A  1234.5  2026-01-02 03:04:05\n"
              "b         inf\n");
    std::ostringstream json;
    WriteJson(json, table);
    EXPECT_EQ(json.str(),
              "[\n {\"NAME\":\"\xC3\x84rchiv\\tA\",\"MASS\":1234.5,\"WHEN\":"
              "\"2026-01-02T03:04:05\"},\n {\"NAME\":\"b\",\"MASS\":null,\"WHEN\":null}\n]\n");
    std::ostringstream empty;
    WriteJson(empty, Table{{"A"}, {}});
    EXPECT_EQ(empty.str(), "[]\n");
}

TEST(JobRunIds, EachJobRunOnceAndNoneLostSilently) {
    const Table rows = ParseListingText(
        "SPOT_SET_ID\tJOB_RUN_ID\tJOB_FINISH_TIME\n"
        "I3\tI12\tD2026-01-02T03:04:05\nI3\tI12\tN\nI3\tI10\tN\n"  // 12 twice: two finish times
        "I3\tTx\tN\nI3\tI4294967308\tN\nI3\tN\tN\n");
    int status = kExitOk;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(JobRunIds(rows, SpotSet{3, "P/S"}, status), (std::vector<LONG>{12, 10}));
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, kExitFailed);
    for (const char* id : {"job run x ", "job run 4294967308 ", "job run (no id) "})
        EXPECT_NE(told.find(id), std::string::npos) << told;
}

// Names in --out-dir: what a value may hold never leaves its component, and what the pattern
// itself says is kept or refused before anything is written.
TEST(FileNameFor, ValuesStayInTheirComponentAndNamesInTheFolder) {
    struct Case {
        std::string pattern;
        long long spotSet;
        std::string path;
        std::string expected;
    };
    const std::string nul("a\0b", 3);
    const Case cases[] = {
        {"job_run_{job_run}.qpk", 0, "", "job_run_12.qpk"},
        {"{spot_set}/{job_run}.qpk", 0, "", "_/12.qpk"},  // no spot set: not the root
        {"{spot_set}/{job_run}.qpk", 31, "", "31/12.qpk"},
        {"run-{job_run}{spot_set}.qpk", 0, "", "run-12.qpk"},
        {"{spot_set_path}/{job_run}.qpk", 31, "..", "_/12.qpk"},
        {"{spot_set_path}/{job_run}.qpk", 31, ".", "_/12.qpk"},
        {"{spot_set_path}.qpk", 31, "Proj/Set1", "Proj_Set1.qpk"},
        {"{spot_set_path}.qpk", 31, nul, "a_b.qpk"},
        {"{spot_set_path}.qpk", 31, "tab\there\nand\x7F", "tab_here_and_.qpk"},
        {"{spot_set_path}.qpk", 31, "M\xFCller", "M\xFCller.qpk"},  // bytes pass as they are
        {"./sub//{job_run}.qpk", 0, "", "sub/12.qpk"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileNameFor(c.pattern, 12, c.spotSet, c.path), c.expected) << c.pattern;

    const std::pair<std::string, std::string> refused[] = {
        {"/tmp/{job_run}.qpk", "absolute"},
        {"../{job_run}.qpk", "leads out of --out-dir"},
        {"{job_run}/", "names a folder"},
        {"{job_run", "without its '}'"},
        {"{spot}", "unknown field {spot}"},
        {"{spot_set_path}.qpk", "file name component of 304 bytes"},
    };
    for (const auto& [pattern, message] : refused) {
        try {
            FileNameFor(pattern, 12, 31, std::string(300, 'x'));
            ADD_FAILURE() << pattern << " was taken";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace lumbrook::host
