#include "support/fixture.h"

#include "core/main_window.h"
#include "editor/job_editor_window.h"

#include <QFrame>
#include <QLabel>

class EditorWindowTest : public ProgramTest {};

TEST_F(EditorWindowTest, OpensOnTheOptionsTabWithItsFrameOnTop) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    EXPECT_EQ(e->selectedTab(), 0);
    EXPECT_EQ(e->frontPage(), e->Frame3);
    EXPECT_EQ(e->flik[0]->frameShape(), QFrame::Box);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(e->flik[i]->frameShape(), QFrame::NoFrame);
}
