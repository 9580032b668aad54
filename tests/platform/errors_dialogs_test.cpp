#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QAbstractProxyModel>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cerrno>
#include <gtest/gtest.h>

using namespace platform;

TEST(Errors, ErrnoMapsToTheRunTimeNumbersWithSwedishDescriptions) {
    const std::pair<int, int> table[] = {{ENOSPC, 61}, {EDQUOT, 61},  {EACCES, 70}, {EPERM, 70},
                                         {ENOENT, 53}, {ENOTDIR, 76}, {EIO, 57},    {EEXIST, 58},
                                         {EROFS, 75},  {EBUSY, 75},   {EFBIG, 75},  {ENAMETOOLONG, 75}};
    for (auto [err, number] : table)
        EXPECT_EQ(errorNumberFromErrno(err), number) << "errno " << err;
    EXPECT_EQ(errorDescription(61), "Disken är full");
    EXPECT_EQ(errorDescription(70), "Åtkomst nekad");
    EXPECT_EQ(errorDescription(53), "Filen hittades inte");
    EXPECT_EQ(errorDescription(76), "Sökvägen hittades inte");
    EXPECT_EQ(errorDescription(75), "Fel vid åtkomst till sökväg/fil");
    const RunError e = runErrorFromErrno(ENOSPC);
    EXPECT_EQ(e.number, 61);
    EXPECT_EQ(e.description, "Disken är full");
}

TEST(Errors, FaultHookHitsThePathAndEverythingBelowItOnly) {
    injectFault("/data/mapp", EIO);
    EXPECT_EQ(faultFor("/data/mapp"), EIO);
    EXPECT_EQ(faultFor("/data/mapp/fil.txt"), EIO);
    EXPECT_EQ(faultFor("/data/mappen"), 0) << "a neighbour with the same beginning";
    EXPECT_EQ(faultFor("/data"), 0);
    try {
        checkFault("/data/mapp/x");
        FAIL();
    } catch (const RunError& e) {
        EXPECT_EQ(e.number, 57);
    }
    clearFaults();
    EXPECT_NO_THROW(checkFault("/data/mapp/x"));
}

TEST(Dialogs, ScriptAnswersInOrderAndRecordsTheCalls) {
    Dialogs d;
    d.setScripted(true);
    d.expectMessage("radera", Answer::Yes);
    d.expectInput("namn", "Jobb 2");
    d.expectFolder("/mnt/usb");
    d.expectOpenUrl("https://", false);
    d.expectMessage("Det gick inte att öppna https://www.tamrel.se");
    d.expectStartProgram("editor");
    EXPECT_EQ(d.msgBox("Vill du radera jobbet?", MsgButtons::YesNo), Answer::Yes);
    EXPECT_EQ(d.inputBox("Skriv ett namn", "Byt namn"), "Jobb 2");
    EXPECT_EQ(d.pickFolder("Leta upp mappen"), "/mnt/usb");
    EXPECT_FALSE(d.openUrl("https://www.tamrel.se"));
    EXPECT_TRUE(d.startProgram("editor --ny"));
    ASSERT_EQ(d.calls().size(), 6u);
    EXPECT_EQ(d.calls()[0].title, "Tamrel Backup") << "the program's title when none is given";
    EXPECT_EQ(d.calls()[1].title, "Byt namn");
    EXPECT_TRUE(d.verify().isEmpty());
}

TEST(Dialogs, UnexpectedWrongAndUnusedAnswersAreFailures) {
    Dialogs d;
    d.setScripted(true);
    EXPECT_EQ(d.msgBox("Oväntat?", MsgButtons::YesNo), Answer::No) << "a safe answer, never blocking";
    EXPECT_EQ(d.inputBox("x"), "");
    d.expectMessage("Klart");
    EXPECT_EQ(d.pickFolder("Mapp"), "") << "wrong kind";
    d.expectFolder("/x");
    QStringList f = d.verify();
    ASSERT_EQ(f.size(), 5);
    EXPECT_TRUE(f[0].contains("unexpected message box")) << f[0].toStdString();
    EXPECT_TRUE(f[1].contains("unexpected input box"));
    EXPECT_TRUE(f[2].contains("expected message box")) << f[2].toStdString();
    EXPECT_TRUE(f[3].contains("never shown"));
    EXPECT_TRUE(f[4].contains("never shown"));
    EXPECT_TRUE(d.verify().isEmpty()) << "verify clears";

    d.expectMessage("Klart");
    EXPECT_EQ(d.msgBox("Något annat", MsgButtons::OkCancel), Answer::Cancel) << "text does not match";
    EXPECT_EQ(d.verify().size(), 2);
}

TEST(Dialogs, ScriptedWindowsAreActedOnInsteadOfShown) {
    Dialogs d;
    d.setScripted(true);
    QDialog w;
    w.setObjectName("frmklarbackup");
    bool acted = false;
    d.expectWindow("frmklarbackup", [&](QWidget* win) {
        acted = true;
        EXPECT_EQ(win, &w);
    });
    d.showModal(&w);
    EXPECT_TRUE(acted);
    EXPECT_FALSE(w.isVisible());
    d.showModal(&w);
    EXPECT_EQ(d.verify().size(), 1) << "a second showing nobody expected";
}

