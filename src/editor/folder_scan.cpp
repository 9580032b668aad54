#include "editor/folder_scan.h"

#include "core/module1.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>

namespace {

// The names of the system folders at the top of a volume. A folder being walked is none of them
// and lies below none, so a child can be one only by its own name.
bool mayBeSystemFolder(const QString& name) {
    return name == QLatin1String("RECYCLER") || name == QLatin1String("System Volume Information") ||
           name == QLatin1String(".Trash") || name.startsWith(QLatin1String(".Trash-")) ||
           name == QLatin1String("lost+found");
}

class Walker {
  public:
    explicit Walker(const FolderScan::Options& o) : opt_(o) {}

    int count = 0;

    void list(const QString& path) {
        ++count;
        if (opt_.found)
            opt_.found(path, count);
    }

    // The first yield comes at once, so a request made just before the scan is seen at its start.
    void yield() {
        if (clock_.isValid() && clock_.elapsed() < 20)
            return;
        if (opt_.progress)
            opt_.progress(count);
        platform::doEvents();
        clock_.start();
    }

    // `real` is the folder's resolved path; `onPath` holds the resolved paths of the folders
    // being walked, this one included.
    void walk(const QString& folder, const QString& real) {
        if (opt_.cancelled && opt_.cancelled())
            return;
        std::vector<platform::FolderEntry> entries;
        try {
            // The folder's entry types tell its folders and links: no status is read but a link's.
            entries = platform::listFolderEntries(folder);
        } catch (const platform::RunError&) {
            if (opt_.unreadable)
                opt_.unreadable(folder);
            return; // a folder that cannot be listed is skipped
        }
        const QString base = platform::withTrailingSeparator(folder);
        const QString realBase = platform::withTrailingSeparator(real);
        for (const platform::FolderEntry& e : entries) {
            yield();
            const QString child = base + e.name;
            if (mayBeSystemFolder(e.name) && FolderScan::isSystemFolder(child))
                continue;
            if (e.isLink && !opt_.followLinks)
                continue;
            list(child);
            if (!opt_.subfolders)
                continue;
            const QString childReal = e.isLink ? QFileInfo(child).canonicalFilePath() : realBase + e.name;
            if (childReal.isEmpty() || onPath_.contains(childReal))
                continue; // a link back to a folder being walked
            onPath_.insert(childReal);
            walk(child, childReal);
            onPath_.remove(childReal);
        }
    }

    void start(const QString& folder) {
        const QString real = QFileInfo(folder).canonicalFilePath();
        onPath_.insert(real);
        walk(folder, real);
    }

  private:
    const FolderScan::Options& opt_;
    QElapsedTimer clock_;
    QSet<QString> onPath_;
};

} // namespace

bool FolderScan::isSystemFolder(const QString& path) {
    const QString root = platform::volumeRoot(path);
    if (!platform::isSameOrBelow(path, root))
        return false;
    QString rest = path.mid(root.length());
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    const QString top = rest.section(QLatin1Char('/'), 0, 0);
    if (top == QLatin1String("RECYCLER") || top == QLatin1String("System Volume Information"))
        return true;
    // The same folders of a Linux disk: its trash and what a file system check recovered.
    return top == QLatin1String(".Trash") || top.startsWith(QLatin1String(".Trash-")) ||
           top == QLatin1String("lost+found");
}

int FolderScan::run(const QString& start, const Options& options) {
    if (start.isEmpty() || !platform::folderExists(start))
        return 0;
    Walker w(options);
    w.list(start);
    // Nothing below a system folder is listed, so it is not walked at all.
    if (!isSystemFolder(start))
        w.start(start);
    if (options.progress)
        options.progress(w.count);
    return w.count;
}

QStringList FolderScan::list(const QString& start, bool subfolders, const std::function<bool()>& cancelled) {
    QStringList out;
    Options o;
    o.subfolders = subfolders;
    o.cancelled = cancelled;
    o.found = [&out](const QString& p, int) { out << p; };
    run(start, o);
    return out;
}

bool starta_sökning_mappsync(const QString& mapp1, const QString& mapp2, QStringList& List1,
                             QStringList& List2, const std::function<bool()>& cancelled,
                             const std::function<void(int pass, int count)>& showCount) {
    if (cancelled && cancelled())
        return false;
    List1.clear();
    List2.clear();
    try {
        const QString folders[2] = {mapp1, mapp2};
        QStringList* lists[2] = {&List1, &List2};
        for (int pass = 1; pass <= 2; ++pass) {
            QStringList& target = *lists[pass - 1];
            FolderScan::Options o;
            o.cancelled = cancelled;
            o.followLinks = false;
            o.found = [&target](const QString& p, int) { target << p; };
            o.progress = [&showCount, pass](int n) {
                if (showCount)
                    showCount(pass, n);
            };
            FolderScan::run(folders[pass - 1], o);
        }
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Mappsynkronisering, starta sökning"));
    }
    return true;
}
