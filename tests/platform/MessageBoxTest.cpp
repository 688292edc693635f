#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/MessageBox.h"
#include "platform/UserStore.h"

using namespace platform;
using platform::testing::CTempFolder;

TEST(MessageBox, RecorderKeepsTextsAndAnswersWithinTheButtons)
{
    CRecordingMessageBox recorder;
    InstallMessageBox(&recorder);
    EXPECT_EQ(ShowMessageBox(WindowHandle::None, "text", "caption", MB_YESNO | MB_ICONQUESTION), IDYES);
    recorder.SetAnswer(IDNO);
    EXPECT_EQ(ShowMessageBox(WindowHandle::None, "t2", "c2", MB_YESNO), IDNO);
    EXPECT_EQ(ShowMessageBox(WindowHandle::None, "t3", "c3", MB_OK), IDOK); // IDNO is no button of MB_OK
    InstallMessageBox(nullptr);
    const auto shown = recorder.GetShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "text");
    EXPECT_EQ(shown[0].caption, "caption");
    EXPECT_EQ(shown[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(MessageBoxAnswers(MB_YESNOCANCEL), (std::vector<int>{ IDYES, IDNO, IDCANCEL }));
}

TEST(UserStore, KeepsValuesUnderKeyPathsExactly)
{
    CTempFolder folder;
    CUserStore store(folder / "registry.ini");
    ASSERT_TRUE(store.SetValue("QvRep.File\\Shell\\Open\\Command", "", "\"/opt/pldk/pldk\" %1"));
    ASSERT_TRUE(store.SetValue("QvRep.File\\DefaultIcon", "", "  padded  "));
    ASSERT_TRUE(store.SetValue("QvRep.File", "Name", "'quoted'"));
    ASSERT_TRUE(store.SetValue("QvRep.File", "Tab", "\vvertical tab\f"));
    CUserStore again(folder / "registry.ini");
    EXPECT_EQ(again.GetValue("qvrep.file/shell/open/command"), "\"/opt/pldk/pldk\" %1");
    EXPECT_EQ(again.GetValue("QvRep.File\\DefaultIcon\\"), "  padded  ");
    EXPECT_EQ(again.GetValue("QvRep.File", "name"), "'quoted'");
    EXPECT_EQ(again.GetValue("QvRep.File", "tab"), "\vvertical tab\f") << "every blank the reader trims is kept";
    EXPECT_EQ(again.GetValue("QvRep.File", "none"), std::nullopt);
    EXPECT_EQ(again.GetValue("Missing"), std::nullopt);
    EXPECT_FALSE(store.SetValue("", "x", "y"));
    EXPECT_FALSE(store.SetValue("A", "x", "two\nlines"));
    ASSERT_TRUE(store.DeleteKey("QvRep.File\\DefaultIcon"));
    EXPECT_EQ(again.GetValue("QvRep.File\\DefaultIcon"), std::nullopt);
    EXPECT_EQ(again.GetValue("QvRep.File", "Name"), "'quoted'");
}
