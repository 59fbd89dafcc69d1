"""The resources of both builds of TevraTray.exe, read from the files: title and notice strings,
the icon's menu, every image of the icon, version information and the manifest."""

from harness import ROOT, WineSession, check, check_equal, log, main, windows_path

STRINGS = {
    128: "TevraTrayTool",
    129: "You can press the Q button",
    132: "Charging in progres & avoiding disconnecting AC adaptor",
    133: "Charged completely",
    134: "You have unplugged the AC adaptor. Stop charging immediately.",
    135: "Cancelled by user",
}
ICON_IMAGES = [f"{size}x{size}x{bits}" for size in (16, 24, 32, 48, 256) for bits in (4, 8, 32)]


def check_program(wine, build):
    _, out = wine.run("tray-probe.exe", "resources",
                      windows_path(ROOT / "out" / build / "TevraTray.exe"))
    head, _, manifest = out.partition("manifest\n")
    lines = head.splitlines()
    strings = {int(line.split(" ", 2)[1]): line.split(" ", 2)[2]
               for line in lines if line.startswith("string ")}
    check_equal(strings, STRINGS, f"{build}: string table")
    check_equal([line for line in lines if line.startswith(("menu ", "item "))],
                ["menu &File", "item 57665 E&xit"], f"{build}: menu 128")
    check_equal(sorted(line.split()[1] for line in lines if line.startswith("icon ")),
                sorted(ICON_IMAGES), f"{build}: images of icon 128")
    check_equal([line for line in lines if line.startswith("version ")], ["version 1.0.0.1"],
                f"{build}: file version")
    # UI access stays off: Windows refuses to start an unsigned program that asks for it.
    check('<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' in manifest,
          f"{build}: manifest without the invoker's level:\n{manifest}")
    check('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' in manifest,
          f"{build}: manifest without common controls 6")


def test():
    with WineSession("tray_resources") as wine:
        for build in ("win64", "win32"):
            check_program(wine, build)
        log("strings, menu, icon images, version and manifest present in both builds")


if __name__ == "__main__":
    main(test)
