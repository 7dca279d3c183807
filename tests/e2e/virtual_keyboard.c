// A keyboard for tests on a Wayland compositor that offers virtual keyboards:
// one for the whole run, so a key can be held across commands. Each line of
// standard input lists keys by their keysyms: "Down" taps Down, "+Alt_L"
// presses Alt and keeps it down, "-Alt_L" lets it go. Answers each line with
// "ok" once the compositor has taken its keys.
#define _GNU_SOURCE
#include "virtual-keyboard-client.h"

#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

static struct wl_display* display;
static struct wl_seat* seat;
static struct zwp_virtual_keyboard_manager_v1* manager;
static struct zwp_virtual_keyboard_v1* keyboard;
static struct xkb_state* state;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    (void)data, (void)version;
    if (!seat && strcmp(interface, wl_seat_interface.name) == 0)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
}
static void removed(void* data, struct wl_registry* registry, uint32_t name) { (void)data, (void)registry, (void)name; }

// A key goes down or up 2 ms after the one before, as from a hand: X gives a
// release and the next press one time only when the key is held. The
// compositor takes the modifiers as the keyboard says they are.
static void send(xkb_keycode_t key, int down)
{
    struct timespec now, gap = {0, 2000000};
    nanosleep(&gap, NULL);
    clock_gettime(CLOCK_MONOTONIC, &now);
    zwp_virtual_keyboard_v1_key(keyboard, (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000), key - 8, (uint32_t)down);
    xkb_state_update_key(state, key, down ? XKB_KEY_DOWN : XKB_KEY_UP);
    zwp_virtual_keyboard_v1_modifiers(keyboard, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED), 0,
                                      xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED), 0);
    wl_display_flush(display);
}

int main(void)
{
    static const struct wl_registry_listener listener = {global, removed};
    if ((display = wl_display_connect(NULL)))
        wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL), wl_display_roundtrip(display);
    if (!seat || !manager)
        return fputs("virtual_keyboard: no Wayland display with virtual keyboards\n", stderr), 1;
    keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, seat);
    struct xkb_keymap* keymap = xkb_keymap_new_from_names(xkb_context_new(0), NULL, 0);
    const char* text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : NULL;
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    if (!text || !(state = xkb_state_new(keymap)) || fd < 0 || write(fd, text, strlen(text) + 1) < 0)
        return fputs("virtual_keyboard: no keymap\n", stderr), 1;
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, (uint32_t)(strlen(text) + 1));
    wl_display_roundtrip(display);

    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        for (char* word = strtok(line, " \n"); word; word = strtok(NULL, " \n")) {
            const char hold = (*word == '+' || *word == '-') ? *word++ : 0;
            // The key whose first level gives the keysym named.
            const xkb_keysym_t wanted = xkb_keysym_from_name(word, XKB_KEYSYM_NO_FLAGS);
            const xkb_keysym_t* syms;
            xkb_keycode_t k = xkb_keymap_min_keycode(keymap);
            while (k <= xkb_keymap_max_keycode(keymap) &&
                   !(xkb_keymap_key_get_syms_by_level(keymap, k, 0, 0, &syms) > 0 && wanted && syms[0] == wanted))
                ++k;
            if (k > xkb_keymap_max_keycode(keymap))
                return fprintf(stderr, "virtual_keyboard: no key gives '%s'\n", word), 1;
            if (hold != '-')
                send(k, 1);
            if (hold != '+')
                send(k, 0);
        }
        if (wl_display_roundtrip(display) < 0)
            return fputs("virtual_keyboard: the compositor went away\n", stderr), 1;
        puts("ok");
        fflush(stdout);
    }
    return 0;
}
