#include "platform/ProfileFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

using tovik::platform::ProfileFile;

namespace {

class ProfileFileTest : public IniFileTest {
protected:
    std::string Path() const { return IniPath().toStdString(); }
};

} // namespace

TEST_F(ProfileFileTest, ReadsSectionsAndKeysWithoutRegardToCaseAndTrimmed)
{
    SetIni("; settings\n"
           "[General]\n"
           "  WorkFolder =  /tmp/work  \n"
           "MRUMax=12\n"
           "mrumax=99\n"
           "NoEquals\n"
           "=orphan\n"
           "\n"
           "[ editor ]\n"
           "FontName=IPAGothic\n"
           "[General]\n"
           "UseSound=True\n");
    ProfileFile ini(Path());
    EXPECT_EQ(ini.Status(), ProfileFile::LoadStatus::Loaded);
    EXPECT_EQ(ini.ReadString("general", "WORKFOLDER", "x"), "/tmp/work");
    // The first of two spellings of a key wins; a repeated heading continues the section.
    EXPECT_EQ(ini.ReadString("General", "MRUMax", "x"), "12");
    EXPECT_EQ(ini.ReadString("General", "UseSound", "x"), "True");
    EXPECT_EQ(ini.ReadString("Editor", "fontname", "x"), "IPAGothic");
    EXPECT_EQ(ini.ReadString("General", "NoEquals", "def"), "def");
    EXPECT_EQ(ini.ReadString("Missing", "Key", "def"), "def");
    EXPECT_EQ(ini.ReadSection("GENERAL"), (std::vector<std::string>{"WorkFolder", "MRUMax", "UseSound"}));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"General", "editor"}));
}

