#include "editor/folder_scan.h"

#include "core/module1.h"
#include "platform/dir_entries.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/walk_guard.h"

#include <QElapsedTimer>
#include <algorithm>
#include <vector>

namespace {

class Walker {
  public:
    Walker(const FolderScan::Options& o, const QString& start)
        : opt_(o), guard_({start}, o.leaveOut), device_(platform::placeFolder(start)),
          base_(platform::withTrailingSeparator(start).size()) {}

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

    void start(const QString& folder) {
        const platform::WalkFolder opened(folder, &handles_);
        enter(folder, opened, opened.id(), false, nullptr);
    }

  private:
    using Verdict = platform::WalkGuard::Verdict;
    using Entries = std::vector<platform::WalkFolder::Entry>;

    // Reads the folders of `opened`, and what a count of its files needs when one is asked for.
    Entries read(const platform::WalkFolder& opened, platform::UnreadableEntries* failed,
                 platform::FolderFiles* files) const {
        if (!files)
            return opened.folders(failed);
        Entries entries = opened.folders(failed, &opt_.filePattern, &files->files);
        files->pattern = opt_.filePattern;
        files->ownInode = opened.ownInode();
        for (const platform::WalkFolder::Entry& e : entries)
            if (e.isLink)
                files->links.emplace_back(e.name, e.target);
        return entries;
    }

    void tellRead(const QString& path, platform::FolderFiles& files, const platform::FolderId& id) const {
        files.id = id;
        opt_.read(path, std::move(files));
    }

    // Walks `folder`, opened as `opened`, whose identity `id` is on the path while it is walked.
    // `behindLink`: the way to it from the start folder passes through a link. `entries`: its
    // entries, when they were read already.
    void enter(const QString& folder, const platform::WalkFolder& opened, const platform::FolderId& id,
               bool behindLink, const Entries* entries) {
        const bool known = id != platform::FolderId{};
        if (known)
            onPath_.push_back(id);
        walk(folder, opened, id, behindLink, entries);
        if (known)
            onPath_.pop_back();
    }

    void unreadable(const QString& path, const platform::RunError& e) {
        if (opt_.unreadable)
            opt_.unreadable(path, e);
    }

    bool onPath(const platform::FolderId& id) const {
        return std::find(onPath_.begin(), onPath_.end(), id) != onPath_.end();
    }

    void walk(const QString& folder, const platform::WalkFolder& opened, const platform::FolderId& id,
              bool behindLink, const Entries* read) {
        if (opt_.cancelled && opt_.cancelled())
            return;
        Entries listed;
        const QString base = platform::withTrailingSeparator(folder);
        if (!read) {
            platform::UnreadableEntries failed;
            platform::FolderFiles files;
            try {
                // The folder's entry types tell its folders and links: no status is read but a link's.
                listed = this->read(opened, &failed, counting() ? &files : nullptr);
                if (counting())
                    tellRead(folder, files, id);
            } catch (const platform::RunError& e) {
                // Gone since its parent was listed, or a name that is no text (said where it is
                // met as such): nothing there to read.
                if (!platform::leadsNowhere(opened.error()))
                    unreadable(folder, e);
                return; // what lies below it is not known
            }
            for (const platform::UnreadableEntry& u : failed)
                unreadable(base + u.name, platform::runErrorFromErrno(u.error));
        }
        for (const platform::WalkFolder::Entry& e : read ? *read : listed) {
            yield();
            const QString child = base + e.name;
            if (FolderScan::isSystemFolderName(e.name) && FolderScan::isSystemFolder(child))
                continue;
            if (e.isLink) {
                if (!opt_.followLinks)
                    continue;
                if (guard_.link(child, e.target) != Verdict::Walk)
                    continue; // a loop: never followed
                list(child);
                if (!opt_.subfolders || onPath(e.target))
                    continue; // a link back to a folder being walked
                const platform::WalkFolder sub(opened, e.name, child);
                enter(child, sub, e.target, true, nullptr);
                continue;
            }
            // A folder is known by its identity, so a second name for the backup folder (or a
            // mount of a folder above the start) is seen for what it is. Where the file system
            // allows, its own listing, read to walk it, tells it; else its handle does.
            const platform::WalkFolder sub(opened, e.name, child);
            Entries entries;
            bool entriesRead = false;
            platform::FolderId id;
            platform::FolderFiles files;
            if (opt_.subfolders && !behindLink && sub.isOpen() &&
                device_.covers(QStringView(child).mid(base_))) {
                platform::UnreadableEntries failed;
                try {
                    entries = this->read(sub, &failed, counting() ? &files : nullptr);
                    entriesRead = true;
                    if (sub.ownInode() != 0)
                        id = platform::FolderId{device_.device(), sub.ownInode()};
                } catch (const platform::RunError&) {
                    // walked below, where it is reported
                }
                const QString childBase = child + QLatin1Char('/');
                for (const platform::UnreadableEntry& u : failed)
                    unreadable(childBase + u.name, platform::runErrorFromErrno(u.error));
            }
            if (id == platform::FolderId{})
                id = sub.id();
            if (id != platform::FolderId{} && guard_.plain(id) != Verdict::Walk)
                continue;
            list(child);
            if (entriesRead && counting())
                tellRead(child, files, id);
            if (opt_.subfolders && !(id != platform::FolderId{} && onPath(id)))
                enter(child, sub, id, behindLink, entriesRead ? &entries : nullptr);
        }
    }

    bool counting() const { return opt_.read && !opt_.filePattern.isEmpty(); }

    const FolderScan::Options& opt_;
    const platform::WalkGuard guard_;
    const platform::SameDevice device_;
    const qsizetype base_; // where a folder's pieces below the start folder begin
    QElapsedTimer clock_;
    platform::WalkHandles handles_;
    std::vector<platform::FolderId> onPath_; // the folders being walked, the start folder first
};

} // namespace

bool FolderScan::isSystemFolder(const QString& path) {
    const QString root = platform::volumeRoot(path);
    if (!platform::isSameOrBelow(path, root))
        return false;
    QString rest = path.mid(root.length());
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    return isSystemFolderName(rest.section(QLatin1Char('/'), 0, 0));
}

bool FolderScan::isSystemFolderName(const QString& name) {
    if (name == QLatin1String("RECYCLER") || name == QLatin1String("System Volume Information"))
        return true;
    // The same folders of a Linux disk: its trash and what a file system check recovered.
    return name == QLatin1String(".Trash") || name.startsWith(QLatin1String(".Trash-")) ||
           name == QLatin1String("lost+found");
}

int FolderScan::run(const QString& start, const Options& options) {
    if (start.isEmpty() || !platform::folderExists(start))
        return 0;
    Walker w(options, start);
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

bool starta_sökning_mappsync(
    const QString& mapp1, const QString& mapp2, QStringList& List1, QStringList& List2,
    const std::function<bool()>& cancelled, const std::function<void(int pass, int count)>& showCount,
    const std::function<void(int pass, const QString& path, const platform::RunError& error)>& unreadable) {
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
            // A mount of the other folder inside this one is not copied into itself.
            o.leaveOut = {folders[2 - pass]};
            o.found = [&target](const QString& p, int) { target << p; };
            o.progress = [&showCount, pass](int n) {
                if (showCount)
                    showCount(pass, n);
            };
            if (unreadable)
                o.unreadable = [&unreadable, pass](const QString& p, const platform::RunError& e) {
                    unreadable(pass, p, e);
                };
            FolderScan::run(folders[pass - 1], o);
        }
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Mappsynkronisering, starta sökning"));
    }
    return true;
}
