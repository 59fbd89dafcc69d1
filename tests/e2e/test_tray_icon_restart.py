"""The tray icon and the shell's notification area.

- Restart: a restarted notification area has lost every icon and broadcasts the registered message
  "TaskbarCreated"; the tray program then adds its icon again, so that the user can still open the
  applet and exit. Wine's shell cannot be restarted inside a running session, so the test takes
  the icon away as a restart does and broadcasts the message as the new shell would. A broadcast
  while the icon is present leaves one icon.
- Not ready at start: a stand-in notification area that refuses requests for its first seconds
  (as a shell that is still starting or busy does) gets the icon on a later attempt; the attempts
  stop once it has it, and Exit takes the icon away."""

import threading
import time

import tray_program
import zorvan_sim
from harness import WineSession, check, check_equal, log, main, wait_until

NIM_ADD, NIM_MODIFY, NIM_DELETE = 0, 1, 2


def restart(wine):
    zorvan_sim.reset(wine)
    tray = tray_program.start(wine)
    wait_until(tray.icon_present, timeout=10, interval=0.5, what="the icon")

    for round_ in (1, 2):
        tray_program.probe(wine, "forget-icon")
        check(not tray.icon_present(), "the icon is still there after it was taken away")
        wine.screenshot(f"lost_{round_}")
        tray_program.probe(wine, "taskbar-created")
        wait_until(tray.icon_present, timeout=10, interval=0.5,
                   what=f"the icon to come back (round {round_})")
        wine.screenshot(f"back_{round_}")

    # Told again while the shell has the icon: it stays, once, and works.
    tray_program.probe(wine, "taskbar-created")
    check(tray.icon_present(), "the icon vanished on a second TaskbarCreated")
    tray_program.probe(wine, "forget-icon")
    check(not tray.icon_present(), "the icon was there twice")
    tray_program.probe(wine, "taskbar-created")
    wait_until(tray.icon_present, timeout=10, interval=0.5, what="the icon")

    left, top, right, bottom = tray_program.open_menu(tray)
    tray_program.click_at(wine, (left + right) // 2, (top + bottom) // 2)
    tray.wait_end()
    log("the icon came back after each restart of the notification area, and still works")


def not_ready_at_start(wine):
    refuse_seconds = 6
    zorvan_sim.reset(wine)
    shell = wine.start("tray-probe.exe", "fake-shell", 40, refuse_seconds)
    check_equal(shell.stdout.readline().strip(), "shell", "stand-in shell")
    requests = []

    def read():
        for line in shell.stdout:
            _, message, window, answer = line.split()
            requests.append((int(message), window, answer))

    reader = threading.Thread(target=read, daemon=True)
    reader.start()

    tray = tray_program.start(wine)
    adds = lambda: [r for r in requests if r[0] == NIM_ADD and r[1] == tray.window]
    wait_until(lambda: any(answer == "accepted" for _, _, answer in adds()),
               timeout=refuse_seconds + 15, interval=0.2, what="the icon to be taken")
    refused = sum(1 for _, _, answer in adds() if answer == "refused")
    check(refused >= 2, f"only {refused} refused attempt(s) before the shell took the icon")
    time.sleep(5)  # more than two retry intervals
    check_equal([answer for _, _, answer in adds()][refused:], ["accepted"],
                "attempts after the shell took the icon")
    log(f"icon taken after {refused} refused attempts; no attempts after that")

    count = len(requests)
    tray.exit_by_command()
    wait_until(lambda: len(requests) > count, timeout=5, what="the request at Exit")
    check_equal(requests[count][:2], (NIM_DELETE, tray.window), "request at Exit")
    shell.kill()


def test():
    with WineSession("tray_icon_restart") as wine:
        restart(wine)
        not_ready_at_start(wine)


if __name__ == "__main__":
    main(test)
