"""Qt's own words in Chinese whatever the session's language."""

import pyatspi
from gi.repository import GLib

from harness import case, children, descendants, expect, has_chinese, role, wait_for, xdotool


@case("language: message box button 确定 and a Chinese text-box menu, zh_CN and C sessions")
def qt_speaks_chinese(run):
    # A popup menu is no child of the program's windows in the tree: its entry that takes
    # the focus names it.
    focused = []
    listener = lambda event: focused.append(event.source)
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
            words = [c.name for c in descendants(box.acc) if role(c) == "push button"]
            press_ok()
            # Typed text to undo, so the menu's first entry can take the focus.
            test.click_into(test.control_at("text", 240, 3000))
            test.type("ab")
            xdotool("click", 3)
            test.key("Down", refocus=False)
            words.append(wait_for(first_menu_entry, "the text box's menu to take the focus"))
            expect(words[0] == "确定" and has_chinese(words[1]),
                   "Qt's words with LANG=%s: %r" % (lang, words))
            program.stop()
    finally:
        pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:focused")
