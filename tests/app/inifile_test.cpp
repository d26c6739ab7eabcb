#include "inifile.h"

#include "exceptions.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvane {
namespace {

using test::readFile;
using test::ScratchFolder;
using test::writeFile;

// The settings the main window writes at exit, in its order.
void writeSixKeys(TIniFile& ini)
{
    ini.WriteBool("Form", "sound", false);
    ini.WriteBool("Form", "hint", true);
    ini.WriteInteger("Form", "OpenS", 2);
    ini.WriteInteger("Form", "CloseS", 1);
    ini.WriteInteger("Form", "MaxS", 25);
    ini.WriteString("Form", "mt4-path", "/home/trader/mt4");
}

std::string expectWriteFailure(TIniFile& ini, const std::string& value = "x")
{
    try {
        ini.WriteString("Form", "mt4-path", value);
    } catch (const Exception& e) {
        return e.what();
    }
    return "no exception";
}

TEST(IniFileTest, FirstRunReadsDefaultsAndCreatesNothing)
{
    ScratchFolder folder;
    const TIniFile ini(folder / "quorvane.INI");
    EXPECT_FALSE(ini.ReadBool("Form", "sound", false));
    EXPECT_TRUE(ini.ReadBool("Form", "hint", true));
    EXPECT_EQ(ini.ReadInteger("Form", "OpenS", 2), 2);
    EXPECT_EQ(ini.ReadInteger("Form", "MaxS", 25), 25);
    EXPECT_EQ(ini.ReadString("Form", "mt4-path", ""), "");
    EXPECT_FALSE(std::filesystem::exists(folder / "quorvane.INI"));
}

TEST(IniFileTest, NewFileHoldsKeysInWrittenOrderWithCrLf)
{
    ScratchFolder folder;
    TIniFile ini(folder / "quorvane.INI");
    writeSixKeys(ini);
    EXPECT_EQ(readFile(ini.FileName()),
              "[Form]\r\nsound=0\r\nhint=1\r\nOpenS=2\r\nCloseS=1\r\nMaxS=25\r\n"
              "mt4-path=/home/trader/mt4\r\n");
    EXPECT_EQ(ini.ReadString("Form", "mt4-path", ""), "/home/trader/mt4");
    EXPECT_EQ(ini.ReadInteger("Form", "CloseS", -7), 1);
}

TEST(IniFileTest, OtherSectionsAndLinesStayByteForByte)
{
    ScratchFolder folder;
    const std::string before = "; written by hand\r\n[Other]\r\n  Odd Key = spaced value  \r\nsound=9\r\n\r\n";
    const std::string after = "\r\n[Tail]\r\nMaxS=77\r\nno equals sign here\r\n";
    writeFile(folder / "q.INI", before + "[Form]\r\n; note\r\nhint=0\r\n" + after);
    TIniFile ini(folder / "q.INI");
    writeSixKeys(ini);
    EXPECT_EQ(readFile(ini.FileName()),
              before
                  + "[Form]\r\n; note\r\nhint=1\r\nsound=0\r\nOpenS=2\r\nCloseS=1\r\nMaxS=25\r\n"
                    "mt4-path=/home/trader/mt4\r\n"
                  + after);
    EXPECT_EQ(ini.ReadInteger("Tail", "MaxS", 0), 77);
    EXPECT_EQ(ini.ReadString("Other", "odd key", ""), "spaced value");
}

TEST(IniFileTest, SectionsAndKeysMatchWithoutCaseAndRewriteInPlace)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[FORM]\r\nSOUND=1\r\nmaxs=40\r\nLast=z\r\n");
    TIniFile ini(folder / "q.INI");
    EXPECT_TRUE(ini.ReadBool("Form", "sound", false));
    EXPECT_EQ(ini.ReadInteger("form", "MaxS", 25), 40);
    ini.WriteBool("Form", "sound", false);
    ini.WriteInteger("Form", "MaxS", 100);
    // The file's own spelling of key and section stays; nothing is appended.
    EXPECT_EQ(readFile(ini.FileName()), "[FORM]\r\nSOUND=0\r\nmaxs=100\r\nLast=z\r\n");
}

TEST(IniFileTest, FirstOfDuplicateKeysIsReadAndRewritten)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[Form]\nMaxS=10\nMaxS=20\n[Form]\nMaxS=30\n");
    TIniFile ini(folder / "q.INI");
    EXPECT_EQ(ini.ReadInteger("Form", "MaxS", 0), 10);
    ini.WriteInteger("Form", "MaxS", 11);
    EXPECT_EQ(readFile(ini.FileName()), "[Form]\nMaxS=11\nMaxS=20\n[Form]\nMaxS=30\n");
}

TEST(IniFileTest, LfFileStaysLfAndNewKeyGoesBeforeTrailingBlankLines)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[Form]\nsound=1\n\n\n[Next]\na=b\n");
    TIniFile ini(folder / "q.INI");
    ini.WriteInteger("Form", "MaxS", 5);
    ini.WriteString("New", "k", "v");
    EXPECT_EQ(readFile(ini.FileName()), "[Form]\nsound=1\nMaxS=5\n\n\n[Next]\na=b\n[New]\nk=v\n");
}

