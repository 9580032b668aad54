// Real dialogs (not scripted): whose window they belong to, and the language Qt's own dialogs speak.
#include "platform/accessibility.h"
#include "platform/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

using namespace platform;

namespace {
// Runs `f` on the modal window that the next dialog opens, then lets `close` end it.
void onNextModal(std::function<void(QWidget*)> f) {
    QTimer::singleShot(50, [f] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        f(w);
    });
}
} // namespace

TEST(DialogWindows, AMessageShownWhileAWindowIsModalBelongsToThatWindowNotTheActiveOne) {
    Dialogs d;
    QWidget main;
    main.setObjectName("main");
    main.show();
    main.activateWindow();
    QWidget editor;
    editor.setObjectName("editor");
    editor.setWindowModality(Qt::ApplicationModal);
    editor.setAttribute(Qt::WA_ShowWithoutActivating);
    editor.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &editor);

    // The program's own message window, shown modally from the editor.
    QWidget message;
    message.setObjectName("frmerror");
    message.setWindowFlags(Qt::Dialog);
    QWindow* owner = nullptr;
    QTimer::singleShot(50, [&] {
        owner = message.windowHandle() ? message.windowHandle()->transientParent() : nullptr;
        message.hide();
    });
    d.showModal(&message);
    ASSERT_NE(editor.windowHandle(), nullptr);
    EXPECT_EQ(owner, editor.windowHandle());
    EXPECT_NE(owner, main.windowHandle());

    // So does a message box.
    QWidget* boxParent = nullptr;
    onNextModal([&](QWidget* box) {
        boxParent = box->parentWidget();
        static_cast<QMessageBox*>(box)->buttons().first()->click();
    });
    d.msgBox("Hej", MsgButtons::Ok);
    EXPECT_EQ(boxParent, &editor);
    editor.hide();
    main.hide();
}

TEST(DialogWindows, QtsOwnDialogsSpeakSwedish) {
    ASSERT_TRUE(installSwedishQtTexts()) << "Qt's Swedish translations (qt6-translations-l10n) are missing";
    EXPECT_TRUE(installSwedishQtTexts()) << "a second call keeps the texts";
    QFileDialog picker(nullptr, "Välj mapp");
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setFileMode(QFileDialog::Directory);
    picker.show();
    QStringList captions;
    for (QAbstractButton* b : picker.findChild<QDialogButtonBox*>()->buttons())
        captions << b->text().remove('&');
    EXPECT_TRUE(captions.contains("Avbryt")) << captions.join(", ").toStdString();
    QStringList labels;
    for (QLabel* l : picker.findChildren<QLabel*>())
        labels << l->text();
    EXPECT_TRUE(labels.contains("Leta i:")) << labels.join(", ").toStdString();
    picker.hide();
    EXPECT_TRUE(captions.contains("Välj")) << captions.join(", ").toStdString();
    QDialogButtonBox standard(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
    EXPECT_EQ(standard.button(QDialogButtonBox::Yes)->text().remove('&'), "Ja");
    EXPECT_EQ(standard.button(QDialogButtonBox::No)->text().remove('&'), "Nej");
    EXPECT_EQ(standard.button(QDialogButtonBox::Cancel)->text(), "Avbryt");
    // Texts the distribution's catalogue has come from it.
    EXPECT_TRUE(labels.contains("Filer av typen:")) << labels.join(", ").toStdString();
}

TEST(DialogWindows, EnterInAWindowThatIsNoDialogPressesTheFocusedOrTheDefaultButton) {
    installAccessibility();
    struct Case {
        const char* what;
        bool focusOnCancel;
        bool okShown;
        Qt::KeyboardModifiers modifiers;
        const char* pressed;
    };
    const Case cases[] = {
        {"Enter in a field", false, true, Qt::NoModifier, "OK"},
        {"Enter on another button", true, true, Qt::NoModifier, "Avbryt"},
        {"the default button hidden", false, false, Qt::NoModifier, ""},
        {"Shift and Enter", false, true, Qt::ShiftModifier, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget window;
        auto* field = new QLineEdit(&window);
        auto* ok = new QPushButton("OK", &window);
        auto* cancel = new QPushButton("Avbryt", &window);
        ok->setDefault(true);
        QString pressed;
        QObject::connect(ok, &QPushButton::clicked, [&] { pressed += "OK"; });
        QObject::connect(cancel, &QPushButton::clicked, [&] { pressed += "Avbryt"; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ok->setVisible(c.okShown);
        (c.focusOnCancel ? static_cast<QWidget*>(cancel) : field)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, c.modifiers);
        EXPECT_EQ(pressed, c.pressed);
    }
}

namespace {
// A window that refuses to be closed, as one does while its work goes on.
class Busy : public QWidget {
  protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};
} // namespace

TEST(DialogWindows, AModalWaitEndsOnlyWhenTheProgramHidesTheWindow) {
    Dialogs d;
    const std::pair<const char*, std::function<void(QWidget*)>> cases[] = {
        {"minimised by the window manager", [](QWidget* w) { w->setWindowState(Qt::WindowMinimized); }},
        {"a close the window refuses", [](QWidget* w) { w->close(); }},
    };
    for (const auto& [what, act] : cases) {
        SCOPED_TRACE(what);
        Busy window;
        bool waitingAfter = false;
        QTimer::singleShot(0, &window, [&, act = act] {
            act(&window);
            QTimer::singleShot(0, &window, [&] {
                waitingAfter = true;
                window.hide();
            });
        });
        d.showModal(&window);
        EXPECT_TRUE(waitingAfter);
        EXPECT_EQ(window.windowModality(), Qt::NonModal);
    }
}

TEST(DialogWindows, AModalWindowOfFixedSizeAsksForNoMinimiseBox) {
    Dialogs d;
    for (const bool fixed : {true, false}) {
        SCOPED_TRACE(fixed ? "fixed size" : "resizable");
        QWidget window;
        if (fixed)
            window.setFixedSize(300, 200);
        const Qt::WindowFlags before = window.windowFlags();
        Qt::WindowFlags shown;
        QTimer::singleShot(0, &window, [&] {
            shown = window.windowFlags();
            window.hide();
        });
        d.showModal(&window);
        if (fixed) {
            EXPECT_FALSE(shown & Qt::WindowMinimizeButtonHint);
            EXPECT_TRUE(shown & Qt::WindowTitleHint);
            EXPECT_TRUE(shown & Qt::WindowCloseButtonHint);
        } else {
            EXPECT_EQ(shown, before);
        }
    }
}
