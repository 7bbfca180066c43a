#include "dialogs/OptionDlg.h"

#include "platform/Profile.h"
#include "res/resource.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <gtest/gtest.h>

using namespace parcelo;

namespace {

class OptionDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ClearProfile(); }
    void TearDown() override { ClearProfile(); }

    static void ClearProfile() {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "VELDAN", "Parcelo");
        settings.clear();
        settings.sync();
    }
    static void Store(const char16_t* key, int value) {
        Profile().WriteProfileInt(QString::fromUtf16(kSettingsSection), QString::fromUtf16(key), value);
    }
    static int Stored(const char16_t* key) {
        return Profile().GetProfileInt(QString::fromUtf16(kSettingsSection), QString::fromUtf16(key), 4711);
    }
    static QComboBox& Combo(COptionDlg& dialog, int id) { return *qobject_cast<QComboBox*>(dialog.GetDlgItem(id)); }
};

TEST_F(OptionDlgTest, FirstRunShowsTrackAndStoresTheDefaults) {
    COptionDlg dialog;
    dialog.show();
    EXPECT_EQ(Combo(dialog, IDC_DBLCLICK_COMBO).currentText(), "배송 조회");
    EXPECT_EQ(Combo(dialog, IDC_DBLCLICK_COMBO).count(), 4);
    // The font size is carried but never shown.
    EXPECT_TRUE(Combo(dialog, IDC_FONTSIZE_COMBO).isHidden());
    EXPECT_EQ(Combo(dialog, IDC_FONTSIZE_COMBO).currentText(), "보통");
    EXPECT_EQ(Stored(kDoubleClickKey), 4711) << "nothing is written before OK";

    dialog.OnOK();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(Stored(kDoubleClickKey), 0);
    EXPECT_EQ(Stored(kFontSizeKey), 1);
}

TEST_F(OptionDlgTest, HiddenFontSizeSurvivesAndTheChoiceIsStored) {
    Store(kFontSizeKey, 2);
    for (const int choice : {2, 3}) {
        COptionDlg dialog;
        dialog.show();
        Combo(dialog, IDC_DBLCLICK_COMBO).setCurrentIndex(choice);
        dialog.OnOK();
        EXPECT_EQ(Stored(kFontSizeKey), 2);
        EXPECT_EQ(Stored(kDoubleClickKey), choice);
    }

    COptionDlg cancelled;
    cancelled.show();
    Combo(cancelled, IDC_DBLCLICK_COMBO).setCurrentIndex(1);
    cancelled.OnCancel();
    EXPECT_EQ(cancelled.result(), IDCANCEL);
    EXPECT_EQ(Stored(kDoubleClickKey), 3);
    EXPECT_EQ(Stored(kFontSizeKey), 2);
}

TEST_F(OptionDlgTest, UnknownStoredActionShowsNoSelectionAndStoresMinusOne) {
    Store(kDoubleClickKey, 7);
    Store(kFontSizeKey, -3);
    COptionDlg dialog;
    dialog.show();
    EXPECT_EQ(Combo(dialog, IDC_DBLCLICK_COMBO).currentIndex(), -1);
    EXPECT_EQ(Combo(dialog, IDC_FONTSIZE_COMBO).currentIndex(), -1);
    dialog.OnOK();
    EXPECT_EQ(Stored(kDoubleClickKey), -1);
    EXPECT_EQ(Stored(kFontSizeKey), -1);
}

} // namespace
