#include "logview/logview_test.h"
#include "logview/update_check.h"
#include "logview/update_window.h"
#include "platform/click_label.h"
#include "support/http_server.h"

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

namespace {
const char* kVersionPath = "/program/tamrel-backup_version.txt";
const char* kSetupPath = "/program/tamrel-backup-setup.run";
} // namespace

class UpdateWindow : public LogviewTest {
  protected:
    void SetUp() override {
        LogviewTest::SetUp();
        savedSite_ = updates::site();
        updates::site().base = server.base();
        updates::site().timeoutMs = 3000;
    }
    void TearDown() override {
        updates::site() = savedSite_;
        LogviewTest::TearDown();
    }
    QStringList temporaryFiles() const {
        return QDir(programDir_.path()).entryList({"_version*.tmp"}, QDir::Files);
    }
    // A check the user asked for: the window shown, its timer's tick, then `check` on it.
    // `beforeTick` queues what the check itself will show.
    void visibleCheck(const std::function<void(frmuppdatera*)>& check,
                      const std::function<void()>& beforeTick = {}) {
        dialogs().expectWindow("frmuppdatera", [&](QWidget* w) {
            auto* u = static_cast<frmuppdatera*>(w);
            EXPECT_EQ(u->Timer1->interval(), 1000);
            u->show();
            if (beforeTick)
                beforeTick();
            u->Timer1_Timer();
            check(u);
            u->cmdstäng_Click();
        });
        logview::startVisibleUpdateCheck();
    }
    platform::LocalHttpForTests allowLocalServer_;
    LocalHttpServer server;
    updates::Site savedSite_;
};

TEST_F(UpdateWindow, EveryOutcomeOfAVisibleCheckHasItsTextsAndLogLines) {
    // Every failure shows and logs the same; only a version read shows it.
    struct Case {
        const char* name;
        LocalHttpServer::Reply reply;
        QString newest = "Nyaste version: ?", text = "Misslyckades med att söka uppdateringar",
                logLine = "Misslyckades med att hitta uppdateringar.";
    };
    const Case cases[] = {
        {"newer",
         {"200 OK", "710\r\n\"Ny logg, med sökning\"\r\nSnabbare--kopiering\r\n", {}},
         "Nyaste version: 7.1.0",
         "Nyheter:\nNy logg, med sökning\nSnabbare\nkopiering",
         "Nyare programversion hittades, version 7.1.0"},
        {"same",
         {"200 OK", "700\r\nGammal nyhet\r\n", {}},
         "Nyaste version: 7.0.0\n\nDu har den senaste versionen",
         "Du har den senaste versionen",
         "Du har den senaste programversionen."},
        {"404", {"404 Not Found", "saknas", {}}},
        {"HTML page", {"200 OK", "<!DOCTYPE html>\r\n<html>Fel</html>\r\n", {}}},
        {"too large", {"200 OK", QByteArray("710\r\n") + QByteArray(1000001, 'x'), {}}},
        {"slow past the time-out", {"200 OK", {}, {}, true}},
        {"redirected to http", {"302 Found", {}, "http://www.tamrel.se/v.txt"}},
        {"refused connection", {}}, // last, as the server stays down
    };
    for (const Case& c : cases) {
        const bool offersInstall = QString(c.name) == "newer";
        prog().systemLog().setText(QString());
        updates::site().timeoutMs = c.reply.silent ? 300 : 3000;
        if (QString(c.name) == "refused connection")
            server.stop();
        else
            server.on(kVersionPath, c.reply);
        visibleCheck([&](frmuppdatera* u) {
            EXPECT_EQ(u->lblnyversion->text(), c.newest) << c.name;
            EXPECT_EQ(u->Text1->toPlainText(), c.text) << c.name;
            EXPECT_EQ(u->cmdinstallera->isVisible(), offersInstall) << c.name;
            EXPECT_EQ(u->lblchangelog->isVisible(), offersInstall) << c.name;
            EXPECT_EQ(u->lblhemsidan->isVisible(), offersInstall) << c.name;
            EXPECT_TRUE(u->isVisible()) << c.name;
        });
        EXPECT_EQ(logLines(), QStringList({"Letar efter programuppdateringar", c.logLine})) << c.name;
        EXPECT_TRUE(temporaryFiles().isEmpty()) << c.name;
        EXPECT_FALSE(prog().isLoaded<frmuppdatera>()) << c.name << ": Stäng unloads it";
    }
    EXPECT_EQ(server.requests().count(kVersionPath), 7);
}

