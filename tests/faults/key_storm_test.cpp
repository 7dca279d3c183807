// Thousands of random key presses and releases on the main menu, with every
// window that opens poked at and closed again: the cursor stays on one of the
// six stops, each fresh Enter on a title does exactly its one thing, and the
// program neither crashes nor hangs. The seed is printed; PLAYDECK_STORM_SEED
// replays a storm.
#include "../ui/harness.h"

#include "catalogue.h"
#include "forms.h"

#include <QMessageBox>
#include <QRandomGenerator>

using namespace harness;

namespace {

// Every top-level window shown, by name, in order.
class ShowLog : public QObject {
public:
    QStringList shown;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            shown << o->objectName();
        return false;
    }
};

// Whatever modal window comes up gets a few random keys of its own, then is
// closed: Escape for the borderless part dialogs, OK for a message box, the
// close box for the others. A modal that never takes the keyboard is closed
// all the same and counted as stuck.
class ModalCloser : public QObject {
public:
    explicit ModalCloser(quint32 seed) : rng_(seed)
    {
        connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
        timer_.start(1);
    }
    int stuck = 0;

private:
    void tick()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            waited_ = 0;
            return;
        }
        if (!modal->isActiveWindow() && ++waited_ < 200)
            return;
        if (!modal->isActiveWindow())
            ++stuck;
        waited_ = 0;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->accept();
            return;
        }
        static const Qt::Key inside[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Left,
                                         Qt::Key_Right, Qt::Key_Space, Qt::Key_Return, Qt::Key_Q};
        QPointer<QWidget> alive(modal);
        for (int i = int(rng_.bounded(3)); i > 0 && alive && QApplication::activeModalWidget() == modal; --i)
            key(inside[rng_.bounded(int(std::size(inside)))], Qt::NoModifier, modal->windowHandle());
        if (!alive || QApplication::activeModalWidget() != modal)
            return;
        if (modal->windowFlags() & Qt::FramelessWindowHint)
            key(Qt::Key_Escape, Qt::NoModifier, modal->windowHandle());
        else
            modal->close();
    }
    QTimer timer_;
    QRandomGenerator rng_;
    int waited_ = 0;
};

bool onAStop(float top)
{
    return std::any_of(playdeck::entries().begin(), playdeck::entries().end(),
                       [top](const playdeck::Entry& e) { return e.stop == top; });
}

}  // namespace

class KeyStormTest : public QObject {
    Q_OBJECT
    RecordingStarter starter;

private slots:
    void initTestCase() { setUpOnce(starter); }
    
    void randomKeysKeepTheMenuSound()
    {
        const quint32 seed = qEnvironmentVariableIsSet("PLAYDECK_STORM_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("PLAYDECK_STORM_SEED"))
                                 : 20240607u;
        qInfo("key storm seed %u (replay with PLAYDECK_STORM_SEED=%u)", seed, seed);
        QRandomGenerator rng(seed);
        ShowLog log;
        qApp->installEventFilter(&log);
        ModalCloser closer(seed + 1);
        QVERIFY(startMenu());

        static const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Up, Qt::Key_Down, Qt::Key_Return,
                                       Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Space, Qt::Key_Escape,
                                       Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_PageDown};
        int dialogsChecked = 0, launchesChecked = 0, restarts = 0;
        for (int step = 0; step < 10000; ++step) {
            QWidget* menu = window("Form1");
            QVERIFY2(menu, qPrintable(QString("step %1: no menu").arg(step)));
            QVERIFY2(QTest::qWaitFor([] { return keyWindow() != nullptr; }, kWaitMs), "no window took the keyboard");
            const bool menuHasKeys = keyWindow() == menu->windowHandle() && !QApplication::activeModalWidget();

            Qt::Key k;
            Qt::KeyboardModifiers mods = Qt::NoModifier;
            const int roll = int(rng.bounded(100));
            if (roll < 8) {  // letters, mostly with Alt: the access keys A, H and X among them
                k = Qt::Key(Qt::Key_A + int(rng.bounded(26)));
                mods = rng.bounded(3) ? Qt::AltModifier : Qt::NoModifier;
            } else {
                k = keys[rng.bounded(int(std::size(keys)))];
                const int m = int(rng.bounded(10));
                mods = m == 0 ? Qt::ShiftModifier : m == 1 ? Qt::ControlModifier : Qt::NoModifier;
            }
            if (k == Qt::Key_Enter)
                mods |= Qt::KeypadModifier;
            const bool isEnter = k == Qt::Key_Return || k == Qt::Key_Enter;
            const int how = int(rng.bounded(20));  // 0: held (auto-repeat), 1: press only, 2: release only

            const playdeck::Entry* entry = playdeck::entryAtStop(cursorTop());
            const qsizetype shownBefore = log.shown.size();
            const std::size_t launchesBefore = starter.commands.size();

            const Stroke stroke = how == 0 && isEnter ? Stroke::Held
                                  : how == 1          ? Stroke::PressOnly
                                  : how == 2          ? Stroke::ReleaseOnly
                                                      : Stroke::Click;
            QVERIFY(key(k, mods, nullptr, stroke));

            if (forms::hasEnded()) {  // Exit by its access key or by Space on the button
                ++restarts;
                QVERIFY(startMenu());
                continue;
            }
            const float top = cursorTop();
            QVERIFY2(onAStop(top), qPrintable(QString("step %1: cursor at %2").arg(step).arg(top)));
            if (!isEnter || how == 2 || !menuHasKeys)
                continue;
            const QStringList shown = log.shown.mid(shownBefore);
            const std::size_t launched = starter.commands.size() - launchesBefore;
            QVERIFY(entry);
            if (how == 0) {  // a held Enter does nothing at all
                QVERIFY2(shown.isEmpty(), qPrintable(QString("step %1: %2").arg(step).arg(shown.join(','))));
                QCOMPARE(launched, 0u);
            } else if (!entry->dialog.empty()) {
                // The dialog, and whatever a part button in it launched: one part at most.
                QCOMPARE(shown, QStringList{QString::fromUtf8(entry->dialog.data(), entry->dialog.size())});
                QVERIFY(launched <= 1);
                ++dialogsChecked;
            } else {
                QVERIFY2(shown.isEmpty(), qPrintable(QString("step %1: %2").arg(step).arg(shown.join(','))));
                QCOMPARE(launched, 1u);
                ++launchesChecked;
            }
            QCOMPARE(cursorTop(), entry->stop);
        }
        qApp->removeEventFilter(&log);
        qInfo("%d dialogs and %d launches checked, %d restarts after Exit", dialogsChecked, launchesChecked, restarts);
        QCOMPARE(closer.stuck, 0);
        QVERIFY(dialogsChecked > 200);
        QVERIFY(launchesChecked > 30);
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(KeyStormTest)
#include "key_storm_test.moc"
