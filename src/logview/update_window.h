#pragma once
#include <QWidget>

class QTimer;

// The update window. Its timer, once given an interval, fires once and runs the update search.
class frmuppdatera : public QWidget {
public:
    frmuppdatera();
    QTimer* Timer1 = nullptr;
    QString cmdsökuppdatering_Tag;
    void Timer1_Timer();
    void cmdsökuppdatering_Click();
};
