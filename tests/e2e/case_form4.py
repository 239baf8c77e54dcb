"""Typing speed test 1: the live count, clock and speed; text only grows from the keyboard;
退出 ends the whole program."""

import re

from harness import case, expect_equal, text_of, wait_for

MAIN = "Kelvane0.4测试版"
TITLE = "打字速度测试1"
SPEED = (5040, 360)     # Label3
COUNT = (840, 2400)     # Label1
ELAPSED = (3120, 2400)  # Label2
ELAPSED_TEXT = re.compile(r"^用时 (\d+) 分 (\d+) 秒$")
SPEED_TEXT = re.compile(r"^录入速度 (\d+) 字符/分钟$")


def speed_agrees(test, characters):
    """The speed shown is the characters over the whole seconds shown, times 60, cut down.

    The two labels tick apart, so the seconds may be one apart between the readings.
    """
    elapsed = ELAPSED_TEXT.match(test.caption_at(*ELAPSED))
    speed = SPEED_TEXT.match(test.caption_at(*SPEED))
    if not (elapsed and speed):
        return False
    seconds = int(elapsed.group(1)) * 60 + int(elapsed.group(2))
    return any(s >= 1 and int(speed.group(1)) == characters * 60 // s
               for s in (seconds - 1, seconds, seconds + 1))


@case("live test: 开始, typing counts, Backspace and Delete remove nothing, speed shows")
def live_test(run):
    program = run.start()
    main = program.window(MAIN)
    main.press("打字速度测试")
    program.window("打字速度测试")
    main.press("打字速度测试1")
    test = program.window(TITLE)
    box = test.text_box("在这里打字")
    expect_equal(text_of(box), "准备测试...", "text before the start")
    expect_equal(test.caption_at(*COUNT), "录入字符 7 个", "count before the start")

    test.focus()
    test.press("开始")
    test.wait_caption(*COUNT, "录入字符 0 个")
    # The caret is in the empty box: the user just types.
    wait_for(lambda: test.focused(box), "the text box to take the focus after 开始")
    expect_equal(text_of(box), "", "text after 开始")
    test.type_into(box, "你好abc")
    test.wait_caption(*COUNT, "录入字符 5 个")

    # Back one place, then Delete and Backspace: neither removes anything, and the d lands
    # at the caret.
    test.key("Left", "Delete", "BackSpace")
    test.type("d")
    wait_for(lambda: text_of(box) == "你好abdc",
             lambda: "the box to hold 你好abdc, it holds %r" % text_of(box))
    # A selection is not typed over: the e goes in front of the selected d, which stays.
    test.key("shift+Left")
    test.type("e")
    wait_for(lambda: text_of(box) == "你好abedc",
             lambda: "the box to hold 你好abedc, it holds %r" % text_of(box))
    # Enter counts two: the line break is CR LF.
    test.key("End", "Return")
    test.wait_caption(*COUNT, "录入字符 9 个")

    wait_for(lambda: speed_agrees(test, 9),
             lambda: "the speed to agree with the time shown (%r, %r)"
             % (test.caption_at(*ELAPSED), test.caption_at(*SPEED)))
    test.check_chinese_renders()

    test.press("退出")
    expect_equal(program.wait_exit(), 0, "exit status after 退出")
