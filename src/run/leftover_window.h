#pragma once
#include <QStringList>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

// Writes a mirror leftover list to Schemasync/<name>.schemasync (":" in the date-and-time text
// becomes "."), one entry a line, and shows the main window's link to saved lists. Throws RunError.
void writeLeftoverList(const QString& dateTimeText, const QStringList& entries);
// The saved lists' folder in the program folder.
QString schemasyncFolder();
// Shows frmmain.lblstatus2 when at least one saved list exists.
void refreshSavedListsLink();

// "Överblivna filer och mappar...": what a simulated mirror pass found in the backup folder but
// not at the source. Folder entries end in "/".
class frmsyncfilermappar : public QWidget {
  public:
    frmsyncfilermappar();

    QListWidget* List1 = nullptr;
    QCheckBox* chkpapperskorgen = nullptr;
    QPushButton* cmdraderamarkerad = nullptr;
    QPushButton* cmdraderaalla = nullptr;
    QPushButton* cmdöppna = nullptr;
    QPushButton* cmdsparalogg = nullptr;
    QString cmdsparalogg_Tag; // date and time of the mirror pass
    QPushButton* cmdstäng = nullptr;
    QString lblschemasync = QStringLiteral("schemasync?"); // "1": opened from a saved file
    QString savedListName;                                 // the saved file's name when opened from one
    std::function<void()> savedListDeleted;                // lets the saved lists' window drop its entry
    QLabel* Label1 = nullptr;
    QLabel* lblinfo = nullptr;

    void cmdraderaalla_Click();
    void cmdraderamarkerad_Click();
    void cmdsparalogg_Click();
    void spara_synclista_till_fil(const QString& dateTimeText);
    void cmdöppna_Click();
    void List1_DblClick();
    void cmdstäng_Click();
    QStringList entries() const;

  protected:
    // Opens over the backup window, or the main window, or the middle of the screen.
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    // An entry the list may not delete: a line in the backup window's log and the system log.
    void reportNotDeleted(const QString& entry, const QString& problem);
    bool deleting_ = false;
};
