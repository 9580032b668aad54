// The quick-start chooser: its buttons, its box and its setting line.
#include "mainwindow/quick_start.h"
#include "platform/errors.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QToolButton>

namespace {

TEST(QuickStartSetting, TheEighthLineDecides) {
    QStringList lines;
    for (int i = 0; i < 7; ++i)
        lines << " 1 ";
    EXPECT_EQ(quickstart::settingFromLines(lines), std::nullopt); // fewer than eight lines
    EXPECT_EQ(quickstart::settingFromLines(lines + QStringList{" 0 "}), false);
    EXPECT_EQ(quickstart::settingFromLines(lines + QStringList{"1", " 0 "}), true);
    try {
        quickstart::settingFromLines(lines + QStringList{"ja"});
        ADD_FAILURE() << "a line without a number";
    } catch (const platform::RunError& e) {
        EXPECT_EQ(e.number, 13);
    }
}

TEST(QuickStartPanelTest, EachButtonRunsItsCommandAndOnlyTheLastHidesThePanel) {
    QWidget host;
    host.resize(720, 500);
    QStringList ran;
    QList<bool> kept;
    QuickStartPanel::Actions a;
    a.newJob = [&] { ran << "nytt"; };
    a.backup = [&] { ran << "backup"; };
    a.folderSync = [&] { ran << "synk"; };
    a.restore = [&] { ran << "återställ"; };
    a.schedule = [&] { ran << "schema"; };
    a.settings = [&] { ran << "inställningar"; };
    a.keepAtStart = [&](bool on) { kept << on; };
    auto* panel = new QuickStartPanel(&host, a);
    host.show();
    EXPECT_EQ(panel->geometry(), host.rect());
    EXPECT_EQ(panel->title(), "Snabbstartsväljaren");

    for (QToolButton* b : {panel->cmdsnabbnytt, panel->cmdsnabbbackup, panel->cmdsnabbsynk,
                           panel->cmdsnabbåterställ, panel->cmdsnabbschema}) {
        b->click();
        EXPECT_TRUE(panel->isVisible()) << b->text().toStdString();
    }
    QTest::mouseClick(panel->lblsnabbinställningar, Qt::LeftButton);
    EXPECT_EQ(ran, (QStringList{"nytt", "backup", "synk", "återställ", "schema", "inställningar"}));
    EXPECT_EQ(panel->Label20->text(), "Kör säkerhetskopiering på de jobb du väljer");

    // The box starts ticked; a click hands its value to the setting.
    EXPECT_TRUE(panel->chksnabbstart_nästauppstart->isChecked());
    panel->chksnabbstart_nästauppstart->click();
    EXPECT_EQ(kept, QList<bool>{false});

    panel->cmdsnabbmain->click();
    EXPECT_FALSE(panel->isVisible());

    // The panel follows its window, also while hidden; the buttons stay in the middle.
    host.resize(900, 640);
    panel->show();
    EXPECT_EQ(panel->size(), QSize(900, 640));
    const QRect inner = panel->framesnabbstart2->geometry();
    EXPECT_NEAR(inner.center().x(), 450, 2);
    EXPECT_NEAR(inner.center().y(), 320, 2);
}

} // namespace
