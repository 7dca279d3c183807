// The part-selection dialogs, quick help and About, opened from the main menu
// the way a player does, with keys and clicks through the window system; and
// the breaking of label text into lines.
#include "harness.h"

#include "about.h"
#include "hlpfrm.h"
#include "textwrap.h"

#include <QPushButton>
#include <QRegularExpression>

using namespace harness;

namespace {

void saveGrab(QWidget& w, const QString& name) { w.grab().save(QStringLiteral(PLAYDECK_SCREENSHOTS "/") + name + ".png"); }

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
    // Each part button, reached by Tab, pressed by Enter, Space or a click:
    // one launch of its tail, the dialog gone, the menu as it was.
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
            QVERIFY(how == 2 ? click(dialog.findChild<QWidget*>(button)) : key(how ? Qt::Key_Space : Qt::Key_Return));
        });
        QVERIFY(key(Qt::Key_Return));
        QCOMPARE(starter.tails, QStringList{p.tail});
        QVERIFY(!form(p.dialog).isLoaded());
        QCOMPARE(cursorTop(), 120.0f + 840 * p.entry);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(keyWindow(), window("Form1")->windowHandle());
    }

    void dialogsAreBorderlessAtTheirPlaceAndOpenTheSameEveryTime()
    {
        struct Row { int entry; const char* name; QRect geometry; int buttons; int width; QColor background; };
        const QColor face = QApplication::palette().color(QPalette::Window);
        const Row rows[] = {
            {0, "turtles", {209, 165, 185, 86}, 3, 169, Qt::white}, {1, "tsubasa", {237, 192, 185, 57}, 2, 169, face},
            {2, "gaiden", {250, 192, 170, 58}, 2, 153, face},      {3, "contra", {237, 178, 170, 57}, 2, 153, face},
            {5, "duckt", {223, 192, 170, 58}, 2, 153, face},
        };
        for (const Row& r : rows) {
            QVERIFY(moveCursorTo(r.entry));
            for (int round = 0; round < 2; ++round) {
                whenModal(r.name, [&](QWidget& d) {
                    QCOMPARE(d.geometry(), r.geometry);
                    QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
                    QVERIFY(d.windowIcon().isNull());
                    QCOMPARE(d.palette().color(QPalette::Window), r.background);
                    const auto buttons = d.findChildren<QPushButton*>();
                    QCOMPARE(buttons.size(), r.buttons);
                    for (QPushButton* b : buttons) {
                        QCOMPARE(b->geometry(), QRect(8, 8 + 24 * (b->objectName().back().digitValue() - 1), r.width, 17));
                        QVERIFY(!b->isDefault() && !b->autoDefault());
                    }
                    QCOMPARE(focusName(), QString("Command1"));
                    if (round == 0) {
                        saveGrab(d, QString("dialog_") + r.name);
                        QVERIFY(key(Qt::Key_Tab));  // leaves the focus elsewhere; the next showing starts afresh
                    }
                    QVERIFY(key(Qt::Key_Escape));
                });
                QVERIFY(key(Qt::Key_Return));
                QVERIFY(!form(r.name).isLoaded());
            }
        }
        QVERIFY(starter.tails.isEmpty());
    }

    void heldEnterDoesNotClickIntoTheDialog()
    {
        QVERIFY(moveCursorTo(3));
        whenModal("contra", [&](QWidget&) {
            for (int i = 0; i < 5; ++i)
                QVERIFY(heldPress(Qt::Key_Return));
            letQueuedReactionsRun();
            QVERIFY(starter.tails.isEmpty());
            QVERIFY(form("contra").isLoaded());
            QVERIFY(key(Qt::Key_Return));  // a fresh press does
        });
        QVERIFY(key(Qt::Key_Return));
        QCOMPARE(starter.tails, QStringList{"\\data\\Runcart.exe data\\bexo.dat"});
    }

    void aFailedStartFromADialogIsReportedAndTheDialogCloses()
    {
        ui::setProcessStarter(nullptr);
        QVERIFY(moveCursorTo(5));
        QString report;
        whenModal("duckt", [&](QWidget&) { report = errorReportFrom([] { key(Qt::Key_Space); }); });
        QVERIFY(key(Qt::Key_Return));
        ui::setProcessStarter(&starter);
        QVERIFY2(report.contains("/data/Runcart.exe"), qPrintable(report));
        QVERIFY(!form("duckt").isLoaded());
        QCOMPARE(cursorTop(), 4320.0f);
        QVERIFY(key(Qt::Key_Up));
        QCOMPARE(cursorTop(), 3480.0f);
    }

    // Help: OK by Enter, by Space, the close box; the menu behind takes no keys.
    void helpOpensOverTheMenuAndCloses()
    {
        for (int close = 0; close < 3; ++close) {
            whenModal("hlpfrm", [&](QWidget& h) {
                QCOMPARE(h.windowTitle(), QString("Quick Help"));
                QCOMPARE(h.geometry(), QRect(170, 145, 295, 223));
                QCOMPARE(h.minimumSize(), h.maximumSize());
                QVERIFY(!(h.windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
                QVERIFY(!h.windowIcon().isNull());
                QCOMPARE(focusName(), QString("Command1"));
                for (int i = 1; i <= 4; ++i)
                    QCOMPARE(control("hlpfrm", "Image" + std::to_string(i))->geometry(), QRect(216, 32 + 32 * i, 24, 22));
                QVERIFY(key(Qt::Key_Down, Qt::NoModifier, window("Form1")->windowHandle()));
                QVERIFY(key(Qt::Key_Down) && key(Qt::Key_Up));
                QCOMPARE(cursorTop(), 120.0f);
                saveGrab(h, "hlpfrm");
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
            whenModal("About", [&](QWidget& a) {
                QCOMPARE(a.windowTitle(), QString("About PLAYDECK"));
                QCOMPARE(a.geometry(), QRect(156, 132, 312, 213));
                QCOMPARE(a.palette().color(QPalette::Window), QColor(Qt::black));
                QCOMPARE(control("About", "Picture1")->geometry(), QRect(208, 0, 103, 67));
                QCOMPARE(control("About", "Picture2")->geometry(), QRect(232, 88, 44, 62));
                QCOMPARE(focusName(), QString("Picture1"));
                if (round == 1) {  // a click on OK closes it at once
                    QVERIFY(click("About", "Command1"));
                    return;
                }
                saveGrab(a, "about");
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
    void wrapTextBreaksAtBlanks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("word fits exactly") << "ab cd" << 5 << QStringList{"ab cd"};
        QTest::newRow("blanks fit exactly") << "abc  de" << 5 << QStringList{"abc  ", "de"};
        QTest::newRow("word one too wide") << "ab cde" << 5 << QStringList{"ab ", "cde"};
        QTest::newRow("blanks overflow") << "abc   de" << 5 << QStringList{"abc", "de"};
        QTest::newRow("word wider than the line") << "a toolongword b" << 5 << QStringList{"a ", "toolongword", "b"};
        QTest::newRow("empty") << "" << 5 << QStringList{""};
    }
    void wrapTextBreaksAtBlanks()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QStringList, lines);
        QCOMPARE(forms::wrapText(text, width, [](const QString& s) { return int(s.size()); }), lines);
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
                const QStringList lines = forms::wrapText(QString::fromStdString(c.text), label->width(),
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
        }
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
