"""Chinese typed through a real input method: ibus with libpinyin, and fcitx5 with its
pinyin, each on this suite's display and session bus with a home of its own per case, so that
nothing one case teaches it changes the candidates of the next.

The pinyin used has one first candidate whatever the engine learnt: nihao 你好, zhongguo
中国, shijie 世界, women 我们.
"""

import os
import subprocess
import time

import case_form2
import case_form4
import case_form5
from harness import case, expect, expect_equal, text_of, wait_for, xdotool

MAIN = "Kelvane0.4测试版"

LIBPINYIN_SETTINGS = """\
[org/freedesktop/ibus/general]
preload-engines=['libpinyin']
engines-order=['libpinyin']

[com/github/libpinyin/ibus-libpinyin/libpinyin]
dynamic-adjust=false
fuzzy-pinyin=false
incomplete-pinyin=false
english-candidate=false
emoji-candidate=false
enable-cloud-input=false
"""

FCITX5_PROFILE = """\
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=pinyin

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=pinyin
Layout=

[GroupOrder]
0=Default
"""

FCITX5_CONFIG = """\
[Behavior]
ActiveByDefault=True
ShareInputState=No
"""


def fresh_home(run, name):
    """A home and XDG folders of the input method's own, inside the case's folder."""
    env = {}
    for var, sub in (("HOME", "home"), ("XDG_CONFIG_HOME", "config"),
                     ("XDG_CACHE_HOME", "cache"), ("XDG_DATA_HOME", "data")):
        env[var] = os.path.join(run.file(name), sub)
        os.makedirs(env[var])
    return env


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def start_ibus(run):
    """ibus-daemon with libpinyin as its one engine; returns the program's environment.

    The settings go through GLib's keyfile backend, written before the daemon starts. Qt's
    ibus plugin finds the daemon through $XDG_CONFIG_HOME/ibus/bus/ (it ignores
    IBUS_ADDRESS), so the program gets the daemon's XDG_CONFIG_HOME.
    """
    env = fresh_home(run, "ibus")
    env["GSETTINGS_BACKEND"] = "keyfile"
    write(os.path.join(env["XDG_CONFIG_HOME"], "glib-2.0", "settings", "keyfile"),
          LIBPINYIN_SETTINGS)
    run.spawn(["ibus-daemon", "--panel=disable", "--emoji-extension=disable", "--cache=none"],
              env)
    full = dict(os.environ, **env)

    def engine_set():
        # `ibus engine NAME` exits 1 even when it worked: read the engine back.
        subprocess.run(["ibus", "engine", "libpinyin"], env=full, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=10)
        return subprocess.run(["ibus", "engine"], env=full, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=10).stdout.strip() == b"libpinyin"
    wait_for(engine_set, "ibus-daemon with the libpinyin engine")
    return {"QT_IM_MODULE": "ibus", "XDG_CONFIG_HOME": env["XDG_CONFIG_HOME"]}


def start_fcitx5(run):
    """fcitx5 with only the addons a headless session needs, pinyin active from the start.

    Nothing may call org.fcitx.Fcitx5 before fcitx5 owns that name, or the session bus
    would start another fcitx5 itself, with the bus's home and settings.
    """
    env = fresh_home(run, "fcitx5")
    write(os.path.join(env["XDG_CONFIG_HOME"], "fcitx5", "profile"), FCITX5_PROFILE)
    write(os.path.join(env["XDG_CONFIG_HOME"], "fcitx5", "config"), FCITX5_CONFIG)
    run.spawn(["fcitx5", "--disable=all",
               "--enable=dbus,dbusfrontend,xcb,keyboard,pinyin,punctuation"], env)
    log = run.file("fcitx5.log")

    def ready():
        owned = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
             "string:org.fcitx.Fcitx5"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            timeout=10).stdout
        with open(log, "rb") as f:
            return b"true" in owned and b"Loaded addon pinyin" in f.read()
    wait_for(ready, "fcitx5 on the session bus with its pinyin")
    return {"QT_IM_MODULE": "fcitx"}


