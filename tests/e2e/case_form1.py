"""The main window: its captions, its clock, its navigation and 退出程序."""

import os
import re

from harness import Failure, case, expect, expect_equal, wait_for

MAIN = "Kelvane0.4测试版"

# (left, top) in twips, caption
BUTTONS = [
    ((0, 0), "打字速度测试"),
    ((1800, 0), "打字速度测试1"),
    ((3480, 0), "英文打字速度测试"),
    ((5280, 0), "打字游戏"),
    ((6960, 0), "排行榜"),
    ((600, 3720), "退出程序"),
    ((3240, 3720), "关于程序"),
    ((5760, 3720), "缩小到托盘"),
]
LABELS = [
    ((600, 1080), "欢迎使用Kelvane0.4测试版！"),
    ((1080, 2280), "界面难看，有时间我会好好做，也欢迎大家多多提出宝贵意见，"
                   "给软件以更好的改进，谢谢！"),
    ((360, 3000), "现在打字游戏已经可以储存分数了，快试试看吧！"),
]
CLOCK = (6600, 4680)
# Each navigation button and the caption of the window it opens.
OPENS = [
    ("打字速度测试", "打字速度测试"),
    ("打字速度测试1", "打字速度测试1"),
    ("英文打字速度测试", "英文打字速度测试"),
    ("打字游戏", "打字游戏"),
    ("排行榜", "打字英雄榜（数据库问题尚未解决，原谅我的技术...）"),
    ("关于程序", "关于程序"),
]
TIME = re.compile(r"^\d{1,2}:\d{2}:\d{2}")


@case("main window: captions in place, the clock ticks, Chinese renders")
def main_window_captions(run):
    program = run.start()
    main = program.window(MAIN)
    for (left, top), caption in BUTTONS:
        expect_equal(main.control_at("push button", left, top).name, caption,
                     "button at (%d, %d)" % (left, top))
    for (left, top), caption in LABELS:
        expect_equal(main.caption_at(left, top), caption, "label at (%d, %d)" % (left, top))

    first = wait_for(lambda: TIME.match(main.caption_at(*CLOCK)) and main.caption_at(*CLOCK),
                     "the clock to show the time of day")
    wait_for(lambda: TIME.match(main.caption_at(*CLOCK)) and main.caption_at(*CLOCK) != first,
             "the clock to move on from %s" % first)
    main.check_chinese_renders()


@case("main window: Enter on the focused first button and each button open their "
      "windows, a second press opens no second one")
def main_window_navigation(run):
    program = run.start()
    main = program.window(MAIN)
    # The focus starts on the first button: Enter presses it.
    main.key("Return")
    program.window(OPENS[0][1])
    for button, title in OPENS:
        main.press(button)
        program.window(title)
        main.press(button)
        # Still exactly one, and the main window stays shown and usable.
        program.window(title)
        expect_equal(program.shown_titles().count(title), 1, "windows captioned %r" % title)
    expect(MAIN in program.shown_titles(), "the main window went away")


@case("main window: 退出程序 ends the program at once, other windows open or not")
def main_window_exit(run):
    program = run.start()
    main = program.window(MAIN)
    main.press("打字速度测试")
    program.window("打字速度测试")
    main.press("退出程序")
    expect_equal(program.wait_exit(), 0, "exit status")
    expect(not os.path.exists(run.file("config.ini")), "ending the program wrote a score file")


@case("screenshots: with every font hidden, the check sees the missing glyphs")
def glyph_check_can_fail(run):
    no_fonts = run.file("no-fonts.conf")
    with open(no_fonts, "w") as f:
        f.write('<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "fonts.dtd">\n'
                "<fontconfig></fontconfig>\n")
    program = run.start({"FONTCONFIG_FILE": no_fonts})
    main = program.window(MAIN)
    try:
        main.check_chinese_renders(shot_name="without fonts")
    except Failure as e:
        expect("missing glyphs" in str(e), "the check failed for another reason: %s" % e)
        return
    raise Failure("the check passed a window drawn without any font")
