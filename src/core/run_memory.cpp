#include "core/run_memory.h"

#include "platform/errors.h"

namespace {
const QString kHead = QStringLiteral("Tamrel Backup, minne 1");
const QString kMountRoot = QStringLiteral("enhet: ");
} // namespace

RunMemory RunMemory::read(const JobFiles& job) {
    RunMemory m;
    if (!job.hasFile(kFile))
        return m;
    QStringList lines;
    try {
        lines = job.readFile(kFile);
    } catch (const platform::RunError&) {
        return m;
    }
    if (lines.value(0) != kHead)
        return m;
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (lines[i].startsWith(kMountRoot) && lines[i].size() > kMountRoot.size())
            m.mountRoots << lines[i].mid(kMountRoot.size());
    return m;
}

void RunMemory::write(const JobFiles& job) const {
    QStringList lines{kHead};
    for (const QString& f : mountRoots)
        lines << kMountRoot + f;
    job.writeFile(kFile, lines);
}
