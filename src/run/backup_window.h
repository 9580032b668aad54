#pragma once
#include <QString>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QPlainTextEdit;
class QLineEdit;

// The backup window: the list of jobs to run, the run buttons and the run's progress.
class frmutförbackup : public QWidget {
public:
    frmutförbackup();
    ~frmutförbackup() override;

    QListWidget* List1 = nullptr;       // job names, several markable
    QCheckBox* chksync = nullptr;       // "Spegla"
    QCheckBox* chksyncsimulera = nullptr; // "Simulera spegling"
    QPushButton* cmdkörbackup = nullptr;  // disabled exactly while a run is going on
    QPlainTextEdit* txtloggtext = nullptr; // the run's progress view
    QLineEdit* txtbackup = nullptr;       // status text
    QLabel* lblantalmappar = nullptr;
    QString lblavbryt;                    // "1": cancel requested
    QStringList listsyncmappar;           // folders found by the mirror step's scan

    // Caption: "commandline", "schema" or anything else for a run by hand.
    QString caption() const { return windowTitle(); }
    void setCaption(const QString& c) { setWindowTitle(c); }
    bool runGoingOn() const;

    void commandline();
    void backupdirekt();
    void cmdkörbackup_Click();
    // Whether the last run ended with an error (for the command-line exit status).
    bool runHadErrors() const { return runHadErrors_; }

protected:
    bool runHadErrors_ = false;
};
