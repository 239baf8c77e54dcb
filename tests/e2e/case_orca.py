"""A screen reader user: orca on the same display and bus speaks a text box by its Chinese
name, the free-text test's result after 计算 and the game's final score."""

import glob
import os
import threading

import case_form3
import case_form5
from harness import case, expect_equal, wait_for

# The program's clock runs ten times faster (libfaketime), so the game's minute takes six
# seconds; no wall-clock time is asserted on.
FAST_CLOCK = {"LD_PRELOAD": "".join(glob.glob("/usr/lib/*/faketime/libfaketime.so.1")[:1]),
              "FAKETIME": "+0 x10"}


def start_speech(run):
    """speech-dispatcher with its dummy voice, playing to ALSA's null device."""
    os.makedirs(run.file("speechd"))
    with open(run.file("speechd/speechd.conf"), "w") as f:
        f.write('AudioOutputMethod "alsa"\nAddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\n')
    with open(run.file(".asoundrc"), "w") as f:
        f.write("pcm.!default { type null }\n")
    run.spawn(["speech-dispatcher", "--run-single", "--timeout", "0", "--config-dir",
               run.file("speechd")], env_extra={"HOME": run.folder})
    socket = os.path.join(os.environ["XDG_RUNTIME_DIR"], "speech-dispatcher", "speechd.sock")
    wait_for(lambda: os.path.exists(socket), "speech-dispatcher's socket")


def start_orca(run, lines):
    """orca with fresh settings of its own. Its debug log goes to a terminal, which Python
    writes line by line, and is read from there as it comes."""
    master, terminal = os.openpty()

    def read():
        pending = b""
        try:
            # Ends when orca and the case have both closed the terminal.
            while chunk := os.read(master, 1 << 16):
                *done, pending = (pending + chunk).split(b"\n")
                lines.extend(line.decode("utf-8", "replace") for line in done)
        except OSError:
            pass
        os.close(master)
    threading.Thread(target=read, daemon=True).start()
    run.spawn(["orca", "--user-prefs", run.file("orca"), "--debug-file", os.ttyname(terminal)],
              env_extra={"HOME": run.folder})
    return terminal


@case("screen reader: orca speaks the typing box's name, the result after 计算 and the "
      "final score, the focus staying where it is")
def orca_speaks_names_and_results(run):
    lines = []

    def said(text):
        return [line for line in lines if "SPEECH OUTPUT:" in line and text in line]
    start_speech(run)
    terminal = start_orca(run, lines)
    try:
        wait_for(lambda: said("Screen reader on"), "orca to start")
        program = run.start(FAST_CLOCK)
        test = case_form5.open_test(program)
        box = test.text_box("在这里打字")
        test.click_into(box)
        wait_for(lambda: said("在这里打字"), "orca to name the typing box")
        test.type_into(box, "ab")
        test.press("计算")
        result = wait_for(lambda: case_form5.RESULT_TEXT.match(test.caption_at(*case_form5.RESULT))
                          and test.caption_at(*case_form5.RESULT), "the result")
        wait_for(lambda: said(result), "orca to speak %r" % result)

        program.window(case_form5.MAIN).press("打字游戏")
        game = program.window(case_form3.TITLE)
        case_form3.start(game)
        game.wait_caption(*case_form3.SCORE, "总分:0")
        wait_for(lambda: said("总分:0"), "orca to speak the final score")
        for text in (result, "总分:0"):
            expect_equal(len(said(text)), 1, "times orca spoke %r" % text)
    finally:
        os.close(terminal)
