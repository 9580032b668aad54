#pragma once
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
namespace platform {
class ClickLabel;
}

// "Om...": the program's name, version and date, links to the home page, the update check, the
// help file and the forum, and a donation view that covers the about content.
class frmom : public QWidget {
  public:
    frmom();

    QFrame* Picture1 = nullptr; // white panel on the left
    QLabel* Image5 = nullptr;   // the program's picture
    QLabel* Label8 = nullptr;   // the saying
    QLabel* lblnamn = nullptr;
    QLabel* lblversion = nullptr;
    QLabel* Label5 = nullptr; // "Datum: ..."
    platform::ClickLabel* lblhemsida = nullptr;
    platform::ClickLabel* lbluppdatera = nullptr;
    platform::ClickLabel* lblreadme = nullptr;
    platform::ClickLabel* lblforum = nullptr;
    platform::ClickLabel* lbldonera = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* Image4 = nullptr;
    QLabel* Image6 = nullptr;
    QPushButton* Command1 = nullptr; // "Stäng", Enter and Esc
    QLabel* hand = nullptr;          // hidden: the hand cursor's picture

    QFrame* Frame2 = nullptr; // the donation view
    QPushButton* cmddonerastäng = nullptr;

    void Form_Load();
    void lblhemsida_Click();
    void lblforum_Click();
    void lbluppdatera_Click();
    void lblreadme_Click();
    void lbldonera_Click();
    void Command1_Click();
    void cmddonerastäng_Click();

  protected:
    void narrow();
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
};

namespace logview {
// The about box from the main window: caption "Om...", modal.
void openAbout();
// The about box from the settings menu: modal, caption as it is created.
void openAboutFromSettings();
// The donation view from the main window's donation label: caption "Donera", modal.
void openDonation();
} // namespace logview