TEST_F(ProfileFileTest, WritingChangesOnlyTheLinesItMust)
{
    const QByteArray before = "\xEF\xBB\xBF; kept comment\r\n"
                              "[General]\r\n"
                              "MRUMax = 10\r\n"
                              "odd line without equals\r\n"
                              "\r\n"
                              "[MRU]\r\n"
                              "MRU_0=/a.lzh\r\n"
                              "\r\n"
                              "[Editor]\r\n"
                              "TABWidth=4\r\n";
    SetIni(before);
    ProfileFile ini(Path());
    ini.WriteString("general", "mrumax", "20");       // in place, the file's spelling of the key
    ini.WriteString("GENERAL", "UseSound", "True");   // after the section's last line
    ini.WriteString("Preview", "FontSize", "9");      // a new section at the end
    ini.EraseSection("mru");
    EXPECT_TRUE(ini.Modified());
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(ReadBytes(IniPath()), QByteArray("\xEF\xBB\xBF; kept comment\r\n"
                                               "[General]\r\n"
                                               "MRUMax=20\r\n"
                                               "odd line without equals\r\n"
                                               "UseSound=True\r\n"
                                               "\r\n"
                                               "[Editor]\r\n"
                                               "TABWidth=4\r\n"
                                               "\r\n"
                                               "[Preview]\r\n"
                                               "FontSize=9\r\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"tovik.ini"});

    // Writing what is there already is no change.
    ProfileFile again(Path());
    again.WriteString("General", "MRUMax", "20");
    EXPECT_FALSE(again.Modified());
}

TEST_F(ProfileFileTest, ValuesCannotBreakTheFileApart)
{
    ProfileFile ini(Path());
    ini.WriteString("General", "WorkFolder", "/tmp/a\r\n[Evil]\nx=1");
    ini.WriteString("General", "Bad=Key", "1");
    ini.WriteString("Bad]Section", "Key", "1");
    ini.WriteString("", "Key", "1");
    ASSERT_TRUE(ini.Flush());
    ProfileFile back(Path());
    EXPECT_EQ(back.ReadString("General", "WorkFolder", ""), "/tmp/a  [Evil] x=1");
    EXPECT_EQ(back.ReadSections(), std::vector<std::string>{"General"});
    EXPECT_EQ(back.ReadSection("General"), std::vector<std::string>{"WorkFolder"});
}

TEST_F(ProfileFileTest, HostileFileKeepsItsReadableKeysAndItsBytes)
{
    QByteArray hostile = "\xEF\xBB\xBF[General]\r\nUseSound=1\r\n";
    static const char garbage[] = "Garbage=\xFF\xFE\x00\x01\x80 tail\r\n\x00\x00 binary \x9F\xE0\r\n";
    hostile += QByteArray(garbage, sizeof garbage - 1);
    hostile += "[Unclosed\r\n";
    hostile += "Long=" + QByteArray(2 * 1024 * 1024, 'x') + "\r\n";
    hostile += "[Editor]\nTABWidth=8";   // a bare LF and no final line end
    SetIni(hostile);

    ProfileFile ini(Path());
    EXPECT_EQ(ini.ReadString("General", "UseSound", ""), "1");
    EXPECT_EQ(ini.ReadString("General", "Garbage", ""), std::string("\xFF\xFE\x00\x01\x80 tail", 10));
    EXPECT_EQ(ini.ReadString("General", "Long", "").size(), 2u * 1024 * 1024);
    EXPECT_EQ(ini.ReadString("Editor", "TABWidth", ""), "8");
    // Nothing written: the text comes back byte for byte.
    EXPECT_EQ(QByteArray::fromStdString(ini.Text()), hostile);

    ini.WriteString("Editor", "TopMarg", "5");
    ASSERT_TRUE(ini.Flush());
    EXPECT_EQ(ReadBytes(IniPath()), hostile + "\r\nTopMarg=5\r\n");
}

TEST_F(ProfileFileTest, MissingFileReadsEmptyAndIsCreatedOnlyByAWrite)
{
    ProfileFile ini(Path());
    EXPECT_EQ(ini.Status(), ProfileFile::LoadStatus::Missing);
    EXPECT_EQ(ini.ReadString("General", "Key", "def"), "def");
    ini.EraseSection("MRU");
    ini.DeleteKey("General", "Key");
    EXPECT_TRUE(ini.Flush());
    EXPECT_FALSE(QFileInfo::exists(IniPath()));

    // A missing folder on the way is made.
    const QString nested = FDir.filePath("config/tovik/tovik.ini");
    ProfileFile deep(nested.toStdString());
    deep.WriteString("General", "Key", "v");
    ASSERT_TRUE(deep.Flush());
    EXPECT_EQ(ReadBytes(nested), QByteArray("[General]\nKey=v\n"));
}

TEST_F(ProfileFileTest, FailedSavesAreReportedAndLoseNothing)
{
    // A read-only file.
    SetIni("[General]\nMRUMax=10\n");
    QFile::setPermissions(IniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    ProfileFile readOnly(Path());
    EXPECT_EQ(readOnly.ReadString("General", "MRUMax", ""), "10");
    readOnly.WriteString("General", "MRUMax", "20");
    EXPECT_FALSE(readOnly.Flush());
    EXPECT_TRUE(readOnly.Modified());
    EXPECT_EQ(ReadBytes(IniPath()), QByteArray("[General]\nMRUMax=10\n"));
    QFile::setPermissions(IniPath(), QFile::ReadOwner | QFile::WriteOwner);

    // A path that cannot be read reads as empty, and is never replaced by what little is known.
    const QString folder = FDir.filePath("folder.ini");
    ASSERT_TRUE(QDir().mkdir(folder));
    ProfileFile unreadable(folder.toStdString());
    EXPECT_EQ(unreadable.Status(), ProfileFile::LoadStatus::Unreadable);
    unreadable.WriteString("General", "Key", "v");
    EXPECT_FALSE(unreadable.Flush());
    EXPECT_TRUE(QFileInfo(folder).isDir());

    // A folder that cannot be made.
    ProfileFile nowhere((IniPath() + "/below/a/file.ini").toStdString());
    nowhere.WriteString("General", "Key", "v");
    EXPECT_FALSE(nowhere.Flush());
}

TEST_F(ProfileFileTest, WritesThroughASymbolicLinkAndKeepsPermissions)
{
    const QString real = FDir.filePath("real.ini");
    WriteBytes(real, "[General]\nKey=old\n");
    QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ASSERT_TRUE(QFile::link(real, IniPath()));
    ProfileFile ini(Path());
    ini.WriteString("General", "Key", "new");
    ASSERT_TRUE(ini.Flush());
    EXPECT_TRUE(QFileInfo(IniPath()).isSymLink());
    EXPECT_EQ(ReadBytes(real), QByteArray("[General]\nKey=new\n"));
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(real.toStdString()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

struct ValueCase {
    const char *text;
    bool ok;
    int64_t value;
};

TEST(ProfileValues, Booleans)
{
    const ValueCase cases[] = {
        {"True", true, 1}, {"fALSE", true, 0}, {" true ", true, 1}, {"1", true, 1}, {"0", true, 0},
        {"-1", true, 1},   {"2.5", true, 1},   {"0.0", true, 0},    {"yes", false, 0}, {"", false, 0},
        {"1x", false, 0},  {"nan", false, 0},
    };
    for (const ValueCase &c : cases) {
        bool out = false;
        EXPECT_EQ(tovik::platform::ParseProfileBool(c.text, out), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(out, c.value != 0) << c.text;
        }
    }
}

TEST(ProfileValues, IntegersAndColours)
{
    const ValueCase ints[] = {
        {"10", true, 10},          {" -5 ", true, -5},      {"+7", true, 7},
        {"$FF", true, 255},        {"0x10", true, 16},      {"2147483647", true, 2147483647},
        {"2147483648", false, 0},  {"-2147483648", true, INT32_MIN},
        {"abc", false, 0},         {"1.5", false, 0},       {"", false, 0},
        {"99999999999999999999999", false, 0},
        // A hand-edited hexadecimal pattern is the 32 bits it spells: all ones is -1.
        {"$FFFFFFFF", true, -1},   {"0xFFFFFFFF", true, -1}, {"$80000000", true, INT32_MIN},
        {"$100000000", false, 0},
    };
    for (const ValueCase &c : ints) {
        int32_t out = 0;
        EXPECT_EQ(tovik::platform::ParseProfileInt32(c.text, out), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(out, c.value) << c.text;
        }
    }
    // Colours: signed as stored, or the same pattern written unsigned or in hexadecimal.
    const ValueCase colours[] = {
        {"-16777201", true, -16777201}, {"4278190095", true, -16777201}, {"$FF00000F", true, -16777201},
        {"16777215", true, 16777215},   {"4294967296", false, 0},        {"red", false, 0},
    };
    for (const ValueCase &c : colours) {
        int32_t out = 0;
        EXPECT_EQ(tovik::platform::ParseProfileColor(c.text, out), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(out, c.value) << c.text;
        }
    }
}

TEST(ProfileValues, Currency)
{
    const ValueCase cases[] = {
        {"20", true, 200000},         {"12.5", true, 125000},      {"-0.0001", true, -1},
        {"12.34567", true, 123457},   {"12.34564", true, 123456},  {".5", true, 5000},
        {"7.", true, 70000},          {"1,5", false, 0},           {"1e3", false, 0},
        {".", false, 0},              {"", false, 0},              {"9999999999999999", false, 0},
    };
    for (const ValueCase &c : cases) {
        int64_t out = 0;
        EXPECT_EQ(tovik::platform::ParseProfileCurrency(c.text, out), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(out, c.value) << c.text;
        }
    }
}

TEST(ProfileLocation, EnvironmentThenAnExistingFileBesideTheProgramThenXdg)
{
    const QByteArray savedIni = qgetenv("TOVIK_INI");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    qputenv("TOVIK_INI", "/somewhere/else.ini");
    EXPECT_EQ(tovik::platform::ApplicationIniPath(), "/somewhere/else.ini");
    qunsetenv("TOVIK_INI");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    // The program's folder may be written, yet without a file there the settings go to XDG.
    const std::string beside = std::string(TOVIK_TEST_BIN_DIR) + "/test_settings.ini";
    ASSERT_FALSE(QFile::exists(QString::fromStdString(beside)));
    EXPECT_EQ(tovik::platform::ApplicationIniPath(), config.path().toStdString() + "/tovik/tovik.ini");
    // A relative XDG_CONFIG_HOME is not a base folder (XDG says to ignore it).
    qputenv("XDG_CONFIG_HOME", "relative/config");
    qputenv("HOME", QFile::encodeName(config.path()));
    EXPECT_EQ(tovik::platform::ApplicationIniPath(), config.path().toStdString() + "/.config/tovik/tovik.ini");

    // A portable install: the file beside the program is used once it exists.
    {
        QFile file(QString::fromStdString(beside));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(tovik::platform::ApplicationIniPath(), beside);
    QFile::remove(QString::fromStdString(beside));

    qputenv("HOME", savedHome);
    if (!savedIni.isEmpty())
        qputenv("TOVIK_INI", savedIni);
    if (savedConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedConfig);
}