TEST(Clock, FixedMomentAndTheOneDateAndTimeForm) {
    Clock c;
    const QDateTime t(QDate(2024, 3, 9), QTime(0, 0, 5));
    c.setNow(t);
    EXPECT_EQ(c.now(), t);
    c.advance(3600);
    EXPECT_EQ(timeText(c.now()), "01:00:05");
    EXPECT_EQ(dateText(c.now()), "2024-03-09");
    EXPECT_EQ(dateTimeText(t), "2024-03-09 00:00:05") << "midnight in 24-hour form";
    EXPECT_EQ(c.today(), QDate(2024, 3, 9));
    c.release();
    EXPECT_LE(qAbs(c.now().secsTo(QDateTime::currentDateTime())), 5);
}

TEST(Dialogs, UnattendedRunsShowNothingAndTakeTheSafeAnswer) {
    Dialogs d;
    d.setUnattended(true);
    EXPECT_EQ(d.msgBox("Vill du skriva över?", MsgButtons::YesNo), Answer::No);
    EXPECT_EQ(d.msgBox("Försöka igen?", MsgButtons::RetryCancel), Answer::Cancel);
    EXPECT_EQ(d.msgBox("Klart"), Answer::Ok);
    EXPECT_EQ(d.inputBox("Namn", {}, "förval"), "");
    EXPECT_EQ(d.pickFolder("Mapp"), "");
    QDialog w;
    w.setObjectName("frmklarbackup");
    d.showModal(&w);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(d.calls().size(), 6u);
    EXPECT_TRUE(d.verify().isEmpty()) << "nothing unexpected: no script is running";
}

// The desktop's opener starts even when it has no program for a file; only its exit status tells.
TEST(Dialogs, AFileTheDesktopCannotOpenIsSaidSo) {
    QTemporaryDir bin;
    QFile opener(bin.filePath("xdg-open"));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\necho \"no method available for opening '$1'\" >&2\nexit 3\n");
    opener.close();
    opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
    Dialogs d;
    EXPECT_TRUE(d.openUrl(bin.filePath("rapport.xyz")));
    d.setScripted(true);
    d.expectMessage("Det gick inte att öppna " + bin.filePath("rapport.xyz"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !d.calls().empty(); }, 10000));
    qputenv("PATH", oldPath);
    EXPECT_TRUE(d.verify().isEmpty());
}

// A picker shows dates as the rest of the program does, not in the system locale's words.
TEST(Dialogs, PickersShowDatesInTheProgramsForm) {
    QTemporaryDir dir;
    QFile f(dir.filePath("brev.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(
        f.setFileTime(QDateTime(QDate(2024, 12, 9), QTime(14, 5)), QFileDevice::FileModificationTime));
    f.close();
    QFileDialog picker(nullptr, "Välj", dir.path());
    useProgramDates(&picker);
    picker.show();
    QAbstractItemModel* shown = picker.proxyModel();
    ASSERT_NE(shown, nullptr);
    auto* files = qobject_cast<QFileSystemModel*>(picker.proxyModel()->sourceModel());
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return files->index(dir.filePath("brev.txt")).isValid(); }));
    const QModelIndex date = picker.proxyModel()->mapFromSource(files->index(dir.filePath("brev.txt"), 3));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown->data(date).toString() == "2024-12-09 14:05"; }))
        << shown->data(date).toString().toStdString();
    picker.close();
}

// A folder picker opens at the folder its field names, or the nearest one above it that exists,
// never at the root; its choose button is the one the titles name, and its date column holds a
// whole date and time.
TEST(Dialogs, TheFolderPickerOpensAtTheFieldsFolderWithTheButtonTitlesNameAndWholeDates) {
    QTemporaryDir dir;
    const QString home = homeFolder();
    const struct {
        QString field, start;
    } cases[] = {
        {dir.path(), dir.path()},       {dir.path() + "/", dir.path()}, {dir.path() + "/ny/djup", dir.path()},
        {"/tamrel-finns-inte/x", home}, {"relativ/mapp", home},         {"", home},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pickerStartFolder(c.field), c.start) << c.field.toStdString();

    Dialogs d;
    QString shownAt, button;
    int room = 0, needed = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!picker)
            return;
        shownAt = picker->directory().absolutePath();
        if (auto* box = picker->findChild<QDialogButtonBox*>())
            for (QAbstractButton* b : box->buttons())
                if (box->buttonRole(b) == QDialogButtonBox::AcceptRole)
                    button = b->text().remove('&');
        if (auto* view = picker->findChild<QTreeView*>()) {
            // An item view draws its text inside a margin on either side.
            const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
            room = view->header()->sectionSize(3) - 2 * margin;
            needed = view->fontMetrics().horizontalAdvance("2026-12-31 23:59");
        }
        picker->reject();
    });
    poll.start(20);
    // A larger font than the column's own width allows for (a desktop's, or a user's choice).
    const QFont font = QApplication::font();
    QFont larger = font;
    larger.setPointSizeF(font.pointSizeF() * 1.5);
    QApplication::setFont(larger);
    EXPECT_EQ(d.pickFolder("Leta upp mappen, och klicka på " + folderPickerButton(), dir.path() + "/ny"), "");
    QApplication::setFont(font);
    EXPECT_EQ(shownAt, dir.path());
    EXPECT_EQ(button, folderPickerButton());
    EXPECT_GE(room, needed);
}
