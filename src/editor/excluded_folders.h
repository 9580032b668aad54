#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Removes from `folders` every entry equal, letter case included, to an excluded folder.
// Subfolders of an excluded folder stay. Returns the number of entries removed.
int removeExcludedFolders(QStringList& folders, const QStringList& excluded);

// Drops excluded folders that no longer exist, from the last entry to the first. A folder on a
// volume that is not present (an unplugged disk) is kept. When entries were dropped, one system-log
// line counts them. A folder that cannot be examined for another reason ends the pruning with an
// error line in the system log (the remaining entries are kept). Returns the number dropped.
int pruneMissingExcludedFolders(QStringList& excluded);

// The caption of the editor's button that opens the excluded-folders dialog.
QString excludedFoldersCaption(int count);

// The dialog in which the user moves folders between the job's folder list and the excluded
// folders. It works on its own copies; nothing changes for the opener until "OK", which hands
// both lists to `takeOver`. With the caption "Mappar" it is the single-list view of the folder list.
class frmexmappar : public QDialog {
  public:
    frmexmappar();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QListWidget* List1 = nullptr; // the folders that stay in the job
    QListWidget* List2 = nullptr; // the excluded folders
    QPushButton* cmdläggtill = nullptr;
    QPushButton* cmdtabort = nullptr;
    QLineEdit* txtmarkerad = nullptr;
    QPushButton* cmdok = nullptr;
    QPushButton* cmdavbryt = nullptr;

    // Receives List1 and List2 (in their order) when "OK" is pressed.
    std::function<void(const QStringList& folders, const QStringList& excluded)> takeOver;

    // Turns the dialog into the enlarged view of one list: caption "Mappar", no move buttons, no OK.
    void showSingleList();

    void Form_Load();
    void Form_Resize();
    void cmdläggtill_Click();
    void cmdtabort_Click();
    void cmdok_Click();
    void cmdavbryt_Click();
    void List1_Click();
    void List2_Click();

    static QStringList items(const QListWidget* list);

  protected:
    void resizeEvent(QResizeEvent* e) override;
};
