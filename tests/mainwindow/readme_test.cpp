// The readme shown once per version, and its markers.
#include "mainwindow/readme_window.h"
#include "support/fixture.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using ReadmeOnce = ProgramTest;

TEST_F(ReadmeOnce, ShowsTheTextThenWritesTheMarkerAndDropsTheOlderOnes) {
    testutil::writeFile(path("readme.txt"), "Nyheter i version 7\r\nR\xe4ksm\xf6rg\xe5s\r\n");
    testutil::writeFile(path("readme400.dat"), "");
    testutil::writeFile(path("readme500.dat"), "x");
    ASSERT_TRUE(readme::due(prog().programFolder()));
    dialogs().expectWindow("frmreadme", [this](QWidget* w) {
        auto* r = static_cast<frmreadme*>(w);
        EXPECT_EQ(r->windowTitle(), "Information");
        // An 8-bit text reads as the system's code page.
        EXPECT_EQ(r->Text1->toPlainText(), "Nyheter i version 7\nRäksmörgås\n");
        EXPECT_TRUE(r->Label1->text().contains("tamrel_backup.chm"));
        EXPECT_TRUE(r->Command1->isDefault());
        // The marker comes only after the window is closed.
        EXPECT_FALSE(QFile::exists(path("readme700.dat")));
        r->Command1->click();
    });
    readme::informera_versionen(prog().programFolder());
    EXPECT_EQ(testutil::readBytes(path("readme700.dat")), "\r\n");
    EXPECT_FALSE(QFile::exists(path("readme400.dat")));
    EXPECT_FALSE(QFile::exists(path("readme500.dat")));
    EXPECT_FALSE(readme::due(prog().programFolder()));
}

TEST_F(ReadmeOnce, WithoutAReadmeNothingIsShownAndTheCheckComesAgain) {
    readme::informera_versionen(prog().programFolder());
    EXPECT_FALSE(QFile::exists(path("readme700.dat")));
    EXPECT_TRUE(readme::due(prog().programFolder()));

    testutil::writeFile(path("readme.txt"), "");
    dialogs().expectWindow(
        "frmreadme", [](QWidget* w) { EXPECT_EQ(static_cast<frmreadme*>(w)->Text1->toPlainText(), ""); });
    readme::informera_versionen(prog().programFolder());
    EXPECT_TRUE(QFile::exists(path("readme700.dat")));
}

} // namespace
