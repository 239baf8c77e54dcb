"""The leaderboard: copies the result of an open test, reads the stored game score, and gets
nothing from a test window that was closed; the windows that reading loaded hidden do not keep
the program running."""

from case_form3 import score_file_bytes
from case_form5 import RESULT, open_test, take_test
from harness import case, expect_equal

MAIN = "Kelvane0.4测试版"
TITLE = "打字英雄榜（数据库问题尚未解决，原谅我的技术...）"
GAME = (2280, 120)          # Label1
SPEED_TEST = (2280, 840)    # Label2
LIVE_TEST = (2280, 1800)    # Label3
ENGLISH_SPEED = (3000, 3360)  # Label4
ENGLISH_ACCURACY = (2160, 2760)  # Label9


@case("leaderboard: copies the open speed test's result, reads the stored game score, "
      "gets nothing from a closed test; closing the shown windows ends the program")
def leaderboard(run):
    # A score kept from an earlier run of the program.
    with open(run.file("config.ini"), "wb") as f:
        f.write(score_file_bytes("总分:120"))
    program = run.start()
    speed_test = open_test(program)
    take_test(speed_test, [("type", "ab")], "ab", 2)
    result = speed_test.caption_at(*RESULT)

    program.window(MAIN).press("排行榜")
    board = program.window(TITLE)
    for where in (GAME, SPEED_TEST, LIVE_TEST, ENGLISH_SPEED):
        expect_equal(board.caption_at(*where), "分数", "score label at %s on opening" % (where,))
    expect_equal(board.caption_at(*ENGLISH_ACCURACY), "", "accuracy label on opening")
    board.check_chinese_renders()

    board.press("保存打字速度测试分数")
    board.wait_caption(*SPEED_TEST, result)
    board.press("保存（读取）打字游戏分数")
    board.wait_caption(*GAME, "总分:120")

    # Tests that are not open give nothing, never an earlier value.
    speed_test.close()
    speed_test.wait_closed()
    board.press("保存打字速度测试分数")
    board.wait_caption(*SPEED_TEST, "")
    board.press("保存打字速度测试1分数")
    board.wait_caption(*LIVE_TEST, "")
    board.press("保存英文打字速度测试分数和正确率")
    board.wait_caption(*ENGLISH_SPEED, "")
    board.wait_caption(*ENGLISH_ACCURACY, "")
    # Reading them loaded those windows hidden: none of them came up on the screen.
    expect_equal(sorted(program.shown_titles()), sorted([MAIN, TITLE]), "windows shown")
    # Nor do they keep the program running once the user has closed every shown window.
    board.close()
    program.window(MAIN).close()
    expect_equal(program.wait_exit(), 0, "exit status after the last shown window closed")
