"""Hiding to the notification area and coming back with a double click, with trayer as the
notification area (XEmbed)."""

import time

from harness import case, expect, expect_equal, screenshot, wait_for, xdotool, xdotool_out
from xwindow import selection_owner

MAIN = "Kelvane0.4测试版"


def tray_host(run):
    run.spawn(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
               "--height", "32", "--SetDockType", "false", "--SetPartialStrut", "false"])
    # trayer shows its panel only once it holds an icon; it is ready when it owns the tray.
    wait_for(lambda: selection_owner("_NET_SYSTEM_TRAY_S0"), "trayer to take the tray")


def tray_icon(program):
    """The icon's window: what the program shows on screen besides its own windows."""
    def find():
        # Qt leaves the icon's window untitled, so X names it after the application; the tip
        # shows only on hover.
        icons = [x for x in program.visible_xids()
                 if xdotool_out("getwindowname", x).strip() == "Kelvane"]
        expect(len(icons) <= 1, "%d tray icons" % len(icons))
        return icons[0] if icons else None
    return wait_for(find, lambda: "the tray icon; the program's windows: %r" % [
        (x, xdotool_out("getwindowname", x).strip()) for x in program.visible_xids()])


def feather_shown(xid):
    shot = screenshot(xid)
    yellow = sum(1 for y in range(shot.height) for x in range(shot.width)
                 if (lambda r, g, b: r > 170 and g > 140 and b < 100)(*shot.pixel(x, y)))
    return yellow >= 10


def click(xid, times):
    geometry = xdotool_out("getwindowgeometry", "--shell", xid)
    size = dict(line.split("=") for line in geometry.split())
    xdotool("mousemove", "--window", xid, int(size["WIDTH"]) // 2, int(size["HEIGHT"]) // 2)
    xdotool("click", "--repeat", times, "--delay", 80, 1)


@case("tray (XEmbed): 缩小到托盘 hides the main window to a feather icon, a single click does "
      "nothing, a double click brings it back")
def tray_round_trip(run):
    tray_host(run)
    program = run.start()
    main = program.window(MAIN)
    main.press("打字速度测试")
    program.window("打字速度测试")

    for round_trip in (1, 2):
        main.press("缩小到托盘")
        main.wait_hidden()
        icon = tray_icon(program)
        wait_for(lambda: feather_shown(icon), "the feather in the notification area")
        # Other windows stay open while the main window is in the tray.
        expect("打字速度测试" in program.shown_titles(), "the speed test went away with the "
               "main window (round %d)" % round_trip)

        if round_trip == 1:
            # A single click does nothing here. The pause lets the program handle it and
            # keeps it from pairing with the double click that follows.
            click(icon, 1)
            time.sleep(1.0)
            expect(MAIN not in program.shown_titles() and icon in program.visible_xids(),
                   "a single click on the icon brought the main window back")

        click(icon, 2)
        main = program.window(MAIN)
        wait_for(lambda: icon not in program.visible_xids(),
                 "the icon to leave the notification area (round %d)" % round_trip)
    expect(program.running(), "the program ended")
    expect_equal(sorted(program.shown_titles()), sorted([MAIN, "打字速度测试"]), "windows shown")
