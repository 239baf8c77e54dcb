"""The English letter typing test: 30 letters, typed back, scored for accuracy and speed."""

import re

from harness import case, expect, expect_equal, text_of, wait_for

MAIN = "Kelvane0.4测试版"
TITLE = "英文打字速度测试"
ACCURACY = (3720, 2400)  # Label6
SPEED = (3720, 3000)     # Label7
START = (1200, 2280)     # lblstart
END = (1200, 2880)       # lblend
USED = (1200, 3480)      # lblused
HMS = re.compile(r"^\d{2}:\d{2}:\d{2}$")
SPEED_TEXT = re.compile(r"^\d*字符/秒$")


def generate(test, pattern):
    test.press("产生字母")
    letters = test.text_box("要打的字母")
    return wait_for(lambda: re.fullmatch(pattern, text_of(letters)) and text_of(letters),
                    lambda: "30 letters matching %s, the box holds %r"
                    % (pattern, text_of(letters)))


def type_back(test, typed):
    """Clicks into the typing box, types, and presses Enter to have it scored."""
    box = test.text_box("在这里打字母")
    test.click_into(box)
    wait_for(lambda: HMS.match(test.caption_at(*START)), "the start time")
    test.type(typed)
    wait_for(lambda: text_of(box) == typed, lambda: "the typed letters, box holds %r"
             % text_of(box))
    test.key("Return")
    wait_for(lambda: HMS.match(test.caption_at(*END)), "the end time")
    # Enter scored the test and did not enter the box.
    expect_equal(text_of(box), typed, "typing box after Enter")


@case("English test: lower case by default, all 30 right is 100.0%; 大写 and one wrong is 96.7%")
def english_test(run):
    program = run.start()
    program.window(MAIN).press("英文打字速度测试")
    test = program.window(TITLE)

    letters = generate(test, r"[a-z]{30}")
    type_back(test, letters)
    expect_equal(test.caption_at(*ACCURACY), "100.0%", "accuracy, all right")
    expect(SPEED_TEXT.match(test.caption_at(*SPEED)), "speed caption %r" % test.caption_at(*SPEED))
    expect(HMS.match(test.caption_at(*USED)), "elapsed caption %r" % test.caption_at(*USED))

    upper = test.radio("大写")
    test.click(upper)
    wait_for(lambda: test.checked(upper), "大写 to be selected")
    letters = generate(test, r"[A-Z]{30}")
    # A new test clears the times and keeps the last result on show.
    for where in (START, END, USED):
        expect_equal(test.caption_at(*where), "", "time label at %s after 产生字母" % (where,))
    expect_equal(test.caption_at(*ACCURACY), "100.0%", "accuracy kept after 产生字母")

    wrong = ("B" if letters[0] == "A" else "A") + letters[1:]
    type_back(test, wrong)
    expect_equal(test.caption_at(*ACCURACY), "96.7%", "accuracy, one of 30 wrong")
    test.check_chinese_renders()
