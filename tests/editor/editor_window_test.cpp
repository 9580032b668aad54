// The job editor window: start-up state, tabs, help icons, the name and path-type fields,
// dropping a folder, cancelling and the geometry file.
#include "support/fixture.h"

#include "editor/editor_script.h"
#include "editor/job_editor_window.h"
#include "editor/reporter_script.h"
#include "editor/search_replace_window.h"
#include "mainwindow/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUrl>

namespace {

void click(QWidget* w) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

void dropPaths(QWidget* target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

} // namespace

class EditorWindowTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        testutil::makeDir(path("Listor"));
        reporter = reporter_script::probe(dialogs());
        main = prog().form<frmmain>();
    }
    reporter_script::Form reporter;
    frmmain* main = nullptr;
};

TEST_F(EditorWindowTest, FreshWindowHoldsTheDefaultsOfANewJob) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    EXPECT_EQ(e->caption(), QStringLiteral("Ny inställning"));
    EXPECT_EQ(e->width() * 15, 7815);
    for (QFrame* f : {e->Frame2, e->Frame3, e->Frame4, e->Frame5, e->Frame6, e->Frame7})
        EXPECT_EQ(f->x() * 15, 1920);
    EXPECT_TRUE(e->optsökvägtyp[0]->isChecked());
    EXPECT_FALSE(e->optsökvägtyp[1]->isChecked());
    EXPECT_TRUE(e->chkuppdateramappar->isChecked());
    EXPECT_TRUE(e->chksubmapp->isChecked());
    EXPECT_FALSE(e->chkversionshantering->isChecked());
    EXPECT_FALSE(e->Frameversionshantering->isVisibleTo(e));
    EXPECT_EQ(e->txtversionmax->text(), QStringLiteral("10"));
    EXPECT_FALSE(e->chkabsolutsökväg_huvudmapp->isEnabled());
    EXPECT_FALSE(e->cmdbytnamn->isVisibleTo(e));
    EXPECT_FALSE(e->picstänginfo->isVisibleTo(e));
    EXPECT_FALSE(e->Command1->isVisibleTo(e));
    EXPECT_EQ(e->cmdexmappar->text(), QStringLiteral("Exkludera mappar... (0 mappar)"));
    EXPECT_TRUE(e->lblversioninfo->text().startsWith(QStringLiteral("Med versionshantering kommer varje")));
    EXPECT_TRUE(e->lblversioninfo->text().contains(QStringLiteral("tiden.\r\nEftersom detta")));
    // The notice panel is centred.
    EXPECT_EQ(e->picstänginfo->x(), (e->width() - e->picstänginfo->width()) / 2);
    const QStringList captions = {"Alternativ",  "Källmappar",          "Filter",
                                  "Start/stopp", "Versions- hantering", "Lagringsplats"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(e->lblflik[i]->text(), captions[i]);
    // Seen from the top: Alternativ, Källmappar, Lagringsplats, Filter, Start/stopp, Versions- hantering.
    const int order[] = {0, 1, 5, 2, 3, 4};
    for (int k = 1; k < 6; ++k)
        EXPECT_LT(e->flik[order[k - 1]]->y(), e->flik[order[k]]->y());
}

TEST_F(EditorWindowTest, EveryPartOfATabSelectsItAndEveryOpeningStartsOnTheFirstTab) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    EXPECT_EQ(e->selectedTab(), 0);
    EXPECT_EQ(e->frontPage(), e->Frame3);
    click(e->imgflik[5]);
    EXPECT_EQ(e->frontPage(), e->Frame7);
    click(e->lblflik[2]);
    EXPECT_EQ(e->frontPage(), e->Frame4);
    click(e->flik[4]);
    EXPECT_EQ(e->frontPage(), e->Frame6);
    click(e->flik[4]);
    EXPECT_EQ(e->selectedTab(), 4);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(e->flik[i]->frameShape(), i == 4 ? QFrame::Box : QFrame::NoFrame) << i;
    // The selected page lies over the notice panel too.
    e->picstänginfo->show();
    e->picstänginfo->raise();
    e->visa_flik(1);
    EXPECT_EQ(e->frontPage(), e->Frame2);
    EXPECT_GT(e->children().indexOf(e->Frame2), e->children().indexOf(e->picstänginfo));

    e->cmdstäng->click();
    EXPECT_EQ(prog().loaded<frmaddmapp>(), nullptr);
    frmaddmapp* again = prog().form<frmaddmapp>();
    EXPECT_EQ(again->selectedTab(), 0);
    EXPECT_EQ(again->frontPage(), again->Frame3);
    EXPECT_EQ(again->flik[0]->frameShape(), QFrame::Box);
}

