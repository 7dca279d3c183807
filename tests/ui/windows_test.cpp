// The program's windows on the offscreen platform, driven the way a player
// does, with keys and clicks through the window system: the main menu's cursor,
// Enter and buttons, the part dialogs, quick help and About, ending the
// program, what a grab shows; and the breaking of label text into lines.
#include "harness.h"

#include "about.h"
#include "hlpfrm.h"
#include "textwrap.h"

#include <QImage>
#include <QPushButton>
#include <QRegularExpression>

using namespace harness;

namespace {

// Every part: menu entry, dialog, button, and the exact launch tail.
struct Part { int entry; const char* dialog; int button; const char* tail; };
const Part kParts[] = {
    {0, "turtles", 1, "\\Data\\Runcart.exe data\\kora1.dat"}, {0, "turtles", 2, "\\Data\\Runcart.exe data\\kora2.dat"},
    {0, "turtles", 3, "\\Data\\Runcart.exe data\\kora3.dat"}, {1, "tsubasa", 1, "\\data\\Runcart.exe data\\vemi1.dat"},
    {1, "tsubasa", 2, "\\data\\Runcart.exe data\\vemi2.dat"}, {2, "gaiden", 1, "\\data\\runcart.exe data\\palu1.dat"},
    {2, "gaiden", 2, "\\data\\runcart.exe data\\palu2.dat"},  {3, "contra", 1, "\\data\\Runcart.exe data\\bexo.dat"},
    {3, "contra", 2, "\\data\\Runcart.exe data\\zuna.dat"},   {5, "duckt", 1, "\\data\\Runcart.exe data\\lori1.dat"},
    {5, "duckt", 2, "\\data\\Runcart.exe data\\lori2.dat"},
};

}  // namespace

