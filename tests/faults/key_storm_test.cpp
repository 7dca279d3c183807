// Thousands of random key strokes on the main menu (clicks, lone presses, lone
// releases, held keys, with modifiers), every window that opens poked at and
// closed again: the cursor stays on one of the six stops, each fresh Enter on
// a title does exactly its one thing, and the program neither crashes nor
// hangs. The seed is printed; PLAYDECK_STORM_SEED replays a storm.
#include "../ui/harness.h"

#include <QRandomGenerator>

using namespace harness;

class KeyStormTest : public WindowTest {
    Q_OBJECT

private slots:
    void randomKeysKeepTheMenuSound()
    {
        const quint32 seed = qEnvironmentVariableIsSet("PLAYDECK_STORM_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("PLAYDECK_STORM_SEED")) : 20240607u;
        qInfo("key storm seed %u (replay with PLAYDECK_STORM_SEED=%u)", seed, seed);
        QRandomGenerator rng(seed), pokes(seed + 1);
        // Whatever modal window comes up is written down, gets a few random keys
        // of its own, then is closed: Escape for the borderless part dialogs, the
        // close box for the others, OK for a message box.
        QStringList shown;
        QPointer<QWidget> last;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            QPointer<QWidget> modal = QApplication::activeModalWidget();
            if (!modal || !modal->isActiveWindow() || modal == last)
                return;
            shown << (last = modal)->objectName();
            static const Qt::Key inside[] = {Qt::Key_Up,    Qt::Key_Down,  Qt::Key_Tab,    Qt::Key_Backtab, Qt::Key_Left,
                                             Qt::Key_Right, Qt::Key_Space, Qt::Key_Return, Qt::Key_Q};
            for (int i = int(pokes.bounded(3)); i > 0 && modal && !qobject_cast<QMessageBox*>(modal); --i)
                key(inside[pokes.bounded(int(std::size(inside)))], Qt::NoModifier, modal->windowHandle());
            if (modal && modal->windowFlags() & Qt::FramelessWindowHint)
                key(Qt::Key_Escape, Qt::NoModifier, modal->windowHandle());
            else if (modal)
                closeModal(modal);
        });
        closer.start(1);

        static const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Up, Qt::Key_Down, Qt::Key_Return,
                                       Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Space, Qt::Key_Escape,
                                       Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_PageDown};
        static const Stroke strokes[] = {Stroke::Held, Stroke::PressOnly, Stroke::ReleaseOnly};
        int dialogs = 0, launches = 0;
        for (int step = 0; step < 10000; ++step) {
            const QString where = QStringLiteral("step %1: ").arg(step);
            QVERIFY2(QTest::qWaitFor([] { return keyWindow() != nullptr; }, kWaitMs), qPrintable(where + "no keyboard"));
            const bool menuHasKeys = keyWindow() == window("Form1")->windowHandle();
            // Letters mostly with Alt (the access keys A, H and X among them), or
            // keys of the menu with Shift or Ctrl now and then.
            const bool letter = rng.bounded(100) < 8;
            const Qt::Key k = letter ? Qt::Key(Qt::Key_A + int(rng.bounded(26))) : keys[rng.bounded(int(std::size(keys)))];
            const int m = int(rng.bounded(10));
            Qt::KeyboardModifiers mods = letter ? (m % 3 ? Qt::AltModifier : Qt::NoModifier)
                                                : m == 0 ? Qt::ShiftModifier : m == 1 ? Qt::ControlModifier : Qt::NoModifier;
            if (k == Qt::Key_Enter)
                mods |= Qt::KeypadModifier;
            const bool isEnter = k == Qt::Key_Return || k == Qt::Key_Enter;
            const int how = int(rng.bounded(20));
            const Stroke stroke = how < 3 && (how > 0 || isEnter) ? strokes[how] : Stroke::Click;

            const playdeck::Entry* entry = playdeck::entryAtStop(cursorTop());
            const qsizetype shownBefore = shown.size(), launchesBefore = starter.tails.size();
            QVERIFY(key(k, mods, nullptr, stroke));
            if (forms::hasEnded()) {  // Exit by its access key or by Space on the button
                QVERIFY(startMenu());
                continue;
            }
            QVERIFY2(entry && playdeck::entryAtStop(cursorTop()), qPrintable(where + QString::number(cursorTop())));
            if (!isEnter || stroke == Stroke::ReleaseOnly || !menuHasKeys)
                continue;
            const QStringList opened = shown.mid(shownBefore);
            const qsizetype launched = starter.tails.size() - launchesBefore;
            const bool right = stroke == Stroke::Held ? opened.isEmpty() && launched == 0  // a held Enter does nothing
                               : entry->dialog.empty() ? (++launches, opened.isEmpty() && launched == 1)
                                                       : (++dialogs, opened == QStringList{QString::fromUtf8(entry->dialog.data())} &&
                                                                         launched <= 1);  // one part at most from it
            QVERIFY2(right, qPrintable(where + opened.join(',') + QStringLiteral(", %1 launches").arg(launched)));
            QCOMPARE(cursorTop(), entry->stop);
        }
        QVERIFY2(dialogs > 200 && launches > 30, qPrintable(QStringLiteral("%1 dialogs, %2 launches").arg(dialogs).arg(launches)));
    }
};

QTEST_MAIN(KeyStormTest)
#include "key_storm_test.moc"
