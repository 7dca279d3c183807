// The part-selection dialogs, quick help and About, opened from the main menu
// the way a player does, with keys and clicks through the window system.
#include "harness.h"

#include "about.h"
#include "catalogue.h"
#include "dialogs.h"
#include "hlpfrm.h"
#include "textwrap.h"

#include <QPushButton>
#include <QRegularExpression>

using namespace harness;

namespace {

void saveGrab(QWidget* w, const QString& name)
{
    w->grab().save(QStringLiteral(PLAYDECK_SCREENSHOTS "/") + name + ".png");
}

QList<int> blankRuns(const std::string& text)
{
    QList<int> runs;
    static const QRegularExpression re(" {2,}");
    for (auto it = re.globalMatch(QString::fromStdString(text)); it.hasNext();)
        runs << int(it.next().capturedLength());
    return runs;
}

}  // namespace

class WindowsTest : public WindowTest {
    Q_OBJECT


private slots:

    void everyPartStartsFromItsButton_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("bySpace");
        for (const playdeck::Entry& e : playdeck::entries())
            for (std::size_t b = 0; b < playdeck::partsOf(e.dialog).size(); ++b)
                QTest::addRow("%s %zu", e.dialog.data(), b + 1) << e.index << int(b) << bool(b % 2);
    }
    void everyPartStartsFromItsButton()
    {
        QFETCH(int, entry);
        QFETCH(int, button);
        QFETCH(bool, bySpace);
        const playdeck::Entry& e = playdeck::entries()[entry];
        const auto parts = playdeck::partsOf(e.dialog);
        moveCursorTo(entry);
        bool checked = false;
        whenModal(e.dialog.data(), [&](QWidget* dialog) {
            QVERIFY(dialog);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString("Command1"));
            for (int i = 0; i < button; ++i)
                key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromUtf8(parts[button].button.data()));
            checked = true;
            key(bySpace ? Qt::Key_Space : Qt::Key_Return);
        });
        key(Qt::Key_Return);
        QVERIFY(checked);
        QCOMPARE(starter.tails(), QStringList{QString::fromUtf8(parts[button].tail.data())});
        QVERIFY(!forms::instance(e.dialog).isLoaded());
        QCOMPARE(cursorTop(), e.stop);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void aClickStartsAPartToo()
    {
        moveCursorTo(2);
        whenModal("gaiden", [&](QWidget* d) {
            QVERIFY(d);
            QTest::mouseClick(d->findChild<QPushButton*>("Command2"), Qt::LeftButton);
        });
        key(Qt::Key_Return);
        QCOMPARE(starter.tails(), QStringList{"\\data\\runcart.exe data\\palu2.dat"});
        QCOMPARE(cursorTop(), 1800.0f);
    }

    void dialogsAreBorderlessAtTheirPlaceAndOpenTheSameEveryTime()
    {
        struct Row { int entry; QRect geometry; int buttons; int width; QColor background; };
        const QColor face = QApplication::palette().color(QPalette::Window);
        const Row rows[] = {
            {0, {209, 165, 185, 86}, 3, 169, Qt::white}, {1, {237, 192, 185, 57}, 2, 169, face},
            {2, {250, 192, 170, 58}, 2, 153, face},     {3, {237, 178, 170, 57}, 2, 153, face},
            {5, {223, 192, 170, 58}, 2, 153, face},
        };
        for (const Row& r : rows) {
            moveCursorTo(r.entry);
            for (int round = 0; round < 2; ++round) {
                const char* name = playdeck::entries()[r.entry].dialog.data();
                whenModal(name, [&](QWidget* d) {
                    QVERIFY(d);
                    QCOMPARE(d->geometry(), r.geometry);
                    QVERIFY(d->windowFlags() & Qt::FramelessWindowHint);
                    QVERIFY(d->windowIcon().isNull());
                    QCOMPARE(d->palette().color(QPalette::Window), r.background);
                    const auto buttons = d->findChildren<QPushButton*>();
                    QCOMPARE(buttons.size(), r.buttons);
                    for (QPushButton* b : buttons) {
                        const int i = b->objectName().back().digitValue() - 1;
                        QCOMPARE(b->geometry(), QRect(8, 8 + 24 * i, r.width, 17));
                        QVERIFY(!b->isDefault() && !b->autoDefault());
                    }
                    QCOMPARE(QApplication::focusWidget()->objectName(), QString("Command1"));
                    if (round == 0) {
                        saveGrab(d, QString("dialog_") + name);
                        key(Qt::Key_Tab);  // leaves the focus elsewhere; the next showing starts afresh
                    }
                    key(Qt::Key_Escape);
                });
                key(Qt::Key_Return);
                QVERIFY(!forms::instance(name).isLoaded());
            }
        }
        QVERIFY(starter.commands.empty());
    }

    void heldEnterDoesNotClickIntoTheDialog()
    {
        moveCursorTo(3);
        whenModal("contra", [&](QWidget* d) {
            QVERIFY(d);
            for (int i = 0; i < 5; ++i)
                autoRepeatPress(Qt::Key_Return);
            QVERIFY(starter.commands.empty());
            QVERIFY(forms::instance("contra").isLoaded());
            key(Qt::Key_Return);  // a fresh press does
        });
        key(Qt::Key_Return);
        QCOMPARE(starter.tails(), QStringList{"\\data\\Runcart.exe data\\bexo.dat"});
    }

    void aFailedStartFromADialogIsReportedAndTheDialogCloses()
    {
        ui::setProcessStarter(nullptr);
        moveCursorTo(5);
        QString report;
        whenModal("duckt", [&](QWidget* d) {
            QVERIFY(d);
            whenModal("errorReport", [&](QWidget* box) {
                QVERIFY(box);
                report = box->property("text").toString();
                key(Qt::Key_Return);
            });
            key(Qt::Key_Space);
        });
        key(Qt::Key_Return);
        ui::setProcessStarter(&starter);
        QVERIFY2(report.contains("/data/Runcart.exe"), qPrintable(report));
        QVERIFY(!forms::instance("duckt").isLoaded());
        QVERIFY(form("Form1").isLoaded());
        QCOMPARE(cursorTop(), 4320.0f);
        key(Qt::Key_Up);
        QCOMPARE(cursorTop(), 3480.0f);
    }

    void helpOpensOverTheMenuAndClosesWithOk()
    {
        for (Qt::Key close : {Qt::Key_Return, Qt::Key_Space}) {
            bool seen = false;
            whenModal("hlpfrm", [&](QWidget* h) {
                QVERIFY(h);
                seen = true;
                QCOMPARE(h->windowTitle(), QString("Quick Help"));
                QCOMPARE(h->geometry(), QRect(170, 145, 295, 223));
                QCOMPARE(h->minimumSize(), h->maximumSize());
                QVERIFY(!(h->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
                QVERIFY(!h->windowIcon().isNull());
                QCOMPARE(QApplication::focusWidget()->objectName(), QString("Command1"));
                for (int i = 1; i <= 4; ++i)
                    QCOMPARE(forms::control(forms::instance("hlpfrm"), qPrintable(QString("Image%1").arg(i)))->geometry(),
                             QRect(216, 64 + 32 * (i - 1), 24, 22));
                // The menu behind takes no keys: its cursor stays put.
                key(Qt::Key_Down, Qt::NoModifier, forms::window(form("Form1"))->windowHandle());
                key(Qt::Key_Down);
                key(Qt::Key_Up);
                QCOMPARE(cursorTop(), 120.0f);
                saveGrab(h, "hlpfrm");
                key(close);
            });
            key(Qt::Key_H, Qt::AltModifier);
            QVERIFY(seen);
            QVERIFY(!forms::instance("hlpfrm").isLoaded());
            QCOMPARE(cursorTop(), 120.0f);
        }
        // The close box unloads it the same way.
        whenModal("hlpfrm", [&](QWidget* h) { QVERIFY(h); h->windowHandle()->close(); });
        QTest::mouseClick(qobject_cast<QPushButton*>(forms::control(form("Form1"), "Command3")), Qt::LeftButton);
        QVERIFY(!forms::instance("hlpfrm").isLoaded());
        QVERIFY(!forms::hasEnded());
    }

    void aboutKeepsEnterOnItsPicturesUntilOkHasTheFocus()
    {
        bool seen = false;
        whenModal("About", [&](QWidget* a) {
            QVERIFY(a);
            seen = true;
            QCOMPARE(a->windowTitle(), QString("About PLAYDECK"));
            QCOMPARE(a->geometry(), QRect(156, 132, 312, 213));
            QCOMPARE(a->palette().color(QPalette::Window), QColor(Qt::black));
            forms::Form& about = forms::instance("About");
            QCOMPARE(forms::control(about, "Picture1")->geometry(), QRect(208, 0, 103, 67));
            QCOMPARE(forms::control(about, "Picture2")->geometry(), QRect(232, 88, 44, 62));
            QCOMPARE(QApplication::focusWidget(), forms::control(about, "Picture1"));
            saveGrab(a, "about");
            key(Qt::Key_Return);
            QVERIFY(about.isLoaded());
            key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), forms::control(about, "Picture2"));
            key(Qt::Key_Return);
            key(Qt::Key_Space);
            QVERIFY(about.isLoaded());
            key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), forms::control(about, "Command1"));
            key(Qt::Key_Return);
        });
        key(Qt::Key_A, Qt::AltModifier);
        QVERIFY(seen);
        QVERIFY(!forms::instance("About").isLoaded());
        // Shown again: the same initial state; a click on OK closes it at once.
        seen = false;
        whenModal("About", [&](QWidget* a) {
            QVERIFY(a);
            seen = true;
            QCOMPARE(QApplication::focusWidget(), forms::control(forms::instance("About"), "Picture1"));
            QTest::mouseClick(a->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        });
        QTest::mouseClick(qobject_cast<QPushButton*>(forms::control(form("Form1"), "Command2")), Qt::LeftButton);
        QVERIFY(seen);
        QVERIFY(!forms::instance("About").isLoaded());
        QVERIFY(starter.commands.empty());
    }

    void blankRunsStartEachSentenceOnANewLine()
    {
        const std::string help = ui::hlpfrmDefinition().controls.at(0).text;
        const std::string credits = ui::aboutDefinition().controls.at(1).text;
        QCOMPARE(blankRuns(help), QList<int>({10, 4, 62}));
        QCOMPARE(blankRuns(credits), QList<int>({76, 123, 38}));
        QVERIFY(QString::fromStdString(help).startsWith("Use the arrow in the menu to choose your favourite game.          If there"));
        QVERIFY(QString::fromStdString(credits).startsWith("\"PLAYDECK\" is a program of "));

        struct Case { const char* window; const char* label; QStringList starts; int visibleWidth; };
        const Case cases[] = {
            {"hlpfrm", "Label1", {"Use the arrow", "If there are", "If you have", "robin.keyes@"}, 295},
            {"About", "Label1", {"\"PLAYDECK\"", "\"NES\"", "Feel free", "robin.keyes@"}, 201},
        };
        for (const Case& c : cases) {
            forms::Form& f = forms::instance(c.window);
            whenModal(c.window, [&](QWidget* w) {
                QVERIFY(w);
                QWidget* label = forms::control(f, c.label);
                const QFontMetrics fm(label->font());
                QStringList lines;
                for (const std::u16string& l : forms::wrapText(
                         QString::fromStdString(f.definition().controls.at(c.window == QString("About") ? 1 : 0).text).toStdU16String(),
                         label->width(), [&](std::u16string_view s) { return fm.horizontalAdvance(QString::fromStdU16String(std::u16string(s))); }))
                    lines << QString::fromStdU16String(l);
                // Every sentence begins a line, and every line is whole on screen.
                for (const QString& start : c.starts)
                    QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(start); }),
                             qPrintable(lines.join('|')));
                QVERIFY2(lines.size() * fm.height() <= label->height(), qPrintable(lines.join('|')));
                for (const QString& l : lines)
                    QVERIFY2(fm.horizontalAdvance(l.trimmed()) <= c.visibleWidth, qPrintable(l));
                w->close();
            });
            f.showModal();
        }
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