class WindowsTest : public WindowTest {
    Q_OBJECT

private slots:
    // The cursor starts on the first title with the keyboard, Tab runs Cur,
    // Exit, About, Help and back; the arrows (with Shift or Ctrl too) move it
    // and wrap, and a grab shows it where it is and nowhere else; other keys
    // do nothing.
    void theCursorStartsFocusedMovesAndWraps()
    {
        QCOMPARE(focusName(), QString("Cur"));
        for (const char* next : {"Command1", "Command2", "Command3", "Cur"}) {
            QVERIFY(key(Qt::Key_Tab));
            QCOMPARE(focusName(), QString(next));
        }
        QCOMPARE(cursorTop(), 120.0f);
        QVERIFY(key(Qt::Key_Up));
        QCOMPARE(cursorTop(), 4320.0f);
        const QImage arrow = QImage(forms::assetPath("cursor_arrow")).convertToFormat(QImage::Format_RGB32);
        for (int k = 0; k < 7; ++k) {
            QVERIFY(key(Qt::Key_Down, k % 3 ? (k % 2 ? Qt::ShiftModifier : Qt::ControlModifier) : Qt::NoModifier));
            QCOMPARE(cursorTop(), 120.0f + 840 * (k % 6));
            const QImage shot = window("Form1")->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shot.copy(8, 8 + 56 * (k % 6), 16, 13), arrow);
            QCOMPARE(shot.pixel(16, 8 + 56 * ((k + 5) % 6) + 6), qRgb(255, 255, 255));  // no stale arrow
            if (k == 6)
                shot.save(QStringLiteral(PLAYDECK_SCREENSHOTS "/main_menu.png"));
        }
        for (Qt::Key other : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Escape, Qt::Key_Q, Qt::Key_Space, Qt::Key_PageDown})
            QVERIFY(key(other));
        QCOMPARE(cursorTop(), 120.0f);
        QVERIFY(starter.tails.isEmpty() && !forms::hasEnded());
    }

    // Enter on each title, with the focus on the cursor or on a button (the
    // button must not be clicked as well): one dialog, or for the fifth title
    // one launch; a held Enter does nothing, a fresh one acts again.
    void enterActsOnTheTitleUnderTheCursorOnce_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("focus");
        for (int k = 0; k < 6; ++k)
            for (const char* focus : {"Cur", "Command1", "Command2", "Command3"})
                QTest::addRow("%d %s", k + 1, focus) << k << QString(focus);
    }
    void enterActsOnTheTitleUnderTheCursorOnce()
    {
        QFETCH(int, entry);
        QFETCH(QString, focus);
        const QString dialog = QStringList{"turtles", "tsubasa", "gaiden", "contra", "", "duckt"}[entry];
        QVERIFY(moveCursorTo(entry));
        while (focusName() != focus)  // Exit, About and Help come after Cur in tab order
            QVERIFY(key(Qt::Key_Tab));
        const QStringList shown = modalsDuring([] { key(Qt::Key_Return); });
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(shown, dialog.isEmpty() ? QStringList{} : QStringList{dialog});
        QCOMPARE(starter.tails, dialog.isEmpty() ? QStringList{"\\data\\Runcart.exe data\\mado3.dat"} : QStringList{});
        QCOMPARE(cursorTop(), 120.0f + 840 * entry);
        QVERIFY(!forms::hasEnded());
        QCOMPARE(focusName(), focus);

        QCOMPARE(modalsDuring([] { for (int i = 0; i < 5; ++i) key(Qt::Key_Return, {}, nullptr, Stroke::Held); }), QStringList{});
        QCOMPARE(starter.tails.size(), dialog.isEmpty() ? 1 : 0);
        if (dialog.isEmpty()) {
            QVERIFY(key(Qt::Key_Enter, Qt::KeypadModifier));
            QCOMPARE(starter.tails.size(), 2);
        }
    }

    // Exit by its access key, a click, Space on the button, and the close box; the
    // modifier held with Space is released after the windows are gone.
    void exitAndTheCloseBoxEndTheProgram()
    {
        const std::function<bool()> ways[] = {
            [] { return key(Qt::Key_X, Qt::AltModifier); },
            [] { return click("Form1", "Command1"); },
            [] { return key(Qt::Key_Tab) && key(Qt::Key_Space, Qt::ControlModifier); },
            [] { window("Form1")->windowHandle()->close(); return true; },
        };
        for (const auto& way : ways) {
            QVERIFY(startMenu());
            QVERIFY(way());
            QVERIFY(forms::hasEnded() && !form("Form1").isLoaded());
        }
    }

    // Each part button, reached by Tab, pressed by Enter, Space or a click
    // (held keys do nothing): one launch of its tail, the dialog gone, the
    // menu as it was.
    void everyPartStartsFromItsButton_data()
    {
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("how");
        for (int p = 0; p < int(std::size(kParts)); ++p)
            for (int how = 0; how < 3; ++how)
                QTest::addRow("%s %d %s", kParts[p].dialog, kParts[p].button, how == 0 ? "Enter" : how == 1 ? "Space" : "click")
                    << p << how;
    }
    void everyPartStartsFromItsButton()
    {
        QFETCH(int, part);
        QFETCH(int, how);
        const Part& p = kParts[part];
        QVERIFY(moveCursorTo(p.entry));
        whenModal(p.dialog, [&](QWidget& dialog) {
            QCOMPARE(focusName(), QString("Command1"));
            for (int i = 1; i < p.button; ++i)
                QVERIFY(key(Qt::Key_Tab));
            const QString button = QString("Command%1").arg(p.button);
            QCOMPARE(focusName(), button);
            QVERIFY(key(Qt::Key_Return, {}, nullptr, Stroke::Held) && key(Qt::Key_Space, {}, nullptr, Stroke::Held));
            letQueuedReactionsRun();
            QVERIFY(starter.tails.isEmpty() && form(p.dialog).isLoaded());
            QVERIFY(how == 2 ? click(dialog.findChild<QWidget*>(button)) : key(how ? Qt::Key_Space : Qt::Key_Return));
            QVERIFY2(!form(p.dialog).isLoaded(), "the dialog stayed open after its launch");
        });
        QVERIFY(key(Qt::Key_Return));
        QCOMPARE(starter.tails, QStringList{p.tail});
        QCOMPARE(cursorTop(), 120.0f + 840 * p.entry);
        QCOMPARE(keyWindow(), window("Form1")->windowHandle());  // no modal window left
    }

    // Every window where its definition puts it, with its caption, border,
    // icon and background; fixed in size; no default button.
    void everyWindowIsAsDefined()
    {
        struct Row { const char* name; const char* title; QRect geometry; bool border; QColor background; };
        const QColor face = QApplication::palette().color(QPalette::Window), white = Qt::white, black = Qt::black;
        const Row rows[] = {
            {"Form1", "PLAYDECK", {156, 63, 312, 374}, true, white},  // 2340, 945, 4680 x 5610 twips
            {"hlpfrm", "Quick Help", {170, 145, 295, 223}, true, face},
            {"About", "About PLAYDECK", {156, 132, 312, 213}, true, black},
            {"turtles", "Teenage Mutant Ninja Turtles", {209, 165, 185, 86}, false, white},
            {"tsubasa", "Captain Tsubasa", {237, 192, 185, 57}, false, face},
            {"gaiden", "Ninja Gaiden", {250, 192, 170, 58}, false, face},
            {"contra", "Contra", {237, 178, 170, 57}, false, face},
            {"duckt", "Duck Tales", {223, 192, 170, 58}, false, face},
        };
        for (const Row& r : rows) {
            const auto check = [&](QWidget& w) {
                QCOMPARE(w.windowTitle(), QString(r.title));
                QCOMPARE(w.geometry(), r.geometry);
                QCOMPARE(w.minimumSize(), w.maximumSize());
                QCOMPARE(w.windowFlags() & (Qt::FramelessWindowHint | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint),
                         r.border ? Qt::WindowFlags() : Qt::FramelessWindowHint);
                QCOMPARE(!w.windowIcon().isNull(), r.border);  // bordered windows have the icon
                QCOMPARE(w.palette().color(QPalette::Window), r.background);
                for (QPushButton* b : w.findChildren<QPushButton*>())
                    QVERIFY(!b->isDefault() && !b->autoDefault());
                w.grab().save(QStringLiteral(PLAYDECK_SCREENSHOTS "/%1%2.png").arg(r.border ? "" : "dialog_", QString(r.name).toLower()));
                w.close();
            };
            if (QString(r.name) == "Form1") {
                check(*window("Form1"));  // which ends the program
                QVERIFY(startMenu());
            } else {
                whenModal(r.name, check);
                form(r.name).showModal();
                QVERIFY(!QTest::currentTestFailed());
                QVERIFY(!form(r.name).isLoaded());
            }
        }
    }

    // Help: OK by Enter, by Space, the close box; the menu behind takes no keys.
    void helpOpensOverTheMenuAndCloses()
    {
        for (int close = 0; close < 3; ++close) {
            whenModal("hlpfrm", [&](QWidget& h) {
                QCOMPARE(focusName(), QString("Command1"));
                QVERIFY(key(Qt::Key_Down, Qt::NoModifier, window("Form1")->windowHandle()));
                QVERIFY(key(Qt::Key_Down) && key(Qt::Key_Up));
                QCOMPARE(cursorTop(), 120.0f);
                if (close == 2)
                    h.windowHandle()->close();
                else
                    QVERIFY(key(close ? Qt::Key_Space : Qt::Key_Return));
            });
            QVERIFY(close == 1 ? click("Form1", "Command3") : key(Qt::Key_H, Qt::AltModifier));
            QVERIFY(!form("hlpfrm").isLoaded());
            QCOMPARE(cursorTop(), 120.0f);
            QVERIFY(!forms::hasEnded());
        }
    }

    void aboutKeepsEnterOnItsPicturesUntilOkHasTheFocus()
    {
        for (int round = 0; round < 2; ++round) {  // shown again: the same initial state
            whenModal("About", [&](QWidget&) {
                QCOMPARE(focusName(), QString("Picture1"));
                if (round == 1) {  // a click on OK closes it at once
                    QVERIFY(click("About", "Command1"));
                    return;
                }
                for (const char* next : {"Picture2", "Command1"}) {
                    QVERIFY(key(Qt::Key_Return) && key(Qt::Key_Space));
                    QVERIFY(form("About").isLoaded());
                    QVERIFY(key(Qt::Key_Tab));
                    QCOMPARE(focusName(), QString(next));
                }
                QVERIFY(key(Qt::Key_Return));
            });
            QVERIFY(round ? click("Form1", "Command2") : key(Qt::Key_A, Qt::AltModifier));
            QVERIFY(!form("About").isLoaded());
        }
        QVERIFY(starter.tails.isEmpty());
    }

    // Blanks count like letters; a blank run that does not fit is dropped with
    // the break; a word or blank run that fits exactly stays on the line.
    void wrapTextBreaksAtBlanks()
    {
        const struct { const char* text; QStringList lines; } rows[] = {
            {"ab cd", {"ab cd"}},                       // a word fits exactly
            {"abc  de", {"abc  ", "de"}},               // blanks fit exactly
            {"ab cde", {"ab ", "cde"}},                 // a word one too wide
            {"abc   de", {"abc", "de"}},                // blanks overflow
            {"a toolongword b", {"a ", "toolongword", "b"}},  // a word wider than the line
            {"", {""}},
        };
        for (const auto& r : rows)
            QCOMPARE(wrap(r.text, 5, [](const QString& s) { return int(s.size()); }), r.lines);
    }

    // On screen: each sentence of help and credits begins a line, and every
    // line is whole inside its label.
    void helpAndCreditsStartEachSentenceOnANewLine()
    {
        struct Case { const char* window; std::string text; QList<int> blankRuns; QStringList starts; int visibleWidth; };
        const Case cases[] = {
            {"hlpfrm", ui::hlpfrmDefinition().controls.at(0).text, {10, 4, 62},
             {"Use the arrow in the menu to choose your favourite game.", "If there are", "If you have", "robin.keyes@"}, 295},
            {"About", ui::aboutDefinition().controls.at(1).text, {76, 123, 38},
             {"\"PLAYDECK\" is a program of ", "\"NES\"", "Feel free", "robin.keyes@"}, 201},
        };
        for (const Case& c : cases) {
            QList<int> runs;
            static const QRegularExpression blanks(" {2,}");
            for (auto it = blanks.globalMatch(QString::fromStdString(c.text)); it.hasNext();)
                runs << int(it.next().capturedLength());
            QCOMPARE(runs, c.blankRuns);
            whenModal(c.window, [&](QWidget& w) {
                QWidget* label = control(c.window, "Label1");
                const QFontMetrics fm(label->font());
                const QStringList lines = wrap(QString::fromStdString(c.text), label->width(),
                                               [&](const QString& s) { return fm.horizontalAdvance(s); });
                QVERIFY2(lines.first().startsWith(c.starts.first()), qPrintable(lines.join('|')));
                for (const QString& start : c.starts)
                    QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(start); }),
                             qPrintable(lines.join('|')));
                QVERIFY2(lines.size() * fm.height() <= label->height(), qPrintable(lines.join('|')));
                for (const QString& l : lines)
                    QVERIFY2(fm.horizontalAdvance(l.trimmed()) <= c.visibleWidth, qPrintable(l));
                w.close();
            });
            form(c.window).showModal();
            QVERIFY(!QTest::currentTestFailed());
        }
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
