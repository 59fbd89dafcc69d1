"""The settings file on the real common application-data folder of a Wine prefix: created with its
six default lines on first read, and changed in place by a write."""

from harness import WineSession, check, check_equal, log, main

DEFAULT_FILE = (b" [Tevra Default Settings]\r\n"
                b" dwTrayNotifyWindowOption=1\r\n"
                b" dwTevraAppletModeNum=111\r\n"
                b" [Tevra Current Settings]\r\n"
                b" dwTrayNotifyWindowOption=1\r\n"
                b" dwTevraAppletModeNum=111\r\n")


def test():
    with WineSession("settings_file") as wine:
        settings = wine.settings_file
        settings.unlink(missing_ok=True)

        _, out = wine.run("settings-probe.exe", "path")
        check_equal(out.strip(), "C:\\ProgramData\\TevraSettings.ini", "settings path")

        _, out = wine.run("settings-probe.exe", "read", "Tevra Current Settings")
        check_equal(out.strip(), "1 111", "values read from a new file")
        check_equal(settings.read_bytes(), DEFAULT_FILE, "new settings file")

        wine.run("settings-probe.exe", "write", "Tevra Current Settings", "0", "222")
        expected = DEFAULT_FILE[:-len(b" dwTrayNotifyWindowOption=1\r\n dwTevraAppletModeNum=111\r\n")]
        expected += b" dwTrayNotifyWindowOption=0\r\n dwTevraAppletModeNum=222\r\n"
        check_equal(settings.read_bytes(), expected, "file after writing option 0 and mode 222")

        _, out = wine.run("settings-probe.exe", "read", "Tevra Current Settings")
        check_equal(out.strip(), "0 222", "values read back")
        _, out = wine.run("settings-probe.exe", "read", "Tevra Default Settings")
        check_equal(out.strip(), "1 111", "default section after the write")

        leftovers = [p.name for p in settings.parent.iterdir() if p.name.lower().startswith("tev")
                     and p.name != settings.name]
        check(not leftovers, f"temporary files left beside the settings file: {leftovers}")
        settings.unlink()
        log("settings file created, read and rewritten as expected")


if __name__ == "__main__":
    main(test)
