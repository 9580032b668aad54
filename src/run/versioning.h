#pragma once
#include <QString>
#include <QStringList>
#include <set>

// Versions of replaced files: where they go, what they are called and how many stay.

// The version folder of a source folder: the job's version folder with the source folder's
// path below it ("/ver" and "/home/anna/Dok" give "/ver/home/anna/Dok/").
QString versionFolderPath(const QString& versionFolderSetting, const QString& sourceFolder);
// The old copy's modification time as "yyyy-mm-dd hh;mm;ss" (local time).
QString versionStamp(qint64 mtime);
// "rapport.doc" and a stamp give "rapport[2024-05-01 14;03;27].doc"; a name without a dot gets
// no dot at the end.
QString versionCopyName(const QString& fileName, const QString& stamp);
// The type list ("doc;xls", empty for every type) takes the file: the text after the last '.'
// of the path equals a listed type, letter case ignored.
bool versionedType(const QString& targetPath, const QString& typeList);
// `candidate` is a version copy of `fileName` (its name with a stamp in brackets).
bool isVersionOf(const QString& candidate, const QString& fileName);
// The versions of `fileName` among the names of a version folder, oldest first.
QStringList versionsOf(const std::set<QString>& names, const QString& fileName);
// The number of versions kept: the leading digits of the setting, at least 1.
int versionsToKeep(const QString& maxText);
