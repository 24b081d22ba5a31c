#include "IniFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class IniFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("inifile-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(folder, ec);
    }
    std::string Path(const std::string& name) const { return (folder / name).string(); }
    static void Put(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path folder;
};

TEST(IniFileRead, MatchesSectionsAndKeysIgnoringCaseAndGivesDefaults) {
    IniFile ini("x.ini", "[Species 1]\nRate = N1*(1-N1) \n[Time]\nStep=0.5\n");
    EXPECT_EQ(ini.ReadString("species 1", "RATE", "0"), "N1*(1-N1)");
    EXPECT_EQ(ini.ReadString("TIME", "step", ""), "0.5");
    EXPECT_EQ(ini.ReadString("Time", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("Nowhere", "Step", "dflt"), "dflt");
    // A key of another section is not found in this one.
    EXPECT_EQ(ini.ReadString("Time", "Rate", "none"), "none");
    EXPECT_TRUE(ini.SectionExists("species 1"));
    EXPECT_TRUE(ini.ValueExists("time", "STEP"));
    EXPECT_FALSE(ini.ValueExists("time", "Rate"));
}

TEST(IniFileRead, StripsOneEnclosingPairOfMatchingQuotes) {
    IniFile ini("x.ini", "[S]\na=\"text\"\nb='text'\nc=\"'text'\"\nd=\"text'\ne=\"\nf=\"\"\n");
    EXPECT_EQ(ini.ReadString("S", "a", ""), "text");
    EXPECT_EQ(ini.ReadString("S", "b", ""), "text");
    EXPECT_EQ(ini.ReadString("S", "c", ""), "'text'");
    EXPECT_EQ(ini.ReadString("S", "d", ""), "\"text'");
    EXPECT_EQ(ini.ReadString("S", "e", ""), "\"");
    EXPECT_EQ(ini.ReadString("S", "f", "x"), "");
}

TEST(IniFileRead, ReturnsLongValuesWhole) {
    const std::string rate(5000, 'N');
    IniFile ini("x.ini", "[Species 1]\nRate=" + rate + "\n");
    EXPECT_EQ(ini.ReadString("Species 1", "Rate", ""), rate);
}

TEST(IniFileRead, ParsesIntegersInDecimalAndHex) {
    IniFile ini("x.ini", "[S]\na=42\nb=-7\nc=0x1F\nd=0XffffFFFF\ne=12abc\nf=0x\ng=99999999999\n"
                         "h=+5\ni=0x1FFFFFFFF\nj=+-5\nk=\n");
    EXPECT_EQ(ini.ReadInteger("S", "a", 0), 42);
    EXPECT_EQ(ini.ReadInteger("S", "b", 0), -7);
    EXPECT_EQ(ini.ReadInteger("S", "c", 0), 31);
    EXPECT_EQ(ini.ReadInteger("S", "d", 0), -1);
    EXPECT_EQ(ini.ReadInteger("S", "e", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "f", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "g", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "h", 0), 5);
    EXPECT_EQ(ini.ReadInteger("S", "i", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "j", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "k", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "missing", 8), 8);
    EXPECT_TRUE(ini.ReadBool("S", "a", false));
    EXPECT_FALSE(IniFile("x.ini", "[S]\nz=0\n").ReadBool("S", "z", true));
    EXPECT_TRUE(ini.ReadBool("S", "e", true));
}

TEST(IniFileRead, ReadsDamagedTextAsFarAsItMakesSense) {
    std::string junk = "\x01\xff[\0]=\0\0";
    junk.append(std::string("\0\0", 2));
    IniFile ini("x.ini", junk + "\n[Open\nk=1\n[Open]\nj=2\nk=3\r\n[[x]]\n" +
                             std::string(100000, 'q') +
                             "\n;k=4\nnoequals\n=empty key\n[Last]\nend=yes");
    EXPECT_EQ(ini.ReadString("Open", "k", ""), "1"); // first of the duplicates wins
    EXPECT_EQ(ini.ReadString("open", "j", ""), "2"); // duplicate sections are merged
    EXPECT_EQ(ini.ReadString("[x", "", "none"), "empty key");
    EXPECT_EQ(ini.ReadString("Last", "end", ""), "yes"); // no line break at the end
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Open", "[x", "Last"}));
    EXPECT_EQ(ini.ReadSection("OPEN"), (std::vector<std::string>{"k", "j"}));
}

TEST(IniFileWrite, UpdatesInPlaceAppendsKeysAndSectionsAndKeepsEverythingElse) {
    const std::string original = "; my notes\r\n[Time]\r\nStep = 1\r\nOwn=mine\r\n\r\n"
                                 "[Species 1]\r\nDensity=1\r\n[Extra]\r\nx=y\r\n";
    IniFile ini("x.ini", original);
    ini.WriteString("time", "STEP", "0.01");
    ini.WriteString("Time", "Added", "a");
    ini.WriteString("Species 2", "Rate", "N2");
    EXPECT_EQ(ini.Text(), "; my notes\r\n[Time]\r\nStep =0.01\r\nOwn=mine\r\nAdded=a\r\n\r\n"
                          "[Species 1]\r\nDensity=1\r\n[Extra]\r\nx=y\r\n"
                          "[Species 2]\r\nRate=N2\r\n");
}

TEST(IniFileWrite, BuildsANewFileInWriteOrder) {
    IniFile ini("x.ini", "");
    ini.WriteString("Time", "Step", "1");
    ini.WriteString("Species 1", "Density", "1");
    ini.WriteString("Species 2", "Density", "2");
    ini.WriteString("Species 1", "Rate", "0");
    ini.WriteString("Parameters", "Name7", "");
    EXPECT_EQ(ini.Text(), "[Time]\nStep=1\n[Species 1]\nDensity=1\nRate=0\n"
                          "[Species 2]\nDensity=2\n[Parameters]\nName7=\n");
}

TEST(IniFileWrite, EndsAnUnterminatedLastLineBeforeAppending) {
    IniFile ini("x.ini", "[A]\nk=1");
    ini.WriteString("A", "j", "2");
    ini.WriteString("B", "i", "3");
    EXPECT_EQ(ini.Text(), "[A]\nk=1\nj=2\n[B]\ni=3\n");
}

TEST(IniFileWrite, QuotedValuesAndLineBreaksReadBackAsWritten) {
    IniFile ini("x.ini", "");
    const std::string values[] = {
        "\"quoted\"", "'single'", "\"", "\"\"", "plain \"inner\" quotes", "a\r\n[Injected]\nb"};
    for (const std::string& v : values)
        ini.WriteString("S", "k", v), ini.WriteString("S", v, "x");
    IniFile back("x.ini", ini.Text());
    EXPECT_EQ(back.ReadString("S", "k", ""), "a  [Injected] b");
    EXPECT_FALSE(back.SectionExists("Injected"));
    IniFile each("x.ini", "");
    for (const std::string& v : std::vector<std::string>(values, values + 5)) {
        each.WriteString("S", "k", v);
        EXPECT_EQ(IniFile("x.ini", each.Text()).ReadString("S", "k", ""), v) << v;
    }
    EXPECT_EQ(IniFile("x.ini", "").Text(), "");
    each.WriteString("S", "k", "\"q\"");
    EXPECT_EQ(each.Text(), "[S]\nk=\"\"q\"\"\n");
}

TEST(IniFileWrite, IntegersAndBooleans) {
    IniFile ini("x.ini", "");
    ini.WriteInteger("S", "i", -2147483633);
    ini.WriteBool("S", "t", true);
    ini.WriteBool("S", "f", false);
    EXPECT_EQ(ini.Text(), "[S]\ni=-2147483633\nt=1\nf=0\n");
}

TEST(IniFileWrite, EraseSectionAndDeleteKeyRemoveEveryCopy) {
    IniFile ini("x.ini", "[A]\nk=1\n[B]\nk=2\nk=3\nj=4\n[a]\nm=5\n[C]\n");
    ini.DeleteKey("b", "K");
    ini.EraseSection("A");
    EXPECT_EQ(ini.Text(), "[B]\nj=4\n[C]\n");
    EXPECT_TRUE(ini.Modified());
}

TEST_F(IniFileOnDisk, MissingFileReadsAsDefaultsAndIsNotCreatedUntilWritten) {
    IniFile ini(Path("none.ini"));
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    ini.UpdateFile();
    EXPECT_FALSE(fs::exists(Path("none.ini")));
    ini.WriteString("S", "k", "v");
    ini.UpdateFile();
    EXPECT_EQ(Get(Path("none.ini")), "[S]\nk=v\n");
    EXPECT_EQ(ReadProfileString(Path("none.ini"), "s", "K", ""), "v");
}

TEST_F(IniFileOnDisk, ProfileFunctionsUpdateTheFileAndKeepModeAndOtherLines) {
    const std::string path = Path("model.ini");
    Put(path, "[Time]\r\nStep=1\r\n[Mine]\r\nkeep=me\r\n");
    ::chmod(path.c_str(), 0640);
    WriteProfileString(path, "Time", "Step", "0.25");
    WriteProfileInteger(path, "Time", "Count", 3);
    EXPECT_EQ(Get(path), "[Time]\r\nStep=0.25\r\nCount=3\r\n[Mine]\r\nkeep=me\r\n");
    EXPECT_EQ(ReadProfileInteger(path, "TIME", "count", 0), 3);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(IniFileOnDisk, BackslashesSeparateFolders) {
    fs::create_directories(folder / "sub");
    WriteProfileString(folder.string() + "\\sub\\t.ini", "S", "k", "v");
    EXPECT_EQ(Get(Path("sub/t.ini")), "[S]\nk=v\n");
}

// A link planted where the file goes (a shared folder, an unpacked bundle)
// must not turn a write into one of the file it points to.
TEST_F(IniFileOnDisk, AWriteReplacesALinkItselfNeverItsTarget) {
    Put(Path("real.ini"), "[S]\nk=1\n");
    fs::create_symlink(folder / "real.ini", folder / "link.ini");
    fs::create_symlink(folder / "nowhere.ini", folder / "dangling.ini");
    EXPECT_EQ(ReadProfileString(Path("link.ini"), "S", "k", ""), "1"); // read through it
    WriteProfileString(Path("link.ini"), "S", "k", "2");
    WriteProfileString(Path("dangling.ini"), "S", "k", "3");
    EXPECT_FALSE(fs::is_symlink(folder / "link.ini"));
    EXPECT_EQ(Get(Path("link.ini")), "[S]\nk=2\n");
    EXPECT_EQ(Get(Path("real.ini")), "[S]\nk=1\n");
    EXPECT_FALSE(fs::exists(folder / "nowhere.ini"));
    EXPECT_EQ(Get(Path("dangling.ini")), "[S]\nk=3\n");
}

// What is not a regular file, or is too large, is not read (a FIFO would
// block for ever) and never overwritten; ReadError says why.
TEST_F(IniFileOnDisk, OnlyRegularFilesOfBoundedSizeAreRead) {
    ASSERT_EQ(::mkfifo(Path("fifo.ini").c_str(), 0600), 0);
    fs::create_directories(folder / "dir.ini");
    Put(Path("big.ini"), "[S]\nk=1\n");
    fs::resize_file(Path("big.ini"), IniFile::kMaxFileSize + 1);
    const struct {
        const char* name;
        const char* error;
    } cases[] = {{"fifo.ini", "it is not a regular file"},
                 {"dir.ini", "it is not a regular file"},
                 {"big.ini", "it is larger than 16 MiB"},
                 {"missing.ini", ""}};
    for (const auto& c : cases) {
        IniFile ini(Path(c.name));
        EXPECT_EQ(ini.ReadError(), c.error) << c.name;
        EXPECT_FALSE(ini.SectionExists("S")) << c.name;
        ini.WriteString("S", "k", "2");
        if (*c.error) {
            EXPECT_THROW(ini.UpdateFile(), EIniFileException) << c.name;
        }
    }
    EXPECT_EQ(fs::file_size(Path("big.ini")), IniFile::kMaxFileSize + 1);
    EXPECT_TRUE(fs::is_fifo(Path("fifo.ini")));
}

TEST_F(IniFileOnDisk, AByteOrderMarkIsPassedOverAndKept) {
    Put(Path("bom.ini"), "\xEF\xBB\xBF[Time]\r\nStep=0.5\r\n");
    IniFile ini(Path("bom.ini"));
    EXPECT_EQ(ini.ReadString("Time", "Step", ""), "0.5");
    ini.WriteString("Time", "Step", "2");
    ini.UpdateFile();
    EXPECT_EQ(Get(Path("bom.ini")), "\xEF\xBB\xBF[Time]\r\nStep=2\r\n");
}

// A writer killed between writing and renaming leaves its temporary; the
// next write of that file clears it, but not one young enough to be a
// write under way, nor files of other names.
TEST_F(IniFileOnDisk, AWriteClearsStaleTemporariesOfItsFile) {
    for (const char* name :
         {".m.ini.AbC123", ".m.ini.young1", ".other.ini.AbC123", ".m.ini.toolong1"})
        Put(Path(name), "left");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name : {".m.ini.AbC123", ".other.ini.AbC123", ".m.ini.toolong1"})
        fs::last_write_time(Path(name), old);
    WriteProfileString(Path("m.ini"), "S", "k", "v");
    EXPECT_FALSE(fs::exists(Path(".m.ini.AbC123")));
    for (const char* name : {".m.ini.young1", ".other.ini.AbC123", ".m.ini.toolong1"})
        EXPECT_TRUE(fs::exists(Path(name))) << name;
}

TEST_F(IniFileOnDisk, UnwritableTargetsRaiseAndChangeNothing) {
    const std::string kept = "[S]\nk=old\n";
    Put(Path("keep.ini"), kept);
    IniFile ini(Path("keep.ini"));
    ini.WriteString("S", "k", "new");
    // The folder loses write permission: no new file can be put beside the old one.
    fs::permissions(folder,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const bool root = ::geteuid() == 0;
    if (!root) {
        EXPECT_THROW(ini.UpdateFile(), EIniFileException);
        EXPECT_EQ(Get(Path("keep.ini")), kept);
    }
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);

    const std::string targets[] = {Path("missing-folder/x.ini"), folder.string(),
                                   "/proc/tarnivell-test.ini"};
    for (const std::string& target : targets) {
        try {
            WriteProfileString(target, "S", "k", "v");
            ADD_FAILURE() << "no error for " << target;
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message(), "Unable to write to " + target);
        }
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(Get(Path("keep.ini")), kept);
}

TEST_F(IniFileOnDisk, ReadOnlyFileIsNotReplacedWhenNotRoot) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    Put(Path("ro.ini"), "[S]\nk=1\n");
    ::chmod(Path("ro.ini").c_str(), 0444);
    EXPECT_THROW(WriteProfileString(Path("ro.ini"), "S", "k", "2"), EIniFileException);
    EXPECT_EQ(Get(Path("ro.ini")), "[S]\nk=1\n");
}

} // namespace
