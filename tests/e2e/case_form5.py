"""The free-text typing speed test: seconds per character after 计算."""

import re

from harness import case, expect, expect_equal, text_of, wait_for

MAIN = "Kelvane0.4测试版"
TITLE = "打字速度测试"
RESULT = (480, 240)     # Label4
COUNT = (600, 840)      # Label1
RESULT_TEXT = re.compile(r"^你的打字速度测试成绩为(\d*\.?\d+)秒/个$")
EMPTY_MESSAGE = "请在文本框中输入文字或字母！"


def number_text(value):
    """Whole numbers plain, others in at most 15 significant digits without a leading 0."""
    if value == int(value):
        return str(int(value))
    text = "%.15g" % value
    return text[1:] if text.startswith("0.") else text


def open_test(program):
    program.window(MAIN).press("打字速度测试")
    return program.window(TITLE)


def take_test(test, typed_keys, shown, characters):
    """Types, presses 计算 and returns the seconds the result was computed from."""
    counted = int(wait_for(lambda: test.caption_at(*COUNT).isdigit() and test.caption_at(*COUNT),
                           "the second count to run"))
    box = test.text_box("在这里打字")
    test.click_into(box)
    for kind, what in typed_keys:
        if kind == "type":
            test.type_into(box, what)
        else:
            test.key(what)
    wait_for(lambda: text_of(box) == shown, lambda: "the text box to hold %r, it holds %r"
             % (shown, text_of(box)))
    before = int(test.caption_at(*COUNT) or 0)
    expect(before >= counted, "the count went back from %d to %d" % (counted, before))
    test.press("计算")
    caption = wait_for(lambda: RESULT_TEXT.match(test.caption_at(*RESULT)) and
                       test.caption_at(*RESULT), "a result in Label4")
    per_char = float(RESULT_TEXT.match(caption).group(1))
    seconds = round(per_char * characters)
    # The result is whole seconds over the character count, written exactly so.
    expect_equal(caption, "你的打字速度测试成绩为%s秒/个" % number_text(seconds / characters),
                 "result for %d characters" % characters)
    expect(seconds >= before, "the result counts %d seconds, the window had counted %d"
           % (seconds, before))
    wait_for(lambda: text_of(box) == "", "the text box to be emptied")
    return seconds


@case("speed test: Chinese, a letter and a line break typed, 计算 gives seconds per character")
def speed_test_result(run):
    program = run.start()
    test = open_test(program)
    # Five characters and a line break count seven.
    take_test(test, [("type", "打字练习A"), ("key", "Return")], "打字练习A\n", 7)
    test.check_chinese_renders()


@case("speed test: 计算 with an empty box shows the message and keeps the last result")
def speed_test_empty_box(run):
    program = run.start()
    test = open_test(program)
    take_test(test, [("type", "ab")], "ab", 2)
    result = test.caption_at(*RESULT)

    test.press("计算")
    texts, box, press_ok = program.message_box()
    expect(EMPTY_MESSAGE in texts, "message box says %r, wanted %r" % (texts, EMPTY_MESSAGE))
    # The box names itself; its X window is found by that title, exactly.
    expect_equal(box.title, "Kelvane", "the message box's title")
    box.check_chinese_renders(shot_name="message box")
    press_ok()
    expect_equal(test.caption_at(*RESULT), result, "Label4 after the empty-box message")
    # The count starts again from 0 after the message.
    wait_for(lambda: test.caption_at(*COUNT).isdigit() and int(test.caption_at(*COUNT)) <= 5,
             "the count to restart")
