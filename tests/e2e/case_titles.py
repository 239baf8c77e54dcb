"""What the title bars and the task bar read: each window's caption, exactly."""

import subprocess

from harness import TIMEOUT, case, children, expect, expect_equal, has_chinese, role, wait_for

MAIN = "Kelvane0.4测试版"
# The main window's buttons and the captions of the windows they open.
OPENS = [("打字速度测试", "打字速度测试"), ("打字速度测试1", "打字速度测试1"),
         ("英文打字速度测试", "英文打字速度测试"), ("打字游戏", "打字游戏"),
         ("排行榜", "打字英雄榜（数据库问题尚未解决，原谅我的技术...）"), ("关于程序", "关于程序")]


def x_titles(xid):
    """(_NET_WM_NAME, WM_NAME) of an X window, as a window manager reads them."""
    out = subprocess.run(["xprop", "-id", str(xid), "-notype", "_NET_WM_NAME", "WM_NAME"],
                         capture_output=True, timeout=TIMEOUT, check=True).stdout.decode("utf-8")
    values = {}
    for line in out.splitlines():
        key, _, value = line.partition(" = ")
        # Quoted, with quotes and backslashes escaped inside.
        values[key.strip()] = value.strip()[1:-1].replace('\\"', '"').replace("\\\\", "\\")
    return values.get("_NET_WM_NAME"), values.get("WM_NAME")


@case("titles: each of the seven windows is titled on X with exactly its caption; to a screen "
      "reader it is a frame (About a dialog, so its text is read out), text boxes named in Chinese")
def titles_are_captions(run):
    program = run.start()
    main = program.window(MAIN)
    for button, caption in OPENS:
        main.press(button)
        program.window(caption)
    expected = sorted([MAIN] + [caption for _, caption in OPENS])

    def titled():
        # Qt's helper windows carry no title: every titled one is one of the seven.
        found = sorted(t for t in (x_titles(x) for x in program.visible_xids()) if any(t))
        return found if len(found) == len(expected) else None
    found = wait_for(titled, "seven titled X windows")
    expect_equal(found, [(t, t) for t in expected], "(_NET_WM_NAME, WM_NAME) of the windows")
    for w in program.windows():
        expect_equal(role(w), "dialog" if w.name == "关于程序" else "frame", "role of " + w.name)
        expect(all(has_chinese(c.name) for c in children(w) if role(c) == "text"), w.name)
