"""The About window."""

from harness import case, expect_equal

MAIN = "Kelvane0.4测试版"
TITLE = "关于程序"
TEXT = ("欢迎使用Kelvane0.4测试版！此软件为测试版，以后将不断改进。"
        "希望提出更多宝贵的建议，以让本软件能够更好地改进！谢谢！")


@case("About: shows the description, opens once, closes and opens again the same")
def about_window(run):
    program = run.start()
    main = program.window(MAIN)
    main.press("关于程序")
    about = program.window(TITLE)
    expect_equal(about.caption_at(360, 600), TEXT, "the description")
    about.check_chinese_renders()

    main.press("关于程序")
    program.window(TITLE)
    expect_equal(program.shown_titles().count(TITLE), 1, "About windows shown")

    about.close()
    about.wait_closed()
    main.press("关于程序")
    again = program.window(TITLE)
    expect_equal(again.caption_at(360, 600), TEXT, "the description after reopening")
