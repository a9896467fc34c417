#pragma once
// The one way the window shows a message or an error, so that tests can see them without blocking.

#include <QString>

class QWidget;

namespace velmar {

class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void message(QWidget *parent, const QString &text) = 0;
    virtual void error(QWidget *parent, const QString &text) = 0;
};

// Plain message boxes, as the operator sees them.
class MessageBoxNotifier : public Notifier
{
public:
    void message(QWidget *parent, const QString &text) override;
    void error(QWidget *parent, const QString &text) override;
};

}  // namespace velmar
