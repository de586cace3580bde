// The settings store that stands in for the registry.
#include "platform/Settings.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

using namespace vek;
using namespace Qt::StringLiterals;

namespace {

const QString kKey = u"\\SOFTWARE\\VekPokaz"_s;

class Settings : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(TRegistry().FileFor(kKey)); }
    void TearDown() override { QFile::remove(TRegistry().FileFor(kKey)); }
};

} // namespace

TEST_F(Settings, TheUserKeyIsOneFileUnderTheConfigHome) {
    const QString file = TRegistry().FileFor(kKey);
    EXPECT_TRUE(file.endsWith(u"/VekPokaz/VekPokaz.ini"_s) || file.endsWith(u"/VekPokaz/VekPokaz.conf"_s))
        << file.toStdString();
    EXPECT_TRUE(file.startsWith(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")))) << file.toStdString();
    EXPECT_NE(TRegistry(RegistryRoot::LocalMachine).FileFor(kKey), file);
}

TEST_F(Settings, AMissingKeyIsNotOpenedWithoutCreating) {
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists(kKey));
    EXPECT_FALSE(reg.OpenKey(kKey, false));
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger(u"A"_s, 1);
    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists(kKey));
    EXPECT_TRUE(reg.OpenKey(kKey, false));
}

TEST_F(Settings, ValuesKeepTheirNamesAndTypes) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKey, true));
        reg.WriteInteger(u"FrmPodglad_Width"_s, -1234);
        reg.WriteBool(u"FrmPodglad_Max"_s, true);
        reg.WriteBool(u"PrintDlg_Kolor"_s, false);
        reg.WriteString(u"PrintDlg_NazwaDruk"_s, u"Drukarka w biurze, pokój 2 – \"Łódź\"; a=b"_s);
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_EQ(reg.ReadInteger(u"FrmPodglad_Width"_s), -1234);
    EXPECT_TRUE(reg.ReadBool(u"FrmPodglad_Max"_s));
    EXPECT_FALSE(reg.ReadBool(u"PrintDlg_Kolor"_s));
    EXPECT_EQ(reg.ReadInteger(u"FrmPodglad_Max"_s), 1); // Booleans are the integers 0 and 1
    EXPECT_EQ(reg.ReadString(u"PrintDlg_NazwaDruk"_s), u"Drukarka w biurze, pokój 2 – \"Łódź\"; a=b"_s);
    EXPECT_TRUE(reg.GetValueNames().contains(u"PrintDlg_NazwaDruk"_s));
    // The value names are written as given, letter case included.
    QSettings raw(reg.FileFor(kKey), QSettings::IniFormat);
    EXPECT_TRUE(raw.childKeys().contains(u"FrmPodglad_Width"_s));
}

TEST_F(Settings, MissingAndUnreadableValuesThrow) {
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey(kKey, true));
        reg.WriteString(u"Tekst"_s, u"piętnaście"_s);
    }
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_THROW(reg.ReadInteger(u"Brak"_s), ERegistryException);
    EXPECT_THROW(reg.ReadString(u"Brak"_s), ERegistryException);
    EXPECT_THROW(reg.ReadInteger(u"Tekst"_s), ERegistryException);
    EXPECT_THROW(reg.ReadBool(u"Tekst"_s), ERegistryException);
    EXPECT_TRUE(reg.DeleteValue(u"Tekst"_s));
    EXPECT_FALSE(reg.ValueExists(u"Tekst"_s));
    reg.CloseKey();
    EXPECT_THROW(reg.WriteInteger(u"A"_s, 1), ERegistryException); // no key open
}

TEST_F(Settings, SubkeysAreGroupsAndOtherKeysAreRefused) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey + u"\\Podglad"_s, true));
    reg.WriteInteger(u"X"_s, 7);
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_FALSE(reg.ValueExists(u"X"_s));
    ASSERT_TRUE(reg.OpenKey(u"\\software\\VekPokaz\\Podglad"_s, false));
    EXPECT_EQ(reg.ReadInteger(u"X"_s), 7);
    EXPECT_FALSE(reg.OpenKey(u"\\Control Panel\\Desktop"_s, true));
    EXPECT_FALSE(reg.OpenKey(u"\\SOFTWARE"_s, true));
    EXPECT_FALSE(reg.OpenKey(u"\\SOFTWARE\\Vek/Pokaz"_s, true));
}
