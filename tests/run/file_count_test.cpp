#include "engine_support.h"

class FileCountTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        using testutil::writeFile;
        writeFile(work("a/x.doc"), "x");
        writeFile(work("a/.dold.doc"), "x");
        writeFile(work("a/y.xls"), "x");
        writeFile(work("a/Temp/t.doc"), "x");
        writeFile(work("a/Templates/t.doc"), "x");
        writeFile(work("b/z.txt"), "x");
        // What a killed copy of the program left behind is no file of the user's.
        writeFile(work("a/" + platform::temporaryName("x.doc")), "x");
        writeFile(work("b/" + platform::temporaryName("z.txt")), "x");
        const QStringList aFolders = {work("a"), work("a/Temp"), work("a/Templates"), work("saknas")};
        progress.jobs = {
            FakeJob{"A", true,
                    [aFolders](CurrentJobRecord* m) {
                        m->listmappar = aFolders;
                        m->txtpattern = "*.doc";
                        m->txtmappfilter = "temp";
                    }},
            FakeJob{"B", false,
                    [b = work("b")](CurrentJobRecord* m) {
                        m->listmappar = {b};
                        m->txtpattern = "*.*";
                    }},
            FakeJob{"C", true,
                    [b = work("b")](CurrentJobRecord* m) {
                        m->listmappar = {b, b};
                        m->txtpattern = "*.*";
                    }},
        };
    }
};

TEST_F(FileCountTest, CountsMatchingAndHiddenFilesOfSelectedJobsOutsideFilteredFolders) {
    engine->räknaallajobbfiler();
    EXPECT_EQ(engine->filtotal, 4); // x.doc, .dold.doc, and b's file twice
    EXPECT_EQ(progress.current, 2);
    EXPECT_EQ(progress.windowLines,
              QStringList({" Räknar alla filer som kommer ingå i körningen...", " 4 filer hittades."}));
    EXPECT_TRUE(program().systemLog().text().contains("4 filer hittades."));
}

TEST_F(FileCountTest, NothingFoundGivesOneAndACancelKeepsTheOldTotal) {
    progress.jobs[0].selected = false;
    progress.jobs[2].selected = false;
    engine->filtotal = 77;
    engine->räknaallajobbfiler();
    EXPECT_EQ(engine->filtotal, 1);
    EXPECT_EQ(progress.windowLines.size(), 1);

    progress.jobs[2].selected = true;
    engine->filtotal = 77;
    progress.cancelAfterYields = progress.yields + 1;
    engine->räknaallajobbfiler();
    EXPECT_EQ(engine->filtotal, 77);
    EXPECT_FALSE(program().systemLog().text().contains("filer hittades."));
}
