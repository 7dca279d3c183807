// An input quirk of X11, mended for the Qt backend: the auto-repeat flag of a
// held key. X sends each repeat of a held key as a release and a press with
// the same server time; Qt's xcb backend marks the pair as a repeat only when
// the press is already queued as it reads the release, so now and then a
// repeat arrives as a fresh press (and a held Enter would start a second
// emulator). Decided here at the press, from the release before it: a press
// of the key that was just released, with that release's time, is a repeat,
// however the two were read. Keys without a native scan code or time (posted
// ones, other platforms') are taken as they come.
#include "controls_qt.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace forms {

namespace {

class RepeatMark : public QObject {
public:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyRelease: {
            const auto* k = static_cast<QKeyEvent*>(event);
            last_ = {k->nativeScanCode(), k->timestamp()};
            return false;
        }
        case QEvent::KeyPress: {
            auto* k = static_cast<QKeyEvent*>(event);
            if (k->isAutoRepeat() || k->nativeScanCode() == 0 || k->timestamp() == 0 ||
                last_ != Release{k->nativeScanCode(), k->timestamp()} || !receiver->isWidgetType())
                return false;
            // Every consumer, ours or Qt's, sees the press as the repeat it is.
            QKeyEvent repeat(QEvent::KeyPress, k->key(), k->modifiers(), k->nativeScanCode(), k->nativeVirtualKey(),
                             k->nativeModifiers(), k->text(), true, k->count());
            repeat.setTimestamp(k->timestamp());
            QCoreApplication::sendEvent(receiver, &repeat);
            return true;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
            last_ = {};  // nothing carries over to another control or window
            return false;
        default:
            return false;
        }
    }

private:
    struct Release {
        quint32 scanCode = 0;
        quint64 time = 0;
        friend bool operator==(const Release&, const Release&) = default;
    };
    Release last_;
};

}  // namespace

void markX11Repeats()
{
    qApp->installEventFilter(new RepeatMark);
}

}  // namespace forms
