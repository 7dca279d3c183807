// The catalogue against its tables, and the cursor stepping of the main menu.
#include "catalogue.h"
#include "menu.h"

#include <QTest>

using namespace playdeck;

namespace {
QString q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
}

class CatalogueMenuTest : public QObject {
    Q_OBJECT
private slots:
    void entriesAsTabled()
    {
        struct Row { float stop; const char *titleLabel, *title, *detailsLabel, *details, *dialog, *tail; };
        const Row rows[] = {
            {120, "Label1", "Teenage Mutant Ninja Turtles", "Label7",
             "Ultra Games / Konami 1989 / 1990 / 1992 Rating : X X X X", "turtles", ""},
            {960, "Label2", "Captain Tsubasa", "Label8", "Tecmo 1988 / 1990 Rating : X X X X X", "tsubasa", ""},
            {1800, "Label3", "Ninja Gaiden", "Label9", "Tecmo 1989 / 1990 Rating : X X X X", "gaiden", ""},
            {2640, "Label4", "Contra", "Label10", "Konami 1988 / 1990 Rating : X X X X X", "contra", ""},
            {3480, "Label5", "Adventure Island 3", "Label11", "Capcom 1992   Rating : X X X X", "",
             "\\data\\Runcart.exe data\\mado3.dat"},
            {4320, "Label6", "Duck Tales", "Label12", "Capcom 1992 / 1993 Rating : X X X", "duckt", ""},
        };
        QCOMPARE(entries().size(), std::size(rows));
        for (int k = 0; k < 6; ++k) {
            const Row& r = rows[k];
            const Entry* e = entryByIndex(k);
            QVERIFY(e);
            QCOMPARE(e->index, k);
            QCOMPARE(e->stop, r.stop);
            QCOMPARE(entryAtStop(r.stop), e);
            QCOMPARE(q(e->titleLabel), QString(r.titleLabel));
            QCOMPARE(q(e->title), QString(r.title));
            QCOMPARE(q(e->detailsLabel), QString(r.detailsLabel));
            QCOMPARE(q(e->details), QString(r.details));
            QCOMPARE(q(e->dialog), QString(r.dialog));
            QCOMPARE(q(e->tail), QString(r.tail));
        }
        QCOMPARE(q(singlePartTail()), QString("\\data\\Runcart.exe data\\mado3.dat"));
        QVERIFY(!entryByIndex(-1));
        QVERIFY(!entryByIndex(6));
        for (float off : {0.0f, 119.0f, 121.0f, 959.5f, 5160.0f, -720.0f})
            QVERIFY2(!entryAtStop(off), qPrintable(QString::number(off)));
    }

    void partsAsTabled()
    {
        struct Row { const char *dialog, *button, *caption, *tail; };
        const Row rows[] = {
            {"turtles", "Command1", "Teenage Mutant Ninja Turtles 1", "\\Data\\Runcart.exe data\\kora1.dat"},
            {"turtles", "Command2", "Teenage Mutant Ninja Turtles 2", "\\Data\\Runcart.exe data\\kora2.dat"},
            {"turtles", "Command3", "Teenage Mutant Ninja Turtles 3", "\\Data\\Runcart.exe data\\kora3.dat"},
            {"tsubasa", "Command1", "Captain Tsubasa 1", "\\data\\Runcart.exe data\\vemi1.dat"},
            {"tsubasa", "Command2", "Captain Tsubasa 2", "\\data\\Runcart.exe data\\vemi2.dat"},
            {"gaiden", "Command1", "Ninja Gaiden 1", "\\data\\runcart.exe data\\palu1.dat"},
            {"gaiden", "Command2", "Ninja Gaiden 2", "\\data\\runcart.exe data\\palu2.dat"},
            {"contra", "Command1", "Contra", "\\data\\Runcart.exe data\\bexo.dat"},
            {"contra", "Command2", "Super Contra", "\\data\\Runcart.exe data\\zuna.dat"},
            {"duckt", "Command1", "Duck Tales 1", "\\data\\Runcart.exe data\\lori1.dat"},
            {"duckt", "Command2", "Duck Tales 2", "\\data\\Runcart.exe data\\lori2.dat"},
        };
        std::size_t i = 0;
        for (const char* dialog : {"turtles", "tsubasa", "gaiden", "contra", "duckt"}) {
            const auto list = partsOf(dialog);
            QCOMPARE(list.size(), std::string_view(dialog) == "turtles" ? 3u : 2u);
            for (const GamePart& p : list) {
                const Row& r = rows[i++];
                QCOMPARE(q(p.dialog), QString(r.dialog));
                QCOMPARE(q(p.button), QString(r.button));
                QCOMPARE(q(p.caption), QString(r.caption));
                QCOMPARE(q(p.tail), QString(r.tail));
            }
        }
        QCOMPARE(i, std::size(rows));
        QVERIFY(partsOf("Form1").empty());
        QVERIFY(partsOf("").empty());
    }

    void arrowsStepAndWrap()
    {
        QCOMPARE(menuKey(kKeyDown, 120).top, 960.0f);
        QCOMPARE(menuKey(kKeyDown, 4320).top, 120.0f);
        QCOMPARE(menuKey(kKeyUp, 120).top, 4320.0f);
        QCOMPARE(menuKey(kKeyUp, 960).top, 120.0f);
        for (const Entry& e : entries()) {
            float down = e.stop, up = e.stop;
            for (int i = 0; i < 6; ++i) {
                down = menuKey(kKeyDown, down).top;
                up = menuKey(kKeyUp, up, true).top;  // held arrows keep stepping
                QVERIFY(entryAtStop(down) && entryAtStop(up));
            }
            QCOMPARE(down, e.stop);
            QCOMPARE(up, e.stop);
            QCOMPARE(menuKey(kKeyDown, e.stop).action, MenuAction{});
        }
    }

    void enterActsOnTheEntryAtTheCursor()
    {
        using K = MenuAction::Kind;
        const MenuAction expected[] = {
            {K::ShowDialog, "turtles"}, {K::ShowDialog, "tsubasa"}, {K::ShowDialog, "gaiden"},
            {K::ShowDialog, "contra"}, {K::Launch, "\\data\\Runcart.exe data\\mado3.dat"},
            {K::ShowDialog, "duckt"},
        };
        for (const Entry& e : entries()) {
            const MenuStep step = menuKey(kKeyEnter, e.stop);
            QCOMPARE(step.top, e.stop);
            QVERIFY(step.action == expected[e.index]);
            // A held Enter acts once: its auto-repeats do nothing.
            QVERIFY(menuKey(kKeyEnter, e.stop, true).action == MenuAction{});
        }
    }

    void otherKeysAndOffStopPositionsDoNothing()
    {
        for (int key = 0; key < 256; ++key) {
            if (key == kKeyEnter || key == kKeyUp || key == kKeyDown)
                continue;
            const MenuStep step = menuKey(key, 1800);
            QCOMPARE(step.top, 1800.0f);
            QVERIFY(step.action == MenuAction{});
        }
        // Off every stop: steps of 840 without wrapping, Enter does nothing.
        QCOMPARE(menuKey(kKeyDown, 4321).top, 5161.0f);
        QCOMPARE(menuKey(kKeyUp, 121).top, -719.0f);
        QCOMPARE(menuKey(kKeyDown, 5160).top, 6000.0f);
        QVERIFY(menuKey(kKeyEnter, 121).action == MenuAction{});
        QCOMPARE(menuKey(kKeyEnter, 121).top, 121.0f);
    }
};

QTEST_GUILESS_MAIN(CatalogueMenuTest)
#include "catalogue_menu_test.moc"
