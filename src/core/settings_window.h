#pragma once
#include <QWidget>

class QCheckBox;
class QListWidget;
class QLineEdit;
class QPushButton;
class QLabel;
class QGroupBox;

// The settings window. Its check boxes are the program settings: every reader reads the box.
class frmsetup : public QWidget {
public:
    frmsetup();

    // programalternativ.ini, lines 1 to 19 in this order
    QCheckBox* chkuppdateraauto = nullptr;
    QCheckBox* chkstartaminimerad = nullptr;
    QCheckBox* chkstartaaktiverad = nullptr;
    QCheckBox* chkljud1 = nullptr;
    QCheckBox* chkljud2 = nullptr;
    QCheckBox* chkjobbarkiv = nullptr;
    QCheckBox* chkfilstorlek = nullptr;
    QCheckBox* chksnabbstart = nullptr;
    QCheckBox* chkfilstorlek2 = nullptr;
    QCheckBox* chkvarnasync = nullptr;
    QCheckBox* chktillåtschemasync = nullptr;
    QCheckBox* chkpapperskorg_ersatta = nullptr;
    QCheckBox* chkpapperskorg_synk = nullptr;
    QCheckBox* chkignorerafel = nullptr;
    QCheckBox* chkdöljfilterilogg = nullptr;
    QCheckBox* chkvisafilecopy = nullptr;
    QCheckBox* chkschemapåminnelse = nullptr;
    QCheckBox* chkschemapopupfel = nullptr;
    QCheckBox* chkschemapopupok = nullptr;
    // setup_api.ini
    QCheckBox* chkaldrigapi = nullptr;
    // the autostart entry
    QCheckBox* chkstartamedwindows = nullptr;
    QString chkstartaminimerad_Tag;  // "1" after the main window's first activation

    // The 19 boxes of programalternativ.ini in line order.
    QList<QCheckBox*> fileBoxes() const;

    void spara_setup();

private:
    QCheckBox* box(const char* name, const QString& caption, bool design);
};
