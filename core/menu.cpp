#include "menu.h"

#include "catalogue.h"

namespace playdeck {

MenuStep menuKey(int keycode, float top, bool autoRepeat)
{
    switch (keycode) {
    case vk::Down:
        return {top == kLastStop ? kFirstStop : top + kStopStep, {}};
    case vk::Up:
        return {top == kFirstStop ? kLastStop : top - kStopStep, {}};
    case vk::Enter: {
        const Entry* entry = entryAtStop(top);
        if (autoRepeat || !entry)
            return {top, {}};
        if (!entry->dialog.empty())
            return {top, {MenuAction::Kind::ShowDialog, entry->dialog}};
        return {top, {MenuAction::Kind::Launch, entry->tail}};
    }
    default:
        return {top, {}};
    }
}

}  // namespace playdeck
