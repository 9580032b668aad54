#include "core/error_dialog.h"
#include "core/module1.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include "platform/accessibility.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <optional>

using Module1::logga_meddelande;

class Reporter : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().clock.setNow(QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9)));
        m = prog().form<frmmain>();
        m->txtsyslogg->clear();
    }
    QString log() const { return m->systemLogText(); }
    bool programLogRed() const {
        return m->lblprogramlogg->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
    }
    bool schedulerLabelRed() const {
        return m->lblschemavisasyslogg->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
    }
    // Expects the dialog, checks its text and symbol, and presses OK.
    void expectDialog(const QString& text, bool information) {
        dialogs().expectWindow("frmerror", [text, information](QWidget* w) {
            auto* d = static_cast<frmerror*>(w);
            EXPECT_EQ(d->lblfel->toPlainText(), text);
            EXPECT_EQ(d->showsInformation(), information);
            EXPECT_EQ(d->windowTitle(), "Tamrel Backup");
            d->cmdok->click();
        });
    }
    frmmain* m = nullptr;
};

TEST_F(Reporter, LogOnlyWritesTheLineWithThePlaceAndShowsNothing) {
    logga_meddelande(-1, -1, "Laddade listan", "Main, cmdload");
    EXPECT_EQ(log(), "\r\n2026-05-06 07:08:09  Laddade listan. Plats: Main, cmdload");
    EXPECT_FALSE(programLogRed());
    logga_meddelande(-1, 0, "FEL! Något", "");
    EXPECT_TRUE(log().endsWith("  FEL! Något. Plats: "));
    EXPECT_TRUE(programLogRed());
}

TEST_F(Reporter, PlainMessageShowsOnlyItsTextWithTheInformationSign) {
    expectDialog("Namnet finns redan!", true);
    logga_meddelande(0, -1, "Namnet finns redan!", "");
    EXPECT_EQ(log(), "");
    EXPECT_FALSE(programLogRed());
    // With a place the dialog shows it after an empty line.
    expectDialog("Det finns inga jobb att återställa.\n\nPlats: Main, återställ", true);
    logga_meddelande(0, -1, "Det finns inga jobb att återställa.", "Main, återställ");
    // Lower-case "fel!" is no error message.
    expectDialog("fel! inte ett fel", true);
    logga_meddelande(0, -1, "fel! inte ett fel", "");
    EXPECT_EQ(log(), "");
    // Other negative numbers behave like 0 but write nothing.
    expectDialog("FEL! Utan rad", false);
    logga_meddelande(-5, -1, "FEL! Utan rad", "");
    EXPECT_EQ(log(), "");
}

TEST_F(Reporter, ErrorMessagesAreLoggedRedAndShownWithTheErrorSymbol) {
    const QString msg = "FEL! Mappen \"/x\" finns inte!";
    expectDialog(msg, false);
    logga_meddelande(0, -1, msg, "");
    EXPECT_EQ(log(), "\r\n2026-05-06 07:08:09  " + msg + ". Plats: ");
    EXPECT_TRUE(programLogRed());
}

TEST_F(Reporter, TrappedErrorsCarryNumberDescriptionAndPlace) {
    expectDialog("Ett fel uppstod.\n\n[53] - Filen hittades inte\n\nPlats: ", false);
    logga_meddelande(53, -1, "Ett fel uppstod.", "");
    EXPECT_EQ(log(), "\r\n2026-05-06 07:08:09  Ett fel uppstod. [53] - Filen hittades inte. Plats: ");
    EXPECT_TRUE(programLogRed());
    expectDialog(
        "Ett fel uppstod när jobbet skulle sparas.\n\n[61] - Disken är full\n\nPlats: Jobb, ok/spara", false);
    logga_meddelande(platform::RunError{61, "Disken är full"}, -1,
                     "Ett fel uppstod när jobbet skulle sparas.", "Jobb, ok/spara");
}

TEST_F(Reporter, TheSymbolStartsAsErrorAgainAfterOk) {
    expectDialog("Info", true);
    logga_meddelande(0, -1, "Info", "");
    expectDialog("Ett fel uppstod.\n\n[70] - Åtkomst nekad\n\nPlats: X", false);
    logga_meddelande(70, -1, "Ett fel uppstod.", "X");
}

TEST_F(Reporter, ANotShownReportOnlyPreparesTheDialog) {
    logga_meddelande(0, 0, "Förberett", "P");
    frmerror* d = prog().loaded<frmerror>();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->lblfel->toPlainText(), "Förberett\n\nPlats: P");
}

