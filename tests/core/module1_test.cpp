#include "core/error_dialog.h"
#include "core/module1.h"
#include "mainwindow/main_window.h"
#include "support/fixture.h"

#include <QPlainTextEdit>

using Module1::ersätt_text;
using Module1::ersätt_text_första;

TEST(ReplaceText, ReplacesEveryOccurrenceFromTheStartPosition) {
    EXPECT_EQ(ersätt_text("12:30:05", ":", "."), "12.30.05");
    EXPECT_EQ(ersätt_text("a:b:c", ":", ".", 3, -1, 0), "a:b.c");
    EXPECT_EQ(ersätt_text("a:b:c", ":", ".", 1, 1, 0), "a.b:c");
    // Even a count of 0 makes one replacement when the text occurs.
    EXPECT_EQ(ersätt_text("a:b:c", ":", ".", 1, 0, 0), "a.b:c");
    EXPECT_EQ(ersätt_text("a:b:c", ";", "."), "a:b:c");
    EXPECT_EQ(ersätt_text("abc", "c", "x", 9, -1, 0), "abc");
}

TEST(ReplaceText, OccurrencesThatReplacementsCreateAreReplacedToo) {
    EXPECT_EQ(ersätt_text("aabb", "ab", ""), "");
    EXPECT_EQ(ersätt_text("xaabbx", "ab", "", 1, -1, 0), "xx");
    // With a start position the part before it is never touched.
    EXPECT_EQ(ersätt_text("abaabb", "ab", "", 3, -1, 0), "ab");
}

TEST(ReplaceText, LetterCaseFollowsTheCompareMode) {
    EXPECT_EQ(ersätt_text("Jobb JOBB jobb", "jobb", "x", 1, -1, 0), "Jobb JOBB x");
    EXPECT_EQ(ersätt_text("Jobb JOBB jobb", "jobb", "x", 1, -1, 1), "x x x");
}

TEST(ReplaceText, AlwaysEnds) {
    EXPECT_EQ(ersätt_text("abc", "", "x"), "abc");
    // A replacement containing the search text: one pass.
    EXPECT_EQ(ersätt_text("aXa", "a", "aa"), "aaXaa");
    EXPECT_EQ(ersätt_text("a<b", "<", "<<"), "a<<b");
    // A rewrite that grows without end is cut off instead of hanging.
    const QString grown = ersätt_text("aab", "ab", "bbaa");
    EXPECT_GT(grown.size(), 3);
}

TEST(ReplaceText, WorksBeyondSixteenBitPositions) {
    const QString text = QString(40000, QLatin1Char('x')) + "12:30";
    const QString r = ersätt_text(text, ":", ".");
    EXPECT_TRUE(r.endsWith("12.30"));
    EXPECT_EQ(r.size(), text.size());
    EXPECT_TRUE(ersätt_text_första(text, ":", ".").endsWith("12.30"));
}

TEST(ReplaceText, AStartBeforeTheFirstCharacterIsAnError) {
    try {
        ersätt_text("abc", "a", "b", 0, -1, 0);
        FAIL() << "no error";
    } catch (const platform::RunError& e) {
        EXPECT_EQ(e.number, 5);
    }
}

TEST(ReplaceText, FirstVariantStopsAfterOneWhateverTheCount) {
    EXPECT_EQ(ersätt_text_första("a:b:c", ":", ".", 1, -1, 0), "a.b:c");
    EXPECT_EQ(ersätt_text_första("a:b:c", ":", ".", 3, 5, 0), "a:b.c");
    EXPECT_EQ(ersätt_text_första("aabb", "ab", "", 1, -1, 0), "ab");
    EXPECT_EQ(ersätt_text_första("abc", "x", "y", 1, -1, 0), "abc");
    EXPECT_EQ(ersätt_text_första("ABC", "b", "y", 1, -1, 1), "AyC");
}

class SharedProcedures : public ProgramTest {
  protected:
    void TearDown() override {
        Module1::windowHooks() = {};
        ProgramTest::TearDown();
    }
    // Expects the information dialog with exactly `text` and presses OK.
    void expectInformation(const QString& text) {
        dialogs().expectWindow("frmerror", [text](QWidget* w) {
            auto* d = static_cast<frmerror*>(w);
            EXPECT_EQ(d->lblfel->toPlainText(), text);
            EXPECT_TRUE(d->showsInformation());
            d->cmdok_Click();
        });
    }
};

TEST_F(SharedProcedures, SoundIsSilentWithoutAFile) {
    Module1::spela_ljud(QString());
    Module1::spela_ljud(path("ljud1.wav"));
    EXPECT_TRUE(dialogs().calls().empty());
}

TEST_F(SharedProcedures, RunLogWithoutFileIsAnInformationInBothModes) {
    prog().form<frmmain>();
    const QString text = "Det finns ingen loggfil.\n\nPlats: Module1, Visa logg";
    expectInformation(text);
    Module1::visa_logg(0);
    expectInformation(text);
    Module1::visa_logg(1);
    // An information message writes no log line.
    EXPECT_FALSE(prog().form<frmmain>()->systemLogText().contains("loggfil"));
}

TEST_F(SharedProcedures, RunLogOpensInTheViewerOrTheDesktop) {
    testutil::writeLines(path("log.txt"), {"", "Backup utförd 2026-01-02  03:04:05"});
    QStringList shown;
    Module1::windowHooks().logViewer = [&](const QString& t) { shown << t; };
    Module1::visa_logg(0);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].isEmpty());
    dialogs().expectOpenUrl(path("log.txt"));
    Module1::visa_logg(1);
    Module1::visa_logg(7);
    EXPECT_EQ(shown.size(), 1);
}

TEST_F(SharedProcedures, HelpFileIsTheHtmlPageBesideTheProgramAndTheReadmeNamesIt) {
    prog().form<frmmain>();
    expectInformation("Kunde inte hitta filen " + path("tamrel_backup.html") + ".");
    Module1::öppna_hjälp();
    testutil::writeFile(path("tamrel_backup.html"), "<html>help</html>");
    dialogs().expectOpenUrl(path("tamrel_backup.html"));
    Module1::öppna_hjälp();

    // The shipped readme sends the reader to the same file.
    const QString shipped = QString::fromUtf8(testutil::readBytes(TAMREL_SOURCE_DIR "/../readme.txt"));
    EXPECT_TRUE(shipped.contains("tamrel_backup.html"));
    EXPECT_FALSE(shipped.contains(".chm"));
}

TEST_F(SharedProcedures, HelpFileInTheRootFolderHasOneSeparator) {
    Program root("/");
    setProgram(&root);
    root.dialogs.setScripted(true);
    root.dialogs.expectWindow("frmerror", [](QWidget* w) {
        EXPECT_EQ(static_cast<frmerror*>(w)->lblfel->toPlainText(),
                  "Kunde inte hitta filen /tamrel_backup.html.");
    });
    Module1::öppna_hjälp();
    EXPECT_TRUE(root.dialogs.verify().isEmpty());
    setProgram(program_.get());
}
