#include "editor/folder_scan.h"
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

TEST_F(FileCountTest, WhatTheStructureRefreshReadIsCountedWithoutReadingTheFoldersAgain) {
    testutil::writeFile(work("b/sub/w.txt"), "x");
    progress.jobs = {FakeJob{"D", true, [b = work("b")](CurrentJobRecord* m) {
                                 m->listmappar = {b, b + "/sub"};
                                 m->combomappar = {b};
                                 m->txtpattern = "*.*";
                             }}};
    FolderScan::Options o;
    o.filePattern = "*.*";
    o.read = [&](const QString& path, platform::FolderFiles&& seen) {
        engine->keepRefreshRead(path, std::move(seen));
    };
    EXPECT_EQ(FolderScan::run(work("b"), o), 2);
    // Neither folder can be opened now: what the refresh read stands for them.
    platform::injectFault(work("b"), EIO);
    platform::injectFault(work("b/sub"), EIO);
    engine->räknaallajobbfiler();
    EXPECT_EQ(engine->filtotal, 2); // z.txt and w.txt, not the killed copy's file
    // Once counted, it is forgotten: the next run reads the folders itself.
    engine->räknaallajobbfiler();
    EXPECT_EQ(engine->filtotal, 1);
    platform::clearFaults();
}
