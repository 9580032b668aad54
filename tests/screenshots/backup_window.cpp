// Pictures of the backup window before, during and after a run, for the help and the web site;
// not a test. scripts/screenshots builds and runs it.
#include "run/flow_support.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

namespace {

class Screens : public FlowTest {};

TEST_F(Screens, TheBackupWindowBeforeDuringAndAfterARun) {
    const QString out = qEnvironmentVariable("TAMREL_SCREENSHOT_DIR");
    ASSERT_FALSE(out.isEmpty()) << "TAMREL_SCREENSHOT_DIR names the folder for the pictures";
    for (int i = 0; i < 3000; ++i)
        testutil::writeFile(src_ + QStringLiteral("/många/fil%1.txt").arg(i), "x", old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    w->resize(900, 620);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->grab().save(out + "/before.png"));
    int shots = 0;
    QTimer t;
    QObject::connect(&t, &QTimer::timeout, [&] {
        // The first moment the copy shows its progress.
        if (shots == 0 && !w->lblprocent3->text().isEmpty() && w->cmdkörbackup->isEnabled() == false) {
            ++shots;
            w->grab().save(out + "/during.png");
        }
    });
    t.start(0);
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    t.stop();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->grab().save(out + "/after.png"));
}

} // namespace
