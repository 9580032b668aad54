#pragma once
#include <QString>

// The number of files of one folder (not its subfolders) that match the job's patterns; 0 for a
// folder that does not exist or cannot be read.
long countFolderFiles(const QString& folder, const QString& pattern);