TEST_F(EditorWindowTest, TheKeyboardReachesEveryTabAndSpaceOrEnterSelectsIt) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    e->show();
    e->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(e));
    QList<QWidget*> reached;
    for (int i = 0; i < 60 && reached.size() < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : e, Qt::Key_Tab);
        if (std::find(e->flik.begin(), e->flik.end(), QApplication::focusWidget()) != e->flik.end() &&
            !reached.contains(QApplication::focusWidget()))
            reached << QApplication::focusWidget();
    }
    ASSERT_EQ(reached.size(), 6);
    QTest::keyClick(e->flik[5], Qt::Key_Space);
    EXPECT_EQ(e->frontPage(), e->Frame7);
    QTest::keyClick(e->flik[1], Qt::Key_Return);
    EXPECT_EQ(e->frontPage(), e->Frame2);
    EXPECT_EQ(e->selectedTab(), 1);
    e->hide();
}

TEST_F(EditorWindowTest, HelpIconsShowTheirExplanationsWordForWord) {
    const QString help4 = frmaddmapp::helpText(4);
    const QStringList lines = help4.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[2], QString());
    EXPECT_EQ(lines[13], QStringLiteral("Läs mer om detta i hjälpfilen."));
    EXPECT_EQ(frmaddmapp::helpText(2),
              QStringLiteral("Här skriver du in vilka filnamn som inte ska kopieras för "
                             "detta jobb, tex \"Thumbs.db\"\r\n"));
    EXPECT_TRUE(frmaddmapp::helpText(3).contains(QStringLiteral("speglingen.\r\n\r\n(Spegling")));
    for (int n = 1; n <= 11; ++n)
        EXPECT_FALSE(frmaddmapp::helpText(n).isEmpty()) << n;

    frmaddmapp* e = prog().form<frmaddmapp>();
    reporter_script::expect(dialogs(), reporter, QStringLiteral("\"Temp\""));
    click(e->help[7]);
    reporter_script::expect(dialogs(), reporter, QStringLiteral("tamrel_backup.html"));
    click(e->lblhjälp);
    testutil::writeFile(path("tamrel_backup.html"), "help");
    dialogs().expectOpenUrl(QStringLiteral("tamrel_backup.html"));
    click(e->lblhjälp);
}

// The examples and hints speak of this system: no drive letters, no Windows or its file manager.
TEST_F(EditorWindowTest, TextsSpeakOfThisSystem) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    // The drop hint, longer than it was, still fits its place on the page.
    EXPECT_LE(e->Label13->heightForWidth(e->Label13->width()), e->Label13->height());
    EXPECT_LE(e->Label13->geometry().bottom(), e->Frame2->height() - e->Frame2->frameWidth());
    frmsökersätt* s = prog().form<frmsökersätt>();
    dialogs().expectMessage(QStringLiteral("/media/usb1/Backup"));
    s->help1_Click(); // the tip, a message box
    ASSERT_FALSE(dialogs().calls().empty());
    QStringList texts = {dialogs().calls().back().text};
    for (int n = 1; n <= 11; ++n)
        texts << frmaddmapp::helpText(n);
    for (QWidget* window : {static_cast<QWidget*>(e), static_cast<QWidget*>(s)})
        for (QWidget* w : window->findChildren<QWidget*>()) {
            texts << w->toolTip();
            if (auto* l = qobject_cast<QLabel*>(w))
                texts << l->text();
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                texts << b->text();
        }
    for (const QString& t : texts)
        for (const char* foreign : {"Windows", "Utforskare", ":\\"})
            EXPECT_FALSE(t.contains(QLatin1String(foreign))) << t.toStdString();
}

TEST_F(EditorWindowTest, NameFieldKeepsTheLabelInStepAndTurnsAngleBracketsIntoGuillemets) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    QLineEdit* edit = e->txtnamn->lineEdit();
    edit->setText(QStringLiteral("Jobb"));
    EXPECT_EQ(e->lbljobbnamn->text(), QStringLiteral("Jobb"));
    edit->setCursorPosition(2);
    edit->insert(QStringLiteral("<"));
    EXPECT_EQ(e->txtnamn->currentText(), QStringLiteral("Jo«bb"));
    EXPECT_EQ(edit->cursorPosition(), 3);
    edit->end(false);
    edit->insert(QStringLiteral(">"));
    EXPECT_EQ(e->txtnamn->currentText(), QStringLiteral("Jo«bb»"));
    EXPECT_EQ(e->lbljobbnamn->text(), QStringLiteral("Jo«bb»"));
}

TEST_F(EditorWindowTest, AbsolutePathNeedsASingleMainFolder) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    e->combomappar->addItem(work("A"));
    e->optsökvägtyp[1]->setChecked(true);
    EXPECT_TRUE(e->chkabsolutsökväg_huvudmapp->isEnabled());
    e->chkabsolutsökväg_huvudmapp->setChecked(true);
    e->optsökvägtyp[0]->setChecked(true);
    EXPECT_FALSE(e->chkabsolutsökväg_huvudmapp->isEnabled());
    EXPECT_FALSE(e->chkabsolutsökväg_huvudmapp->isChecked());

    e->combomappar->addItem(work("B"));
    reporter_script::expect(
        dialogs(), reporter,
        QStringLiteral("Du kan inte ha mer än en (1) källmapp om du vill ha absolut sökväg i "
                       "backupmappen!"));
    e->optsökvägtyp[1]->setChecked(true);
    EXPECT_TRUE(e->optsökvägtyp[0]->isChecked());
    EXPECT_FALSE(e->chkabsolutsökväg_huvudmapp->isEnabled());
    EXPECT_FALSE(e->chkabsolutsökväg_huvudmapp->isChecked());
}

