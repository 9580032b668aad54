#pragma once
// The restore wizard driven as a user drives it, over jobs backed up by the real backup run.
#include "core/error_dialog.h"
#include "mainwindow/main_window.h"
#include "print.h"
#include "restore/folder_list_editor.h"
#include "restore/restore_window.h"
#include "run/backup_window.h"
#include "run/flow_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

class WizardTest : public FlowTest {
  protected:
    // A job over the source folder; `absolute` and `withName` choose its path type.
    void writeJob(const QString& name, bool absolute = false, bool withName = false) {
        testutil::JobSpec j = testutil::jobOver(name, src_, dst_);
        j.options[2] = absolute ? "1" : "0";
        j.options[3] = withName ? "JA" : "NEJ";
        testutil::writeJob(path("Listor"), j);
    }

    // Runs the job with the backup window, as the user does.
    void backUp(const QString& name) {
        frmutförbackup* w = openBackupWindow(name);
        dialogs().expectWindow("frmklarbackup");
        w->cmdkörbackup_Click();
        prog().unload<frmutförbackup>();
    }

    // A message of the message reporter that contains `text`.
    void expectReport(const QString& text) {
        dialogs().expectWindow("frmerror", [text](QWidget* w) {
            const QString shown = static_cast<frmerror*>(w)->lblfel->toPlainText();
            EXPECT_TRUE(shown.contains(text)) << shown.toStdString() << "\nexpected: " << text.toStdString();
        });
    }

    // Opens the wizard with the main window's command, for every job or for the current job and
    // main folder, and lets `act` work it.
    void openWizard(bool currentJob, const std::function<void(frmåterställ*)>& act) {
        frmmain* m = prog().form<frmmain>();
        if (m->comboinställningar->count() == 0)
            m->cmdload_Click();
        dialogs().expectWindow("frmåterställ", [&act](QWidget* w) { act(static_cast<frmåterställ*>(w)); });
        if (currentJob)
            m->cmdåterställdenna_Click();
        else
            m->cmdåterställ_Click();
    }

    // By hand the job does not matter, but the command needs one to open the wizard.
    void openByHand(const std::function<void(frmåterställ*)>& act) {
        if (!QFile::exists(path("Listor/Jobb.000")))
            writeJob("Jobb");
        openWizard(false, act);
    }

    // Chooses a restore by hand from `from` to `to`.
    static void byHand(frmåterställ* w, const QString& from, const QString& to = QString()) {
        w->optjobb2->setChecked(true);
        w->txtåterställfrån->setText(from);
        if (!to.isEmpty())
            w->txtåterställtill->setText(to);
    }

    // Loads the folders of the page of paths and moves on to the folder list.
    static void loadFolders(frmåterställ* w) {
        w->setComboframe(2);
        w->cmdladdamålmappar->click();
        w->cmdnästa->click();
    }

    QString copyOf(const QString& rel) const { return target(rel); }

    const QDateTime t0_ = QDateTime(QDate(2023, 3, 1), QTime(8, 0, 0));
};
