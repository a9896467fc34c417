#include "desktop_session.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace velmar {

namespace {

bool ended = false;

}  // namespace

bool SessionEnd::Ended()
{
    return ended;
}

void SessionEnd::closes(QWidget &window)
{
    window_ = &window;
    if (ended)
        window.close();
}

void SessionEnd::end()
{
    ended = true;
    // A box waits in a loop of its own: closed, it returns to whoever opened it, which then goes on.
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QDialog *>(widget); box && box->isVisible())
            box->reject();
    if (window_)
        window_->close();
    QCoreApplication::quit();
}

}  // namespace velmar
