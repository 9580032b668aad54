#pragma once
#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn in code so that the program needs no image files.
namespace platform {

enum class Picture {
    Backup,      // the program and normal tray picture (imgbackup)
    BackupError, // the tray picture after a failed run
    Error,       // red exclamation mark
    Information, // green information sign
    New,
    Edit,
    Delete,
    Run,
    Schedule,
    Sync,
    Setup,
    Restore,
    ProgramLog,
    About,
    Hand,
    Remove,
    Folder,        // a folder: folder pickers
    FolderRefresh, // a folder with a refresh mark: read a main folder's structure again
    FolderOpen,    // a folder with an arrow out: open a job's folders in the file manager
    SourceFolders, // two folders: the folders a job backs up
    Refresh,       // read a whole job's folder structure again
    Ok,
    Warning
};

QPixmap picture(Picture p, int size = 32);
QIcon icon(Picture p);

} // namespace platform
