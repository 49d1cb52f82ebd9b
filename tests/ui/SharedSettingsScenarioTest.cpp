// Two windows over the same drives, as two running instances of the program
// would be: jump folders registered in each survive the other's close.

#include "tests/support/DialogKeys.h"
#include "tests/ui/Form1Fixture.h"
#include "ui/QtUi.h"

#include <QListWidget>
#include <QPushButton>

namespace sorvik::test {
namespace {

class SharedSettingsScenario : public WindowsFixture {
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        platform::clearDialogHooks();
        drives.makeDir(u"C:\\work\\docs");
        drives.makeDir(u"C:\\prog\\SYSDAT");
        drives.writeBytes(
            kSettings, "[Init]\r\nTop= 0 \r\n\r\n[Jump]\r\nC:\\work\\\r\nold,C:\\old\\\r\n\r\n[Filter]\r\n0 *.txt\r\n");
    }
    void TearDown() override
    {
        third.reset();
        second.reset();
        first.reset();
        EXPECT_EQ(platform::dialogsLeftOpen(), 0);
        platform::clearDialogHooks();
        WindowsFixture::TearDown();
    }

    // Shift+J, taking the alias offered for the listed directory.
    void registerOffered(Form1& form)
    {
        platform::queueDialogHook([](QDialog& d) { keyIn(d, Qt::Key_Return); });
        press(form, Qt::Key_J, Qt::ShiftModifier);
    }

    // The settings file from its [Jump] line on.
    std::string jumpSection() const
    {
        const std::string ini = drives.readBytes(kSettings);
        const std::size_t from = ini.find("[Jump]\r\n");
        return from == std::string::npos ? ini : ini.substr(from);
    }

    static constexpr const char16_t* kSettings = u"C:\\prog\\SYSDAT\\黑黑黑黑.ini";
    platform::FileSystem secondFs{drives.fs().drives()};
    std::unique_ptr<Form1> first;
    std::unique_ptr<Form1> second;
    std::unique_ptr<Form1> third;
};

TEST_F(SharedSettingsScenario, aJumpFolderRegisteredInTheWindowClosedFirstSurvivesTheOthersClose)
{
    first = open(drives.fs(), u"C:\\work");   // started earlier, closed later
    second = open(secondFs, u"C:\\work");
    ASSERT_TRUE(second->model().setTreePath(u"C:\\work\\docs"));
    registerOffered(*second);
    ASSERT_NE(second->model().JumpList.find(u"docs"), nullptr);
    second->close();
    second.reset();
    ASSERT_NE(jumpSection().find("docs,C:\\work\\docs\\\r\n"), std::string::npos);

    registerOffered(*first);
    ASSERT_NE(first->model().JumpList.find(u"work"), nullptr);
    first->close();
    first.reset();
    EXPECT_EQ(jumpSection(),
        "[Jump]\r\nC:\\work\\\r\nold,C:\\old\\\r\ndocs,C:\\work\\docs\\\r\nwork,C:\\work\\\r\n\r\n"
        "[Filter]\r\n0 *.txt\r\n");
    EXPECT_TRUE(ui.messages().empty());

    // The next start offers both in the jump-folder dialog.
    third = open(drives.fs(), u"C:\\work");
    QStringList shown;
    platform::queueDialogHook([&](QDialog& d) {
        auto* list = d.findChild<QListWidget*>("List1");
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        d.findChild<QPushButton*>("cmdCan")->click();
    });
    press(*third, Qt::Key_J);
    EXPECT_EQ(shown, (QStringList{"old", "docs", "work"}));
}

}
}
