// The INI cases every ProfileStore must pass (see ProfileStoreContract.h).
#include "ProfileStoreContract.h"

#include <algorithm>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "sim/PortableProfileStore.h"

namespace sayvane::testing {
namespace {

struct ReadCase {
    const char* what;
    const char* fileText;  // nullptr: no file at all
    const char* section;
    const char* key;
    const char* fallback;
    std::string expected;
};

const std::string kLongValueFile = "[Setup]\r\nKey=" + std::string(300, 'x') + "\r\n";

const ReadCase kReadCases[] = {
    {"missing file gives the fallback", nullptr, "Setup", "Key", "dflt", "dflt"},
    {"missing section gives the fallback", "[Other]\r\nKey=1\r\n", "Setup", "Key", "dflt", "dflt"},
    {"missing key gives the fallback", "[Setup]\r\nOther=1\r\n", "Setup", "Key", "dflt", "dflt"},
    {"present but empty is empty, not the fallback", "[Setup]\r\nKey=\r\n", "Setup", "Key", "dflt", ""},
    {"blanks only is empty", "[Setup]\r\nKey=   \r\n", "Setup", "Key", "dflt", ""},
    {"empty quotes are empty", "[Setup]\r\nKey=\"\"\r\n", "Setup", "Key", "dflt", ""},
    {"plain value", "[Setup]\r\nKey=value\r\n", "Setup", "Key", "dflt", "value"},
    {"outer blanks and tabs trimmed", "[Setup]\r\nKey = \t padded \t \r\n", "Setup", "Key", "", "padded"},
    {"double quotes stripped, inner blanks kept", "[Setup]\r\nKey=\"  padded  \"\r\n", "Setup", "Key", "",
     "  padded  "},
    {"single quotes stripped", "[Setup]\r\nKey='single'\r\n", "Setup", "Key", "", "single"},
    {"an unbalanced quote stays", "[Setup]\r\nKey=\"open\r\n", "Setup", "Key", "", "\"open"},
    {"everything after the first = is the value", "[Setup]\r\na=b=c\r\n", "Setup", "a", "", "b=c"},
    {"no inline comments", "[Setup]\r\nKey=value ; note\r\n", "Setup", "Key", "", "value ; note"},
    {"section and key match without regard to case", "[setup]\r\nkey=1\r\n", "SETUP", "KEY", "", "1"},
    {"the first of duplicate keys wins", "[Setup]\r\nKey=first\r\nKEY=second\r\n", "Setup", "Key", "", "first"},
    {"only the first of duplicate sections is searched", "[Setup]\r\nA=1\r\n[Setup]\r\nKey=2\r\n", "Setup", "Key",
     "dflt", "dflt"},
    {"a ; line is a comment", "[Setup]\r\n;Key=5\r\n", "Setup", "Key", "dflt", "dflt"},
    {"a # line is not a comment", "[Setup]\r\n#Key=5\r\n", "Setup", "#Key", "dflt", "5"},
    {"LF line ends read as well", "[Setup]\nA=1\nKey=lf\n", "Setup", "Key", "", "lf"},
    {"a 300-character value comes back as 254", kLongValueFile.c_str(), "Setup", "Key", "", std::string(254, 'x')},
    {"trailing blanks of the fallback are trimmed", nullptr, "Setup", "Key", "dflt   ", "dflt"},
    {"quotes of the fallback are stripped", nullptr, "Setup", "Key", "\"q\"", "q"},
};

TEST_P(ProfileStoreContract, ReadsAsTheProfileApiDoes) {
    auto store = GetParam().make();
    TempFolder folder;
    int index = 0;
    for (const ReadCase& c : kReadCases) {
        // A file of its own per case: Wine caches profile files by name and time stamp.
        const std::string file = folder.File("case" + std::to_string(index++) + ".ini");
        if (c.fileText != nullptr) {
            WriteBytes(file, c.fileText);
        }
        EXPECT_EQ(store->GetString(c.section, c.key, c.fallback, 255, file), c.expected) << c.what;
    }
}

TEST_P(ProfileStoreContract, WritingAKeyChangesOnlyThatKeyAndValuesReadBackTrimmed) {
    auto store = GetParam().make();
    TempFolder folder;
    const std::string file = folder.File("settings.ini");
    WriteBytes(file, "[First]\r\nA=1\r\nmixedCase=old\r\nC=  spaced  \r\n[Second]\r\nB=2\r\n");

    // An existing key is replaced in place and keeps its spelling.
    ASSERT_TRUE(store->WriteString("first", "MIXEDCASE", "new", file));
    // A new key goes to the end of its own section, not of the file.
    ASSERT_TRUE(store->WriteString("First", "D", "4", file));
    // A new section goes to the end of the file.
    ASSERT_TRUE(store->WriteString("Third", "E", "5", file));

    const std::vector<std::string> expected = {"[First]",  "A=1", "mixedCase=new", "C=spaced", "D=4",
                                               "[Second]", "B=2", "[Third]",       "E=5"};
    std::vector<std::string> lines = ReadLines(file);
    for (std::string& line : lines) {  // how blanks around "=" are rewritten is not the point here
        line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(store->GetString("Second", "B", "", 255, file), "2");
    EXPECT_EQ(store->GetString("First", "C", "", 255, file), "spaced");

    ASSERT_TRUE(store->WriteString("Setup", "NickName", "  ABC_TWR  ", file));
    ASSERT_TRUE(store->WriteString("Setup", "Empty", "", file));
    EXPECT_EQ(store->GetString("Setup", "NickName", "", 255, file), "ABC_TWR");
    EXPECT_EQ(store->GetString("Setup", "Empty", "dflt", 255, file), "");

    // The first write into a folder that exists creates the file, with CRLF line ends.
    ASSERT_TRUE(store->WriteString("Setup", "OnTop", "1", folder.File("Sayvane.INI")));
    EXPECT_EQ(ReadBytes(folder.File("Sayvane.INI")), "[Setup]\r\nOnTop=1\r\n");

    // Into a folder that does not exist, nothing is written.
    const std::string lost = (folder.Path() / "no-such-folder" / "Sayvane.INI").string();
    EXPECT_FALSE(store->WriteString("Setup", "OnTop", "1", lost));
    EXPECT_FALSE(std::filesystem::exists(lost));
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Profile, ProfileStoreContract,
                         ::testing::Values(MakeStore<sim::PortableProfileStore>("Portable")));

}  // namespace sayvane::testing
