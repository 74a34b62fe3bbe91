#include "Source/LxPnGlobalState.h"
#include "Source/LxPnSystem.h"
#include "platform/MessageBox.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class SettingsStoreTest : public IniFileTest {};

QStringList Keys(const TAppSettingSection &section)
{
    QStringList keys;
    for (int i = 0; i < section.Count(); ++i)
        keys << section.Items(i)->Key();
    return keys;
}

} // namespace

TEST_F(SettingsStoreTest, HoldsEveryKeyWithItsDefault)
{
    TAppIniData data;
    EXPECT_EQ(Keys(*data.General()),
              QStringList({"IsUseDefaultFolder", "WorkFolder", "FormPosLoad", "UseMRU", "MRUMax", "UseSound",
                           "MsgSound", "ClkSound", "ExtractFolder"}));
    EXPECT_EQ(Keys(*data.Editor()),
              QStringList({"FontName", "FontSize", "ShowLinNo", "LinNoWidth", "LinNoBGColor", "LinNoFRColor",
                           "TextBGColor", "TextFRColor", "ShowCtrlCode", "CtrlCodeColor", "TABWidth", "TopMarg",
                           "LeftMarg", "AutoDecode"}));
    EXPECT_EQ(Keys(*data.Preview()),
              QStringList({"ShowPrintableRect", "ShowMarginMark", "BGColor", "PaperColor", "PaperShadowColor",
                           "FontName", "FontSize", "TopMarg", "BottomMarg", "LeftMarg", "RigtmMarg", "UseRowNo",
                           "RowMarg", "ShowHeaderBorder", "ShowFileName", "ShowDate", "ShowFooterBorder",
                           "ShowPageNo", "ShowOwthor", "OwthorName"}));
    EXPECT_EQ(data.General()->Name(), "General");
    EXPECT_EQ(data.Preview()->Items(20), nullptr);
    EXPECT_EQ(data.General()->Find("workfolder"), nullptr);

    EXPECT_EQ(data.ReadString(SettingKeys::General::WorkFolder), QDir::tempPath());
    EXPECT_EQ(data.ReadString(SettingKeys::Editor::FontName), QString::fromUtf8("ＭＳ ゴシック"));
    EXPECT_EQ(data.ReadInteger(SettingKeys::General::MRUMax), 10);
    EXPECT_TRUE(data.ReadBool(SettingKeys::General::UseMRU));
    EXPECT_FALSE(data.ReadBool(SettingKeys::General::UseSound));
    EXPECT_EQ(data.ReadColor(SettingKeys::Editor::LinNoBGColor), -16777201);
    EXPECT_EQ(data.ReadColor(SettingKeys::Preview::PaperColor), 16777215);
    EXPECT_EQ(data.ReadCurrency(SettingKeys::Preview::RigtmMarg), 20.0);
    EXPECT_FALSE(data.ReadString(SettingKeys::Preview::OwthorName).isEmpty());
}

TEST_F(SettingsStoreTest, MissingFileGivesDefaultsAndIsNotCreated)
{
    TAppGlobalState state;
    ASSERT_EQ(AppIniData(), &state.IniData());
    EXPECT_EQ(AppIniData()->ReadInteger(SettingKeys::Editor::TABWidth), 4);
    EXPECT_EQ(AppIniData()->ReadString(SettingKeys::General::WorkFolder), QDir::tempPath());
    EXPECT_TRUE(AppIniData()->General()->Save());
    EXPECT_FALSE(QFileInfo::exists(IniPath()));
}

TEST_F(SettingsStoreTest, LoadedTextsConvertOnUseAndFallBackOnTheDefault)
{
    SetIni("[General]\n"
           "WorkFolder=\n"
           "MRUMax=many\n"
           "UseMRU=fAlSe\n"
           "UseSound=1\n"
           "[Editor]\n"
           "TABWidth=8\n"
           "ShowLinNo=maybe\n"
           "LinNoBGColor=4278190095\n"
           "TextFRColor=blue\n"
           "[Preview]\n"
           "TopMarg=12.34567\n"
           "BottomMarg=wide\n");
    TAppIniData data;
    data.Load();
    EXPECT_EQ(data.ReadString(SettingKeys::General::WorkFolder), QString());
    EXPECT_EQ(data.ReadInteger(SettingKeys::General::MRUMax), 10);
    EXPECT_FALSE(data.ReadBool(SettingKeys::General::UseMRU));
    EXPECT_TRUE(data.ReadBool(SettingKeys::General::UseSound));
    EXPECT_EQ(data.ReadInteger(SettingKeys::Editor::TABWidth), 8);
    EXPECT_TRUE(data.ReadBool(SettingKeys::Editor::ShowLinNo));
    EXPECT_EQ(data.ReadColor(SettingKeys::Editor::LinNoBGColor), -16777201);
    EXPECT_EQ(data.ReadColor(SettingKeys::Editor::TextFRColor), -16777198);
    EXPECT_DOUBLE_EQ(data.ReadCurrency(SettingKeys::Preview::TopMarg), 12.3457);
    EXPECT_DOUBLE_EQ(data.ReadCurrency(SettingKeys::Preview::BottomMarg), 20.0);
    // Loading marks nothing as changed.
    for (TAppSettingSection *section : {data.General(), data.Editor(), data.Preview()})
        for (int i = 0; i < section->Count(); ++i)
            EXPECT_FALSE(section->Items(i)->Modified()) << section->Items(i)->Key().toStdString();
}

