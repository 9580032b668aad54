#pragma once
#include <QString>
#include <QStringList>

// What the quick-start chooser, the readme and the job menu's commands need of the main window
// and the program settings, in one place.
namespace host {

QStringList jobNames();                    // the job list, in its order
int selectedJobIndex();                    // -1 when no job is selected
QString selectedJob();                     // empty when no job is selected
void reselectJob(int index);               // no job, then `index`: the job is loaded again
void appendJobToList(const QString& name); // at the end of both job lists, not selected
QString groupFolder(int index);            // Listor .. Listor4 of the program folder
QString groupCaption(int index);           // the caption of the group's button
QString exportFolderText();                // as typed in the settings window

void setQuickStartSetting(bool on); // the setting "Starta med snabbstartsväljaren"
bool quickStartSetting();
void saveSettings(); // both settings files, with their log line
void showSettingsWindow();

} // namespace host