TEST_F(UpdateWindow, AnEmptyVersionFileIsAnErrorReportedToTheUser) {
    server.on(kVersionPath, QByteArray());
    visibleCheck(
        [&](frmuppdatera* u) {
            EXPECT_EQ(u->Text1->toPlainText(), "Ett fel uppstod.\n62 Inmatning efter filslut");
        },
        [&] { dialogs().expectWindow("frmerror"); });
    EXPECT_EQ(
        logLines(),
        (QStringList{"Letar efter programuppdateringar",
                     "Ett fel uppstod. [62] - Inmatning efter filslut. Plats: Uppdatera, sök uppdatering"}));
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(UpdateWindow, AHiddenCheckShowsTheWindowOnlyForANewerVersion) {
    // No newer version or a failed download: only log lines, and the window is gone.
    const std::pair<LocalHttpServer::Reply, QString> quiet[] = {
        {{"200 OK", "700\r\n", {}, false, -1}, "Du har den senaste programversionen."},
        {{"500 Internal Server Error", "x", {}, false, -1}, "Misslyckades med att hitta uppdateringar."}};
    for (const auto& [reply, line] : quiet) {
        prog().systemLog().setText(QString());
        server.on(kVersionPath, reply);
        logview::startHiddenUpdateCheck();
        frmuppdatera* u = prog().loaded<frmuppdatera>();
        ASSERT_TRUE(u);
        EXPECT_EQ(u->Timer1->interval(), 3000);
        EXPECT_TRUE(u->Timer1->isActive());
        u->Timer1_Timer();
        EXPECT_FALSE(u->Timer1->isActive()) << "the timer fires once";
        EXPECT_FALSE(prog().isLoaded<frmuppdatera>());
        EXPECT_EQ(logLines(), (QStringList{"Letar efter programuppdateringar", line}));
    }

    // A newer version: the window comes up, not modal, with the news.
    prog().systemLog().setText(QString());
    server.on(kVersionPath, QByteArray("800\r\nNytt\r\n"));
    logview::startHiddenUpdateCheck();
    frmuppdatera* u = prog().loaded<frmuppdatera>();
    u->Timer1_Timer();
    ASSERT_TRUE(prog().isLoaded<frmuppdatera>());
    EXPECT_TRUE(u->isVisible());
    EXPECT_EQ(u->Text1->toPlainText(), "Nyheter:\nNytt");
    EXPECT_EQ(logLines(), (QStringList{"Letar efter programuppdateringar",
                                       "Nyare programversion hittades, version 8.0.0"}));
    // Asking for a check now brings this window forward and starts no second check.
    logview::startVisibleUpdateCheck();
    u->Timer1_Timer();
    EXPECT_EQ(server.requests().count(kVersionPath), 3);
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(UpdateWindow, AHiddenCheckThatFailsStaysHiddenWithItsErrorForALaterCheck) {
    server.on(kVersionPath, QByteArray());
    logview::startHiddenUpdateCheck();
    prog().loaded<frmuppdatera>()->Timer1_Timer();
    ASSERT_TRUE(prog().isLoaded<frmuppdatera>());
    EXPECT_FALSE(prog().loaded<frmuppdatera>()->isVisible());
    EXPECT_EQ(logLines(),
              (QStringList{"Letar efter programuppdateringar",
                           "Ett fel uppstod vid sökning efter programuppdatering. Plats: Uppdatera, sök "
                           "uppdatering. Felkod 62Inmatning efter filslut."}));
    EXPECT_TRUE(prog().systemLog().errorMarked());
    EXPECT_TRUE(temporaryFiles().isEmpty());

    server.on(kVersionPath, QByteArray("800\r\n"));
    visibleCheck([&](frmuppdatera* u) {
        EXPECT_EQ(u->Text1->toPlainText(), "Ett fel uppstod.\n62 Inmatning efter filslut");
    });
    EXPECT_EQ(server.requests().count(kVersionPath), 1) << "the same window checks only once";
}

TEST_F(UpdateWindow, LinksOpenTheirPagesAndTheInstallerStartsOnlyWhenWholeAndConfirmed) {
    server.on(kVersionPath, QByteArray("800\r\n"));
    const QString setup = path("tamrel-backup-setup.run");
    int ended = 0;
    visibleCheck([&](frmuppdatera* u) {
        u->endProgram = [&] { ++ended; };
        dialogs().expectOpenUrl(server.base() + "/program/tamrel-backup-changelog.txt");
        u->lblchangelog->onClick();
        dialogs().expectOpenUrl(server.base() + "/info_backup.html");
        u->lblhemsidan->onClick();

        // Cancel: the file stays; nothing starts.
        server.on(kSetupPath, QByteArray("ny version 1"));
        dialogs().expectMessage("Installationsprogrammet kommer nu att startas.\nTryck OK för att fortsätta.",
                                platform::Answer::Cancel);
        u->cmdinstallera_Click();
        EXPECT_EQ(testutil::readBytes(setup), "ny version 1");
        EXPECT_EQ(ended, 0);

        // The next try deletes it and downloads it again; OK starts it directly, as a program of
        // this system, and ends the program.
        const QByteArray installer("#!/bin/sh\necho ny > \"$(dirname \"$0\")/installerad\"\n");
        server.on(kSetupPath, installer);
        dialogs().expectMessage("Installationsprogrammet kommer nu att startas.", platform::Answer::Ok);
        dialogs().expectStartProgram("\"" + setup + "\"");
        u->cmdinstallera_Click();
        EXPECT_EQ(testutil::readBytes(setup), installer);
        EXPECT_EQ(ended, 1);
        ASSERT_TRUE(QFileInfo(setup).isExecutable());
        EXPECT_EQ(QProcess::execute(setup, {}), 0);
        EXPECT_EQ(testutil::readBytes(path("installerad")), "ny\n");

        // A setup program that does not start does not end the program.
        dialogs().expectMessage("Installationsprogrammet", platform::Answer::Ok);
        dialogs().expectStartProgram(setup, false);
        u->cmdinstallera_Click();
        EXPECT_EQ(ended, 1);
        EXPECT_EQ(u->Text1->toPlainText(), "Det gick inte att uppdatera programmet. Försök igen senare.");

        // Refused or cut short: no question, no start, and no earlier setup program is left.
        const LocalHttpServer::Reply refusals[] = {{"404 Not Found", "saknas", {}, false, -1},
                                                   {"200 OK", "halv", {}, false, 100000}};
        for (const LocalHttpServer::Reply& r : refusals) {
            server.on(kSetupPath, r);
            u->cmdinstallera_Click();
            EXPECT_EQ(u->Text1->toPlainText(),
                      "Det gick inte att uppdatera programmet. Försök igen senare eller gå till "
                      "hemsidan och ladda hem senaste versionen.");
            EXPECT_FALSE(QFileInfo::exists(setup));
            EXPECT_EQ(ended, 1);
        }
    });
    EXPECT_EQ(
        QDir(prog().programFolder()).entryList(QDir::Files | QDir::Hidden).filter("tamrel-backup-setup"),
        QStringList())
        << "no temporary file of a refused download";
}