TEST_F(SettingsStoreTest, SavingWritesOnlyTheChangedKeys)
{
    SetIni("; mine\n[General]\nMRUMax=10\nUseMRU=True\n");
    TAppIniData data;
    data.Load();
    data.General()->Find("MRUMax")->SetValue(int32_t(15));
    data.General()->Find("UseMRU")->SetValue(true);          // the same text: no change
    data.General()->Find("UseSound")->SetValue(true);
    data.Preview()->Find("LeftMarg")->SetValue(TSettingValue::FromCurrency(12.5));
    data.Editor()->Find("TABWidth")->SetValue(int32_t(4));   // equal to the default
    EXPECT_FALSE(data.General()->Find("UseMRU")->Modified());
    EXPECT_FALSE(data.Editor()->Find("TABWidth")->Modified());

    ASSERT_TRUE(data.General()->Save());
    EXPECT_EQ(Ini(), "; mine\n[General]\nMRUMax=15\nUseMRU=True\nUseSound=True\n");
    EXPECT_FALSE(data.General()->Find("MRUMax")->Modified());
    ASSERT_TRUE(data.Editor()->Save());
    ASSERT_TRUE(data.Preview()->Save());
    EXPECT_EQ(Ini(), "; mine\n[General]\nMRUMax=15\nUseMRU=True\nUseSound=True\n\n[Preview]\nLeftMarg=12.5\n");

    // Everything round-trips through the file.
    TAppIniData back;
    back.Load();
    EXPECT_EQ(back.ReadInteger(SettingKeys::General::MRUMax), 15);
    EXPECT_TRUE(back.ReadBool(SettingKeys::General::UseSound));
    EXPECT_DOUBLE_EQ(back.ReadCurrency(SettingKeys::Preview::LeftMarg), 12.5);
}

