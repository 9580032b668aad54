#pragma once
#include "core/job_files.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>

// The current-job record: every field of the selected job, filled when a job is selected in the
// main window's job list and read by the backup run, the restore, the scheduler and the editor.
// Field names are those of the main window's controls that held them.
struct CurrentJobRecord {
    QString txtjobbnamn;                                  // name of the selected job
    QString lblschema_jobb;                               // the same, for the scheduler panel
    QStringList listmappar;                               // .000: every folder of the job
    QStringList combomappar;                              // .001: the main folders
    QString txtbackupmapp;                                // .002 line 1
    QString txtpattern;                                   // .003 line 1
    QString txtexpattern;                                 // .003 line 2
    QString txtexfiler;                                   // .003 line 3
    QString txtmappfilter;                                // .003 line 4
    QString txtexmb;                                      // .003 line 5
    QString lblmappuppdatering;                           // .004 line 1 "JA"/"NEJ"
    QString txtsynkroniseraej;                            // .004 line 2
    QString txtsökvägtyp;                                 // .004 line 3 "0"/"1"
    QString txtabsolutsökväg_huvudmapp;                   // .004 line 4
    QString txtignorerasaknadenhet;                       // .004 line 5
    QStringList listexmappar;                             // .005
    int chkschemaaktiv = 0;                               // .006 line 1
    int chkschemasync = 0;                                // .006 line 2
    QString txtschematid;                                 // .006 line 3
    std::array<int, 8> chkschemadag{};                    // .006 line 4, index 1 = Sunday .. 7 = Saturday
    int chkschemasync_simulera = 0;                       // .006 line 5
    QString txtlastrun;                                   // .007 line 1
    QString txtlastrun_Tag;                               // .007 line 2
    QString txtprogramstopp;                              // .008 line 1
    QString txtprogramstart;                              // .008 line 2
    QString txtversionshantering = QStringLiteral("NEJ"); // .009 line 1
    QString txtversionpattern;                            // .009 line 2
    QString txtversion_mb;                                // .009 line 3
    QString txtversionmax;                                // .009 line 4
    QString txtversionmapp;                               // .009 line 5
    QString txtschema;                                    // derived: schedule summary
    QString lblhuvudmappar = QStringLiteral("0");
    QString lblallamappar = QStringLiteral("0");
    QString lblexmappar = QStringLiteral("0 exkluderade");
    QString txtsammanställning; // derived: the summary shown to the user
    int emptyFolderLines = 0;   // empty lines of .000 and .001, which name no folder and are left out
    // Why the job's files could not be read as written (the file and the error), empty when they
    // could. A run never runs a job that was not read whole.
    QString loadFailure;
    QString loadFailureFile; // the file of loadFailure

    // töm_datafält: every field but the job name back to its emptied value.
    void clearRecord();
    // Fills the record from the job's files in the order of the files, creating a missing
    // .003, .004 or .005. Throws platform::RunError; what was filled before the error stays, the
    // later fields keep their emptied values (no summary is built) and loadFailure names the file;
    // the schedule is still read, so that the job falls due and its run is refused and logged.
    // Call clearRecord first.
    void loadRecord(const JobFiles& job, const QDate& today);

  private:
    void loadFiles(const JobFiles& job, const QDate& today, int& file);
    void loadSchedule(const JobFiles& job);

  public:
    // The job as the rules about its folders see it, as a job of the group folder `group`.
    JobFiles::Job job(const QString& group) const;
    // The schedule summary of the .006 fields.
    QString scheduleText() const;
    // The summary shown to the user; lines end in '\n'. Throws 13 for an unreadable last-run date.
    QString summaryText(const QDate& today) const;
};