TEST(IniFileTest, CrLfFileStaysCrLf)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[Next]\r\na=b\r\n");
    TIniFile ini(folder / "q.INI");
    writeSixKeys(ini);
    const std::string content = readFile(ini.FileName());
    EXPECT_EQ(content.rfind("[Next]\r\na=b\r\n[Form]\r\nsound=0\r\n", 0), 0u) << content;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\n') {
            ASSERT_TRUE(i > 0 && content[i - 1] == '\r') << "bare LF at " << i;
        }
    }
}

TEST(IniFileTest, LastLineWithoutLineEndGetsOneBeforeAppending)
{
    ScratchFolder folder;
    writeFile(folder / "a.INI", "[Form]\r\nsound=1");
    writeFile(folder / "b.INI", "[Other]\nx=1");
    TIniFile inSection(folder / "a.INI");
    TIniFile newSection(folder / "b.INI");
    inSection.WriteInteger("Form", "MaxS", 3);
    newSection.WriteInteger("Form", "MaxS", 3);
    EXPECT_EQ(readFile(inSection.FileName()), "[Form]\r\nsound=1\r\nMaxS=3\r\n");
    EXPECT_EQ(readFile(newSection.FileName()), "[Other]\nx=1\n[Form]\nMaxS=3\n");
}

struct IntegerRow {
    const char* name;
    const char* stored; // nullptr: key absent
    int def;
    int expected;
};

// Failures name the row instead of dumping its bytes.
void PrintTo(const IntegerRow& row, std::ostream* out) { *out << row.name; }

class IniIntegerTest : public ::testing::TestWithParam<IntegerRow> {};

TEST_P(IniIntegerTest, ReadsIntegerOrDefault)
{
    const IntegerRow& row = GetParam();
    ScratchFolder folder;
    std::string content = "[Form]\r\n";
    if (row.stored)
        content += std::string("hint=") + row.stored + "\r\n";
    writeFile(folder / "q.INI", content);
    const TIniFile ini(folder / "q.INI");
    EXPECT_EQ(ini.ReadInteger("Form", "hint", row.def), row.expected);
    EXPECT_EQ(ini.ReadBool("Form", "hint", row.def != 0), row.expected != 0);
}

const IntegerRow integerRows[] = {
    {"Absent", nullptr, 1, 1},
    {"WordYesIsNotAnInteger", "yes", 1, 1},
    {"TwoIsTrue", "2", 1, 2},
    {"HexZeroIsFalse", "0x0", 1, 0},
    {"ZeroIsFalse", "0", 1, 0},
    {"Empty", "", 25, 25},
    {"DollarHex", "$1F", 0, 31},
    {"LowerHexPrefix", "0x1f", 0, 31},
    {"UpperHexPrefix", "0X1F", 0, 31},
    {"BarePrefixIsNotHex", "0x", 7, 7},
    {"BareDollar", "$", 7, 7},
    {"NegativeDollarHex", "-$10", 0, -16},
    {"HexWrapsToNegative", "$FFFFFFFF", 0, -1},
    {"HexTooLong", "$100000000", 5, 5},
    {"Negative", "-5", 0, -5},
    {"ExplicitPlus", "+7", 0, 7},
    {"TrailingJunk", "12abc", 3, 3},
    {"InnerBlank", "1 2", 3, 3},
    {"SurroundingBlanksTrimmed", "   42  ", 0, 42},
    {"QuotesStripped", "\"42\"", 0, 42},
    {"IntMax", "2147483647", 0, 2147483647},
    {"IntMaxPlusOne", "2147483648", 9, 9},
    {"IntMin", "-2147483648", 0, -2147483647 - 1},
    {"FloatIsNotInteger", "0.5", 9, 9},
    {"Huge", "99999999999999999999999", 9, 9},
};

INSTANTIATE_TEST_SUITE_P(Values, IniIntegerTest, ::testing::ValuesIn(integerRows),
                         [](const ::testing::TestParamInfo<IntegerRow>& info) { return std::string(info.param.name); });

TEST(IniFileTest, TextIsTrimmedUnquotedAndCutAt2047)
{
    ScratchFolder folder;
    const std::string longText(3000, 'a');
    writeFile(folder / "q.INI",
              "[Form]\r\nlong=" + longText + "\r\nquoted= \"  kept  \" \r\nsingle='x'\r\nhalf=\"x\r\n"
              "inner=a = b\r\n");
    const TIniFile ini(folder / "q.INI");
    EXPECT_EQ(ini.ReadString("Form", "long", ""), std::string(2047, 'a'));
    EXPECT_EQ(ini.ReadString("Form", "quoted", ""), "  kept  ");
    EXPECT_EQ(ini.ReadString("Form", "single", ""), "x");
    EXPECT_EQ(ini.ReadString("Form", "half", ""), "\"x");
    EXPECT_EQ(ini.ReadString("Form", "inner", ""), "a = b");
}

