// The floors of the source tree: a file includes its own folder and lower floors only.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <map>

namespace {

// The floor of each folder under src/; files directly in src/ (main.cpp) are the top.
const std::map<QString, int>& floors() {
    static const std::map<QString, int> f{
        {"platform", 1}, {"core", 2},       {"editor", 3},  {"run", 4},        {"scheduler", 5},
        {"restore", 5},  {"foldersync", 5}, {"logview", 5}, {"mainwindow", 6}, {"", 7},
    };
    return f;
}

// Every include of a folder that is not the file's own and not on a lower floor, as
// "file:line: folder -> included".
QStringList badIncludes(const QString& srcDir) {
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*\"([^\"/]+)/[^\"]*\""));
    QStringList bad;
    const QDir root(srcDir);
    QDirIterator it(srcDir, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = root.relativeFilePath(it.next());
        const QString folder = file.contains('/') ? file.section('/', 0, 0) : QString();
        const auto own = floors().find(folder);
        QFile f(it.filePath());
        if (!f.open(QIODevice::ReadOnly)) {
            bad << file + ": unreadable";
            continue;
        }
        if (own == floors().end()) {
            bad << file + ": folder on no floor";
            continue;
        }
        QTextStream in(&f);
        for (int line = 1; !in.atEnd(); ++line) {
            const auto m = include.match(in.readLine());
            if (!m.hasMatch())
                continue;
            const QString target = m.captured(1);
            const auto to = floors().find(target);
            const bool allowed = target == folder || (to != floors().end() && to->second < own->second);
            if (!allowed)
                bad << QStringLiteral("%1:%2: %3 -> %4").arg(file).arg(line).arg(folder, target);
        }
    }
    bad.sort();
    return bad;
}

void write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

TEST(Layering, EveryIncludeUnderSrcRunsDownward) {
    const QStringList bad = badIncludes(QStringLiteral(TAMREL_SOURCE_DIR));
    EXPECT_TRUE(bad.isEmpty()) << bad.join('\n').toStdString();
}

TEST(Layering, UpwardSidewaysAndUnknownFoldersAreFound) {
    QTemporaryDir dir;
    const QString src = dir.path();
    write(src + "/main.cpp", "#include \"mainwindow/main_window.h\"\n#include \"platform/vb.h\"\n");
    write(src + "/core/program.cpp", "#include \"core/program.h\"\n#include \"platform/paths.h\"\n"
                                     "#include <QString>\n  #  include \"mainwindow/main_window.h\"\n");
    write(src + "/run/mirror.cpp", "#include \"editor/folder_scan.h\"\n#include \"run/mirror.h\"\n");
    write(src + "/restore/restore_window.cpp", "#include \"run/backup_window.h\"\n"
                                               "#include \"scheduler/schedule.h\"\n");
    write(src + "/editor/job_saving.cpp", "#include \"run/backup_window.h\"\n#include \"tools/x.h\"\n");
    write(src + "/extra/thing.cpp", "#include \"core/program.h\"\n");
    EXPECT_EQ(badIncludes(src), (QStringList{
                                    "core/program.cpp:4: core -> mainwindow",
                                    "editor/job_saving.cpp:1: editor -> run",
                                    "editor/job_saving.cpp:2: editor -> tools",
                                    "extra/thing.cpp: folder on no floor",
                                    "restore/restore_window.cpp:2: restore -> scheduler",
                                }));
}
