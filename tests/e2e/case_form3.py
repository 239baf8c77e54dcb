"""The typing game and its score file: hits score 10, the caption is saved when the window
closes, and the leaderboard reads it back."""

import re

from harness import Failure, case, expect_equal, wait_for

MAIN = "Kelvane0.4测试版"
TITLE = "打字游戏"
BOARD = "打字英雄榜（数据库问题尚未解决，原谅我的技术...）"
SCORE = (480, 360)      # Label1
HELP = (240, 3360)      # Label3
HELP_TEXT = ("游戏时间：1分钟 游戏结束后，先退出窗口，再到排行榜保存即可显示 "
             "下次打开时就可以读取")
GAME_LENGTH = 60


def score_file_bytes(caption):
    return b"[config]\r\nlabel1=" + caption.encode("gbk") + b"\r\n"


def read_file(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def falling_letter(game):
    letters = [c for c in game.controls("label") if re.fullmatch("[A-Z]", c.name)]
    return letters[0].name if len(letters) == 1 else None


def hit(game, before):
    """Presses the key of the letter on show until one press scores.

    A letter that falls out of the window while the key is on its way makes that press a
    miss, which costs nothing; so press again. A digit goes first each time: no digit ever
    matches a letter.
    """
    shown = "分数%d" % before
    for _ in range(25):
        letter = wait_for(lambda: falling_letter(game), "a falling letter")
        # Lower case, no Shift: the key code is the capital letter's all the same.
        game.key("1", letter.lower(), refocus=False)
        try:
            now = wait_for(lambda: game.caption_at(*SCORE) != shown and game.caption_at(*SCORE),
                           "a hit", timeout=2)
        except Failure:
            continue
        expect_equal(now, "分数%d" % (before + 10), "score after one hit")
        return
    raise Failure("25 presses of the letter on show never scored (score %r)"
                  % game.caption_at(*SCORE))


def open_game(program):
    program.window(MAIN).press("打字游戏")
    game = program.window(TITLE)
    expect_equal(game.caption_at(*SCORE), "", "score before a game")
    expect_equal(falling_letter(game), None, "letter before a game")
    return game


def start(game):
    game.focus()
    game.press("开始")
    game.wait_caption(*SCORE, "分数0")
    # The button is off while the game runs, so the window itself takes the keys.
    wait_for(lambda: not game.enabled(game.button("开始")), "开始 to be disabled in the game")


@case("game: a hit scores 10, closing saves the caption, a full minute ends in 总分, "
      "the leaderboard reads it back")
def game_and_score_file(run):
    program = run.start()
    score_file = run.file("config.ini")

    game = open_game(program)
    expect_equal(game.caption_at(*HELP), HELP_TEXT, "the instructions")
    game.check_chinese_renders()
    start(game)
    hit(game, 0)
    # Closed during the game: the caption in its 分数 form is saved.
    game.close()
    game.wait_closed()
    wait_for(lambda: read_file(score_file) == score_file_bytes("分数10"),
             lambda: "config.ini to hold 分数10, it holds %r" % read_file(score_file))

    # Reopened: the previous score is not shown; a whole game runs to its end.
    game = open_game(program)
    start(game)
    hit(game, 0)
    wait_for(lambda: game.caption_at(*SCORE) == "总分:10",
             lambda: "the game to end with 总分:10 (score reads %r)" % game.caption_at(*SCORE),
             timeout=GAME_LENGTH + 30)
    wait_for(lambda: game.enabled(game.button("开始")), "开始 to be enabled after the game")
    game.close()
    game.wait_closed()
    wait_for(lambda: read_file(score_file) == score_file_bytes("总分:10"),
             lambda: "config.ini to hold 总分:10, it holds %r" % read_file(score_file))

    main = program.window(MAIN)
    main.press("排行榜")
    board = program.window(BOARD)
    board.press("保存（读取）打字游戏分数")
    board.wait_caption(2280, 120, "总分:10")

    # 退出程序 in the middle of a game saves nothing: no unload runs.
    game = open_game(program)
    start(game)
    hit(game, 0)
    main.press("退出程序")
    program.wait_exit()
    expect_equal(read_file(score_file), score_file_bytes("总分:10"),
                 "config.ini after 退出程序")
