"""The program as a native Wayland client on weston's headless backend (run_e2e.py
--wayland). Nothing takes the keyboard focus there and xdotool is X only, so everything goes
through the accessibility tree; the protocol log (WAYLAND_DEBUG) shows what the program
asks of the compositor."""

import os
import re

from harness import case, expect, expect_equal, wait_for

MAIN = "Kelvane0.4测试版"
OPENS = [("打字速度测试", "打字速度测试"), ("打字速度测试1", "打字速度测试1"),
         ("英文打字速度测试", "英文打字速度测试"), ("打字游戏", "打字游戏"),
         ("排行榜", "打字英雄榜（数据库问题尚未解决，原谅我的技术...）"), ("关于程序", "关于程序")]
SCORE = (480, 360)


def protocol_log(program):
    with open(os.path.join(program.folder, "kelvane.log"), "rb") as f:
        return f.read().decode("utf-8", "replace")


def toplevel_titles(program):
    """The title each xdg_toplevel was given last, by its object id."""
    return dict(re.findall(r'-> xdg_toplevel@(\d+)\.set_title\("(.*)"\)', protocol_log(program)))


def falling_letter(game):
    """(letter, top in pixels) of the letter on show."""
    letters = [c for c in game.controls("label") if re.fullmatch("[A-Z]", c.name)]
    return (letters[0].name, game.place(letters[0])[1]) if len(letters) == 1 else None


@case("Wayland: every window opens with its caption as its title, the game runs, 缩小到托盘 "
      "with no notification area minimises, 退出程序 ends the program")
def wayland_smoke(run):
    program = run.start({"WAYLAND_DEBUG": "client"})
    main = program.window(MAIN)
    for button, caption in OPENS:
        main.press(button)
        program.window(caption)
    expected = sorted([MAIN] + [caption for _, caption in OPENS])
    expect_equal(program.shown_titles(), expected, "windows shown")
    titles = wait_for(lambda: len(toplevel_titles(program)) == len(expected)
                      and toplevel_titles(program), "seven xdg_toplevel titles")
    expect_equal(sorted(titles.values()), expected, "xdg_toplevel titles")

    game = program.window("打字游戏")
    game.press("开始")
    game.wait_caption(*SCORE, "分数0")
    # The letter falls, and once out of the window a new one starts at the top.
    seen = [wait_for(lambda: falling_letter(game), "a falling letter")]

    def started_again():
        now = falling_letter(game)
        if now and now != seen[-1]:
            seen.append(now)
        return any(later[1] < earlier[1] for earlier, later in zip(seen, seen[1:]))
    wait_for(started_again, lambda: "a letter to fall out and the next to start (seen %r)" % seen)

    # No StatusNotifier watcher and no X: no notification area, so the main window is
    # minimised and stays on the screen.
    main_id = next(obj for obj, title in titles.items() if title == MAIN)
    main.press("缩小到托盘")
    wait_for(lambda: "-> xdg_toplevel@%s.set_minimized()" % main_id in protocol_log(program),
             "the main window to ask to be minimised")
    expect(MAIN in program.shown_titles(), "the main window was hidden with no way back")

    main.press("退出程序")
    expect_equal(program.wait_exit(), 0, "exit status")
