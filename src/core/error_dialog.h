#pragma once
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The message dialog of the message reporter: the text, an OK button and a symbol.
class frmerror : public QWidget {
  public:
    frmerror();

    QPlainTextEdit* lblfel = nullptr;
    QPushButton* cmdok = nullptr;
    QLabel* Image1 = nullptr; // the symbol shown; the error symbol until a report says otherwise
    QLabel* Image2 = nullptr; // hidden: the information sign

    void cmdok_Click();
    void setText(const QString& text);
    // Whether Image1 shows the information sign.
    bool showsInformation() const;

  protected:
    // Closing by the frame is OK too: the next report starts with a fresh dialog.
    void closeEvent(QCloseEvent* e) override;
};
