"""The session ending with a signal; a double click on a StatusNotifier icon; a notification
area that goes away for good."""

import signal
import time

from gi.repository import GLib

from case_form3 import hit, open_game, read_file, score_file_bytes, start
from case_tray import tray_host
from case_tray_sni import ITEM, MAIN, call, item_gone, start_host, the_item
from harness import case, expect_equal
from processes import kill_group


@case("session end: SIGTERM in the middle of a game saves the score as closing the game "
      "would, and the program ends with status 0")
def sigterm_saves_the_game(run):
    program = run.start()
    game = open_game(program)
    start(game)
    hit(game, 0)
    program.proc.send_signal(signal.SIGTERM)
    expect_equal(program.wait_exit(), 0, "exit status")
    expect_equal(read_file(run.file("config.ini")), score_file_bytes("分数10"), "config.ini")


def to_tray(run, host):
    host(run)
    program = run.start()
    program.window(MAIN).press("缩小到托盘")
    program.window(MAIN).wait_hidden()
    return program


@case("tray (StatusNotifier): a double click's two Activates bring the main window back; the "
      "item stays for the double-click interval, so the second one still reaches it")
def sni_double_activate(run):
    program = to_tray(run, start_host)
    service, path = the_item(program)
    for pause in (0.15, 0):
        # The call fails with an error when the item has already left the host.
        call(service, path, ITEM, "Activate", GLib.Variant("(ii)", (10, 10)))
        time.sleep(pause)
    program.window(MAIN)
    item_gone(service)
    expect_equal(program.shown_titles(), [MAIN], "windows shown")


@case("tray: a notification area that goes away for good, StatusNotifier or XEmbed, gives "
      "the main window back")
def tray_host_gone(run):
    for host in (start_host, tray_host):
        program = to_tray(run, host)
        kill_group(run.helpers[-1])
        program.window(MAIN)
        program.stop()
