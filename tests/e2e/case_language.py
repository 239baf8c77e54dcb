"""Qt's own words in Chinese whatever the session's language."""

import pyatspi
from gi.repository import GLib

from harness import case, children, descendants, expect, expect_equal, has_chinese, role, \
    wait_for, xdotool


@case("language: message box button 确定 and a Chinese text-box menu, zh_CN and C sessions")
def qt_speaks_chinese(run):
    # A popup menu is no child of the program's windows in the tree: it is found through the
    # entry that takes the focus.
    focused = []
    listener = lambda event: focused.append(event.source) if event.detail1 else None
    pyatspi.Registry.registerEventListener(listener, "object:state-changed:focused")

    def first_menu_entry():
        GLib.MainContext.default().iteration(False)
        return role(focused[-1]) == "menu item" and children(focused[-1].parent)[0].name
    try:
        for lang in ("zh_CN.UTF-8", "C.UTF-8"):
            program = run.start({"LANG": lang, "LC_ALL": lang})
            program.window("Kelvane0.4测试版").press("打字速度测试")
            test = program.window("打字速度测试")
            test.press("计算")
            _, box, press_ok = program.message_box()
            buttons = [c.name for c in descendants(box.acc) if role(c) == "push button"]
            expect_equal(buttons, ["确定"], "the message box's buttons with LANG=" + lang)
            press_ok()
            # Something typed to undo, so the menu's first entry can take the focus.
            test.click_into(test.control_at("text", 240, 3000))
            test.type("ab")
            xdotool("click", 3)
            test.key("Down", refocus=False)
            entry = wait_for(first_menu_entry, "the text box's menu to take the focus")
            expect(has_chinese(entry), "the menu's first entry with LANG=%s: %r" % (lang, entry))
            program.stop()
    finally:
        pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:focused")
