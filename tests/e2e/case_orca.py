"""orca itself, on the same display and bus, speaking a text box's name and the results."""

import glob
import os
import threading

import case_form3
import case_form5
from harness import case, expect_equal, wait_for


@case("screen reader: orca speaks the typing box's name, and once each the result after 计算 "
      "and the game's final score")
def orca_speaks_names_and_results(run):
    # speech-dispatcher's dummy voice plays to ALSA's null device.
    os.makedirs(run.file("speechd"))
    with open(run.file("speechd/speechd.conf"), "w") as f:
        f.write('AudioOutputMethod "alsa"\nAddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\n')
    with open(run.file(".asoundrc"), "w") as f:
        f.write("pcm.!default { type null }\n")
    run.spawn(["speech-dispatcher", "-s", "-t", "0", "-C", run.file("speechd")],
              {"HOME": run.folder})
    socket = os.path.expandvars("$XDG_RUNTIME_DIR/speech-dispatcher/speechd.sock")
    wait_for(lambda: os.path.exists(socket), "speech-dispatcher's socket")
    # orca with settings of its own writes its debug log to a terminal, so line by line; the
    # terminal stays open to the end of the suite, so the reader never meets an error.
    master, terminal = os.openpty()
    log = []
    threading.Thread(target=lambda: log.extend(iter(lambda: os.read(master, 1 << 16), b"")),
                     daemon=True).start()
    run.spawn(["orca", "-u", run.file("orca"), "--debug-file", os.ttyname(terminal)],
              {"HOME": run.folder})

    def said(text):
        lines = b"".join(log).decode("utf-8", "replace").splitlines()
        return [line for line in lines if "SPEECH OUTPUT:" in line and text in line]
    wait_for(lambda: said("Screen reader on"), "orca to start")
    # The program's clock runs ten times faster: the game's minute takes six seconds.
    program = run.start({"FAKETIME": "+0 x10",
                         "LD_PRELOAD": glob.glob("/usr/lib/*/faketime/libfaketime.so.1")[0]})
    # orca skips a focus change that a later one overtook: go at a listener's pace.
    test = case_form5.open_test(program)
    box = test.text_box("在这里打字")
    test.click_into(box)
    wait_for(lambda: said("在这里打字"), "orca to name the typing box")
    test.type_into(box, "ab")
    test.press("计算")
    result = wait_for(lambda: case_form5.RESULT_TEXT.match(test.caption_at(*case_form5.RESULT))
                      and test.caption_at(*case_form5.RESULT), "a result")
    wait_for(lambda: said(result), "orca to speak %r" % result)
    game = case_form3.open_game(program)
    case_form3.start(game)
    game.wait_caption(*case_form3.SCORE, "总分:0")
    wait_for(lambda: said("总分:0"), "orca to speak the final score")
    expect_equal([len(said(result)), len(said("总分:0"))], [1, 1], "times orca spoke them")
