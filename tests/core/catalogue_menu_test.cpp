// The cursor stepping of the main menu and what Enter does at each stop.
#include "catalogue.h"
#include "menu.h"
#include "parts.h"

#include "doctest.h"

using namespace playdeck;

TEST_CASE("arrows step between the six stops and wrap at the ends")
{
    CHECK(menuKey(vk::Down, 120).top == 960.0f);
    CHECK(menuKey(vk::Down, 4320).top == 120.0f);
    CHECK(menuKey(vk::Up, 120).top == 4320.0f);
    CHECK(menuKey(vk::Up, 960).top == 120.0f);
    for (const Entry& e : entries()) {
        CAPTURE(e.stop);
        float down = e.stop, up = e.stop;
        for (int i = 0; i < kEntryCount; ++i) {
            down = menuKey(vk::Down, down).top;
            up = menuKey(vk::Up, up, true).top;  // held arrows keep stepping
            CHECK((entryAtStop(down) && entryAtStop(up)));
        }
        CHECK((down == e.stop && up == e.stop));
        CHECK(menuKey(vk::Down, e.stop).action == MenuAction{});
    }
}

TEST_CASE("Enter acts once on the entry exactly at the cursor")
{
    using K = MenuAction::Kind;
    for (const Entry& e : entries()) {
        CAPTURE(e.index);
        CHECK(entryAtStop(e.stop) == &e);
        const MenuStep step = menuKey(vk::Enter, e.stop);
        CHECK(step.top == e.stop);
        const Title& t = kTitles[e.index];
        CHECK(step.action == (*t.dialog ? MenuAction{K::ShowDialog, t.dialog} : MenuAction{K::Launch, t.tails[0]}));
        if (step.action.kind == K::ShowDialog)
            CHECK(partsOf(e.dialog).size() == (t.tails[2] ? 3u : 2u));
        // A held Enter acts once: its auto-repeats do nothing.
        CHECK(menuKey(vk::Enter, e.stop, true).action == MenuAction{});
    }
    CHECK(partsOf("Form1").empty());
}

TEST_CASE("every other key does nothing")
{
    for (int key = 0; key < 256; ++key) {
        if (key == vk::Enter || key == vk::Up || key == vk::Down)
            continue;
        CAPTURE(key);
        const MenuStep step = menuKey(key, 1800);
        CHECK(step.top == 1800.0f);
        CHECK(step.action == MenuAction{});
    }
}
