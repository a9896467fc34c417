#pragma once
// How the read side shows what datagrams bring. Within one pass over the listener's queue every value
// and caption is kept at once and shown when the pass ends: a flood redraws the window once a pass, not
// once a datagram. Passes that come back to back (a flood) are shown once a frame: a pass that ends
// sooner than a frame after the last showing is held, and shown at the frame's end. Outside a pass
// everything is shown at once, after what is held.

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QLabel;

namespace velmar {

class NumericEdit;

class ReadSideDisplay
{
public:
    explicit ReadSideDisplay(QLabel *counter) : counter_(counter) {}

    // A datagram of a pass is about to be handled; endPass() shows what the pass kept, or holds it until
    // the frame's end.
    void beginPass() { inPass_ = true; }
    void endPass();
    // Shows what is held now. Whatever writes to the read side's controls other than through this class
    // calls it first, so that nothing older is shown over what it writes.
    void flush();
    // One more datagram in the counter.
    void count();
    void setCaption(QLabel *label, const QString &text);
    // The caption as it will be shown when the pass ends.
    QString caption(QLabel *label) const;
    void setValue(NumericEdit *field, double value);
    // The board's version text in `label`, with `suffix` after it: fitted to the label's room (the text
    // gives way in its middle, the suffix stays whole) and whole in the tooltip. Worked out once a pass,
    // for the last text of the pass, and only when the text, the room or the caption shown changed.
    void setVersion(QLabel *label, const QString &version, const QString &suffix);
    // Whether the version caption shows (or, at the end of the pass, will show) a text.
    bool versionShown(QLabel *label) const;

private:
    void show();
    void showVersion();

    QLabel *counter_;
    bool inPass_ = false;
    bool held_ = false;            // a pass ended and is shown at the frame's end
    QElapsedTimer shown_;          // since the last showing
    qlonglong pendingCount_ = -1;  // the count to show at the end of the pass
    std::vector<std::pair<QLabel *, QString>> pendingCaptions_;  // the other captions shown then
    std::vector<QPointer<NumericEdit>> pendingFields_;           // fields whose value is shown then
    struct Version
    {
        QLabel *label = nullptr;
        QString suffix;
        std::optional<QString> pending;  // the last text of the pass, until it ends
        QString text, caption;           // the last text fitted, and the caption it gave
        int room = -1;                   // the room it was fitted to
    } version_;
};

}  // namespace velmar
