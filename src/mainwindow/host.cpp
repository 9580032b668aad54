#include "mainwindow/host.h"

#include "core/main_window.h"
#include "core/program.h"
#include "core/settings_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace host {

namespace {
frmmain* mainWindow() {
    return program().form<frmmain>();
}
frmsetup* settings() {
    return program().form<frmsetup>();
}
} // namespace

QStringList jobNames() {
    QStringList names;
    const QComboBox* c = mainWindow()->comboinställningar;
    for (int i = 0; i < c->count(); ++i)
        names << c->itemText(i);
    return names;
}

int selectedJobIndex() {
    return mainWindow()->comboinställningar->currentIndex();
}

QString selectedJob() {
    const QComboBox* c = mainWindow()->comboinställningar;
    return c->currentIndex() < 0 ? QString() : c->currentText();
}

void reselectJob(int index) {
    QComboBox* c = mainWindow()->comboinställningar;
    c->setCurrentIndex(-1);
    c->setCurrentIndex(index);
}

void appendJobToList(const QString& name) {
    frmmain* m = mainWindow();
    m->comboinställningar->addItem(name);
    m->listinställningar->addItem(name);
}

QString groupFolder(int index) {
    return mainWindow()->groupFolder(index);
}

QString groupCaption(int index) {
    return mainWindow()->optarkiv[index]->text();
}

QString exportFolderText() {
    return settings()->txtexportmapp->text();
}

void setQuickStartSetting(bool on) {
    settings()->chksnabbstart->setChecked(on);
}

bool quickStartSetting() {
    return settings()->chksnabbstart->isChecked();
}

void saveSettings() {
    settings()->spara_setup();
}

void showSettingsWindow() {
    frmsetup* s = settings();
    s->show();
    s->raise();
}

} // namespace host