TEST_F(EditorWindowTest, BackupFolderComesFromThePickerOrADrop) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    dialogs().expectFolder(work("Vald"), QStringLiteral("Leta upp mappen du vill ha backupen i"));
    e->cmdväljmapp->click();
    EXPECT_EQ(e->txtbackupmapp->currentText(), work("Vald"));
    dialogs().expectFolder(QString());
    e->cmdväljmapp->click();
    EXPECT_EQ(e->txtbackupmapp->currentText(), QString());

    dropPaths(e->txtbackupmapp->lineEdit(), {work("Första"), work("Andra")});
    EXPECT_EQ(e->txtbackupmapp->currentText(), work("Första"));
}

// Each folder picker opens at the folder of the field it fills and its title names the button the
// picker has.
TEST_F(EditorWindowTest, FolderPickersOpenAtTheirFieldsFolderAndNameTheirButton) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    const QString backup = work("Backup");
    const QString versions = work("Versioner");
    const QString source = work("Källa");
    for (const QString& f : {backup, versions, source})
        testutil::makeDir(f);
    e->txtbackupmapp->setEditText(backup);
    e->txtversionmapp->setText(versions);
    e->combomappar->addItems({work("Annan"), source});
    e->combomappar->setCurrentRow(1);
    const struct {
        QPushButton* button;
        QString start;
    } cases[] = {{e->cmdväljmapp, backup}, {e->cmdversionmapp, versions}, {e->cmdhämtamapp, source}};
    for (const auto& c : cases) {
        dialogs().expectFolder(QString());
        c.button->click();
        ASSERT_FALSE(dialogs().calls().empty());
        const platform::Dialogs::Call call = dialogs().calls().back();
        EXPECT_EQ(call.start, c.start) << call.text.toStdString();
        EXPECT_TRUE(call.text.endsWith(", och klicka på " + platform::folderPickerButton()))
            << call.text.toStdString();
    }
}

TEST_F(EditorWindowTest, CancelAfterARenameAsksTheMainWindowToReloadAndEveryCloseWritesTheGeometry) {
    const QString geometry = path("setup_windowsize_nyinställning.ini");
    frmaddmapp* e = prog().form<frmaddmapp>();
    e->cmdstäng->click();
    EXPECT_FALSE(main->chkload);
    QStringList lines = testutil::readLines(geometry);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].trimmed().toInt(), e->frameGeometry().height() * 15);
    EXPECT_EQ(lines[1].trimmed().toInt(), 7815);
    EXPECT_TRUE(lines[0].startsWith(' ') && lines[0].endsWith(' '));

    e = prog().form<frmaddmapp>();
    e->cmdbytnamn_Tag = QStringLiteral("1");
    e->cmdstäng->click();
    EXPECT_TRUE(main->chkload);
    EXPECT_EQ(e->cmdbytnamn_Tag, QStringLiteral("0"));

    // The close box saves nothing and sets no reload request, even after a rename.
    main->chkload = false;
    QFile::remove(geometry);
    e = prog().form<frmaddmapp>();
    e->cmdbytnamn_Tag = QStringLiteral("1");
    e->show();
    EXPECT_TRUE(e->close());
    EXPECT_FALSE(main->chkload);
    EXPECT_EQ(prog().loaded<frmaddmapp>(), nullptr);
    EXPECT_EQ(testutil::readLines(geometry).size(), 4);

    // The next opening ignores the file.
    testutil::writeLines(geometry, {" 9000 ", " 9000 ", " 3000 ", " 3000 "});
    e = prog().form<frmaddmapp>();
    EXPECT_EQ(e->width() * 15, 7815);
    EXPECT_NE(e->height() * 15, 9000);
}

// Grabs every page to PNG when TAMREL_SHOTS names a folder (for looking at the layout).
TEST_F(EditorWindowTest, EveryPageRenders) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    e->chkversionshantering->setChecked(true);
    e->Frameversionshantering->show();
    const QString shots = qEnvironmentVariable("TAMREL_SHOTS");
    for (int i = 0; i < 6; ++i) {
        e->visa_flik(i);
        const QPixmap shot = e->grab();
        EXPECT_FALSE(shot.isNull());
        if (!shots.isEmpty())
            shot.save(QDir(shots).filePath(QStringLiteral("editor_page_%1.png").arg(i)));
    }
}