TEST_F(SettingsStoreTest, FailedSaveIsReportedAndKeepsTheChangesForLater)
{
    SetIni("[General]\nMRUMax=10\n");
    QFile::setPermissions(IniPath(), QFile::ReadOwner | QFile::ReadGroup);
    TAppIniData data;
    data.Load();
    EXPECT_EQ(data.ReadInteger(SettingKeys::General::MRUMax), 10);
    data.General()->Find("MRUMax")->SetValue(int32_t(30));
    EXPECT_FALSE(data.General()->Save());
    EXPECT_EQ(Ini(), "[General]\nMRUMax=10\n");
    EXPECT_TRUE(data.General()->Find("MRUMax")->Modified());

    QFile::setPermissions(IniPath(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_TRUE(data.General()->Save());
    EXPECT_EQ(Ini(), "[General]\nMRUMax=30\n");
}

TEST_F(SettingsStoreTest, SoundFileDependsOnUseSoundAndKind)
{
    TAppIniData data;
    data.General()->Find("MsgSound")->SetValue("/snd/msg.wav");
    data.General()->Find("ClkSound")->SetValue("/snd/clk.wav");
    EXPECT_EQ(data.GetSoundFile(0), QString());
    EXPECT_EQ(data.GetSoundFile(2), QString());
    data.General()->Find("UseSound")->SetValue(true);
    EXPECT_EQ(data.GetSoundFile(0), "/snd/msg.wav");
    EXPECT_EQ(data.GetSoundFile(1), "/snd/msg.wav");
    EXPECT_EQ(data.GetSoundFile(2), "/snd/clk.wav");
    EXPECT_EQ(data.GetSoundFile(3), QString());
    EXPECT_EQ(data.GetSoundFile(-1), QString());
}

TEST_F(SettingsStoreTest, SoundsStayQuietInBatchModeAndPrecedeMessageBoxes)
{
    SetIni("[General]\nUseSound=True\nMsgSound=/snd/msg.wav\nClkSound=/snd/clk.wav\n");
    TAppGlobalState state;
    QStringList played;
    state.SetSoundSink([&](const QString &file) { played << file; });

    PlayUISound(2);
    {
        TBatchModeScope batch;
        EXPECT_TRUE(state.BatchMode());
        PlayUISound(0);
        {
            TBatchModeScope nested;
        }
        EXPECT_TRUE(state.BatchMode());
    }
    EXPECT_FALSE(state.BatchMode());

    QStringList shown;
    tovik::platform::SetMessageInterceptor([&](const QString &text, tovik::platform::MessageKind,
                                               QMessageBox::StandardButtons) {
        shown << text + " after " + QString::number(played.size());
        return QMessageBox::Ok;
    });
    tovik::platform::ShowMessage(nullptr, "hello");
    tovik::platform::SetMessageInterceptor(nullptr);
    EXPECT_EQ(played, QStringList({"/snd/clk.wav", "/snd/msg.wav"}));
    EXPECT_EQ(shown, QStringList{"hello after 2"});
}


TEST_F(SettingsStoreTest, EveryDefinedKeyIsAnItemWithItsDefinition)
{
    TAppIniData data;
    int count = 0;
    for (const TSettingKey *key : SettingKeys::All()) {
        TAppSettingItem *item = data.Item(key->SectionName(), key->KeyName());
        ASSERT_NE(item, nullptr) << key->Name;
        EXPECT_EQ(item->Definition(), key) << key->Name;
        EXPECT_EQ(data.Item(*key), item);
        ++count;
    }
    EXPECT_EQ(count, data.General()->Count() + data.Editor()->Count() + data.Preview()->Count());
}

// Hand-edited numbers outside what the dialog lets the user type read as the nearest bound.
TEST_F(SettingsStoreTest, NumbersReadWithinTheKeysBounds)
{
    SetIni("[General]\nMRUMax=500\n[Editor]\nTABWidth=-3\n[Preview]\nRowMarg=25\nTopMarg=123456.5\n"
           "LeftMarg=-1\nBGColor=-16777215\n");
    TAppIniData data;
    data.Load();
    EXPECT_EQ(data.ReadInteger(SettingKeys::General::MRUMax), 99);
    EXPECT_EQ(data.ReadInteger(SettingKeys::Editor::TABWidth), 0);
    EXPECT_EQ(data.ReadInteger(SettingKeys::Preview::RowMarg), 20);
    EXPECT_DOUBLE_EQ(data.ReadCurrency(SettingKeys::Preview::TopMarg), 9999.0);
    EXPECT_DOUBLE_EQ(data.ReadCurrency(SettingKeys::Preview::LeftMarg), 0.0);
    // Colours have no bounds: system colours are negative.
    EXPECT_EQ(data.ReadColor(SettingKeys::Preview::BGColor), -16777215);
}

// A typed write compares values, not texts: "true" is already True, "020" already 20.
TEST_F(SettingsStoreTest, TypedWritesChangeOnlyDifferentValues)
{
    SetIni("[General]\nUseMRU=true\nMRUMax=010\n[Preview]\nTopMarg=20.00\nOwthorName=Me\n");
    TAppIniData data;
    data.Load();
    EXPECT_FALSE(data.Write(SettingKeys::General::UseMRU, true));
    EXPECT_FALSE(data.Write(SettingKeys::General::MRUMax, 10));
    EXPECT_FALSE(data.Write(SettingKeys::Preview::TopMarg, int64_t(200000)));
    EXPECT_FALSE(data.Write(SettingKeys::Preview::OwthorName, "Me"));
    EXPECT_TRUE(data.Write(SettingKeys::General::UseSound, true));
    EXPECT_TRUE(data.Write(SettingKeys::Preview::RowMarg, 25));
    EXPECT_EQ(data.ReadInteger(SettingKeys::Preview::RowMarg), 20);
    ASSERT_TRUE(data.General()->Save());
    ASSERT_TRUE(data.Preview()->Save());
    EXPECT_EQ(Ini(), "[General]\nUseMRU=true\nMRUMax=010\nUseSound=True\n"
                     "[Preview]\nTopMarg=20.00\nOwthorName=Me\nRowMarg=20\n");
}

// A store given its own file neither reads nor writes the program's one.
TEST_F(SettingsStoreTest, AStoreOnItsOwnFile)
{
    SetIni("[General]\nMRUMax=5\n");
    const QString own = FDir.filePath("own.ini");
    WriteBytes(own, "[General]\nMRUMax=7\n");
    TAppIniData data(own);
    data.Load();
    EXPECT_EQ(data.IniPath(), own);
    EXPECT_EQ(data.ReadInteger(SettingKeys::General::MRUMax), 7);
    data.Write(SettingKeys::General::MRUMax, 8);
    ASSERT_TRUE(data.General()->Save());
    EXPECT_EQ(ReadBytes(own), "[General]\nMRUMax=8\n");
    EXPECT_EQ(Ini(), "[General]\nMRUMax=5\n");
}