// While the scheduler only waits, a person's own action gets its answer; an unattended run never
// stops at a dialog and logs what it would have shown. Errors redden "Visa programlogg" either way.
TEST_F(Reporter, WhileTheSchedulerIsOnOnlyAnUnattendedRunShowsNoDialog) {
    testutil::writeScheduledJob(path("Listor"), "Schemalagt");
    m->cmdload_Click();
    m->chkaktiveraschema->setChecked(true);
    struct Case {
        const char* what;
        bool unattended;
    };
    for (const Case& c :
         {Case{"waiting", false}, Case{"scheduled run", true}, Case{"scheduled run over", false}}) {
        SCOPED_TRACE(c.what);
        std::optional<UnattendedRun> run;
        if (c.unattended)
            run.emplace();
        QPalette blue = m->lblschemavisasyslogg->palette();
        blue.setColor(QPalette::WindowText, QColor(0, 0, 0xC0));
        m->lblschemavisasyslogg->setPalette(blue);
        if (!c.unattended)
            expectDialog("Du har inte markerat någon fil", true);
        logga_meddelande(0, -1, "Du har inte markerat någon fil", "");
        EXPECT_FALSE(schedulerLabelRed());
        // Not shown, the message is kept for the person who comes.
        EXPECT_EQ(log().endsWith("  Du har inte markerat någon fil. Plats: "), c.unattended);
        if (!c.unattended)
            expectDialog("Ett fel uppstod.\n\n[53] - Filen hittades inte\n\nPlats: S", false);
        logga_meddelande(53, -1, "Ett fel uppstod.", "S");
        EXPECT_TRUE(schedulerLabelRed());
        EXPECT_TRUE(log().endsWith("[53] - Filen hittades inte. Plats: S"));
    }
}

TEST_F(Reporter, DuringARunIgnoringErrorsSuppressesTheDialog) {
    frmutförbackup* b = prog().form<frmutförbackup>();
    b->cmdkörbackup->setEnabled(false);
    prog().form<frmsetup>()->chkignorerafel->setChecked(true);
    logga_meddelande(57, -1, "Ett fel uppstod.", "Utför backup, utför");
    EXPECT_TRUE(log().contains("[57] - I/O-fel på enheten. Plats: Utför backup, utför"));
    prog().form<frmsetup>()->chkignorerafel->setChecked(false);
    expectDialog("Ett fel uppstod.\n\n[57] - I/O-fel på enheten\n\nPlats: Utför backup, utför", false);
    logga_meddelande(57, -1, "Ett fel uppstod.", "Utför backup, utför");
}

TEST_F(Reporter, ACommandLineRunShowsNothingAndOnlyReddensTheProgramLogLabel) {
    prog().form<frmutförbackup>()->setCaption("commandline");
    logga_meddelande(0, -1, "Namnet finns redan!", "");
    logga_meddelande(53, -1, "Ett fel uppstod.", "K");
    EXPECT_TRUE(programLogRed());
    EXPECT_FALSE(schedulerLabelRed());
    EXPECT_EQ(prog().loaded<frmerror>(), nullptr);
}

TEST_F(Reporter, TheDialogAnswersEnterSpaceAndEscapeWhereverTheFocusIs) {
    platform::installAccessibility();
    struct Case {
        const char* what;
        Qt::Key key;
        bool focusInText; // the user clicked into the message first
    };
    for (const Case& c :
         {Case{"Enter", Qt::Key_Return, false}, Case{"Space", Qt::Key_Space, false},
          Case{"keypad Enter", Qt::Key_Enter, false}, Case{"Enter in the text", Qt::Key_Return, true},
          Case{"Escape", Qt::Key_Escape, false}, Case{"Escape in the text", Qt::Key_Escape, true}}) {
        SCOPED_TRACE(c.what);
        dialogs().expectWindow("frmerror", [&c](QWidget* w) {
            auto* d = static_cast<frmerror*>(w);
            d->show();
            d->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(d));
            if (c.focusInText)
                d->lblfel->setFocus();
            QWidget* focus = QApplication::focusWidget();
            ASSERT_TRUE(focus && focus->window() == d);
            QTest::keyClick(focus, c.key);
        });
        logga_meddelande(0, -1, "Namnet finns redan!", "");
        EXPECT_FALSE(prog().isLoaded<frmerror>());
    }
}

TEST_F(Reporter, ClosingTheDialogByItsFrameIsOkAndTheNextErrorShowsTheErrorSymbol) {
    dialogs().expectWindow("frmerror", [](QWidget* w) {
        w->show();
        w->close();
    });
    logga_meddelande(0, -1, "Namnet finns redan!", "");
    EXPECT_FALSE(prog().isLoaded<frmerror>());
    expectDialog("Ett fel uppstod.\n\n[53] - Filen hittades inte\n\nPlats: X", false);
    logga_meddelande(53, -1, "Ett fel uppstod.", "X");
}