def pinyin(window, keys):
    """Keys as the user strikes them: letters start or grow a composition, a space commits
    its first candidate."""
    window.focus()
    xdotool("type", "--delay", 30, "--", keys)


def box_holds(box, want):
    wait_for(lambda: text_of(box) == want,
             lambda: "the box to hold %r, it holds %r" % (want, text_of(box)))


def live_test_with(run, im_env):
    program = run.start(im_env)
    program.window(MAIN).press("打字速度测试1")
    test = program.window(case_form4.TITLE)
    box = test.text_box("在这里打字")
    test.focus()
    test.press("开始")
    test.wait_caption(*case_form4.COUNT, "录入字符 0 个")
    wait_for(lambda: test.focused(box), "the text box to take the focus after 开始")

    # Inside the composition Backspace edits the pinyin: nihaox less its x is nihao.
    pinyin(test, "nihaox")
    test.key("BackSpace")
    pinyin(test, " ")
    box_holds(box, "你好")
    test.wait_caption(*case_form4.COUNT, "录入字符 2 个")
    pinyin(test, "zhongguo ")
    box_holds(box, "你好中国")
    test.wait_caption(*case_form4.COUNT, "录入字符 4 个")

    # After the commit no key deletes; the last key types, so when it has arrived every
    # key before it has been handled.
    test.key("BackSpace", "Delete", "Left", "Delete", "ctrl+a", "BackSpace", "ctrl+x", "End")
    pinyin(test, "women ")
    box_holds(box, "你好中国我们")
    test.wait_caption(*case_form4.COUNT, "录入字符 6 个")
    wait_for(lambda: case_form4.speed_agrees(test, 6),
             lambda: "the speed to agree with the time shown (%r, %r)"
             % (test.caption_at(*case_form4.ELAPSED), test.caption_at(*case_form4.SPEED)))


@case("input method ibus: live test counts committed Chinese, Backspace only edits the pinyin")
def ibus_live_test(run):
    live_test_with(run, start_ibus(run))


@case("input method fcitx5: live test counts committed Chinese, Backspace only edits the pinyin")
def fcitx5_live_test(run):
    live_test_with(run, start_fcitx5(run))


@case("input method ibus: free-text test's result; English test typed in English mode")
def ibus_free_text_and_english(run):
    program = run.start(start_ibus(run))
    main = program.window(MAIN)

    # Four characters, a line break (two) and two more count eight.
    main.press("打字速度测试")
    test = program.window(case_form5.TITLE)
    box = test.text_box("在这里打字")
    wait_for(lambda: test.caption_at(*case_form5.COUNT).isdigit(), "the second count to run")
    test.click_into(box)
    pinyin(test, "nihao shijie ")
    test.key("Return")
    pinyin(test, "women ")
    box_holds(box, "你好世界\n我们")
    before = int(test.caption_at(*case_form5.COUNT))
    test.press("计算")
    caption = wait_for(lambda: case_form5.RESULT_TEXT.match(test.caption_at(*case_form5.RESULT))
                       and test.caption_at(*case_form5.RESULT), "a result in Label4")
    seconds = round(float(case_form5.RESULT_TEXT.match(caption).group(1)) * 8)
    expect(seconds >= before, "the result counts %d seconds, the window had %d" % (seconds, before))
    expect_equal(caption, "你的打字速度测试成绩为%s秒/个" % case_form5.number_text(seconds / 8),
                 "result for 8 characters")

    # In libpinyin's Chinese mode a letter only starts a composition; a lone Shift switches
    # it to English, and the letters then reach the box as typed.
    main.press("英文打字速度测试")
    english = program.window(case_form2.TITLE)
    letters = case_form2.generate(english, r"[a-z]{30}")
    typing = english.text_box("在这里打字母")
    english.click_into(typing)
    wait_for(lambda: english.caption_at(*case_form2.START), "the start time")
    pinyin(english, "a")
    english.key("Escape", "shift")
    pinyin(english, letters)
    box_holds(typing, letters)
    english.key("Return")
    wait_for(lambda: english.caption_at(*case_form2.END), "the end time")
    expect_equal(english.caption_at(*case_form2.ACCURACY), "100.0%",
                 "accuracy of letters typed through ibus")
