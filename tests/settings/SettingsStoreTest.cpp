#include "Source/LxPnGlobalState.h"
#include "Source/LxPnSystem.h"
#include "platform/MessageBox.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
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

// A short, valid PCM wave file.
QByteArray WaveFile()
{
    const quint32 samples = 800;
    QByteArray wav;
    auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) wav.append(char((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&](quint16 v) { wav.append(char(v & 0xFF)); wav.append(char(v >> 8)); };
    wav += "RIFF"; u32(36 + samples * 2); wav += "WAVEfmt "; u32(16);
    u16(1); u16(1); u32(8000); u32(16000); u16(2); u16(16);
    wav += "data"; u32(samples * 2);
    for (quint32 i = 0; i < samples; ++i)
        u16(quint16((i % 16) * 1000));
    return wav;
}

} // namespace

TEST_F(SettingsStoreTest, HoldsEveryKeyWithItsDefault)
{
    TAppIniData data;
    EXPECT_EQ(Keys(*data.General()),
              QStringList({"IsUseDefaultFolder", "WorkFolder", "FormPosLoad", "UseMRU", "MRUMax", "UseSound",
                           "MsgSound", "ClkSound"}));
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

    EXPECT_EQ(data.ReadString("General", "WorkFolder"), QDir::tempPath());
    EXPECT_EQ(data.ReadString("Editor", "FontName"), QString::fromUtf8("ＭＳ ゴシック"));
    EXPECT_EQ(data.ReadInteger("General", "MRUMax"), 10);
    EXPECT_TRUE(data.ReadBool("General", "UseMRU"));
    EXPECT_FALSE(data.ReadBool("General", "UseSound"));
    EXPECT_EQ(data.ReadColor("Editor", "LinNoBGColor"), -16777201);
    EXPECT_EQ(data.ReadColor("Preview", "PaperColor"), 16777215);
    EXPECT_EQ(data.ReadCurrency("Preview", "RigtmMarg"), 20.0);
    EXPECT_FALSE(data.ReadString("Preview", "OwthorName").isEmpty());
}

TEST_F(SettingsStoreTest, MissingFileGivesDefaultsAndIsNotCreated)
{
    TAppGlobalState state;
    ASSERT_EQ(AppIniData(), &state.IniData());
    EXPECT_EQ(AppIniData()->ReadInteger("Editor", "TABWidth"), 4);
    EXPECT_EQ(AppIniData()->ReadString("General", "WorkFolder"), QDir::tempPath());
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
    EXPECT_EQ(data.ReadString("General", "WorkFolder"), QString());
    EXPECT_EQ(data.ReadInteger("General", "MRUMax"), 10);
    EXPECT_FALSE(data.ReadBool("General", "UseMRU"));
    EXPECT_TRUE(data.ReadBool("General", "UseSound"));
    EXPECT_EQ(data.ReadInteger("Editor", "TABWidth"), 8);
    EXPECT_TRUE(data.ReadBool("Editor", "ShowLinNo"));
    EXPECT_EQ(data.ReadColor("Editor", "LinNoBGColor"), -16777201);
    EXPECT_EQ(data.ReadColor("Editor", "TextFRColor"), -16777198);
    EXPECT_DOUBLE_EQ(data.ReadCurrency("Preview", "TopMarg"), 12.3457);
    EXPECT_DOUBLE_EQ(data.ReadCurrency("Preview", "BottomMarg"), 20.0);
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
    EXPECT_EQ(back.ReadInteger("General", "MRUMax"), 15);
    EXPECT_TRUE(back.ReadBool("General", "UseSound"));
    EXPECT_DOUBLE_EQ(back.ReadCurrency("Preview", "LeftMarg"), 12.5);
}

TEST_F(SettingsStoreTest, FailedSaveIsReportedAndKeepsTheChangesForLater)
{
    SetIni("[General]\nMRUMax=10\n");
    QFile::setPermissions(IniPath(), QFile::ReadOwner | QFile::ReadGroup);
    TAppIniData data;
    data.Load();
    EXPECT_EQ(data.ReadInteger("General", "MRUMax"), 10);
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

TEST_F(SettingsStoreTest, RealSoundsNeverBlockOrFail)
{
    const QString good = FDir.filePath("good.wav");
    const QString broken = FDir.filePath("broken.wav");
    WriteBytes(good, WaveFile());
    WriteBytes(broken, "RIFF\x10\x00\x00\x00WAVEjunk and more junk");
    QElapsedTimer timer;
    timer.start();
    {
        TAppGlobalState state;
        TAppIniData &data = state.IniData();
        data.General()->Find("UseSound")->SetValue(true);
        for (const QString &file : {good, broken, FDir.filePath("missing.wav"), FDir.path(), good}) {
            data.General()->Find("MsgSound")->SetValue(file);
            PlayUISound(0);
            QCoreApplication::processEvents();
        }
    }
    // Nothing waits for a sound to end, and the players go with the state.
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(AppIniData(), nullptr);
}