TEST(IniFileTest, LongTextIsWrittenWholeAndReadCut)
{
    ScratchFolder folder;
    TIniFile ini(folder / "q.INI");
    const std::string longText(2100, 'p');
    ini.WriteString("Form", "mt4-path", longText);
    EXPECT_EQ(readFile(ini.FileName()), "[Form]\r\nmt4-path=" + longText + "\r\n");
    EXPECT_EQ(ini.ReadString("Form", "mt4-path", "").size(), 2047u);
}

TEST(IniFileTest, MissingFolderReportsUnableToWrite)
{
    ScratchFolder folder;
    TIniFile ini(folder / "gone/quorvane.INI");
    EXPECT_EQ(expectWriteFailure(ini), "Unable to write to " + ini.FileName());
}

TEST(IniFileTest, FolderWhereNobodyMayCreateFilesReportsUnableToWrite)
{
    // /proc refuses new files even to root, so this holds whoever runs the tests.
    TIniFile ini("/proc/quorvane-test.INI");
    EXPECT_EQ(expectWriteFailure(ini), "Unable to write to /proc/quorvane-test.INI");
}

TEST(IniFileTest, ReadOnlyFolderReportsUnableToWriteAndKeepsFile)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[Form]\r\nmt4-path=old\r\n");
    ::chmod(folder.path().c_str(), 0555);
    if (::access(folder.path().c_str(), W_OK) == 0)
        GTEST_SKIP() << "running with rights that ignore folder modes";
    TIniFile ini(folder / "q.INI");
    EXPECT_EQ(expectWriteFailure(ini), "Unable to write to " + ini.FileName());
    EXPECT_EQ(readFile(ini.FileName()), "[Form]\r\nmt4-path=old\r\n");
}

TEST(IniFileTest, UnreadableFileIsNotWipedByAWrite)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[Other]\r\nkeep=me\r\n");
    ::chmod((folder / "q.INI").c_str(), 0200);
    if (::access((folder / "q.INI").c_str(), R_OK) == 0)
        GTEST_SKIP() << "running with rights that ignore file modes";
    TIniFile ini(folder / "q.INI");
    EXPECT_EQ(ini.ReadString("Other", "keep", "default"), "default");
    EXPECT_EQ(expectWriteFailure(ini), "Unable to write to " + ini.FileName());
    ::chmod((folder / "q.INI").c_str(), 0600);
    EXPECT_EQ(readFile(folder / "q.INI"), "[Other]\r\nkeep=me\r\n");
}

TEST(IniFileTest, FifoInPlaceOfTheFileNeitherHangsNorIsReplaced)
{
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder / "q.INI").c_str(), 0600), 0);
    TIniFile ini(folder / "q.INI");
    EXPECT_EQ(ini.ReadInteger("Form", "MaxS", 25), 25);
    EXPECT_EQ(expectWriteFailure(ini), "Unable to write to " + ini.FileName());
    struct stat info {};
    ASSERT_EQ(::stat(ini.FileName().c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(IniFileTest, LineBreakInValueIsRefusedInsteadOfPlantingKeys)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[Form]\r\nMaxS=25\r\n");
    TIniFile ini(folder / "q.INI");
    for (const std::string& bad : {std::string("a\r\nMaxS=1"), std::string("a\n[Evil]"), std::string("a\0b", 3)}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(expectWriteFailure(ini, bad), "Unable to write to " + ini.FileName());
    }
    EXPECT_THROW(ini.WriteString("Form]\n[X", "k", "v"), Exception);
    EXPECT_THROW(ini.WriteString("Form", "a=b", "v"), Exception);
    EXPECT_EQ(readFile(ini.FileName()), "[Form]\r\nMaxS=25\r\n");
}

TEST(IniFileTest, WriteKeepsModeAndLeavesNoTemporaryFiles)
{
    ScratchFolder folder;
    writeFile(folder / "q.INI", "[Form]\r\n");
    ::chmod((folder / "q.INI").c_str(), 0640);
    TIniFile ini(folder / "q.INI");
    writeSixKeys(ini);
    struct stat info {};
    ASSERT_EQ(::stat(ini.FileName().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"q.INI"});
}

TEST(IniFileTest, WriteThroughSymbolicLinkKeepsTheLink)
{
    ScratchFolder folder;
    writeFile(folder / "real.INI", "[Form]\r\nMaxS=1\r\n");
    ASSERT_EQ(::symlink("real.INI", (folder / "link.INI").c_str()), 0);
    TIniFile ini(folder / "link.INI");
    ini.WriteInteger("Form", "MaxS", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.INI"));
    EXPECT_EQ(readFile(folder / "real.INI"), "[Form]\r\nMaxS=2\r\n");
}

} // namespace
} // namespace quorvane
